#include "core/sim/simulator.h"

#include <gtest/gtest.h>

#include "core/sim/timeline.h"
#include "tests/support/fixtures.h"

namespace ladder51 {
namespace {

using test::ScratchDir;

// The firmware of tests/fixtures/follow_pin.c, built once for all simulator tests.
class SimulatorTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!test::haveProgram("sdcc") || !test::haveProgram("s51")) return;
    scratch_ = new ScratchDir("sim");
    Result<BuildReport> report = test::buildFollowPinFirmware(scratch_->path());
    if (report)
      hex_ = report->hexFile;
    else
      buildError_ = report.error().describe();
  }
  static void TearDownTestSuite() {
    delete scratch_;
    scratch_ = nullptr;
  }
  void SetUp() override {
    if (scratch_ == nullptr) GTEST_SKIP() << "SDCC or s51 is not installed";
    ASSERT_TRUE(buildError_.empty()) << buildError_;
  }
  static SimPinMap pins() {
    return *parsePinAssignments("X0=P3.2 X1=P3.3 Y0=P1.0 Y1=P1.1 Y2=P1.2 Y3=P1.3");
  }
  // The time of the only change of `point` to `on`, or -1.
  static long long changeTime(const SimulationResult& result, const std::string& point, bool on) {
    long long time = -1;
    for (const PointChange& c : result.outputs) {
      if (c.point == point && c.on == on) {
        if (time >= 0) return -2;  // switched that way more than once
        time = static_cast<long long>(c.timeMicros);
      }
    }
    return time;
  }

  static ScratchDir* scratch_;
  static std::filesystem::path hex_;
  static std::string buildError_;
};

ScratchDir* SimulatorTest::scratch_ = nullptr;
std::filesystem::path SimulatorTest::hex_;
std::string SimulatorTest::buildError_;

TEST_F(SimulatorTest, OutputsFollowTheirInputs) {
  Stimulus stimulus = *parseStimulus("50ms X0 on\n120ms X0 off\n200ms X1 on\n250ms X1 off\n");
  SimulationOptions options;
  options.untilMicros = 300000;
  Result<SimulationResult> result = simulate(hex_, pins(), stimulus, options);
  ASSERT_TRUE(result.ok()) << result.error().describe();

  struct Expect {
    const char* point;
    bool on;
    long long atMicros;
  };
  // Inputs are applied at the first slice boundary at or after their time; outputs are seen
  // at the end of the slice in which they switch. Two slices of slack either way.
  const Expect expected[] = {
      {"Y0", true, 50000}, {"Y0", false, 120000}, {"Y3", true, 200000}, {"Y3", false, 250000}};
  for (const Expect& e : expected) {
    long long at = changeTime(*result, e.point, e.on);
    EXPECT_GE(at, e.atMicros) << e.point << (e.on ? " on" : " off");
    EXPECT_LE(at, e.atMicros + 2 * static_cast<long long>(options.sliceMicros))
        << e.point << (e.on ? " on" : " off");
  }
  // Y2 comes on after 100 timer-0 interrupts. Each period is the 1411 machine cycles from the
  // reload value plus the few cycles the routine takes to reach its reload, so at 12 MHz just
  // over 141.1 ms (a few per cent at most).
  long long y2 = changeTime(*result, "Y2", true);
  EXPECT_GE(y2, 141100);
  EXPECT_LE(y2, 141100 * 103 / 100);
  EXPECT_GE(result->simulatedMicros, 300000u);
  EXPECT_LT(result->simulatedMicros, 300000u + 2 * options.sliceMicros);
  EXPECT_TRUE(result->isOn("Y0", 100000));
  EXPECT_FALSE(result->isOn("Y0", 130000));
  EXPECT_GT(result->maxStackPointer, 0);

  const std::string timeline = formatTimeline(*result);
  EXPECT_NE(timeline.find("Y0 on at 5"), std::string::npos) << timeline;
  EXPECT_NE(timeline.find("Y0 off at 12"), std::string::npos) << timeline;
}

TEST_F(SimulatorTest, PowerOnFlagSelectsTheColdStart) {
  Stimulus none;
  SimulationOptions options;
  options.untilMicros = 20000;
  Result<SimulationResult> cold = simulate(hex_, pins(), none, options);
  ASSERT_TRUE(cold.ok()) << cold.error().describe();
  EXPECT_TRUE(cold->isOn("Y1", options.untilMicros));  // set only by the cold-start path

  options.powerOn = false;  // PCON.4 clear: the firmware takes the watchdog-restart path
  Result<SimulationResult> warm = simulate(hex_, pins(), none, options);
  ASSERT_TRUE(warm.ok()) << warm.error().describe();
  EXPECT_FALSE(warm->isOn("Y1", options.untilMicros));
}

TEST_F(SimulatorTest, WritesAWaveform) {
  Stimulus stimulus = *parseStimulus("5ms X0 on\n");
  SimulationOptions options;
  options.untilMicros = 10000;
  Result<SimulationResult> result = simulate(hex_, pins(), stimulus, options);
  ASSERT_TRUE(result.ok()) << result.error().describe();
  const std::string vcd = formatVcd(*result, pins());
  EXPECT_NE(vcd.find("$var wire 1 ! X0 $end"), std::string::npos) << vcd;
  EXPECT_NE(vcd.find("$var wire 1 # Y0 $end"), std::string::npos) << vcd;
  EXPECT_NE(vcd.find("#5000\n1!\n"), std::string::npos) << vcd;
  ASSERT_EQ(changeTime(*result, "Y0", true) >= 5000, true);
  EXPECT_NE(vcd.find("#" + std::to_string(changeTime(*result, "Y0", true)) + "\n"),
            std::string::npos);
}

TEST_F(SimulatorTest, RefusesInputsItCannotDrive) {
  Stimulus stimulus = *parseStimulus("5ms X2 on\n");
  Result<SimulationResult> unmapped = simulate(hex_, pins(), stimulus, {});
  ASSERT_FALSE(unmapped.ok());
  EXPECT_EQ(unmapped.error().message, "the stimulus switches X2, which no pin carries");

  SimPinMap port4 = *parsePinAssignments("X2=P4.0");
  Result<SimulationResult> onPort4 = simulate(hex_, port4, stimulus, {});
  ASSERT_FALSE(onPort4.ok());
  EXPECT_NE(onPort4.error().message.find("no port 4"), std::string::npos);

  EXPECT_FALSE(simulate(scratch_->path() / "missing.hex", pins(), {}, {}).ok());
}

TEST(SimulatorTimeline, WritesChangesInPlcTerms) {
  SimulationResult result;
  result.outputs = {{"Y0", true, 120000}, {"Y10", true, 33864}, {"Y0", false, 1499600}};
  EXPECT_EQ(formatTimeline(result), "Y0 on at 120 ms\nY10 on at 34 ms\nY0 off at 1500 ms\n");
}

}  // namespace
}  // namespace ladder51
