// Real runs of tests/fixtures/follow_pin.c in s51 (skipped when SDCC or s51 is missing).
#include "core/sim/simulator.h"

#include <gtest/gtest.h>

#include "core/sim/timeline.h"
#include "tests/support/fixtures.h"

namespace ladder51 {
namespace {

const SimPinMap pins = *parsePinAssignments("X0=P3.2 X1=P3.3 Y0=P1.0 Y1=P1.1 Y2=P1.2 Y3=P1.3");

TEST(Simulator, OutputsFollowTheirInputsAfterAColdStart) {
  if (!test::haveProgram("sdcc") || !test::haveProgram("s51"))
    GTEST_SKIP() << "SDCC or s51 is not installed";
  const test::ScratchDir dir("sim");
  Result<BuildReport> built = test::buildFollowPinFirmware(dir.path());
  ASSERT_TRUE(built.ok()) << built.error().describe();
  Stimulus stimulus = *parseStimulus("50ms X0 on\n120ms X0 off\n200ms X1 on\n250ms X1 off\n");
  SimulationOptions options;
  options.untilMicros = 300000;
  Result<SimulationResult> result = simulate(built->hexFile, pins, stimulus, options);
  ASSERT_TRUE(result.ok()) << result.error().describe();
  // The inputs switch at their exact times, and the scan loop follows within 2 ms. Y1 comes
  // on after the cold start. Y2 comes on after 100 timer-0 interrupts: each period is the 1411
  // machine cycles from the reload value plus the few cycles the routine takes to reach its
  // reload, so at 12 MHz just over 141.1 ms (a few per cent at most).
  const struct {
    PointChange change;
    std::uint64_t latest;
  } expected[] = {{{"Y1", true, 0}, 2000},         {{"Y0", true, 50000}, 52000},
                  {{"Y0", false, 120000}, 122000}, {{"Y2", true, 141100}, 141100 * 103 / 100},
                  {{"Y3", true, 200000}, 202000},  {{"Y3", false, 250000}, 252000}};
  ASSERT_EQ(result->outputs.size(), std::size(expected)) << formatTimeline(*result);
  for (std::size_t k = 0; k < std::size(expected); ++k) {
    const PointChange& got = result->outputs[k];
    const PointChange& want = expected[k].change;
    EXPECT_EQ(got.point + (got.on ? " on" : " off"), want.point + (want.on ? " on" : " off"));
    EXPECT_GE(got.timeMicros, want.timeMicros) << want.point;
    EXPECT_LE(got.timeMicros, expected[k].latest) << want.point;
  }
  EXPECT_GE(result->simulatedMicros, 300000u);
  EXPECT_LT(result->simulatedMicros, 302000u);
  EXPECT_TRUE(result->isOn("Y0", 100000));
  EXPECT_FALSE(result->isOn("Y0", 130000));
  EXPECT_TRUE(result->isOn("X1", 200000));
  EXPECT_GT(result->maxStackPointer, 0);

  options.powerOn = false;  // PCON.4 clear: the firmware takes the watchdog-restart path
  options.untilMicros = 20000;
  Result<SimulationResult> warm = simulate(built->hexFile, pins, {}, options);
  ASSERT_TRUE(warm.ok()) << warm.error().describe();
  EXPECT_FALSE(warm->isOn("Y1", options.untilMicros));  // set only by the cold start
}

TEST(Simulator, RefusesAMissingHexFileBeforeStarting) {
  test::ScratchDir dir("sim");
  Result<SimulationResult> missing = simulate(dir / "missing.hex", pins, {}, {});
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().kind, ErrorKind::CannotOpen);
}

}  // namespace
}  // namespace ladder51
