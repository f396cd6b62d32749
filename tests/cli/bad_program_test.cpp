// Program files no PLC tool writes: the translate and ladder commands refuse each with a
// message that says what is wrong and where, print no statements, and leave fx1n.c as it was.
#include <gtest/gtest.h>

#include <random>

#include "tests/core/translator/translator_support.h"
#include "tests/support/fixtures.h"

namespace ladder51::test {
namespace {

std::string asFile(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

TEST(BadProgramFile, IsRefusedWithAMessageAndNothingIsWritten) {
  std::vector<std::uint16_t> longer(2400, 0x2400);
  longer.push_back(0x000F);
  std::string cutShort = asFile(programBytes({0x2400, 0x0605, 0x8064, 0x8000, 0x000F}));
  cutShort.resize(354);
  std::mt19937 random(51);
  std::string noise(4096, '\0');
  for (char& c : noise) c = static_cast<char>(random() & 0xFF);
  struct Case {
    const char* name;
    std::string bytes;
    std::string error;
  };
  const Case cases[] = {
      {"empty", "", "ladder51: error: the program file holds no steps"},
      {"cut short in an instruction", cutShort,
       "ladder51: error: the program file ends at byte 352 without END: it is cut short, or not "
       "a program file (step 2 (byte 352))"},
      {"longer than the walk", asFile(programBytes(longer)),
       "ladder51: error: no END in the 2327 steps the translator reads"},
      {"all 0xFF", std::string(8192, '\xFF'), "ladder51: error: no END in the 2327 steps"},
      {"longer than can be read", std::string(20009, '\xFF'),
       "ladder51: error: program file too long: 20009 bytes, at most 20008 can be read"},
      {"random bytes", noise, "ladder51: error: "},
  };
  ScratchDir dir;
  writeFile(dir / "fx1n.c", "the previous fx1n.c");
  for (const Case& c : cases) {
    const std::string program = (dir / "bad.pmw").string();
    writeFile(program, c.bytes);
    const CliRun translated = runCli({"translate", program, "-C", dir.path().string()});
    EXPECT_EQ(translated.exitCode, 1) << c.name;
    EXPECT_NE(translated.err.find(c.error), std::string::npos) << c.name << ": " << translated.err;
    EXPECT_EQ(translated.out, "") << c.name;
    EXPECT_EQ(readFile(dir / "fx1n.c"), "the previous fx1n.c") << c.name;

    const CliRun listed = runCli({"ladder", program});
    EXPECT_EQ(listed.exitCode, 1) << c.name;
    EXPECT_NE(listed.err.find(c.error), std::string::npos) << c.name << ": " << listed.err;
    EXPECT_EQ(listed.out, "") << c.name;
  }
}

// An endless device named as the program: every command refuses it instead of reading on.
TEST(BadProgramFile, EndlessInputIsRefusedByEveryCommand) {
  ScratchDir dir;
  const struct {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"translate", "/dev/zero", "-C", dir.path().string()},
       "ladder51: error: program file too long: more than 20008 bytes"},
      {{"ladder", "/dev/zero"}, "ladder51: error: program file too long: more than 20008 bytes"},
      {{"disasm", "/dev/zero"}, "ladder51: error: the program file is larger than 16777216 bytes"},
      {{"asm", "/dev/zero", "-o", (dir / "x.pmw").string()},
       "ladder51: error: the file is larger than 67108864 bytes"},
  };
  for (const auto& c : cases) {
    const CliRun run = runCli(c.args);
    EXPECT_EQ(run.exitCode, 1) << c.args[0];
    EXPECT_NE(run.err.find(c.error), std::string::npos) << c.args[0] << ": " << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "fx1n.c"));
  EXPECT_FALSE(std::filesystem::exists(dir / "x.pmw"));
}

}  // namespace
}  // namespace ladder51::test
