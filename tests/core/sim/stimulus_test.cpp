#include "core/sim/stimulus.h"

#include "tests/core/sim/cases.h"

namespace ladder51 {
namespace {

// data/stimulus.cases: the events in time order with their times in microseconds, or the
// refusal with its line.
TEST(Stimulus, ReadsEventsInTimeOrder) {
  test::checkCases("stimulus", [](const std::string& input) {
    Result<Stimulus> stimulus = parseStimulus(input);
    if (!stimulus) return test::errorText(stimulus.error());
    std::string text;
    for (const StimulusEvent& e : stimulus->events)
      text += std::to_string(e.timeMicros) + " us " + e.point + (e.on ? " on\n" : " off\n");
    return text + "last " + std::to_string(stimulus->lastTimeMicros()) + " us\n";
  });
}

TEST(Stimulus, ReadsAFileWithinItsLimit) {
  const test::ScratchDir dir("stimulus");
  test::writeFile(dir / "run.txt", "100 X0 on\r\n");
  test::writeFile(dir / "huge.txt", std::string(2 << 20, '#'));
  Result<Stimulus> read = readStimulusFile(dir / "run.txt");
  ASSERT_TRUE(read.ok()) << read.error().describe();
  EXPECT_EQ(read->events, (std::vector<StimulusEvent>{{100000, "X0", true}}));
  const Error missing = readStimulusFile(dir / "none.txt").error();
  EXPECT_EQ(missing.kind, ErrorKind::CannotOpen);
  EXPECT_EQ(missing.message, "cannot read the stimulus file");
  EXPECT_EQ(readStimulusFile(dir / "huge.txt").error().kind, ErrorKind::FileTooLarge);
}

// data/pins.cases: the pins of the inputs, then of the outputs, or the refusal.
TEST(PinAssignments, ReadsPointsAndPins) {
  test::checkCases("pins", [](const std::string& input) {
    Result<SimPinMap> map = parsePinAssignments(input);
    if (!map) return test::errorText(map.error());
    std::string text;
    for (const auto* side : {&map->inputs, &map->outputs}) {
      for (const auto& [point, pin] : *side) text += point + "=" + pin.name() + "\n";
    }
    return text;
  });
}

}  // namespace
}  // namespace ladder51
