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

TEST(MainRoutine, HeadKeepsItsTrailingBlanks) {
  const std::vector<std::string> lines = mainLines(Settings{});
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], "main()");
  EXPECT_EQ(lines[3], "    EA = 1;         //开总中断");
  EXPECT_EQ(lines[7], "   TH0 = 0xfa;     //定时器赋予初值");
  EXPECT_EQ(lines[9], "   WDT=0X1E;      ");
  EXPECT_EQ(lines[10], "   WDT=0XE1;     ");
  EXPECT_EQ(lines[11], "   WDTSTC=0X3C;     ");
  EXPECT_EQ(lines[12], "#if  1");
  EXPECT_EQ(lines[14], "else   ");
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

TEST(MainRoutine, EachDisplayBlockShowsItsSource) {
  const std::vector<std::string> lines = mainLines(Settings{});
  const struct {
    const char* select;
    const char* source;
  } blocks[] = {{" if(d[15]==0)", "tc[0]"}, {" if(d[15]==1)", "ct[0]"}, {" if(d[15]==2)", "d[0]"}};
  for (const auto& block : blocks) {
    const std::size_t at = findLine(lines, block.select);
    ASSERT_LT(at + 7, lines.size()) << block.select;
    EXPECT_EQ(lines[at + 1], "  {for(j=0;j<=7;j++)write_word(0x01+j,0x0f);");
    EXPECT_EQ(lines[at + 2], std::string("   j=") + block.source + "%10;write_word(0x01,j);");
    EXPECT_EQ(lines[at + 3], std::string("  i=") + block.source +
                                 "-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x02,j);");
    EXPECT_EQ(lines[at + 6], "  i=i-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x05,j);");
    EXPECT_EQ(lines[at + 7], "  }");
  }
}

}  // namespace
}  // namespace ladder51
