// The firmware of each example program for each chip, taken from its instruction list through
// .pmw, fx1n.c and the SDCC build by the core's own sequence: the time of .pmw to fx1n.hex, and
// the internal RAM used, the bytes left for the stack, the code size and the XRAM used from
// SDCC's memory report. A program that does not fit a chip reports why.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "core/program_files.h"
#include "core/sequence.h"

namespace {

const std::filesystem::path kExamples = std::filesystem::path(LADDER51_SOURCE_DIR) / "examples";

// A board with inputs X0..X5 on P3.2..P3.7 and outputs Y0..Y7 on P1.0..P1.7.
ladder51::SettingsText exampleBoard() {
  ladder51::SettingsText settings;
  for (int k = 0; k < 6; ++k) {
    settings.pins[*ladder51::findPin("P3." + std::to_string(k + 2))] = "X" + std::to_string(k);
  }
  for (int k = 0; k < 8; ++k) {
    settings.pins[*ladder51::findPin("P1." + std::to_string(k))] = "Y" + std::to_string(k);
  }
  return settings;
}

void BM_ExampleFirmware(benchmark::State& state, const std::string& example,
                        const std::string& chip) {
  const std::filesystem::path work =
      std::filesystem::temp_directory_path() / "ladder51-firmware-bench" / (example + "-" + chip);
  std::filesystem::create_directories(work);
  const std::filesystem::path pmw = work / (example + ".pmw");
  if (auto assembled = ladder51::assembleFile(kExamples / (example + ".il"), pmw); !assembled) {
    return state.SkipWithError(assembled.error().describe().c_str());
  }

  ladder51::Workspace workspace(work);
  (void)workspace.startUp();
  ladder51::SettingsText board = exampleBoard();
  board.chip = chip;
  if (auto saved = workspace.save(board); !saved) {
    return state.SkipWithError(saved.error().describe().c_str());
  }
  ladder51::FirmwareBuildOptions options;
  options.toolchain = ladder51::ToolchainChoice::Sdcc;
  ladder51::MemoryUsage memory;
  for (auto _ : state) {
    auto done = ladder51::runSequence({.workDirectory = work,
                                       .program = pmw,
                                       .end = ladder51::SequenceEnd::Built,
                                       .assemble = {},
                                       .build = options},
                                      ladder51::Observer::none());
    if (!done) return state.SkipWithError(done.error().describe().c_str());
    if (!done->build->report.memory) return state.SkipWithError("SDCC gave no memory report");
    memory = *done->build->report.memory;
  }
  state.SetLabel("RAM " + std::to_string(memory.internalRamUsed) + " B, stack " +
                 std::to_string(memory.stackBytes) + " B, code " +
                 std::to_string(memory.codeBytes) + " B, XRAM " + std::to_string(memory.xramBytes) +
                 " B");
  state.counters["ram_bytes"] = memory.internalRamUsed;
  state.counters["stack_bytes"] = memory.stackBytes;
  state.counters["code_bytes"] = static_cast<double>(memory.codeBytes);
  state.counters["xram_bytes"] = static_cast<double>(memory.xramBytes);
}

// Each example on the AT89S52, the STC89C52RC (256 B of XRAM) and the STC89C54RD+ (1 KB).
#define EXAMPLE_ON_CHIPS(example)                                                 \
  BENCHMARK_CAPTURE(BM_ExampleFirmware, example##_at89s52, #example, "at89s52")   \
      ->Unit(benchmark::kMillisecond)                                             \
      ->Iterations(1)                                                             \
      ->UseRealTime();                                                            \
  BENCHMARK_CAPTURE(BM_ExampleFirmware, example##_stc89c52, #example, "stc89c52") \
      ->Unit(benchmark::kMillisecond)                                             \
      ->Iterations(1)                                                             \
      ->UseRealTime();                                                            \
  BENCHMARK_CAPTURE(BM_ExampleFirmware, example##_stc89c54, #example, "stc89c54") \
      ->Unit(benchmark::kMillisecond)                                             \
      ->Iterations(1)                                                             \
      ->UseRealTime()

EXAMPLE_ON_CHIPS(motor);
EXAMPLE_ON_CHIPS(timer_counter);
EXAMPLE_ON_CHIPS(pulses);
EXAMPLE_ON_CHIPS(data_registers);
EXAMPLE_ON_CHIPS(step_ladder);

}  // namespace
