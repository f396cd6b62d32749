// `ladder51 build` and `ladder51 sim` on a program in a work directory set up through the
// settings command.
#include <gtest/gtest.h>

#include "tests/support/fixtures.h"
#include "tests/support/generated_text.h"

namespace ladder51 {
namespace {

using test::readFile;
using test::runCli;
using test::ScratchDir;
using test::writeFile;

struct Board {
  Board() {
    writeFile(dir / "motor.il", "LD X0\nOR Y0\nANI X1\nOUT Y0\nLD X0\nMOV K7 D3\nEND\n");
    EXPECT_EQ(runCli({"asm", (dir / "motor.il").string(), "-o", program()}).exitCode, 0);
    EXPECT_EQ(runCli({"settings", "-C", dir.path().string(), "--pin", "P3.2=X0", "--pin", "P3.3=X1",
                      "--pin", "P1.0=Y0"})
                  .exitCode,
              0);
  }
  std::string program() const { return (dir / "motor.pmw").string(); }
  ScratchDir dir;
};

bool toolsMissing() {
  return !test::haveProgram("sdcc") || !test::haveProgram("s51");
}

TEST(BuildCommand, TranslatesAndBuildsAProgramShowingEachStage) {
  if (toolsMissing()) GTEST_SKIP() << "SDCC or s51 is not installed";
  Board board;
  const test::CliRun run = runCli({"build", board.program(), "-C", board.dir.path().string()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");  // a clean program builds without warnings
  const std::string hexPath = (board.dir / "fx1n.hex").string();
  std::size_t at = 0;
  for (const char* expected :
       {"CHANGE    sdcc", "LINK START UP", "FX1N.HEX  DONE\n", "internal RAM ", " of 256 bytes, ",
        " bytes left for the stack; code ", " of 8192 bytes\n", hexPath.c_str()}) {
    at = run.out.find(expected, at);
    ASSERT_NE(at, std::string::npos) << expected << "\n" << run.out;
  }
  EXPECT_TRUE(std::filesystem::exists(board.dir / "fx1n.c"));
  EXPECT_EQ(readFile(board.dir / "fx1n.hex").substr(0, 1), ":");
}

TEST(BuildCommand, ListsTheCommandsWithoutRunningAnything) {
  Board board;
  const test::CliRun run = runCli({"build", board.program(), "-C", board.dir.path().string(),
                                   "--toolchain", "keil", "--print-commands"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("c51.exe"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("ohx51.exe"), std::string::npos) << run.out;
  EXPECT_FALSE(std::filesystem::exists(board.dir / "fx1n.c"));
  EXPECT_FALSE(std::filesystem::exists(board.dir / "fx1n.hex"));
}

TEST(SimCommand, BuildsAProgramAndRunsItWithTheSettingsPins) {
  if (toolsMissing()) GTEST_SKIP() << "SDCC or s51 is not installed";
  Board board;
  writeFile(board.dir / "stimulus.txt", "150ms X0 on\n200ms X0 off\n300ms X1 on\n");
  const std::string vcd = (board.dir / "run.vcd").string();
  const test::CliRun run = runCli({"sim", board.program(), "-C", board.dir.path().string(),
                                   "--stimulus", (board.dir / "stimulus.txt").string(), "--until",
                                   "400ms", "--show", "D3", "--vcd", vcd});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  // Y0 starts with X0 and stops with X1; D3 is loaded while X0 is on.
  auto has = [&run](const std::string& prefix) {
    return run.out.find("\n" + prefix) != std::string::npos || run.out.starts_with(prefix);
  };
  EXPECT_TRUE(has("Y0 on at 15")) << run.out;
  EXPECT_TRUE(has("Y0 off at 30")) << run.out;
  EXPECT_TRUE(has("D3 = 0 at 10 ms")) << run.out;
  EXPECT_TRUE(has("D3 = 7 at 1")) << run.out;
  EXPECT_TRUE(run.out.ends_with("at 400 ms: D3 = 7\n")) << run.out;
  EXPECT_NE(readFile(vcd).find("$var wire 1 # Y0 $end"), std::string::npos);

  // The hex file just built runs again without a build, with the same pins.
  const test::CliRun again = runCli({"sim", (board.dir / "fx1n.hex").string(), "--stimulus",
                                     (board.dir / "stimulus.txt").string(), "--until", "400ms"});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_NE(again.out.find("Y0 on at 15"), std::string::npos) << again.out;

  const test::CliRun eeprom = runCli({"sim", (board.dir / "fx1n.hex").string(), "--stimulus",
                                      (board.dir / "stimulus.txt").string(), "--show", "D20"});
  EXPECT_EQ(eeprom.exitCode, 1);
  EXPECT_NE(eeprom.err.find("D16 and up are kept in the EEPROM, not in RAM (D20)"),
            std::string::npos)
      << eeprom.err;
}

}  // namespace
}  // namespace ladder51
