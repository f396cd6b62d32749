// The plan and the script of a run, and s51's answers read back, as cases. A case's input is a
// request, one setting a line: "pins", "stimulus" (one line of a stimulus), "until", "slice",
// "crystal", "power-off", "watch NAME ADDRESS BYTES BIT [xram]" and "batch STOPS"; for an answer
// also the files recorded from a real run of tests/fixtures/follow_pin.c ("answer", "outputs")
// and edits of that answer ("replace TEXT => TEXT"). "from FILE" takes a request from a file.
#include <sstream>

#include "core/sim/s51_answer.h"
#include "core/sim/s51_script.h"
#include "core/sim/timeline.h"
#include "tests/core/sim/cases.h"

namespace ladder51 {
namespace {

struct Request {
  std::string pins, stimulus, answer, outputs;
  SimulationOptions options;
  std::size_t stopsPerBatch = kStopsPerBatch;
};

Request requestOf(const std::string& text) {
  Request r;
  std::istringstream lines(text);
  for (std::string key, rest; lines >> key && std::getline(lines, rest);) {
    rest.erase(0, rest.find_first_not_of(' '));
    std::istringstream words(rest);
    if (key == "from") r = requestOf(test::readFile(test::simData(rest)));
    if (key == "pins") r.pins += rest + " ";
    if (key == "stimulus") r.stimulus += rest + "\n";
    if (key == "until") r.options.untilMicros = *parseTime(rest);
    if (key == "slice") r.options.sliceMicros = *parseTime(rest);
    if (key == "crystal") r.options.crystalMHz = std::stod(rest);
    if (key == "power-off") r.options.powerOn = false;
    if (key == "batch") r.stopsPerBatch = std::stoul(rest);
    if (key == "answer") r.answer = test::readFile(test::simData(rest));
    if (key == "outputs") r.outputs = test::readFile(test::simData(rest));
    if (const std::size_t arrow = rest.find(" => "); key == "replace")
      r.answer.replace(r.answer.find(rest.substr(0, arrow)), arrow, rest.substr(arrow + 4));
    if (RamWatch w; key == "watch" &&
                    words >> w.name >> std::hex >> w.address >> std::dec >> w.bytes >> w.bit) {
      if (std::string memory; words >> memory && memory == "xram") w.memory = RamMemory::External;
      r.options.watches.push_back(w);
    }
  }
  return r;
}

// data/script.cases: how s51 starts, the stimulus waveform, and the batches of commands.
TEST(S51Script, PlansTheStopsAndWritesTheCommands) {
  test::checkCases("script", [](const std::string& input) {
    const Request r = requestOf(input);
    const Result<StopPlan> plan =
        planStops(*parsePinAssignments(r.pins), *parseStimulus(r.stimulus), r.options);
    if (!plan) return test::errorText(plan.error());
    const S51Files files{"/work/fx1n.hex", "/tmp/ladder51-s51-Xb7c2Q/stimulus.vcd",
                         "/tmp/ladder51-s51-Xb7c2Q/outputs.vcd"};
    std::string text = "== s51";
    for (const std::string& argument : s51Arguments(r.options)) text += " " + argument;
    text += "\n== stimulus waveform\n" + stimulusWaveform(*plan);
    for (const S51Batch& batch : scriptBatches(*plan, r.options, files, r.stopsPerBatch)) {
      text += "== stops " + std::to_string(batch.firstStop) + " +" +
              std::to_string(batch.stopCount) + ", " + std::to_string(batch.simulatedMicros) +
              " us, answered by " + batch.answerEnd + "\n" + batch.commands;
    }
    return text;
  });
}

// data/answers.cases: the run's timeline and waveform (as the command line shows and writes
// them) from its answers, or why they cannot be read.
TEST(S51Answer, GivesThePointsAndValuesOfTheRun) {
  test::checkCases("answers", [](const std::string& input) {
    const Request r = requestOf(input);
    const SimPinMap pins = *parsePinAssignments(r.pins);
    const StopPlan plan = *planStops(pins, *parseStimulus(r.stimulus), r.options);
    AnswerReader reader(plan, pins, r.options);
    if (Status read = reader.take(r.answer, plan.stops.size()); !read)
      return test::errorText(read.error());
    const SimulationResult result = reader.finish(readOutputWaveform(r.outputs), r.answer);
    EXPECT_EQ(formatTimelineWithValues(result, {}), formatTimeline(result));
    const test::ScratchDir dir("vcd");
    EXPECT_TRUE(writeVcdFile(dir / "run.vcd", result, pins).ok());
    EXPECT_EQ(test::readFile(dir / "run.vcd"), formatVcd(result, pins));
    EXPECT_EQ(writeVcdFile(dir / "none" / "run.vcd", result, pins).error().kind,
              ErrorKind::CannotWrite);
    return formatTimelineWithValues(result, r.options.watches) + formatVcd(result, pins) +
           std::to_string(result.clockTicks) + " ticks, stack pointer up to " +
           std::to_string(result.maxStackPointer) + "\n";
  });
}

}  // namespace
}  // namespace ladder51
