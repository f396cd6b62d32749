// A live session on a generated firmware in s51 (skipped when SDCC or s51 is missing): inputs
// switched between slices, outputs seen in the slice that switches them, RAM read, power-on
// again, and the record replayed by the batch simulator.
#include "core/sim/live_session.h"

#include <gtest/gtest.h>

#include "core/sequence.h"
#include "core/sim/ram_symbols.h"
#include "core/sim/timeline.h"
#include "tests/support/fixtures.h"

namespace ladder51 {
namespace {

// The motor, a 0.5 s timer behind it, and a register moved while X2 is on.
constexpr char kProgram[] =
    "LD X0\nOR Y0\nANI X1\nOUT Y0\nLD Y0\nOUT T0 K5\nLD T0\nOUT Y1\n"
    "LD X2\nMOV K1234 D3\nEND\n";

TEST(LiveSession, SwitchesInputsReadsRamAndPowersOnAgain) {
  if (!test::haveProgram("sdcc") || !test::haveProgram("s51")) GTEST_SKIP() << "no SDCC or s51";
  test::ScratchDir work("live");
  SettingsText board = test::motorBoard();
  test::assign(board, "P3.4", "X2");
  test::assign(board, "P1.1", "Y1");
  Result<SequenceResult> built = test::buildWithSdcc(work.path(), board, kProgram);
  ASSERT_TRUE(built) << built.error().describe();
  const SimPinMap pins = simPinsOf(built->settings);
  Result<std::vector<RamWatch>> watches = loadWatches(work.path(), "D3,T0");
  ASSERT_TRUE(watches) << watches.error().describe();

  Result<std::unique_ptr<LiveSession>> started =
      LiveSession::start(built->build->report.hexFile, pins, LiveOptions{});
  ASSERT_TRUE(started) << started.error().describe();
  LiveSession& live = **started;

  // Past the start-up, which samples the inputs a thousand times to fill their filters.
  Result<LiveSlice> first = live.run(150'000);
  ASSERT_TRUE(first) << first.error().describe();
  EXPECT_TRUE(first->outputs.empty()) << formatTimeline(first->outputs);
  EXPECT_GE(first->endMicros, 150'000u);
  EXPECT_LT(first->endMicros, 150'100u);

  // X0 pressed: Y0 comes on within the next slice and seals in after X0 is let go.
  ASSERT_TRUE(live.setInput("X0", true));
  EXPECT_TRUE(live.isOn("X0"));
  Result<LiveSlice> pressed = live.run(10'000);
  ASSERT_TRUE(pressed) << pressed.error().describe();
  ASSERT_EQ(pressed->outputs.size(), 1u) << formatTimeline(pressed->outputs);
  EXPECT_EQ(pressed->outputs[0], (PointChange{"Y0", true, pressed->outputs[0].timeMicros}));
  EXPECT_GT(pressed->outputs[0].timeMicros, pressed->startMicros);
  EXPECT_LE(pressed->outputs[0].timeMicros, pressed->endMicros);
  EXPECT_FALSE(pressed->ports.empty());
  ASSERT_TRUE(live.setInput("X0", false));
  ASSERT_TRUE(live.setInput("X2", true));
  Result<LiveSlice> timed = live.run(600'000);
  ASSERT_TRUE(timed) << timed.error().describe();
  EXPECT_TRUE(live.isOn("Y0"));
  // T0 K5 closes five 100 ms units after Y0 came on, the first of them partly gone, as on the
  // PLC.
  ASSERT_EQ(timed->outputs.size(), 1u) << formatTimeline(timed->outputs);
  EXPECT_EQ(timed->outputs[0].point, "Y1");
  const std::uint64_t t0 = timed->outputs[0].timeMicros - pressed->outputs[0].timeMicros;
  EXPECT_GT(t0, 400'000u);
  EXPECT_LT(t0, 501'000u);
  Result<std::vector<long>> values = live.read(*watches);
  ASSERT_TRUE(values) << values.error().describe();
  EXPECT_EQ((*values)[0], 1234);  // D3
  EXPECT_EQ((*values)[1], 1);     // T0's contact
  EXPECT_EQ(live.record().inputs.size(), 3u);

  // The record, replayed as a stimulus from power-on, switches the outputs at the same times.
  Result<Stimulus> replay = parseStimulus(formatStimulus(live.record().inputs));
  ASSERT_TRUE(replay) << replay.error().describe();
  SimulationOptions options;
  options.untilMicros = live.simulatedMicros();
  Result<SimulationResult> batch = simulate(built->build->report.hexFile, pins, *replay, options);
  ASSERT_TRUE(batch) << batch.error().describe();
  EXPECT_EQ(formatTimeline(*batch), formatTimeline(live.record()));

  EXPECT_FALSE(live.setInput("X7", true));  // no pin carries it

  ASSERT_TRUE(live.reset());
  EXPECT_EQ(live.simulatedMicros(), 2u);  // the first instruction, a long jump, runs at the load
  EXPECT_TRUE(live.record().inputs.empty());
  EXPECT_FALSE(live.isOn("X2"));
  Result<LiveSlice> again = live.run(20'000);
  ASSERT_TRUE(again) << again.error().describe();
  EXPECT_FALSE(live.isOn("Y0"));
  Result<std::vector<long>> cleared = live.read(*watches);
  ASSERT_TRUE(cleared);
  EXPECT_EQ((*cleared)[0], 0);
}

TEST(LiveSession, RefusesAMissingHexFile) {
  test::ScratchDir dir("live");
  Result<std::unique_ptr<LiveSession>> missing =
      LiveSession::start(dir / "missing.hex", {}, LiveOptions{});
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().kind, ErrorKind::CannotOpen);
}

}  // namespace
}  // namespace ladder51
