// Programs taken all the way: written in IL text, translated through the Workspace with a
// settings set saved in a scratch folder, built with SDCC and run on the simulated chip from a
// stimulus, with the output pins checked against what the ladder means. Each test builds one
// program that exercises several behaviours, so that CI pays for few builds and short runs.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/sequence.h"
#include "core/sim/ram_symbols.h"
#include "core/sim/simulator.h"
#include "core/translator/instruction_list.h"
#include "core/workspace.h"
#include "tests/support/fixtures.h"
#include "tests/support/generated_text.h"

namespace ladder51 {
namespace {

// A program built in a scratch work folder.
struct Built {
  test::ScratchDir dir{"firmware"};
  std::filesystem::path hex;
  SimPinMap pins;
  std::string runtime;  // the runtime section of the generated file
  std::vector<std::string> warnings;
  RamSymbols symbols;
};

// Saves `settings`, translates `il` and builds it with SDCC. Fails the test on any refusal.
void build(Built& built, const SettingsText& settings, const std::string& il) {
  Workspace workspace(built.dir.path());
  ASSERT_TRUE(workspace.startUp().ok());
  const Status saved = workspace.save(settings);
  ASSERT_TRUE(saved.ok()) << saved.error().describe();
  Result<std::vector<std::uint8_t>> program = assembleInstructionList(il);
  ASSERT_TRUE(program.ok()) << program.error().describe();
  FirmwareBuildOptions options;
  options.toolchain = ToolchainChoice::Sdcc;
  Result<FirmwareBuild> firmware =
      translateAndBuild(workspace, *ProgramImage::fromBytes(*program), options, Observer::none());
  ASSERT_TRUE(firmware.ok()) << firmware.error().describe();
  ASSERT_EQ(firmware->toolchain, "sdcc");
  built.hex = firmware->report.hexFile;
  built.pins = simPinsOf(workspace.settings());
  built.runtime = workspace.runtime();
  built.warnings = firmware->report.warnings;
  built.symbols = parseSdccMap(test::readFile(sdccMapFile(built.dir.path())));
}

Result<SimulationResult> run(const Built& built, const std::string& stimulus,
                             std::uint64_t untilMicros, std::vector<RamWatch> watches = {}) {
  SimulationOptions options;
  options.untilMicros = untilMicros;
  options.sliceMicros = 10000;
  options.watches = std::move(watches);
  Result<Stimulus> parsed = parseStimulus(stimulus);
  if (!parsed) return parsed.error();
  return simulate(built.hex, built.pins, *parsed, options);
}

// An output's expected level at a time.
struct Level {
  int atMs;
  const char* point;
  bool on;
};

void expectLevels(const SimulationResult& result, const std::vector<Level>& levels) {
  for (const Level& level : levels) {
    EXPECT_EQ(result.isOn(level.point, static_cast<std::uint64_t>(level.atMs) * 1000), level.on)
        << level.point << " at " << level.atMs << " ms\n"
        << formatTimeline(result);
  }
}

// The times (us) at which `point` switched, in order.
std::vector<std::uint64_t> switchTimes(const SimulationResult& result, const std::string& point) {
  std::vector<std::uint64_t> times;
  for (const PointChange& change : result.outputs) {
    if (change.point == point) times.push_back(change.timeMicros);
  }
  return times;
}

// The first time `point` came on, or -1.
long long firstOn(const SimulationResult& result, const std::string& point) {
  for (const PointChange& change : result.outputs) {
    if (change.point == point && change.on) return static_cast<long long>(change.timeMicros);
  }
  return -1;
}

// Assigns X0.. to `inputPins` and Y0.. to `outputPins` in order.
SettingsText board(const std::vector<const char*>& inputPins,
                   const std::vector<const char*>& outputPins) {
  SettingsText settings;
  auto assign = [&settings](const std::vector<const char*>& labels, char kind) {
    for (std::size_t k = 0; k < labels.size(); ++k) {
      const std::string point = std::string(1, kind) + std::to_string(k / 8 * 10 + k % 8);
      settings.pins[static_cast<std::size_t>(*findPin(labels[k]))] = point;
    }
  };
  assign(inputPins, 'X');
  assign(outputPins, 'Y');
  return settings;
}

// The length of the runtime's time base in microseconds, read from the generated timer
// interrupt: timer 0 is reloaded with TH0:TL0 and overflows after 65536 - reload machine
// cycles; the interrupt counts `tmr` up to the threshold, and the timers advance once per
// threshold interrupts.
double baseUnitMicros(const std::string& runtime, double crystalMHz) {
  unsigned low = 0, high = 0, threshold = 0;
  const std::size_t tl0 = runtime.find("TL0=");
  const std::size_t th0 = runtime.find("TH0=");
  const std::size_t tmr = runtime.find("if(tmr<");
  if (tl0 == std::string::npos || th0 == std::string::npos || tmr == std::string::npos) return 0;
  std::sscanf(runtime.c_str() + tl0, "TL0=%u", &low);
  std::sscanf(runtime.c_str() + th0, "TH0=%x", &high);
  std::sscanf(runtime.c_str() + tmr, "if(tmr<%u", &threshold);
  const double cyclesPerInterrupt = 65536.0 - (high * 256.0 + low);
  const double microsPerCycle = 12.0 / crystalMHz;
  return threshold * cyclesPerInterrupt * microsPerCycle;
}

bool toolsMissing() {
  return !test::haveProgram("sdcc") || !test::haveProgram("s51");
}

// Contacts, blocks, stacks, set and reset, edges, master control and ZRST.
TEST(Firmware, RelayLogicRunsOnTheSimulatedChip) {
  if (toolsMissing()) GTEST_SKIP() << "SDCC or s51 is not installed";
  Built built;
  build(built,
        board({"P2.0", "P2.1", "P2.2", "P2.3", "P2.4", "P2.5", "P2.6", "P2.7", "P3.0", "P3.1",
               "P3.2", "P3.3", "P3.4", "P3.5"},
              {"P0.0", "P0.1", "P0.2", "P0.3", "P0.4", "P0.5", "P0.6", "P0.7", "P1.0", "P1.1",
               "P1.2", "P1.3", "P1.4", "P1.5", "P1.6"}),
        "LD X0\nOR Y0\nANI X1\nOUT Y0\n"               // start/stop with seal-in
        "LD X2\nAND X3\nLD X4\nAND X5\nORB\nOUT Y1\n"  // (X2.X3)+(X4.X5)
        "LD X2\nOR X3\nLD X4\nOR X5\nANB\nOUT Y2\n"    // (X2+X3).(X4+X5)
        "LD X6\nMPS\nAND X2\nOUT Y3\nMRD\nAND X3\nOUT Y4\nMPP\nAND X4\nOUT Y5\n"
        "LD X7\nSET Y6\nLD X10\nRST Y6\n"                // set and reset
        "LD X11\nPLS M20\nLD M20\nALT Y7\n"              // one toggle per rising edge
        "LD X11\nPLF M21\nLD M21\nALT Y10\n"             // one toggle per falling edge
        "LDP X12\nALT Y11\n"                             // rising edge of an input
        "LD X13\nMC N0 M100\nLD X14\nOUT Y12\nMCR N0\n"  // master control
        "LD M8002\nSET M0\nSET M1\nSET M2\nSET M3\nSET M4\nSET M5\n"
        "LD X15\nZRST M3 M5\n"
        "LD M0\nOUT Y13\nLD M2\nOUT Y14\nLD M3\nOUT Y15\nLD M5\nOUT Y16\n"
        "END\n");
  if (::testing::Test::HasFatalFailure()) return;
  EXPECT_TRUE(built.warnings.empty()) << built.warnings.front();

  Result<SimulationResult> result =
      run(built,
          "400ms X0 on\n440ms X0 off\n500ms X1 on\n540ms X1 off\n"
          "600ms X2 on\n640ms X3 on\n680ms X4 on\n"
          "720ms X2 off X3 off\n760ms X5 on\n800ms X4 off X5 off\n"
          "840ms X6 on\n860ms X2 on\n880ms X3 on\n900ms X4 on\n"
          "920ms X6 off\n940ms X2 off X3 off X4 off\n"
          "960ms X7 on\n980ms X7 off\n1020ms X10 on\n1040ms X10 off\n"
          "1060ms X11 on\n1100ms X11 off\n1140ms X11 on\n1180ms X11 off\n"
          "1220ms X12 on\n1260ms X12 off\n1300ms X12 on\n1340ms X12 off\n"
          "1360ms X14 on\n1400ms X13 on\n1440ms X14 off\n1480ms X13 off\n"
          "1500ms X15 on\n",
          1540000);
  ASSERT_TRUE(result.ok()) << result.error().describe();
  expectLevels(*result, {
                            // seal-in: started, held after X0 drops, stopped by X1
                            {380, "Y0", false},
                            {430, "Y0", true},
                            {490, "Y0", true},
                            {530, "Y0", false},
                            {580, "Y0", false},
                            // ORB and ANB
                            {630, "Y1", false},
                            {630, "Y2", false},
                            {670, "Y1", true},
                            {670, "Y2", false},
                            {710, "Y1", true},
                            {710, "Y2", true},
                            {750, "Y1", false},
                            {750, "Y2", false},
                            {790, "Y1", true},
                            {790, "Y2", false},
                            {830, "Y1", false},
                            // MPS, MRD, MPP branches of X6
                            {850, "Y3", false},
                            {870, "Y3", true},
                            {870, "Y4", false},
                            {890, "Y4", true},
                            {890, "Y5", false},
                            {910, "Y5", true},
                            {930, "Y3", false},
                            {930, "Y4", false},
                            {930, "Y5", false},
                            // SET holds after its contact opens, RST clears
                            {950, "Y6", false},
                            {1000, "Y6", true},
                            {1010, "Y6", true},
                            {1030, "Y6", false},
                            // MC: the block runs only while X13 holds
                            {1380, "Y12", false},
                            {1420, "Y12", true},
                            {1460, "Y12", false},
                            // M8002 set M0..M5; ZRST M3 M5 leaves M0..M2
                            {1480, "Y13", true},
                            {1480, "Y14", true},
                            {1480, "Y15", true},
                            {1480, "Y16", true},
                            {1530, "Y13", true},
                            {1530, "Y14", true},
                            {1530, "Y15", false},
                            {1530, "Y16", false},
                        });
  // One-shots and ALT: every edge toggles exactly once (a pulse that stayed on would make the
  // output flicker every scan).
  const struct {
    const char* point;
    std::vector<int> edgesMs;
  } toggles[] = {{"Y7", {1060, 1140}}, {"Y10", {1100, 1180}}, {"Y11", {1220, 1300}}};
  for (const auto& toggle : toggles) {
    const std::vector<std::uint64_t> times = switchTimes(*result, toggle.point);
    ASSERT_EQ(times.size(), toggle.edgesMs.size()) << toggle.point << "\n"
                                                   << formatTimeline(*result);
    for (std::size_t k = 0; k < times.size(); ++k) {
      const auto edge = static_cast<std::uint64_t>(toggle.edgesMs[k]) * 1000;
      EXPECT_GE(times[k], edge) << toggle.point;
      EXPECT_LT(times[k], edge + 15000) << toggle.point;
    }
  }
}

// A counter, an on-delay timer, and the data instructions with comparison contacts; the values
// are read from the chip's RAM through the symbol map.
TEST(Firmware, CountersTimersAndDataRunOnTheSimulatedChip) {
  if (toolsMissing()) GTEST_SKIP() << "SDCC or s51 is not installed";
  Built built;
  build(built,
        board({"P3.0", "P3.1", "P3.2", "P3.3", "P3.4"}, {"P1.0", "P1.1", "P1.2", "P1.3", "P1.4"}),
        "LD X0\nOUT C0 K3\nLD C0\nOUT Y0\nLD X1\nRST C0\n"  // counter to 3, reset by X1
        "LD X2\nOUT T0 K10\nLD T0\nOUT Y1\n"                // on-delay of 10 base units
        "LD X3\nMOV K5 D0\nLDP X4\nADD D0 K3 D0\n"
        "LD= D0 K8\nOUT Y2\nLD> D0 K10\nOUT Y3\nLD= D0 K5\nOUT Y4\n"
        "END\n");
  if (::testing::Test::HasFatalFailure()) return;
  EXPECT_TRUE(built.warnings.empty()) << built.warnings.front();
  Result<std::vector<RamWatch>> watches = watchesFor("C0,D0", built.symbols);
  ASSERT_TRUE(watches.ok()) << watches.error().describe();

  Result<SimulationResult> result =
      run(built,
          "200ms X0 on\n220ms X0 off\n240ms X0 on\n260ms X0 off\n280ms X0 on\n300ms X0 off\n"
          "340ms X1 on\n360ms X1 off\n380ms X0 on\n400ms X0 off\n"
          "500ms X2 on\n1300ms X2 off\n"
          "1340ms X3 on\n1360ms X3 off\n1380ms X4 on\n1400ms X4 off\n1420ms X4 on\n1440ms X4 off\n",
          1500000, *watches);
  ASSERT_TRUE(result.ok()) << result.error().describe();
  expectLevels(*result, {
                            // the third rising edge reaches the set value; RST clears it
                            {270, "Y0", false},
                            {290, "Y0", true},
                            {330, "Y0", true},
                            {350, "Y0", false},
                            {410, "Y0", false},
                            {1310, "Y1", false},
                            // MOV K5 D0, then ADD 3 twice: 8, then 11 (> 10)
                            {1330, "Y4", false},
                            {1370, "Y4", true},
                            {1370, "Y2", false},
                            {1410, "Y2", true},
                            {1410, "Y4", false},
                            {1410, "Y3", false},
                            {1450, "Y3", true},
                            {1450, "Y2", false},
                        });
  // The on-delay: the first count comes at the next tick of the time base, so the output
  // follows its input by 9 to 10 base units (and the few cycles the interrupt takes).
  const double base = baseUnitMicros(built.runtime, 12.0);
  ASSERT_NEAR(base, 33864, 1) << "a base unit at 12 MHz";
  const long long delay = firstOn(*result, "Y1") - 500000;
  EXPECT_GE(delay, static_cast<long long>(9 * base)) << formatTimeline(*result);
  EXPECT_LE(delay, static_cast<long long>(10 * base * 1.03)) << formatTimeline(*result);

  // The values as the chip holds them at the end: C0 counted one edge after its reset.
  ASSERT_EQ(result->finalValues.size(), 3u);
  const std::vector<ValueChange>& end = result->finalValues;
  EXPECT_EQ(end[0].name, "C0");
  EXPECT_EQ(end[0].value, 0);
  EXPECT_EQ(end[1].name, "C0 value");
  EXPECT_EQ(end[1].value, 1);
  EXPECT_EQ(end[2].name, "D0");
  EXPECT_EQ(end[2].value, 11);
  // D0 went 0, 5, 8, 11 in the samples.
  std::vector<long> d0;
  for (const ValueChange& change : result->watched) {
    if (change.name == "D0") d0.push_back(change.value);
  }
  EXPECT_EQ(d0, (std::vector<long>{0, 5, 8, 11}));
}

// Writing a register of the EEPROM with no EEPROM on the bus must not stop the time base.
TEST(Firmware, TimersKeepRunningWhileEepromWritesFindNoDevice) {
  if (toolsMissing()) GTEST_SKIP() << "SDCC or s51 is not installed";
  SettingsText settings = board({"P3.2", "P3.3"}, {"P1.0"});
  settings.eeprom = EepromChoice::Upto24C16;
  settings.scl = "2.0";
  settings.sda = "2.1";
  Built built;
  build(built, settings, "LD X0\nMOV K5 D20\nLD X1\nOUT T0 K10\nLD T0\nOUT Y0\nEND\n");
  if (::testing::Test::HasFatalFailure()) return;

  Result<SimulationResult> result = run(built, "100ms X0 on\n150ms X1 on\n", 800000);
  ASSERT_TRUE(result.ok()) << result.error().describe();
  // Scans that write the EEPROM take longer than a base unit, and the runtime drops the excess
  // time of such a scan, so the delay may stretch; but the timer must run out.
  const double base = baseUnitMicros(built.runtime, 12.0);
  const long long delay = firstOn(*result, "Y0") - 150000;
  EXPECT_GE(delay, static_cast<long long>(9 * base)) << formatTimeline(*result);
  EXPECT_LE(delay, static_cast<long long>(10 * base * 1.6)) << formatTimeline(*result);
}

// The input filter: a glitch that a plain read would see is ignored once it is shorter than
// the filter's window of samples.
TEST(Firmware, InputFilterIgnoresAGlitchShorterThanItsWindow) {
  if (toolsMissing()) GTEST_SKIP() << "SDCC or s51 is not installed";
  const std::string stimulus = "150ms X0 on\n150.4ms X0 off\n200ms X0 on\n210ms X0 off\n";
  struct Case {
    const char* filter;
    bool glitchSeen;
  };
  for (const Case& c : {Case{"0", true}, Case{"7", false}}) {
    SettingsText settings = board({"P3.2"}, {"P1.0"});
    settings.filter = c.filter;
    Built built;
    build(built, settings, "LD X0\nOUT Y0\nEND\n");
    if (::testing::Test::HasFatalFailure()) return;
    Result<SimulationResult> result = run(built, stimulus, 230000);
    ASSERT_TRUE(result.ok()) << result.error().describe();
    const std::vector<std::uint64_t> times = switchTimes(*result, "Y0");
    // The 0.4 ms glitch spans several scans of this small program.
    EXPECT_EQ(!times.empty() && times.front() < 160000, c.glitchSeen)
        << "filter " << c.filter << "\n"
        << formatTimeline(*result);
    // A 10 ms press passes any filter.
    EXPECT_TRUE(result->isOn("Y0", 205000)) << "filter " << c.filter;
    EXPECT_FALSE(result->isOn("Y0", 225000)) << "filter " << c.filter;
  }
}

}  // namespace
}  // namespace ladder51
