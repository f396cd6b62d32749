#include "core/workspace.h"

#include <gtest/gtest.h>

#include "core/config/declarations.h"
#include "core/config/settings_files.h"
#include "core/runtime_gen/file_assembly.h"
#include "core/translator/instruction_list.h"
#include "tests/support/fixtures.h"

namespace ladder51 {
namespace {

using test::readFile;
using test::ScratchDir;
using test::writeFile;

ProgramImage program(const char* instructionList) {
  Result<std::vector<std::uint8_t>> bytes = assembleInstructionList(instructionList);
  EXPECT_TRUE(bytes.ok()) << bytes.error().describe();
  return *ProgramImage::fromBytes(*bytes);
}

Settings board() {
  Settings s;
  s.pins[*findPin("P3.2")] = "X0";
  s.pins[*findPin("P1.0")] = "Y0";
  return s;
}

// A work directory whose settings were saved, and its started workspace.
struct SavedWorkspace {
  explicit SavedWorkspace(const Settings& settings) : workspace(dir.path()) {
    EXPECT_TRUE(workspace.startUp().ok());
    (void)workspace.takeNotices();
    const Status saved = workspace.save(settings);
    EXPECT_TRUE(saved.ok()) << saved.error().message;
  }
  ScratchDir dir;
  Workspace workspace;
};

TEST(Workspace, StartUpInAnEmptyDirectoryUsesNewInstallationDefaults) {
  ScratchDir dir;
  Workspace workspace(dir.path());
  ASSERT_TRUE(workspace.startUp().ok());
  EXPECT_EQ(workspace.settings(), Settings{});
  const std::vector<std::string> notices = workspace.takeNotices();
  ASSERT_EQ(notices.size(), 3u);
  EXPECT_EQ(notices[0].rfind("7219.dat is missing", 0), 0u);
  EXPECT_EQ(notices[1].rfind("IIC.dat is missing", 0), 0u);
  EXPECT_EQ(notices[2].rfind("io.dat is missing", 0), 0u);
  EXPECT_TRUE(workspace.takeNotices().empty());
  EXPECT_EQ(workspace.registerHeader(), registerHeaderSection());
  EXPECT_EQ(workspace.pinDeclarations(), "\r\n");
  EXPECT_EQ(workspace.runtime().rfind("\r\n unsigned char y[5]", 0), 0u);
  // Start-up only reads: the next save writes the files.
  EXPECT_FALSE(std::filesystem::exists(dir / "io.dat"));
}

TEST(Workspace, FailedStartUpKeepsTheLoadedValuesAndRefusesToTranslate) {
  ScratchDir dir;
  Settings bad = board();
  bad.pins[*findPin("P0.5")] = "X8";
  ASSERT_TRUE(saveSettings(dir.path(), bad).ok());
  Workspace workspace(dir.path());
  const Status started = workspace.startUp();
  ASSERT_FALSE(started.ok());
  EXPECT_EQ(started.error().message, "P0.5设置错误！！");
  EXPECT_EQ(workspace.settings(), bad);
  EXPECT_EQ(workspace.registerHeader(), "");
  EXPECT_EQ(workspace.pinDeclarations(), "");
  EXPECT_EQ(workspace.runtime(), "");

  Result<AssembledFile> refused = workspace.translateAndAssemble(program("LD X0\nOUT Y0\nEND\n"));
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().message, "P0.5设置错误！！");
  EXPECT_FALSE(std::filesystem::exists(dir / "fx1n.c"));

  // Corrected and saved: every section is there again, the register header included.
  ASSERT_TRUE(workspace.save(board()).ok());
  EXPECT_EQ(workspace.registerHeader(), registerHeaderSection());
  EXPECT_EQ(workspace.pinDeclarations(), "\r\nsbit Y0=0x90;\r\nsbit X0=0xB2;\r\n");
  Result<AssembledFile> file = workspace.translateAndAssemble(program("LD X0\nOUT Y0\nEND\n"));
  ASSERT_TRUE(file.ok()) << file.error().message;
  EXPECT_EQ(file->text.rfind(registerHeaderSection(), 0), 0u);
}

TEST(Workspace, RefusedSaveWritesAndRegeneratesNothing) {
  ScratchDir dir;
  Workspace workspace(dir.path());
  ASSERT_TRUE(workspace.startUp().ok());
  const std::string runtime = workspace.runtime();
  Settings duplicate = board();
  duplicate.pins[*findPin("P2.0")] = "Y0";
  duplicate.display = true;
  Status saved = workspace.save(duplicate);
  ASSERT_FALSE(saved.ok());
  EXPECT_EQ(saved.error().message, "Y点定义重复！！");
  Settings badFilter = board();
  badFilter.filter = "11";
  saved = workspace.save(badFilter);
  ASSERT_FALSE(saved.ok());
  EXPECT_EQ(saved.error().message, "滤波时间参数必须在0-10之间！！");
  EXPECT_EQ(workspace.savedFilter(), "3");
  EXPECT_EQ(workspace.settings(), Settings{});
  EXPECT_EQ(workspace.runtime(), runtime);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(Workspace, SaveRegeneratesAndSurvivesARestart) {
  Settings s = board();
  s.display = true;
  s.din = "1.5";
  s.load = "1.6";
  s.clk = "1.7";
  s.eeprom = EepromChoice::From24C32;
  s.scl = "3.6";
  s.sda = "3.7";
  s.filter = "7";
  s.crystal = "11.0592";
  SavedWorkspace saved(s);
  EXPECT_EQ(saved.workspace.settings(), s);
  EXPECT_EQ(saved.workspace.savedFilter(), "7");
  EXPECT_NE(saved.workspace.pinDeclarations().find("#define DIN P15\r\n"), std::string::npos);
  EXPECT_NE(saved.workspace.runtime().find("\r\n #if  1\r\n void nop(void)"), std::string::npos);
  EXPECT_NE(saved.workspace.runtime().find("\r\n  SendByte(0xa0);//write"), std::string::npos);
  EXPECT_NE(saved.workspace.runtime().find("\r\n if(tmr>=22)"), std::string::npos);

  Workspace restarted(saved.dir.path());
  ASSERT_TRUE(restarted.startUp().ok());
  EXPECT_TRUE(restarted.takeNotices().empty());
  EXPECT_EQ(restarted.settings(), s);
  EXPECT_EQ(restarted.pinDeclarations(), saved.workspace.pinDeclarations());
  EXPECT_TRUE(restarted.runtime() == saved.workspace.runtime());
}

TEST(Workspace, TranslateWritesTheJoinedSectionsInGbk) {
  SavedWorkspace saved(board());
  Workspace& workspace = saved.workspace;
  Result<AssembledFile> file = workspace.translateAndAssemble(program("LD X0\nOUT Y0\nEND\n"));
  ASSERT_TRUE(file.ok()) << file.error().message;
  EXPECT_EQ(file->path, saved.dir / "fx1n.c");
  EXPECT_TRUE(readFile(file->path) == file->bytes);
  EXPECT_TRUE(*decodeGbk(file->bytes) == file->text);
  EXPECT_TRUE(workspace.wholeFile() == file->text);

  const std::string& statements = workspace.translation().statements;
  EXPECT_NE(statements.find("Y0=0;"), std::string::npos);
  EXPECT_EQ(workspace.statements(), statements);
  const AssembledSource expected =
      assembleSource({workspace.registerHeader(), workspace.pinDeclarations(), workspace.runtime(),
                      workspace.mainRoutine(), statements},
                     "");
  EXPECT_TRUE(file->text == expected.text);
  EXPECT_EQ(file->statementsOffset, expected.statementsOffset);
  EXPECT_EQ(file->text.substr(file->statementsOffset), statements + "\r\nm8000&=0xfd;\r\n}}");
  // The Chinese comments take two bytes each in GBK, three in UTF-8.
  EXPECT_LT(file->bytesStatementsOffset, file->statementsOffset);
  EXPECT_EQ(file->bytes.substr(file->bytesStatementsOffset),
            file->text.substr(file->statementsOffset));
  EXPECT_TRUE(file->undeclaredOutputs.empty());
  EXPECT_TRUE(workspace.takeNotices().empty());
}

TEST(Workspace, Utf8ToAnotherPathAndASecondTranslationReplacesTheFirst) {
  SavedWorkspace saved(board());
  AssembleOptions options;
  options.encoding = FileEncoding::Utf8;
  options.output = saved.dir / "out.c";
  ASSERT_TRUE(saved.workspace.translateAndAssemble(program("LD X0\nOUT Y0\nEND\n"), options).ok());
  Result<AssembledFile> second =
      saved.workspace.translateAndAssemble(program("LDI X0\nOUT Y0\nEND\n"), options);
  ASSERT_TRUE(second.ok());
  EXPECT_TRUE(readFile(saved.dir / "out.c") == second->text);
  EXPECT_EQ(second->bytesStatementsOffset, second->statementsOffset);
  EXPECT_NE(second->text.find("if((inx(0)))"), std::string::npos);
  EXPECT_EQ(second->text.find("if((!inx(0)))"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(saved.dir / "fx1n.c"));
}

TEST(Workspace, NothingIsWrittenOnARefusal) {
  SavedWorkspace saved(board());
  Workspace& workspace = saved.workspace;
  ASSERT_TRUE(workspace.translateAndAssemble(program("LD X0\nOUT Y0\nEND\n")).ok());
  const std::string before = readFile(saved.dir / "fx1n.c");
  const std::string wholeFile = workspace.wholeFile();

  // LD X44: a device outside the supported range.
  Result<AssembledFile> refused = workspace.translateAndAssemble(program(".word 0x2424\nEND\n"));
  ASSERT_FALSE(refused.ok());
  EXPECT_FALSE(workspace.translation().completed());
  EXPECT_EQ(refused.error().message, workspace.translation().message);
  EXPECT_EQ(refused.error().where, workspace.translation().step.describe());

  EXPECT_FALSE(workspace.translateAndAssemble(saved.dir / "missing.pmw").ok());

  AssembleOptions missingFolder;
  missingFolder.output = saved.dir / "no" / "fx1n.c";
  EXPECT_FALSE(workspace.translateAndAssemble(program("END\n"), missingFolder).ok());
  EXPECT_FALSE(std::filesystem::exists(saved.dir / "no"));

  EXPECT_TRUE(readFile(saved.dir / "fx1n.c") == before);
  EXPECT_TRUE(workspace.wholeFile() == wholeFile);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(saved.dir.path())) {
    files += entry.path().filename().string().front() != '.';
    EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
  }
  EXPECT_EQ(files, 4);  // the three settings files and fx1n.c
}

TEST(Workspace, TextWithoutAGbkFormIsRefusedUnlessUtf8IsChosen) {
  Settings s = board();
  s.eeprom = EepromChoice::Upto24C16;
  s.scl = "\U0001F600.6";  // reads as 0: accepted, and its first character lands in the file
  s.sda = "3.7";
  SavedWorkspace saved(s);
  Result<AssembledFile> refused = saved.workspace.translateAndAssemble(program("END\n"));
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().where, (saved.dir / "fx1n.c").string());
  EXPECT_FALSE(std::filesystem::exists(saved.dir / "fx1n.c"));
  AssembleOptions utf8;
  utf8.encoding = FileEncoding::Utf8;
  Result<AssembledFile> file = saved.workspace.translateAndAssemble(program("END\n"), utf8);
  ASSERT_TRUE(file.ok());
  EXPECT_NE(file->text.find("#define SCL P\U0001F6006\r\n"), std::string::npos);
}

TEST(Workspace, OutputsWithoutAPinWorkThroughTheSpareByte) {
  SavedWorkspace saved(board());
  Result<AssembledFile> file =
      saved.workspace.translateAndAssemble(program("LD X0\nOUT Y24\nLD X0\nZRST Y0 Y3\nEND\n"));
  ASSERT_TRUE(file.ok()) << file.error().message;
  EXPECT_EQ(file->undeclaredOutputs, (std::vector<int>{1, 2, 3, 20}));
  const std::string pinSection = saved.workspace.pinDeclarations();
  EXPECT_NE(file->text.find(pinSection + "#define Y1 dly\r\n#define Y2 dly\r\n#define Y3 dly\r\n"
                                         "#define Y24 dly\r\n\r\n\r\n unsigned char y[5]"),
            std::string::npos);
  EXPECT_EQ(saved.workspace.takeNotices(),
            std::vector<std::string>{"Y1, Y2, Y3, Y24 are driven by the program but carried by "
                                     "no pin: they work as internal relays only"});
}

TEST(Workspace, EepromRegistersNeedAnEepromInTheSettings) {
  const char* usesD20 = "LD X0\nMOV K5 D20\nEND\n";
  SavedWorkspace withoutEeprom(board());
  EXPECT_FALSE(withoutEeprom.workspace.translateAndAssemble(program(usesD20)).ok());

  Settings s = board();
  s.eeprom = EepromChoice::Upto24C16;
  s.scl = "3.6";
  s.sda = "3.7";
  SavedWorkspace withEeprom(s);
  Result<AssembledFile> file = withEeprom.workspace.translateAndAssemble(program(usesD20));
  ASSERT_TRUE(file.ok()) << file.error().message;
  EXPECT_NE(file->text.find("WrData("), file->statementsOffset - 1);
  EXPECT_GT(file->text.find("WrData(", file->statementsOffset), file->statementsOffset);
}

}  // namespace
}  // namespace ladder51
