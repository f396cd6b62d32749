// The reference interpreter's rules as data. Each tests/reference/rules/NAME.il is a program
// followed by scan lines, one scan each, in order:
//   ;@ TIME [X0=1 ...] -> Y0=1 M3=0 C0:2 D1:-1
// TIME is the scan's time in ms after power-on (timer unit 100 ms, first boundary at 0 unless a
// line "; phase: N" moves it to N ms; timers share the units unless a line "; units: own" gives
// each its own); X points set before the scan; after "->" the bit devices
// (=0 or 1) and the values of T, C and D (:N, signed 16-bit) the scan must leave.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "core/reference/interpreter.h"
#include "tests/support/fixtures.h"

namespace ladder51::test {
namespace {

const std::filesystem::path kRuleDir = sourcePath("tests/reference/rules");

class InterpreterRules : public testing::TestWithParam<std::string> {};

TEST_P(InterpreterRules, ScansAsThePlcDoes) {
  const std::string il = readFile(kRuleDir / (GetParam() + ".il"));
  Result<std::vector<reference::Step>> steps = reference::decodeSteps(imageOf(il));
  ASSERT_TRUE(steps) << steps.error().describe();
  reference::TimeBase timeBase;
  std::istringstream lines(il);
  std::vector<std::string> scans;
  int lineNumber = 0;
  std::vector<int> scanLines;
  for (std::string line; std::getline(lines, line);) {
    ++lineNumber;
    if (line.starts_with("; phase:")) timeBase.phaseMicros = std::stol(line.substr(8)) * 1000;
    if (line == "; units: own") timeBase.ownUnits = true;
    if (line.starts_with(";@")) scans.push_back(line.substr(2)), scanLines.push_back(lineNumber);
  }
  ASSERT_FALSE(scans.empty()) << "the case has no scan lines";
  reference::Interpreter plc(*steps, timeBase);
  for (std::size_t k = 0; k < scans.size(); ++k) {
    SCOPED_TRACE("line " + std::to_string(scanLines[k]) + ":" + scans[k]);
    std::istringstream words(scans[k]);
    long timeMs = -1;
    ASSERT_TRUE(words >> timeMs);
    bool expecting = false;
    int checks = 0;
    for (std::string word; words >> word;) {
      if (word == "->") {
        expecting = true;
        plc.scan(timeMs * 1000);
        continue;
      }
      const std::size_t mark = word.find_first_of("=:");
      ASSERT_NE(mark, std::string::npos) << word;
      const std::optional<fx::Device> device = reference::parseDevice(word.substr(0, mark));
      ASSERT_TRUE(device) << word;
      const long want = std::stol(word.substr(mark + 1));
      if (!expecting) {
        ASSERT_EQ(device->letter, 'X') << word;
        plc.setInput(device->number, want != 0);
      } else if (word[mark] == '=') {
        EXPECT_EQ(plc.bit(*device), want != 0) << word << " after scan " << plc.scanCount();
        ++checks;
      } else {
        EXPECT_EQ(static_cast<std::int16_t>(plc.word(*device)), want)
            << word << " after scan " << plc.scanCount();
        ++checks;
      }
    }
    ASSERT_TRUE(expecting) << "a scan line needs \"->\"";
    ASSERT_GT(checks, 0) << "a scan line checks nothing";
  }
}

INSTANTIATE_TEST_SUITE_P(Rules, InterpreterRules, testing::ValuesIn(caseNames(kRuleDir)),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

// Steps the interpreter does not run are refused at their step, not run as something else.
TEST(InterpreterDecode, RefusesWhatItDoesNotRunAndNeedsEnd) {
  struct Case {
    const char* il;
    ErrorKind kind;
    int step;
  };
  const Case cases[] = {
      {"LD X0\n.word 0x0016\nEND\n", ErrorKind::ProgramUnsupported, 1},  // FNC 3 (IRET)
      {"LD X0\nOUT C235 K5\nEND\n", ErrorKind::ProgramUnsupported, 1},   // a high-speed counter
      {"LD X0\nSEGD D0 K2Y0\nEND\n", ErrorKind::ProgramUnsupported, 1},
      {"LD X0\nOUT Y0\n", ErrorKind::ProgramFault, 2},  // no END
  };
  for (const Case& c : cases) {
    Result<std::vector<reference::Step>> steps = reference::decodeSteps(imageOf(c.il));
    ASSERT_FALSE(steps) << c.il;
    EXPECT_EQ(steps.error().kind, c.kind) << c.il;
    ASSERT_TRUE(steps.error().step) << c.il;
    EXPECT_EQ(steps.error().step->stepNumber(), c.step) << c.il;
  }
}

}  // namespace
}  // namespace ladder51::test
