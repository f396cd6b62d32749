// The scan time a build reports: the scan functions' address in SDCC's map, and the time between
// two scans of a real firmware on the simulated chip.
#include "core/sim/scan_time.h"

#include <gtest/gtest.h>

#include "core/sequence.h"
#include "tests/support/fixtures.h"

namespace ladder51 {
namespace {

TEST(ScanTime, FindsACodeAddressInTheMap) {
  const std::string map =
      "Area                                    Addr        Size        Decimal Bytes "
      "(Attributes)\r\n"
      "C:   00000779  _tmscan                            fx1n\r\n"
      "C:   00000A10  _scanpart1                         fx1n\r\n"
      "     00000012  _scanpart2                         fx1n\r\n";
  EXPECT_EQ(codeAddressOf(map, "_scanpart1"), 0xA10u);
  EXPECT_EQ(codeAddressOf(map, "_tmscan"), 0x779u);
  EXPECT_EQ(codeAddressOf(map, "_scanpart2"), std::nullopt);  // not in the code area
  EXPECT_EQ(codeAddressOf(map, "_scanpart"), std::nullopt);
}

// The motor example scans in about 0.1 ms at 12 MHz; at 6 MHz its shortest scan, the same
// cycles, takes twice as long.
TEST(ScanTime, BuildReportsTheScansOfTheSimulatedChip) {
  if (!test::haveProgram("sdcc") || !test::haveProgram("s51")) GTEST_SKIP() << "no SDCC or s51";
  std::vector<ScanTime> scans;
  for (const char* crystal : {"12", "6"}) {
    test::ScratchDir work("scan-time");
    SettingsText board = test::motorBoard();
    board.crystal = crystal;
    Result<SequenceResult> done = test::buildWithSdcc(work.path(), board, test::kMotorProgram);
    ASSERT_TRUE(done) << done.error().describe();
    ASSERT_TRUE(done->build->scanTime.has_value()) << crystal;
    scans.push_back(*done->build->scanTime);
  }
  EXPECT_GT(scans[0].minMicros, 20);
  EXPECT_LE(scans[0].minMicros, scans[0].maxMicros);
  EXPECT_LT(scans[0].maxMicros, 1000);
  EXPECT_NEAR(scans[1].minMicros / scans[0].minMicros, 2.0, 0.1);
}

}  // namespace
}  // namespace ladder51
