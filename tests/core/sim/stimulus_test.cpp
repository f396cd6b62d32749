#include "core/sim/stimulus.h"

#include <gtest/gtest.h>

namespace ladder51 {
namespace {

struct TimeCase {
  const char* text;
  long long micros;  // -1: refused
};

TEST(Stimulus, ReadsTimesInTheirUnits) {
  const TimeCase cases[] = {{"120", 120000}, {"120ms", 120000}, {"1.5s", 1500000}, {"250us", 250},
                            {"0", 0},        {"0.5ms", 500},    {"ms", -1},        {"12min", -1},
                            {"1.2.3", -1},   {"-5", -1}};
  for (const TimeCase& c : cases) {
    Result<std::uint64_t> time = parseTime(c.text);
    if (c.micros < 0) {
      EXPECT_FALSE(time.ok()) << c.text;
    } else {
      ASSERT_TRUE(time.ok()) << c.text;
      EXPECT_EQ(*time, static_cast<std::uint64_t>(c.micros)) << c.text;
    }
  }
}

TEST(Stimulus, ReadsEventsInTimeOrder) {
  Result<Stimulus> stimulus = parseStimulus(
      "# start, then stop\n"
      "200ms X1 on\r\n"
      "\n"
      "100  X0 on   # press start\n"
      "1.5s x0 off, X17 1\n"
      "100 X43 off\n");
  ASSERT_TRUE(stimulus.ok()) << stimulus.error().describe();
  const std::vector<StimulusEvent> expected = {{100000, "X0", true},
                                               {100000, "X43", false},
                                               {200000, "X1", true},
                                               {1500000, "X0", false},
                                               {1500000, "X17", true}};
  EXPECT_EQ(stimulus->events, expected);
  EXPECT_EQ(stimulus->lastTimeMicros(), 1500000u);
}

struct BadLine {
  const char* text;
  const char* message;
};

TEST(Stimulus, RefusesMalformedLinesWithTheirNumber) {
  const BadLine cases[] = {
      {"10 X0", "expected a time followed by pairs of an X point and on or off"},
      {"10 Y0 on", "not an input point: Y0"},
      {"10 X8 on", "not an input point: X8"},
      {"10 X44 on", "not an input point: X44"},
      {"10 X0 maybe", "expected on or off after X0, found maybe"},
      {"soon X0 on", "not a time: soon"},
  };
  for (const BadLine& c : cases) {
    Result<Stimulus> stimulus = parseStimulus(std::string("0 X1 on\n") + c.text);
    ASSERT_FALSE(stimulus.ok()) << c.text;
    EXPECT_EQ(stimulus.error().message, c.message) << c.text;
    EXPECT_EQ(stimulus.error().where, "stimulus line 2") << c.text;
  }
}

TEST(PinAssignments, ReadsPointsAndPins) {
  Result<SimPinMap> map = parsePinAssignments("X0=P3.2, Y0=P1.0\nY43=p4.3");
  ASSERT_TRUE(map.ok()) << map.error().describe();
  EXPECT_EQ(map->inputs.at("X0"), (PortPin{3, 2}));
  EXPECT_EQ(map->outputs.at("Y0"), (PortPin{1, 0}));
  EXPECT_EQ(map->outputs.at("Y43"), (PortPin{4, 3}));
  EXPECT_EQ(map->outputs.at("Y43").name(), "P4.3");

  const char* bad[] = {"X0=P5.0", "X0=P4.4",         "X0=P3",
                       "Z0=P1.0", "X0=P1.0 Y0=P1.0", "X0=P1.0 X0=P1.1"};
  for (const char* text : bad) EXPECT_FALSE(parsePinAssignments(text).ok()) << text;
}

}  // namespace
}  // namespace ladder51
