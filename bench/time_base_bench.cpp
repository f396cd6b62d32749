// The firmware's timing on the simulated chip, for each time base and crystal: OUT T0 K100 and
// OUT T200 K100 started by X10 at 500 ms, and M8013's half period, in a program of their own
// rungs alone, before the motor example's, or before the 8 KB program's. The counters are simulated
// milliseconds: how long after X10 each timer closed (the PLC's is 10000 and 1000 ms), and the
// time between M8013's first two changes (500 ms on the PLC). The input filter is off.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "bench/programs.h"
#include "core/program_files.h"
#include "core/sequence.h"
#include "core/sim/ram_symbols.h"
#include "core/sim/simulator.h"

namespace {

constexpr char kTimerRungs[] =
    "LD X10\nOUT T0 K100\nOUT T200 K100\nLD T0\nOUT Y10\nLD T200\nOUT Y11\nLD M8013\nOUT Y12\n";

// The timer rungs before those of `host` ("": none, "edges": the 8 KB program, or an example), so
// that their outputs change when the timers close, not a scan of the host's rungs later.
std::string programWith(const std::string& host) {
  const std::string il = host.empty()      ? "END\n"
                         : host == "edges" ? ladder51::bench::edgeProgram()
                                           : ladder51::bench::exampleProgram(host);
  return kTimerRungs + il;
}

constexpr std::uint64_t kStartMicros = 500'000;

// The time of the first change of `point` to `on` at or after `from`, or 0.
std::uint64_t firstChange(const ladder51::SimulationResult& result, const std::string& point,
                          bool on, std::uint64_t from) {
  for (const ladder51::PointChange& change : result.outputs) {
    if (change.point == point && change.on == on && change.timeMicros >= from) {
      return change.timeMicros;
    }
  }
  return 0;
}

void BM_TimerAccuracy(benchmark::State& state, const std::string& crystal,
                      const std::string& timeBase, const std::string& host) {
  const std::filesystem::path work = std::filesystem::temp_directory_path() /
                                     "ladder51-time-base-bench" /
                                     (timeBase + "-" + crystal + "-" + host);
  std::filesystem::create_directories(work);
  const std::filesystem::path il = work / "timers.il";
  { std::ofstream(il) << programWith(host); }
  if (auto assembled = ladder51::assembleFile(il, work / "timers.pmw"); !assembled) {
    return state.SkipWithError(assembled.error().describe().c_str());
  }
  ladder51::Workspace workspace(work);
  (void)workspace.startUp();
  ladder51::SettingsText board;
  board.pins[*ladder51::findPin("P3.2")] = "X10";
  board.pins[*ladder51::findPin("P1.0")] = "Y10";
  board.pins[*ladder51::findPin("P1.1")] = "Y11";
  board.pins[*ladder51::findPin("P1.2")] = "Y12";
  board.crystal = crystal;
  board.chip = "stc89c54";  // T0..T200 take 454 bytes of XRAM; 16 KB of code
  // The input taken at the next scan: the filter would add its samples, a scan each.
  board.filter = "0";
  board.timeBase = timeBase;
  if (auto saved = workspace.save(board); !saved) {
    return state.SkipWithError(saved.error().describe().c_str());
  }
  ladder51::FirmwareBuildOptions options;
  options.toolchain = ladder51::ToolchainChoice::Sdcc;
  for (auto _ : state) {
    auto done = ladder51::runSequence({.workDirectory = work,
                                       .program = work / "timers.pmw",
                                       .end = ladder51::SequenceEnd::Built,
                                       .assemble = {},
                                       .build = options},
                                      ladder51::Observer::none());
    if (!done) return state.SkipWithError(done.error().describe().c_str());
    ladder51::SimulationOptions simulation;
    simulation.crystalMHz = done->settings.crystalMHz;
    simulation.untilMicros = kStartMicros + 10'600'000;
    auto stimulus = ladder51::parseStimulus("500ms X10 on\n");
    auto result = ladder51::simulate(done->build->report.hexFile,
                                     ladder51::simPinsOf(done->settings), *stimulus, simulation);
    if (!result) return state.SkipWithError(result.error().describe().c_str());
    const std::uint64_t t0 = firstChange(*result, "Y10", true, kStartMicros);
    const std::uint64_t t200 = firstChange(*result, "Y11", true, kStartMicros);
    const std::uint64_t on = firstChange(*result, "Y12", true, 0);
    const std::uint64_t off = firstChange(*result, "Y12", false, on);
    state.counters["t0_k100_ms"] = t0 ? static_cast<double>(t0 - kStartMicros) / 1000 : -1;
    state.counters["t200_k100_ms"] = t200 ? static_cast<double>(t200 - kStartMicros) / 1000 : -1;
    state.counters["m8013_half_ms"] = on && off ? static_cast<double>(off - on) / 1000 : -1;
  }
}

void timing(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
}
BENCHMARK_CAPTURE(BM_TimerAccuracy, fx_12MHz, "12", "fx", "")->Apply(timing);
BENCHMARK_CAPTURE(BM_TimerAccuracy, fx_11_0592MHz, "11.0592", "fx", "")->Apply(timing);
BENCHMARK_CAPTURE(BM_TimerAccuracy, fx_12MHz_motor, "12", "fx", "motor.il")->Apply(timing);
BENCHMARK_CAPTURE(BM_TimerAccuracy, fx_11_0592MHz_motor, "11.0592", "fx", "motor.il")
    ->Apply(timing);
BENCHMARK_CAPTURE(BM_TimerAccuracy, fx_12MHz_8KB, "12", "fx", "edges")->Apply(timing);
BENCHMARK_CAPTURE(BM_TimerAccuracy, fx_11_0592MHz_8KB, "11.0592", "fx", "edges")->Apply(timing);
BENCHMARK_CAPTURE(BM_TimerAccuracy, classic_12MHz, "12", "classic", "")->Apply(timing);

}  // namespace
