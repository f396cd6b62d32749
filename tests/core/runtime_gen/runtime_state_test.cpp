#include "core/runtime_gen/runtime_state.h"

#include <gtest/gtest.h>

#include "tests/support/generated_text.h"

namespace ladder51 {
namespace {

using test::findLine;
using test::splitLines;

std::string inputRead(int i, const char* mask) {
  const std::string n = std::to_string(i);
  return "if(i==" + n + ")if((xfir[" + n + "]&" + mask + ")==0x00)return 0;else  return 1;";
}

TEST(RuntimeState, FilterMaskForEverySetting) {
  struct Row {
    const char* filter;
    const char* mask;
  };
  const Row rows[] = {{"0", "0x01"},   {"1", "0x03"}, {"2", "0x07"},  {"3", "0x0f"},
                      {"4", "0x1f"},   {"5", "0x3f"}, {"6", "0x7f"},  {"7", "0xff"},
                      {"8", "0xff"},   {"9", "0xff"}, {"10", "0xff"}, {"", "0x01"},
                      {"abc", "0x01"}, {"11", ""},    {"-1", ""},     {"2.5", ""}};
  for (const Row& row : rows) EXPECT_EQ(filterMask(row.filter), row.mask) << row.filter;
}

TEST(RuntimeState, DisplayDriverIsFramedByTheDisplaySwitch) {
  for (bool display : {false, true}) {
    Settings s;
    s.display = display;
    const std::vector<std::string> lines = splitLines(runtimeStateText(s, AssignmentTables{}));
    const std::size_t frame = findLine(lines, display ? " #if  1" : " #if  0");
    ASSERT_EQ(frame, 10u) << display;
    EXPECT_EQ(lines[frame + 1], " void nop(void)");
    EXPECT_EQ(lines[frame + 9], "CLK=1;nop();}}");
    EXPECT_EQ(lines[frame + 12], "#endif");
    EXPECT_EQ(lines[frame + 13], "unsigned char inx(unsigned int i)");
    EXPECT_EQ(lines[frame + 14].rfind("{//X", 0), 0u);
  }
}

TEST(RuntimeState, InxReadsOnlyInputsThatAPinCarries) {
  Settings s;
  s.filter = "2";
  AssignmentTables tables;
  tables.xAssignCount[10] = 1;  // X10 is input 8
  tables.xAssignCount[43] = 2;  // counted twice by an unchecked start-up: written unchanged
  const std::vector<std::string> lines = splitLines(runtimeStateText(s, tables));
  const std::size_t first = findLine(lines, inputRead(0, "0x07"));
  ASSERT_LT(first, lines.size());
  EXPECT_EQ(lines[first - 1], "#if 0");
  EXPECT_EQ(lines[first + 1], "#endif");
  for (int i = 0; i < 36; ++i) {
    const std::size_t at = first + 3 * static_cast<std::size_t>(i);
    EXPECT_EQ(lines[at], inputRead(i, "0x07")) << i;
    const char* expected = i == 8 ? "#if 1" : i == 35 ? "#if 2" : "#if 0";
    EXPECT_EQ(lines[at - 1], expected) << i;
  }
  // An input that no pin carries falls through to a fixed "off".
  ASSERT_EQ(lines.size(), first + 3 * 36 + 1);
  EXPECT_EQ(lines[lines.size() - 2], "return 1;");
  EXPECT_EQ(lines.back(), "}");
}

}  // namespace
}  // namespace ladder51
