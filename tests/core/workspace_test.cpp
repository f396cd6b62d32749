// The work directory as the command line and the window use it: start-up, save and the
// translation into fx1n.c, and what each leaves behind when it fails, the disk included.
#include "core/workspace.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <map>

#include "core/config/declarations.h"
#include "core/config/settings_files.h"
#include "core/file_io.h"
#include "tests/support/fixtures.h"

namespace ladder51 {
namespace {

using test::imageOf;
using test::kMotorProgram;
using test::motorBoard;
using test::readFile;
using test::ScratchDir;

// Names of the files in a folder, temporaries included.
std::vector<std::string> entries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

const std::vector<std::string> kWorkFiles = {"7219.dat", "IIC.dat", "fx1n.c", "io.dat",
                                             "ladder51.ini"};

// A work directory whose settings were saved, and its started workspace.
struct SavedWorkspace {
  explicit SavedWorkspace(const SettingsText& settings, const std::string& label = "ladder51")
      : dir(label), workspace(dir.path(), observer) {
    EXPECT_TRUE(workspace.startUp().ok());
    observer.notices.clear();
    const Status saved = workspace.save(settings);
    EXPECT_TRUE(saved.ok()) << saved.error().describe();
  }
  ScratchDir dir;
  test::RecordingObserver observer;
  Workspace workspace;
};

TEST(Workspace, StartUpInAnEmptyDirectoryUsesNewInstallationDefaults) {
  ScratchDir dir;
  test::RecordingObserver observer;
  Workspace workspace(dir.path(), observer);
  ASSERT_TRUE(workspace.startUp().ok());
  EXPECT_EQ(workspace.settingsText(), SettingsText{});
  ASSERT_EQ(observer.notices.size(), 3u);
  for (const UserNotice& notice : observer.notices) {
    EXPECT_EQ(notice.kind, NoticeKind::SettingsDefaulted);
  }
  EXPECT_EQ(observer.notices[0].message.rfind("7219.dat is missing", 0), 0u);
  EXPECT_EQ(observer.notices[2].message.rfind("io.dat is missing", 0), 0u);
  EXPECT_EQ(workspace.registerHeader(), registerHeaderSection());
  EXPECT_EQ(workspace.pinDeclarations(), "\r\n");
  // Start-up only reads: the next save writes the files.
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(Workspace, AFailedStartUpKeepsTheLoadedValuesUntilASaveCorrectsThem) {
  ScratchDir dir;
  SettingsText bad = motorBoard();
  test::assign(bad, "P0.5", "X8");
  ASSERT_TRUE(saveSettings(dir.path(), bad).ok());
  Workspace workspace(dir.path());
  const Status started = workspace.startUp();
  ASSERT_FALSE(started.ok());
  EXPECT_EQ(started.error().kind, ErrorKind::BadPinName);
  EXPECT_EQ(started.error().message, "P0.5设置错误！！");
  EXPECT_EQ(workspace.settingsText(), bad);
  EXPECT_EQ(workspace.runtime(), "");
  Result<AssembledFile> refused = workspace.translateAndAssemble(imageOf(kMotorProgram));
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().kind, ErrorKind::BadPinName);
  EXPECT_FALSE(std::filesystem::exists(dir / "fx1n.c"));

  ASSERT_TRUE(workspace.save(motorBoard()).ok());
  Result<AssembledFile> file = workspace.translateAndAssemble(imageOf(kMotorProgram));
  ASSERT_TRUE(file.ok()) << file.error().describe();
  EXPECT_EQ(file->text.rfind(registerHeaderSection(), 0), 0u);
}

TEST(Workspace, ARefusedSaveWritesAndRegeneratesNothing) {
  ScratchDir dir;
  Workspace workspace(dir.path());
  ASSERT_TRUE(workspace.startUp().ok());
  const std::string runtime = workspace.runtime();
  SettingsText duplicate = motorBoard();
  test::assign(duplicate, "P2.0", "Y0");
  EXPECT_EQ(workspace.save(duplicate).error().kind, ErrorKind::DuplicatePoint);
  SettingsText badFilter = motorBoard();
  badFilter.filter = "11";
  EXPECT_EQ(workspace.save(badFilter).error().kind, ErrorKind::BadFilter);
  EXPECT_EQ(workspace.savedFilter(), "3");
  EXPECT_EQ(workspace.settingsText(), SettingsText{});
  EXPECT_EQ(workspace.runtime(), runtime);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(Workspace, SavedSettingsSurviveARestartInAFolderWithBlanksAndNonAscii) {
  ScratchDir scratch;
  const std::filesystem::path dir = scratch / "my work dir 工作 é";
  std::filesystem::create_directory(dir);
  SettingsText s = motorBoard();
  s.display = true;
  s.din = "1.5";
  s.load = "1.6";
  s.clk = "1.7";
  s.eeprom = EepromChoice::From24C32;
  s.scl = "3.6";
  s.sda = "3.7";
  s.filter = "7";
  s.crystal = "11.0592";
  s.chip = "stc89c516";
  Workspace workspace(dir);
  ASSERT_TRUE(workspace.startUp().ok());
  ASSERT_TRUE(workspace.save(s).ok());
  ASSERT_TRUE(workspace.translateAndAssemble(imageOf(kMotorProgram)).ok());
  EXPECT_EQ(entries(dir), kWorkFiles);

  test::RecordingObserver observer;
  Workspace restarted(dir, observer);
  ASSERT_TRUE(restarted.startUp().ok());
  EXPECT_TRUE(observer.notices.empty());
  EXPECT_EQ(restarted.settingsText(), s);
  EXPECT_EQ(restarted.settings().crystalMHz, 11.0592);
  EXPECT_EQ(restarted.savedFilter(), "7");
  EXPECT_EQ(restarted.pinDeclarations(), workspace.pinDeclarations());
  EXPECT_TRUE(restarted.runtime() == workspace.runtime());
}

TEST(Workspace, TheFileIsTheJoinedSectionsInGbkOrUtf8) {
  SavedWorkspace saved(motorBoard());
  Workspace& workspace = saved.workspace;
  Result<AssembledFile> file = workspace.translateAndAssemble(imageOf(kMotorProgram));
  ASSERT_TRUE(file.ok()) << file.error().describe();
  EXPECT_EQ(file->path, saved.dir / "fx1n.c");
  EXPECT_TRUE(readFile(file->path) == file->bytes);
  EXPECT_TRUE(*decodeGbk(file->bytes) == file->text);
  EXPECT_EQ(file->text.substr(file->statementsOffset),
            workspace.translation().statements + "\r\nm8000&=0xfd;\r\n}}");
  // The Chinese comments take two bytes each in GBK, three in UTF-8.
  EXPECT_LT(file->bytesStatementsOffset, file->statementsOffset);
  EXPECT_EQ(file->bytes.substr(file->bytesStatementsOffset),
            file->text.substr(file->statementsOffset));

  AssembleOptions utf8{.output = saved.dir / "out.c", .encoding = FileEncoding::Utf8};
  Result<AssembledFile> second =
      workspace.translateAndAssemble(imageOf("LDI X0\nOUT Y0\nEND\n"), utf8);
  ASSERT_TRUE(second.ok());
  EXPECT_TRUE(readFile(saved.dir / "out.c") == second->text);
  EXPECT_EQ(second->bytesStatementsOffset, second->statementsOffset);
  EXPECT_NE(second->text.find("if((inx(0)))"), std::string::npos);
  EXPECT_TRUE(saved.observer.notices.empty());
}

TEST(Workspace, NothingIsWrittenOnARefusal) {
  SettingsText s = motorBoard();
  s.eeprom = EepromChoice::Upto24C16;
  s.scl = "\U0001F600.6";  // reads as 0: accepted, and its first character lands in the file
  s.sda = "3.7";
  SavedWorkspace saved(s);
  Workspace& workspace = saved.workspace;
  ASSERT_TRUE(workspace
                  .translateAndAssemble(imageOf(kMotorProgram),
                                        {.output = std::nullopt, .encoding = FileEncoding::Utf8})
                  .ok());
  const std::string before = readFile(saved.dir / "fx1n.c");
  const std::string wholeFile = workspace.wholeFile();

  // LD X44: a device outside the supported range; the error carries the step.
  Result<AssembledFile> refused = workspace.translateAndAssemble(imageOf(".word 0x2424\nEND\n"));
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().kind, ErrorKind::ProgramRefused);
  ASSERT_TRUE(refused.error().step.has_value());
  EXPECT_EQ(refused.error().step->stepNumber(), 0);
  EXPECT_EQ(workspace.translateAndAssemble(saved.dir / "missing.pmw").error().kind,
            ErrorKind::CannotOpen);
  EXPECT_FALSE(workspace
                   .translateAndAssemble(imageOf("END\n"), {.output = saved.dir / "no" / "x.c",
                                                            .encoding = FileEncoding::Gbk})
                   .ok());
  // The emoji has no GBK form.
  EXPECT_EQ(workspace.translateAndAssemble(imageOf("END\n")).error().kind, ErrorKind::BadEncoding);

  EXPECT_TRUE(readFile(saved.dir / "fx1n.c") == before);
  EXPECT_TRUE(workspace.wholeFile() == wholeFile);
  EXPECT_EQ(entries(saved.dir.path()), kWorkFiles);
}

// Outputs and inputs no pin carries: contacts, edge contacts and digit groups read inputs; only
// the outputs are reported, as the command line prints them.
TEST(Workspace, PointsWithoutAPinAreFoundAndOutputsWorkThroughTheSpareByte) {
  SavedWorkspace saved(motorBoard());
  Result<AssembledFile> file = saved.workspace.translateAndAssemble(
      imageOf("LD X0\nAND X5\nOUT Y24\nLDP X7\nZRST Y1 Y3\nLD X1\nMOV K2X20 D0\nEND\n"));
  ASSERT_TRUE(file.ok()) << file.error().describe();
  EXPECT_EQ(file->undeclaredOutputs, (std::vector<int>{1, 2, 3, 20}));
  EXPECT_EQ(file->undeclaredInputs, (std::vector<int>{5, 7, 16, 17, 18, 19, 20, 21, 22, 23}));
  EXPECT_NE(file->text.find(saved.workspace.pinDeclarations() +
                            "#define Y1 dly\r\n#define Y2 dly\r\n#define Y3 dly\r\n"
                            "#define Y24 dly\r\n\r\n\r\n unsigned char y[5]"),
            std::string::npos);
  ASSERT_EQ(saved.observer.notices.size(), 1u);
  UserNotice outputs =
      UserNotice::plain(NoticeKind::OutputWithoutPin,
                        "Y1, Y2, Y3, Y24 are driven by the program but carried by no pin: "
                        "they work as internal relays only");
  outputs.values = {{"outputs", "Y1, Y2, Y3, Y24"}};
  EXPECT_EQ(saved.observer.notices[0], outputs);
}

// The lines of fx1n.c each step's statements occupy, counted from the first line of the scan's
// statements: a rung's contacts share its output's lines; END writes none.
TEST(Workspace, EachStepMapsToTheLinesOfItsStatements) {
  SavedWorkspace saved(motorBoard());
  Result<AssembledFile> file = saved.workspace.translateAndAssemble(
      imageOf("LD X0\nOR Y0\nANI X1\nOUT Y0\nLD X1\nMOV K5 D0\nOUT Y1\nEND\n"));
  ASSERT_TRUE(file.ok()) << file.error().describe();
  const std::string_view text = file->text;
  const int first =
      static_cast<int>(std::count(text.begin(),
                                  text.begin() + static_cast<long>(file->statementsOffset), '\n')) +
      2;
  // The text of line n (from 1) of the file.
  const auto line = [&text](int n) {
    std::size_t at = 0;
    for (int k = 1; k < n; ++k) at = text.find('\n', at) + 1;
    return std::string(text.substr(at, text.find('\r', at) - at));
  };
  struct Row {
    int step;
    int firstLine;  // from the first line of the statements, or -1: none
    int lastLine;
    const char* holds;  // the text of the first line
  };
  const Row rows[] = {{0, 0, 2, "if((((!inx(0))||"},
                      {1, 0, 2, "if((((!inx(0))||"},
                      {2, 0, 2, "if((((!inx(0))||"},
                      {3, 0, 2, "if((((!inx(0))||"},
                      {4, 4, 4, "if((!inx(1)))d[0]=5;"},
                      {5, 4, 4, "if((!inx(1)))d[0]=5;"},
                      {10, 6, 8, "if((!inx(1))){y[0]|=(0x01<<1);Y1=0;}"},
                      {11, -1, -1, ""}};
  for (const Row& row : rows) {
    const auto lines = linesOfStep(file->stepLines, kFirstStepByte + 2 * row.step);
    const std::pair<int, int> got =
        lines ? std::pair(lines->first - first, lines->second - first) : std::pair(-1, -1);
    EXPECT_EQ(got, std::pair(row.firstLine, row.lastLine)) << "step " << row.step;
    if (lines) {
      EXPECT_TRUE(line(lines->first).starts_with(row.holds)) << line(lines->first);
    }
  }
}

// Folders that cannot hold the files: start-up falls back to the defaults, and save and
// translate fail naming the folder and the reason, creating nothing.
TEST(Workspace, AFolderThatCannotBeWrittenIsReportedAndNothingIsCreated) {
  ScratchDir scratch;
  test::writeFile(scratch / "plain file", "x");
  struct Row {
    const char* name;
    std::filesystem::path directory;
    const char* reason;
  };
  const Row rows[] = {
      {"missing folder", scratch / "missing", "No such file or directory"},
      {"a file stands in the path", scratch / "plain file" / "work", "Not a directory"},
      {"name too long", scratch / std::string(300, 'n'), "File name too long"},
  };
  for (const Row& row : rows) {
    Workspace workspace(row.directory);
    ASSERT_TRUE(workspace.startUp().ok()) << row.name;
    const Status saved = workspace.save(motorBoard());
    ASSERT_FALSE(saved.ok()) << row.name;
    EXPECT_EQ(saved.error().kind, ErrorKind::CannotWrite) << row.name;
    EXPECT_EQ(saved.error().where, row.directory.string()) << row.name;
    EXPECT_NE(saved.error().message.find(row.reason), std::string::npos) << row.name;
    Result<AssembledFile> file = workspace.translateAndAssemble(imageOf(kMotorProgram));
    ASSERT_FALSE(file.ok()) << row.name;
    EXPECT_NE(file.error().message.find(row.reason), std::string::npos) << row.name;
  }
  EXPECT_EQ(entries(scratch.path()), std::vector<std::string>{"plain file"});
}

// Makes every write of this process past `bytes` fail, as a full disk does, until destroyed.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);  // fail the write instead of dying
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*previousHandler_)(int) = nullptr;
};

TEST(Workspace, ADiskThatFillsUpWhileWritingLosesNothing) {
  SavedWorkspace saved(motorBoard());
  Workspace& workspace = saved.workspace;
  ASSERT_TRUE(workspace.translateAndAssemble(imageOf(kMotorProgram)).ok());
  std::map<std::string, std::string> before;
  for (const std::string& name : kWorkFiles) before[name] = readFile(saved.dir / name);
  const std::string wholeFile = workspace.wholeFile();
  ASSERT_GT(before["io.dat"].size(), 100u);
  ASSERT_LT(before["IIC.dat"].size(), 100u);

  // 7219.dat and IIC.dat fit in 100 bytes; io.dat and fx1n.c are cut off partway.
  SettingsText changed = motorBoard();
  changed.crystal = "24";
  Status stored = success();
  Result<AssembledFile> file = Error{ErrorKind::Internal, "not run"};
  {
    FileSizeLimit limit(100);
    stored = workspace.save(changed);
    file = workspace.translateAndAssemble(imageOf(kMotorProgram));
  }
  ASSERT_FALSE(stored.ok());
  EXPECT_EQ(stored.error().message, "cannot write the file: File too large");
  EXPECT_EQ(stored.error().where, (saved.dir / "io.dat").string());
  ASSERT_FALSE(file.ok());
  EXPECT_EQ(file.error().where, (saved.dir / "fx1n.c").string());
  for (const std::string& name : kWorkFiles) {
    EXPECT_TRUE(readFile(saved.dir / name) == before[name]) << name << " changed";
  }
  EXPECT_EQ(entries(saved.dir.path()), kWorkFiles);  // no temporary left behind
  EXPECT_EQ(workspace.settingsText(), motorBoard());
  EXPECT_TRUE(workspace.wholeFile() == wholeFile);

  // Once there is room again the same commands succeed.
  ASSERT_TRUE(workspace.save(changed).ok());
  ASSERT_TRUE(workspace.translateAndAssemble(imageOf(kMotorProgram)).ok());
  EXPECT_NE(readFile(saved.dir / "IIC.dat"), before["IIC.dat"]);
}

TEST(FileIo, ReadsStopPastTheLimitAndFailedSetsWriteNothing) {
  ScratchDir dir;
  ASSERT_TRUE(writeFileAtomically(dir / "kept.dat", "0123456789").ok());
  EXPECT_EQ(*readWholeFile(dir / "kept.dat", 10), "0123456789");
  EXPECT_EQ(readWholeFile(dir / "kept.dat", 9).error().kind, ErrorKind::FileTooLarge);
  // A device that never ends is refused instead of filling the memory.
  EXPECT_EQ(readWholeFile("/dev/zero", 100000).error().kind, ErrorKind::FileTooLarge);
  EXPECT_EQ(readWholeFile(dir / "none").error().kind, ErrorKind::CannotOpen);

  const FileContent files[] = {{dir / "kept.dat", "new"}, {dir / "missing" / "b.dat", "x"}};
  const Status status = writeFilesAtomically(files);
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.error().where, (dir / "missing").string());
  EXPECT_EQ(*readWholeFile(dir / "kept.dat"), "0123456789");
  EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"kept.dat"});
}

}  // namespace
}  // namespace ladder51
