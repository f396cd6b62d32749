#include "core/runtime_gen/main_routine.h"

#include <gtest/gtest.h>

#include "tests/support/generated_text.h"

namespace ladder51 {
namespace {

using test::findLine;
using test::linesBetween;
using test::splitLines;

std::vector<std::string> mainLines(const Settings& s) {
  return splitLines(mainSection(s, countAssignments(s.pins)));
}

TEST(MainRoutine, RetentionRestoresOnlyAssignedOutputs) {
  Settings s;
  s.pins[*findPin("P1.0")] = "Y10";
  s.pins[*findPin("P1.1")] = "Y43";
  const std::vector<std::string> lines = mainLines(s);
  const std::vector<std::string> block = linesBetween(lines, "else   ", "goto WDTRESET;}");
  ASSERT_EQ(block.size(), 2u + 3 * 36 + 1);
  EXPECT_EQ(block[2], "  #if  0");
  EXPECT_EQ(block[3], "   if(y[0]&0x01)Y0=0;else Y0=1;");
  EXPECT_EQ(block[4], "  #endif");
  EXPECT_EQ(block[2 + 3 * 8], "  #if  1");
  EXPECT_EQ(block[3 + 3 * 8], "   if(y[1]&0x01)Y10=0;else Y10=1;");
  EXPECT_EQ(block[3 + 3 * 13], "   if(y[1]&0x20)Y15=0;else Y15=1;");
  EXPECT_EQ(block[2 + 3 * 35], "  #if  1");
  EXPECT_EQ(block[3 + 3 * 35], "   if(y[4]&0x08)Y43=0;else Y43=1;");
  EXPECT_EQ(lines[findLine(lines, "goto WDTRESET;}") + 1], "#endif");
}

TEST(MainRoutine, ProteusLeavesOutTheRetentionBlock) {
  Settings s;
  s.proteus = true;
  const std::vector<std::string> lines = mainLines(s);
  EXPECT_EQ(lines[11], "   WDTSTC=0X3C;     ");
  EXPECT_EQ(lines[12], "P0=0XFF;P1=0XFF;P2=0XFF;P3=0XFF;P4P0=1;P4P1=1;P4P2=1;P4P3=1;");
  EXPECT_EQ(findLine(lines, "goto WDTRESET;}"), lines.size());
  EXPECT_LT(findLine(lines, "WDTRESET:"), lines.size());
}

TEST(MainRoutine, DisplayBlocksFollowTheDisplaySwitch) {
  for (bool display : {false, true}) {
    Settings s;
    s.display = display;
    const std::vector<std::string> lines = mainLines(s);
    const std::string frame = display ? "#if  1" : "#if  0";
    const std::size_t setUp = findLine(lines, "  tmscan();");
    EXPECT_EQ(lines[setUp + 1], frame);
    EXPECT_EQ(lines[setUp + 2], "write_word(0x0c,0x01);");
    EXPECT_EQ(lines[setUp + 6], "#endif");
    EXPECT_EQ(lines[setUp + 7], "m8000|=0x03;");
    EXPECT_EQ(lines[setUp + 10], "{tmscan();");
    EXPECT_EQ(lines[setUp + 11], frame);
    EXPECT_EQ(lines[setUp + 13], "{m8000&=0xf7; ");
    EXPECT_EQ(lines.back(), "#endif");
    EXPECT_EQ(lines[lines.size() - 2], "EX:i++;}");
  }
}

}  // namespace
}  // namespace ladder51
