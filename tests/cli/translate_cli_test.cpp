#include <gtest/gtest.h>

#include "core/text/encoding.h"
#include "tests/support/fixtures.h"

namespace ladder51 {
namespace {

using test::readFile;
using test::runCli;
using test::ScratchDir;
using test::writeFile;

// A work directory set up through the settings command, with a small program beside it.
struct Board {
  Board() {
    writeFile(dir / "motor.il", "LD X0\nOR Y0\nANI X1\nOUT Y0\nEND\n");
    const test::CliRun assembled =
        runCli({"asm", (dir / "motor.il").string(), "-o", (dir / "motor.pmw").string()});
    EXPECT_EQ(assembled.exitCode, 0) << assembled.err;
  }
  test::CliRun settings(std::vector<std::string> changes) const {
    changes.insert(changes.begin(), {"settings", "-C", dir.path().string()});
    return runCli(changes);
  }
  ScratchDir dir;
};

TEST(TranslateCommand, WritesFx1nInGbkOrUtf8) {
  Board board;
  ASSERT_EQ(board.settings({"--pin", "P3.2=X0", "--pin", "P3.3=X1", "--pin", "P1.0=Y0"}).exitCode,
            0);
  const test::CliRun run =
      runCli({"translate", (board.dir / "motor.pmw").string(), "-C", board.dir.path().string()});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string gbk = readFile(board.dir / "fx1n.c");
  Result<std::string> text = decodeGbk(gbk);
  ASSERT_TRUE(text.ok());
  EXPECT_NE(text->find("\r\nsbit X0=0xB2;"), std::string::npos);
  EXPECT_NE(text->find("    EA = 1;         //开总中断\r\n"), std::string::npos);
  EXPECT_EQ(text->substr(text->size() - 18), "\r\nm8000&=0xfd;\r\n}}");

  const test::CliRun utf8 =
      runCli({"translate", (board.dir / "motor.pmw").string(), "-C", board.dir.path().string(),
              "-o", (board.dir / "utf8.c").string(), "--encoding", "utf-8"});
  EXPECT_EQ(utf8.exitCode, 0) << utf8.err;
  EXPECT_TRUE(readFile(board.dir / "utf8.c") == *text);
}

TEST(TranslateCommand, FailuresExitNonZeroAndWriteNothing) {
  Board board;
  writeFile(board.dir / "fx1n.c", "older file");
  const std::string program = (board.dir / "motor.pmw").string();
  const std::string directory = board.dir.path().string();

  // A pin text that the start-up validation refuses.
  std::string io;
  for (int k = 0; k < 36; ++k) io += k == 0 ? "\"X8\"," : "\"\",";
  writeFile(board.dir / "io.dat", io + "\"3\"\r\n");
  test::CliRun run = runCli({"translate", program, "-C", directory});
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.err.find("ladder51: error: P0.0设置错误！！"), std::string::npos) << run.err;
  std::filesystem::remove(board.dir / "io.dat");

  run = runCli({"translate", (board.dir / "none.pmw").string(), "-C", directory});
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.err.find("ladder51: error: cannot open the program file"), std::string::npos)
      << run.err;

  // LD X44: refused by the translator with its step.
  writeFile(board.dir / "far.il", ".word 0x2424\nOUT Y0\nEND\n");
  ASSERT_EQ(runCli({"asm", (board.dir / "far.il").string(), "-o", (board.dir / "far.pmw").string()})
                .exitCode,
            0);
  run = runCli({"translate", (board.dir / "far.pmw").string(), "-C", directory});
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.err.find("step 0"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("ladder51: error:"), run.err.rfind("ladder51: error:")) << run.err;

  run = runCli({"translate", program, "-C", directory, "--encoding", "latin-1"});
  EXPECT_NE(run.exitCode, 0);
  EXPECT_EQ(readFile(board.dir / "fx1n.c"), "older file");
}

TEST(TranslateCommand, WarnsAboutOutputsThatNoPinCarries) {
  Board board;
  const test::CliRun run =
      runCli({"translate", (board.dir / "motor.pmw").string(), "-C", board.dir.path().string()});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("ladder51: warning: io.dat is missing"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("ladder51: warning: Y0 is driven by the program but carried by no pin"),
            std::string::npos)
      << run.err;
  EXPECT_NE(decodeGbk(readFile(board.dir / "fx1n.c"))->find("\r\n#define Y0 dly\r\n"),
            std::string::npos);
}

TEST(SettingsCommand, PrintsSavesAndRefuses) {
  Board board;
  test::CliRun run = board.settings({});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("pin P0.0=\n"), std::string::npos);
  EXPECT_NE(run.out.find("pin P4.3=\nxtal=12\nfilter=3\neeprom=none\n"), std::string::npos)
      << run.out;
  EXPECT_FALSE(std::filesystem::exists(board.dir / "io.dat"));

  run = board.settings({"--pin",     "P3.2=X0", "--xtal",   "11.0592", "--eeprom",  "24c16",
                        "--scl",     "3.6",     "--sda",    "3.7",     "--display", "on",
                        "--din",     "1.5",     "--load",   "1.6",     "--clk",     "1.7",
                        "--proteus", "on",      "--filter", "5"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(readFile(board.dir / "7219.dat"), "1,\"1.5\",\"1.6\",\"1.7\"\r\n");
  EXPECT_EQ(readFile(board.dir / "IIC.dat"), "#FALSE#,\"3.6\",\"3.7\",1,#TRUE#,\"11.0592\"\r\n");
  EXPECT_NE(run.out.find("pin P3.2=X0\n"), std::string::npos);
  EXPECT_NE(run.out.find("eeprom=24c16\n"), std::string::npos);

  const std::string io = readFile(board.dir / "io.dat");
  run = board.settings({"--pin", "P3.3=X0"});
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.err.find("X点定义重复！！"), std::string::npos) << run.err;
  run = board.settings({"--pin", "P9.9=X1"});
  EXPECT_NE(run.exitCode, 0);
  run = board.settings({"--display", "maybe"});
  EXPECT_NE(run.exitCode, 0);
  EXPECT_EQ(readFile(board.dir / "io.dat"), io);

  run = board.settings({"--pin", "P3.2=", "--eeprom", "none"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("pin P3.2=\n"), std::string::npos);
  EXPECT_EQ(readFile(board.dir / "IIC.dat"), "#FALSE#,\"3.6\",\"3.7\",1,#FALSE#,\"11.0592\"\r\n");
}

TEST(LadderCommand, TakesTheEepromChoiceFromTheWorkDirectory) {
  Board board;
  writeFile(board.dir / "d20.il", "LD X0\nMOV K5 D20\nEND\n");
  ASSERT_EQ(runCli({"asm", (board.dir / "d20.il").string(), "-o", (board.dir / "d20.pmw").string()})
                .exitCode,
            0);
  const std::string program = (board.dir / "d20.pmw").string();
  EXPECT_NE(runCli({"ladder", program, "-C", board.dir.path().string()}).exitCode, 0);
  ASSERT_EQ(board.settings({"--eeprom", "24c32", "--scl", "3.6", "--sda", "3.7"}).exitCode, 0);
  const test::CliRun run = runCli({"ladder", program, "-C", board.dir.path().string()});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("WrData("), std::string::npos);
}

}  // namespace
}  // namespace ladder51
