#include "core/firmware_build.h"

#include <gtest/gtest.h>

#include "core/translator/instruction_list.h"
#include "tests/support/fixtures.h"

namespace ladder51 {
namespace {

TEST(FirmwareBuild, ReadsTheToolchainChoice) {
  EXPECT_EQ(parseToolchainChoice("auto"), ToolchainChoice::Auto);
  EXPECT_EQ(parseToolchainChoice("sdcc"), ToolchainChoice::Sdcc);
  EXPECT_EQ(parseToolchainChoice("keil"), ToolchainChoice::Keil);
  EXPECT_EQ(parseToolchainChoice("Keil"), std::nullopt);
  EXPECT_EQ(parseToolchainChoice(""), std::nullopt);
}

TEST(FirmwareBuild, AutoTakesKeilOnlyWhereItsCompilerStands) {
  test::ScratchDir work("choice");
  test::ScratchDir elsewhere("keil-tools");
  test::writeFile(elsewhere.path() / "c51.exe", "");
  struct Case {
    const char* name;
    ToolchainChoice choice;
    bool compilerInWorkDirectory;
    bool keilDirectoryGiven;
    const char* expected;
  };
  const Case cases[] = {
      {"auto, no Keil tools", ToolchainChoice::Auto, false, false, "sdcc"},
      {"auto, Keil in DIR/keil/c51/bin", ToolchainChoice::Auto, true, false, "keil"},
      {"auto, Keil in a given folder", ToolchainChoice::Auto, false, true, "keil"},
      {"sdcc asked for beside Keil", ToolchainChoice::Sdcc, true, false, "sdcc"},
      {"keil asked for without tools", ToolchainChoice::Keil, false, false, "keil"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(work.path() / "keil");
    if (c.compilerInWorkDirectory) {
      test::writeFile(work.path() / "keil" / "c51" / "bin" / "c51.exe", "");
    }
    FirmwareBuildOptions options;
    options.toolchain = c.choice;
    if (c.keilDirectoryGiven) options.keilDirectory = elsewhere.path();
    EXPECT_EQ(chooseToolchain(work.path(), options)->name(), c.expected) << c.name;
  }
}

TEST(FirmwareBuild, TheJobLocatesTheStatementsInTheWrittenBytes) {
  test::ScratchDir work("job");
  Workspace workspace(work.path());
  ASSERT_TRUE(workspace.startUp().ok());
  Settings settings;
  settings.pins[static_cast<std::size_t>(*findPin("P3.2"))] = "X0";
  settings.pins[static_cast<std::size_t>(*findPin("P1.0"))] = "Y0";
  ASSERT_TRUE(workspace.save(settings).ok());
  Result<std::vector<std::uint8_t>> program =
      assembleInstructionList("LD X0\nOUT Y0\nLD X0\nOUT M1\nEND\n");
  ASSERT_TRUE(program.ok());
  Result<AssembledFile> file = workspace.translateAndAssemble(*ProgramImage::fromBytes(*program));
  ASSERT_TRUE(file.ok()) << file.error().describe();

  const BuildJob job = buildJobFor(workspace, *file);
  EXPECT_EQ(job.workDirectory, work.path());
  EXPECT_EQ(job.sourceFile, work.path() / "fx1n.c");
  EXPECT_EQ(job.marks.size(), workspace.translation().marks.size());
  ASSERT_FALSE(job.statements.empty());
  // The GBK head of the file is shorter than its UTF-8 text: the offset counts bytes.
  EXPECT_LT(job.statementsOffset, file->statementsOffset);
  EXPECT_EQ(test::readFile(job.sourceFile).substr(job.statementsOffset, job.statements.size()),
            job.statements);
}

TEST(FirmwareBuild, ARefusedTranslationBuildsNothing) {
  test::ScratchDir work("refused");
  Workspace workspace(work.path());
  ASSERT_TRUE(workspace.startUp().ok());
  // T20 has no count register: the translation stops there.
  Result<std::vector<std::uint8_t>> program = assembleInstructionList("LD X0\nOUT T20 K5\nEND\n");
  ASSERT_TRUE(program.ok());
  Result<FirmwareBuild> built =
      translateAndBuild(workspace, *ProgramImage::fromBytes(*program), {}, {});
  EXPECT_FALSE(built.ok());
  EXPECT_FALSE(workspace.translation().completed());
  EXPECT_FALSE(std::filesystem::exists(work.path() / "fx1n.hex"));
  EXPECT_FALSE(std::filesystem::exists(work.path() / "sdcc"));
}

}  // namespace
}  // namespace ladder51
