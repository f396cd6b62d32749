// Wall time from a .pmw program to fx1n.hex (translation, fx1n.c, SDCC build) for a small
// program and for the largest one the translator walks, and simulated seconds per second of
// wall time for a generated firmware, with and without values read from its RAM.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "bench/programs.h"
#include "core/sequence.h"
#include "core/sim/live_session.h"
#include "core/sim/ram_symbols.h"
#include "core/sim/scan_time.h"
#include "core/sim/simulator.h"
#include "core/toolchain/sdcc_pipeline.h"
#include "core/translator/instruction_list.h"
#include "core/translator/translator.h"

namespace {

using namespace ladder51;
using bench::edgeProgram;
using bench::exampleProgram;

// A work folder whose settings put X0..X7 on port 3 and Y0..Y7 on port 1, for `chip` (the
// settings' default without one).
std::filesystem::path boardFolder(const std::string& name, const std::string& chip = "") {
  const std::filesystem::path work = std::filesystem::temp_directory_path() / name;
  std::filesystem::remove_all(work);
  std::filesystem::create_directories(work);
  Workspace workspace(work);
  (void)workspace.startUp();
  SettingsText settings;
  for (int k = 0; k < 8; ++k) {
    settings.pins[static_cast<std::size_t>(24 + k)] = "X" + std::to_string(k);
    settings.pins[static_cast<std::size_t>(8 + k)] = "Y" + std::to_string(k);
  }
  if (!chip.empty()) settings.chip = chip;
  (void)workspace.save(settings);
  return work;
}

constexpr char kSmallProgram[] =
    "LD X0\nOR Y0\nANI X1\nOUT Y0\nLD Y0\nOUT T0 K10\nLD T0\nOUT Y1\n"
    "LD X2\nOUT C0 K3\nLD C0\nOUT Y2\nLD X3\nRST C0\nLD X4\nMOV K7 D3\nEND\n";

// Rungs of random instructions filling 2322 words (bytes 348 to 5000, the program size the
// translator read before it read the FX1N's 8000 steps; its code, about 24 KB, fits the largest
// chips), the same on every run.
std::string largestProgram() {
  std::mt19937 random(51);
  auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  auto contact = [&pick]() {
    switch (pick(3)) {
      case 0:
        return "X" + std::to_string(pick(8));
      case 1:
        return "M" + std::to_string(pick(80));
      default:
        return "Y" + std::to_string(pick(8));
    }
  };
  std::string il;
  std::size_t words = 0;
  const std::size_t limit = (5000 - kHeaderBytes) / 2 - 8;  // room for the last rung
  while (words < limit) {
    std::string rung = (pick(2) ? "LD " : "LDI ") + contact() + "\n";
    for (int k = pick(4); k > 0; --k) {
      static const char* kJoin[] = {"AND ", "ANI ", "OR ", "ORI "};
      rung += kJoin[pick(4)] + contact() + "\n";
    }
    switch (pick(6)) {
      case 0:
        rung += "OUT Y" + std::to_string(pick(8)) + "\n";
        break;
      case 1:
        rung += "OUT T" + std::to_string(pick(16)) + " K" + std::to_string(1 + pick(100)) + "\n";
        break;
      case 2:
        rung += "OUT C" + std::to_string(pick(11)) + " K" + std::to_string(1 + pick(20)) + "\n";
        break;
      case 3:
        rung += "ADD D" + std::to_string(pick(16)) + " K" + std::to_string(pick(9)) + " D" +
                std::to_string(pick(16)) + "\n";
        break;
      default:
        rung += std::string(pick(2) ? "SET" : "OUT") + " M" + std::to_string(pick(80)) + "\n";
        break;
    }
    Result<std::vector<std::uint16_t>> steps = assembleSteps(il + rung);
    if (!steps || steps->size() > limit) break;
    words = steps->size();
    il += rung;
  }
  return il + "END\n";
}

void pmwToHex(benchmark::State& state, const std::string& il, const std::string& folder) {
  const std::filesystem::path work = boardFolder(folder);
  Result<std::vector<std::uint8_t>> program = assembleInstructionList(il);
  if (!program) {
    state.SkipWithError(program.error().describe().c_str());
    return;
  }
  const Result<ProgramImage> image = ProgramImage::fromBytes(*program);
  FirmwareBuildOptions options;
  options.toolchain = ToolchainChoice::Sdcc;
  options.flashBytes = 64 * 1024;  // the random program is larger than an 8 KB part
  long codeBytes = 0;
  for (auto _ : state) {
    Workspace workspace(work);
    (void)workspace.startUp();
    Result<FirmwareBuild> built = translateAndBuild(workspace, *image, options, Observer::none());
    if (!built) {
      state.SkipWithError(built.error().describe().c_str());
      return;
    }
    codeBytes = built->report.memory ? built->report.memory->codeBytes : 0;
  }
  state.counters["steps"] = static_cast<double>((program->size() - kHeaderBytes) / 2);
  state.counters["code_bytes"] = static_cast<double>(codeBytes);
}

void BM_PmwToHexSmallProgram(benchmark::State& state) {
  pmwToHex(state, kSmallProgram, "ladder51-bench-small");
}
BENCHMARK(BM_PmwToHexSmallProgram)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_PmwToHexLargestProgram(benchmark::State& state) {
  pmwToHex(state, largestProgram(), "ladder51-bench-largest");
}
BENCHMARK(BM_PmwToHexLargestProgram)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The scan time of `il` on the simulated STC89C516RD+ at 12 MHz, as `build` reports it: the
// shortest (scan_us) and longest of 20 scans with every input off, measured between two starts of
// the scan. Arg 1 builds the SDCC unit as ladder51 does (runtime calls with constant arguments
// in place, bits of variable device numbers from a table), Arg 0 from fx1n.c as it stands.
void scanTime(benchmark::State& state, const std::string& il, const std::string& folder) {
  const std::filesystem::path work = boardFolder(folder, "stc89c516");
  Result<std::vector<std::uint8_t>> program = assembleInstructionList(il);
  if (!program) return state.SkipWithError(program.error().describe().c_str());
  Workspace workspace(work);
  (void)workspace.startUp();
  Result<AssembledFile> file = workspace.translateAndAssemble(*ProgramImage::fromBytes(*program));
  if (!file) return state.SkipWithError(file.error().describe().c_str());
  SdccOptions options;
  options.callsInPlace = state.range(0) != 0;
  const SdccToolchain sdcc(options);
  Result<BuildReport> built = Error{};
  for (auto _ : state) built = sdcc.build(buildJobFor(workspace, *file), {});
  if (!built) return state.SkipWithError(built.error().describe().c_str());
  Result<ScanTime> scan =
      measureScanTime(built->hexFile, sdcc.buildDirectory(work) / "fx1n.map", 12.0);
  if (!scan) return state.SkipWithError(scan.error().describe().c_str());
  state.counters["scan_us"] = scan->minMicros;
  state.counters["scan_max_us"] = scan->maxMicros;
  state.counters["code_bytes"] = built->memory ? static_cast<double>(built->memory->codeBytes) : 0;
}

// A scan benchmark's runs: once from fx1n.c as it stands (0), once as ladder51 builds it (1).
void bothUnits(benchmark::internal::Benchmark* b) {
  b->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
}

void BM_ScanTimeLargestProgram(benchmark::State& state) {
  scanTime(state, largestProgram(), "ladder51-bench-scan");
}
BENCHMARK(BM_ScanTimeLargestProgram)->Apply(bothUnits);

// edgeProgram()'s code is about 8 KB: the program a full AT89S52 holds.
void BM_ScanTimeEdgeProgram(benchmark::State& state) {
  scanTime(state, edgeProgram(), "ladder51-bench-edges");
}
BENCHMARK(BM_ScanTimeEdgeProgram)->Apply(bothUnits);

void BM_ScanTimeExample(benchmark::State& state, const std::string& example) {
  scanTime(state, exampleProgram(example), "ladder51-bench-example-scan");
}
#define EXAMPLE_SCAN(name) \
  BENCHMARK_CAPTURE(BM_ScanTimeExample, name, #name ".il")->Apply(bothUnits)
EXAMPLE_SCAN(motor);
EXAMPLE_SCAN(timer_counter);
EXAMPLE_SCAN(pulses);
EXAMPLE_SCAN(data_registers);
EXAMPLE_SCAN(step_ladder);

// Arg: 0 runs without reading RAM; otherwise the microseconds between reads of four values.
void BM_SimulateGeneratedFirmware(benchmark::State& state) {
  const std::filesystem::path work = boardFolder("ladder51-bench-sim");
  Result<std::vector<std::uint8_t>> program = assembleInstructionList(kSmallProgram);
  Workspace workspace(work);
  (void)workspace.startUp();
  FirmwareBuildOptions options;
  options.toolchain = ToolchainChoice::Sdcc;
  Result<FirmwareBuild> built =
      translateAndBuild(workspace, *ProgramImage::fromBytes(*program), options, Observer::none());
  if (!built) {
    state.SkipWithError(built.error().describe().c_str());
    return;
  }
  SimulationOptions sim;
  sim.untilMicros = 2'000'000;
  if (state.range(0) > 0) {
    sim.sliceMicros = static_cast<std::uint64_t>(state.range(0));
    Result<std::vector<RamWatch>> watches = loadWatches(work, "T0,C0,D3");
    if (!watches) return state.SkipWithError(watches.error().describe().c_str());
    sim.watches = *watches;
  }
  const Stimulus stimulus =
      *parseStimulus("200ms X0 on\n300ms X0 off\n500ms X2 on\n550ms X2 off\n1500ms X1 on\n");
  double simulated = 0;
  for (auto _ : state) {
    Result<SimulationResult> result =
        simulate(built->report.hexFile, simPinsOf(workspace.settings()), stimulus, sim);
    if (!result) {
      state.SkipWithError(result.error().describe().c_str());
      return;
    }
    simulated += static_cast<double>(result->simulatedMicros) / 1e6;
  }
  state.counters["sim_s_per_s"] = benchmark::Counter(simulated, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SimulateGeneratedFirmware)
    ->Arg(0)
    ->Arg(10000)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();

// How far ahead of real time the live session runs a firmware: 3 s of simulated time in slices
// of 500 ms, X0 switched and every device the program names read with each, as fast as it goes. (An
// idle s51 looks for commands every 100 ms, so each slice also waits up to that long.) `example` is
// an example's file name, or "" for the largest program.
void BM_LiveSessionAhead(benchmark::State& state, const std::string& example) {
  const std::string il = example.empty() ? largestProgram() : exampleProgram(example);
  const std::filesystem::path work = boardFolder("ladder51-bench-live", "stc89c516");
  Result<std::vector<std::uint8_t>> program = assembleInstructionList(il);
  if (!program) return state.SkipWithError(program.error().describe().c_str());
  Workspace workspace(work);
  (void)workspace.startUp();
  FirmwareBuildOptions options;
  options.toolchain = ToolchainChoice::Sdcc;
  Result<FirmwareBuild> built =
      translateAndBuild(workspace, *ProgramImage::fromBytes(*program), options, Observer::none());
  if (!built) return state.SkipWithError(built.error().describe().c_str());
  // The values a virtual board shows: every device the program names.
  std::string devices;
  for (const std::string& device :
       devicesUsed(translate(*ProgramImage::fromBytes(*program), TranslateOptions{}).devices))
    devices += device + " ";
  Result<std::vector<RamWatch>> watches = loadWatches(work, devices);
  if (!watches) return state.SkipWithError(watches.error().describe().c_str());
  double simulated = 0;
  for (auto _ : state) {
    Result<std::unique_ptr<LiveSession>> live = LiveSession::start(
        built->report.hexFile, simPinsOf(workspace.settings()), LiveOptions{12.0});
    if (!live) return state.SkipWithError(live.error().describe().c_str());
    for (int k = 0; k < 6; ++k) {
      (void)(*live)->setInput("X0", k % 2 == 0);
      // As the board's 最快 runs it: each slice begun, then collected, without making up a
      // guess of its instructions that fell short.
      if (!(*live)->begin(500'000, *watches)) return state.SkipWithError("cannot begin a slice");
      Result<std::optional<LiveSlice>> slice = (*live)->finish(std::chrono::seconds(60));
      if (!slice || !*slice) return state.SkipWithError("the live session failed");
    }
    simulated += static_cast<double>((*live)->simulatedMicros()) / 1e6;
  }
  state.counters["sim_s_per_s"] = benchmark::Counter(simulated, benchmark::Counter::kIsRate);
  state.counters["watches"] = static_cast<double>(watches->size());
  state.counters["code_bytes"] =
      built->report.memory ? static_cast<double>(built->report.memory->codeBytes) : 0;
}
#define LIVE_SESSION_AHEAD(name, example)               \
  BENCHMARK_CAPTURE(BM_LiveSessionAhead, name, example) \
      ->Unit(benchmark::kMillisecond)                   \
      ->Iterations(1)                                   \
      ->UseRealTime()
LIVE_SESSION_AHEAD(motor, "motor.il");
LIVE_SESSION_AHEAD(timer_counter, "timer_counter.il");
LIVE_SESSION_AHEAD(step_ladder, "step_ladder.il");
LIVE_SESSION_AHEAD(data_registers, "data_registers.il");
LIVE_SESSION_AHEAD(pulses, "pulses.il");
LIVE_SESSION_AHEAD(largest, "");

}  // namespace
