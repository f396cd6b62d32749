#include "core/toolchain/sdcc_pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/fixtures.h"

namespace ladder51 {
namespace {

using test::ScratchDir;

std::string memReport(const std::string& firstRows, const std::string& stackLine,
                      const std::string& flashLine) {
  std::string text = "Internal RAM layout:\n      0 1 2 3 4 5 6 7 8 9 A B C D E F\n" + firstRows;
  for (auto row = std::count(firstRows.begin(), firstRows.end(), '\n'); row < 16; ++row) {
    char head[8];
    std::snprintf(head, sizeof head, "0x%x0:", static_cast<int>(row));
    text += std::string(head) + "|S|S|S|S|S|S|S|S|S|S|S|S|S|S|S|S|\n";
  }
  return text + "0-3:Reg Banks, T:Bit regs, a-z:Data, B:Bits, Q:Overlay, I:iData, S:Stack\n\n" +
         stackLine + "\n\nOther memory:\n   Name             Start    End      Size     Max\n" +
         flashLine + "\n";
}

TEST(MemoryReport, ReadsRamStackAndCode) {
  const std::string rows = "0x00:|0|0|0|0|0|0|0|0|a|a|a|I|I|T| |S|\n";  // 13 used, one free byte
  Result<MemoryUsage> usage = parseMemoryReport(
      memReport(rows, "Stack starts at: 0x0f (sp set to 0x0e) with 241 bytes available.",
                "   ROM/EPROM/FLASH  0x0000   0x12f3    4852    65536"));
  ASSERT_TRUE(usage.ok()) << usage.error().describe();
  EXPECT_EQ(usage->internalRamUsed, 14);
  EXPECT_EQ(usage->stackStart, 0x0f);
  EXPECT_EQ(usage->stackBytes, 241);
  EXPECT_EQ(usage->codeBytes, 4852);
  EXPECT_EQ(usage->xramBytes, 0);
  EXPECT_EQ(describeMemoryUsage(*usage, defaultChip().memory),
            "internal RAM 14 of 256 bytes, 241 bytes left for the stack; code 4852 of 8192 bytes");
}

// Each chip's limits against two reports: 12000 bytes of code, and 96 bytes of XRAM after 3 of
// paged XRAM (the chip needs XRAM up to 0x0064).
TEST(MemoryReport, EachChipSetsTheLimits) {
  const std::string rows = "0x00:|0|0|0|0|0|0|0|0|a|a|a|I|I|T| |S|\n";
  const std::string stack = "Stack starts at: 0x0f (sp set to 0x0e) with 241 bytes available.";
  const Result<MemoryUsage> largeCode = parseMemoryReport(
      memReport(rows, stack, "   ROM/EPROM/FLASH  0x0000   0x2edf   12000    65536"));
  const Result<MemoryUsage> xram =
      parseMemoryReport(memReport(rows, stack,
                                  "   PAGED EXT. RAM   0x0001   0x0003       3      256\n"
                                  "   EXTERNAL RAM     0x0005   0x0064      96    65536\n"
                                  "   ROM/EPROM/FLASH  0x0000   0x12f3    4852    65536"));
  ASSERT_TRUE(largeCode && xram);
  auto outcome = [](const MemoryUsage& usage, const ChipProfile& chip) {
    const Status fits = checkMemoryUsage(usage, chip.memory, 16);
    return fits ? describeMemoryUsage(usage, chip.memory) : fits.error().message;
  };
  const std::string ram = "internal RAM 14 of 256 bytes, 241 bytes left for the stack; ";
  const std::string tooLarge =
      "the program does not fit: it needs 12000 bytes of code and the chip has 8192 bytes of flash";
  const std::pair<std::string, std::string> expected[] = {
      {tooLarge, "the program does not fit: it needs 101 bytes of XRAM and the chip has none"},
      {tooLarge, ram + "code 4852 of 8192 bytes; XRAM 101 of 256 bytes"},
      {ram + "code 12000 of 16384 bytes", ram + "code 4852 of 16384 bytes; XRAM 101 of 1024 bytes"},
      {ram + "code 12000 of 32768 bytes", ram + "code 4852 of 32768 bytes; XRAM 101 of 1024 bytes"},
      {ram + "code 12000 of 63488 bytes", ram + "code 4852 of 63488 bytes; XRAM 101 of 1024 bytes"},
  };
  ASSERT_EQ(chipProfiles().size(), std::size(expected));
  for (std::size_t k = 0; k < std::size(expected); ++k) {
    const ChipProfile& chip = chipProfiles()[k];
    EXPECT_EQ(outcome(*largeCode, chip), expected[k].first) << chip.name;
    EXPECT_EQ(outcome(*xram, chip), expected[k].second) << chip.name;
  }
  // Too little stack is refused, whatever the flash.
  MemoryUsage crowded = *largeCode;
  crowded.stackBytes = 15;
  EXPECT_EQ(checkMemoryUsage(crowded, chipProfiles().back().memory, 16).error().message,
            "the program does not fit: only 15 bytes of internal RAM are left for the stack, and "
            "it needs 16");
}

TEST(MemoryReport, RefusesAnIncompleteReport) {
  const std::string rows = "0x00:|0|0|0|0|0|0|0|0|S|S|S|S|S|S|S|S|\n";
  const std::string stack = "Stack starts at: 0x08 (sp set to 0x07) with 248 bytes available.";
  const std::string flash = "   ROM/EPROM/FLASH  0x0000   0x007e     127    65536";
  EXPECT_TRUE(parseMemoryReport(memReport(rows, stack, flash)).ok());
  EXPECT_FALSE(parseMemoryReport(memReport(rows, "", flash)).ok());
  EXPECT_FALSE(parseMemoryReport(memReport(rows, stack, "")).ok());
  EXPECT_FALSE(parseMemoryReport(stack + "\n" + flash).ok());  // no map
}

class SdccBuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::haveProgram("sdcc") || !test::haveProgram("packihx")) {
      GTEST_SKIP() << "SDCC is not installed";
    }
  }
  ScratchDir scratch_{"sdcc"};
};

TEST_F(SdccBuildTest, BuildsAKeilDialectProgramWithItsStatementsSplit) {
  std::vector<BuildProgress> stages;
  Result<BuildReport> report = test::buildFollowPinFirmware(
      scratch_.path(), 1, [&](const BuildProgress& p) { stages.push_back(p); });
  ASSERT_TRUE(report.ok()) << report.error().describe();

  const std::string hex = test::readFile(scratch_.path() / "fx1n.hex");
  EXPECT_EQ(hex.rfind(":", 0), 0u);
  EXPECT_NE(hex.find(":00000001FF"), std::string::npos);  // Intel HEX end record
  ASSERT_TRUE(report->memory.has_value());
  EXPECT_GT(report->memory->codeBytes, 50);
  EXPECT_LT(report->memory->codeBytes, 8192);
  EXPECT_GT(report->memory->stackBytes, 200);

  ASSERT_EQ(stages.size(), 4u);
  EXPECT_EQ(stages[0].status, "CHANGE");
  EXPECT_EQ(stages[1].status, "LINK START UP");
  EXPECT_EQ(stages[3].status, "FX1N.HEX  DONE");

  // The generated file is untouched; the adapted unit has SDCC's forms and the scan functions,
  // the MC-like block kept in one of them.
  const std::string original = test::readFile(scratch_.path() / "fx1n.c");
  EXPECT_EQ(original, test::readFile(test::sourcePath("tests/fixtures/follow_pin.c")));
  const std::string unit = test::readFile(scratch_.path() / "sdcc" / "fx1n.c");
  EXPECT_NE(unit.find("__sfr __at (0x90) P1;"), std::string::npos);
  EXPECT_NE(unit.find("__interrupt(1) __using(0)"), std::string::npos);
  EXPECT_NE(unit.find("void scanpart3(void)\r\n{unsigned int i;\nif(!X1){\nfor(i=0;i<1;i++)"),
            std::string::npos)
      << unit;
  EXPECT_NE(unit.find("scanpart5();"), std::string::npos);
  EXPECT_EQ(unit.find("scanpart6"), std::string::npos);
}

TEST_F(SdccBuildTest, FailsWhenTheCodeDoesNotFitTheFlashAndLeavesNoHex) {
  test::writeFile(scratch_.path() / "fx1n.c", "main()\n{while(1);}\n");
  test::writeFile(scratch_.path() / "fx1n.hex", "the previous program's firmware");
  BuildJob job;
  job.workDirectory = scratch_.path();
  job.sourceFile = scratch_.path() / "fx1n.c";
  job.limits.flashBytes = 16;
  Result<BuildReport> report = SdccToolchain().build(job, {});
  ASSERT_FALSE(report.ok());
  EXPECT_EQ(report.error().message.rfind("the program does not fit: it needs ", 0), 0u)
      << report.error().message;
  EXPECT_FALSE(std::filesystem::exists(scratch_.path() / "fx1n.hex"));
}

TEST_F(SdccBuildTest, FailsWhenTheStateDoesNotFitTheInternalRam) {
  test::writeFile(scratch_.path() / "fx1n.c",
                  "unsigned char idata big[240];\nunsigned char more[60];\n"
                  "main()\n{big[0]=1;more[0]=1;while(1);}\n");
  BuildJob job;
  job.workDirectory = scratch_.path();
  job.sourceFile = scratch_.path() / "fx1n.c";
  Result<BuildReport> report = SdccToolchain().build(job, {});
  ASSERT_FALSE(report.ok());
  EXPECT_EQ(report.error().kind, ErrorKind::DoesNotFit) << report.error().message;
  EXPECT_EQ(report.error().message.rfind("the program does not fit: the chip's internal RAM", 0),
            0u)
      << report.error().message;
}

TEST_F(SdccBuildTest, NamesTheCompilerAndShowsItsMessagesOnAnError) {
  test::writeFile(scratch_.path() / "fx1n.c", "main()\n{ undefined_name = 1; }\n");
  BuildJob job;
  job.workDirectory = scratch_.path();
  job.sourceFile = scratch_.path() / "fx1n.c";
  Result<BuildReport> report = SdccToolchain().build(job, {});
  ASSERT_FALSE(report.ok());
  EXPECT_EQ(report.error().message.rfind("the compiler failed (exit status 1)", 0), 0u)
      << report.error().message;
  EXPECT_NE(report.error().message.find("undefined_name"), std::string::npos);
}

}  // namespace
}  // namespace ladder51
