// Speed of the SDCC build and of the simulator: wall time of fx1n.c to fx1n.hex for a small
// firmware, and simulated time per second of wall time.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "core/sim/simulator.h"
#include "core/toolchain/sdcc_pipeline.h"

namespace {

// A work folder holding the hand-written firmware of the tests.
std::filesystem::path prepareWorkFolder() {
  const std::filesystem::path work = std::filesystem::temp_directory_path() / "ladder51-sim-bench";
  std::filesystem::create_directories(work);
  std::filesystem::copy_file(
      std::filesystem::path(LADDER51_SOURCE_DIR) / "tests/fixtures/follow_pin.c", work / "fx1n.c",
      std::filesystem::copy_options::overwrite_existing);
  return work;
}

ladder51::BuildJob jobFor(const std::filesystem::path& work) {
  ladder51::BuildJob job;
  job.workDirectory = work;
  job.sourceFile = work / "fx1n.c";
  return job;
}

void BM_SdccBuildSmallFirmware(benchmark::State& state) {
  const std::filesystem::path work = prepareWorkFolder();
  const ladder51::SdccToolchain toolchain;
  for (auto _ : state) {
    auto report = toolchain.build(jobFor(work), {});
    if (!report) state.SkipWithError(report.error().describe().c_str());
  }
}
BENCHMARK(BM_SdccBuildSmallFirmware)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SimulateOneSecond(benchmark::State& state) {
  const std::filesystem::path work = prepareWorkFolder();
  auto report = ladder51::SdccToolchain().build(jobFor(work), {});
  if (!report) {
    state.SkipWithError(report.error().describe().c_str());
    return;
  }
  auto pins = ladder51::parsePinAssignments("X0=P3.2 X1=P3.3 Y0=P1.0 Y1=P1.1 Y2=P1.2 Y3=P1.3");
  auto stimulus = ladder51::parseStimulus("100ms X0 on\n400ms X0 off\n600ms X1 on\n");
  ladder51::SimulationOptions options;
  options.untilMicros = 1'000'000;
  double simulated = 0;
  for (auto _ : state) {
    auto result = ladder51::simulate(report->hexFile, *pins, *stimulus, options);
    if (!result) {
      state.SkipWithError(result.error().describe().c_str());
      return;
    }
    simulated += static_cast<double>(result->simulatedMicros) / 1e6;
  }
  // Simulated seconds per second of wall time.
  state.counters["sim_s_per_s"] = benchmark::Counter(simulated, benchmark::Counter::kIsRate);
}
// The outputs are recorded by the simulator at their exact times, so no time slice applies here;
// see firmware_bench.cpp for runs that also read RAM at sample times.
BENCHMARK(BM_SimulateOneSecond)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace
