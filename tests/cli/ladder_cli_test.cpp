#include <gtest/gtest.h>

#include "tests/core/translator/translator_support.h"
#include "tests/support/fixtures.h"

namespace ladder51::test {
namespace {

std::string writeProgram(const ScratchDir& dir, const std::vector<std::uint16_t>& words) {
  const std::vector<std::uint8_t> bytes = programBytes(words);
  const std::string path = (dir / "prog.pmw").string();
  writeFile(path, std::string(bytes.begin(), bytes.end()));
  return path;
}

TEST(LadderCommand, PrintsTheStatementsExactly) {
  ScratchDir dir;
  const CliRun run = runCli({"ladder", writeProgram(dir, {0x2400, 0xC500, 0x000F})});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(
      run.out,
      "\r\nif((!inx(0))){y[0]|=(0x01<<0);Y0=0;}\r\nelse\r\n{y[0]&=(0xff-(0x01<<0));Y0=1;}\r\n");
  EXPECT_EQ(run.err, "");
}

TEST(LadderCommand, RefusalGoesToStandardErrorWithTheStep) {
  ScratchDir dir;
  const CliRun run = runCli({"ladder", writeProgram(dir, {0x2400, 0xC524, 0x000F})});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("Y超出范围 只能在Y0-Y43之间！！"), std::string::npos);
  EXPECT_NE(run.err.find("step 1 (byte 350: C524)"), std::string::npos);
}

TEST(LadderCommand, EepromRegistersNeedTheOption) {
  ScratchDir dir;
  const std::string program = writeProgram(dir, {0x2400, 0x000D, 0x8620, 0x8600, 0x000F});
  EXPECT_EQ(runCli({"ladder", program}).exitCode, 1);
  const CliRun fitted = runCli({"ladder", program, "--eeprom"});
  EXPECT_EQ(fitted.exitCode, 0);
  EXPECT_EQ(fitted.out, "\r\nif((!inx(0))){WrData(16*2,0);WrData(16*2+1,0);}");
}

TEST(LadderCommand, WarnsAboutWordsItPassesOver) {
  ScratchDir dir;
  const CliRun run = runCli({"ladder", writeProgram(dir, {0x2F01, 0x000F})});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.err.find("warning"), std::string::npos);
  EXPECT_NE(run.err.find("step 0 (byte 348: 2F01) LD M8001: special relay M8001"),
            std::string::npos)
      << run.err;
}

TEST(LadderCommand, UnreadableFileFails) {
  const CliRun run = runCli({"ladder", "/nonexistent/prog.pmw"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("/nonexistent/prog.pmw"), std::string::npos);
}

}  // namespace
}  // namespace ladder51::test
