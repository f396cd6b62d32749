// The firmware of each example program for each chip, taken from its instruction list through
// .pmw, fx1n.c and the SDCC build by the core's own sequence: the time of .pmw to fx1n.hex, and
// the internal RAM used, the bytes left for the stack, the code size and the XRAM used from
// SDCC's memory report. A program that does not fit a chip reports why.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <optional>
#include <string>

#include "core/file_io.h"
#include "core/program_files.h"
#include "core/sequence.h"
#include "core/workspace.h"

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

// The firmware of the instruction list `il` for `chip` with the example board, built in `work`
// by the core's sequence: SDCC's memory report, or nothing after reporting why to `state`.
std::optional<ladder51::MemoryUsage> buildOnChip(benchmark::State& state,
                                                 const std::filesystem::path& il,
                                                 const std::filesystem::path& work,
                                                 const std::string& chip) {
  std::filesystem::create_directories(work);
  const std::filesystem::path pmw = work / "program.pmw";
  if (auto assembled = ladder51::assembleFile(il, pmw); !assembled) {
    state.SkipWithError(assembled.error().describe().c_str());
    return std::nullopt;
  }
  ladder51::Workspace workspace(work);
  (void)workspace.startUp();
  ladder51::SettingsText board = exampleBoard();
  board.chip = chip;
  if (auto saved = workspace.save(board); !saved) {
    state.SkipWithError(saved.error().describe().c_str());
    return std::nullopt;
  }
  ladder51::FirmwareBuildOptions options;
  options.toolchain = ladder51::ToolchainChoice::Sdcc;
  auto done = ladder51::runSequence({.workDirectory = work,
                                     .program = pmw,
                                     .end = ladder51::SequenceEnd::Built,
                                     .assemble = {},
                                     .build = options},
                                    ladder51::Observer::none());
  if (!done || !done->build->report.memory) {
    state.SkipWithError(done ? "SDCC gave no memory report" : done.error().describe().c_str());
    return std::nullopt;
  }
  return *done->build->report.memory;
}

void BM_ExampleFirmware(benchmark::State& state, const std::string& example,
                        const std::string& chip) {
  const std::filesystem::path work =
      std::filesystem::temp_directory_path() / "ladder51-firmware-bench" / (example + "-" + chip);
  ladder51::MemoryUsage memory;
  for (auto _ : state) {
    const std::optional<ladder51::MemoryUsage> built =
        buildOnChip(state, kExamples / (example + ".il"), work, chip);
    if (!built) return;
    memory = *built;
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

// The code of `program` (instruction-list text) built for the STC89C54RD+ with the example
// board, or nothing after reporting why to `state`.
std::optional<long> codeBytes(benchmark::State& state, const std::string& name,
                              const std::string& program) {
  const std::filesystem::path work =
      std::filesystem::temp_directory_path() / "ladder51-family-bench" / name;
  std::filesystem::create_directories(work);
  const std::filesystem::path il = work / "program.il";
  if (auto written = ladder51::writeFileAtomically(il, program); !written) {
    state.SkipWithError(written.error().describe().c_str());
    return std::nullopt;
  }
  const std::optional<ladder51::MemoryUsage> built = buildOnChip(state, il, work, "stc89c54");
  if (!built) return std::nullopt;
  return static_cast<long>(built->codeBytes);
}

// The code an instruction family adds: its first use (with the helpers it brings) and each
// further use, from programs with none, one and eleven uses of `instruction` under LD X1.
void BM_FamilyCode(benchmark::State& state, const std::string& name,
                   const std::string& instruction) {
  const auto program = [&](int uses) {
    std::string text = "LD X0\nOUT Y0\n";
    // A comparison contact opens its own rung.
    const std::string rung = instruction.starts_with("LD") ? "" : "LD X1\n";
    for (int k = 0; k < uses; ++k) text += rung + instruction + "\n";
    return text + "END\n";
  };
  std::optional<long> none, one, eleven;
  for (auto _ : state) {
    none = codeBytes(state, name + "-0", program(0));
    one = none ? codeBytes(state, name + "-1", program(1)) : std::nullopt;
    eleven = one ? codeBytes(state, name + "-11", program(11)) : std::nullopt;
    if (!eleven) return;
  }
  const long first = *one - *none;
  const long each = (*eleven - *one) / 10;
  state.SetLabel("first use " + std::to_string(first) + " B, each further use " +
                 std::to_string(each) + " B");
  state.counters["first_use_bytes"] = static_cast<double>(first);
  state.counters["each_use_bytes"] = static_cast<double>(each);
}

#define FAMILY(name, instruction)                            \
  BENCHMARK_CAPTURE(BM_FamilyCode, name, #name, instruction) \
      ->Unit(benchmark::kMillisecond)                        \
      ->Iterations(1)                                        \
      ->UseRealTime()

FAMILY(mov, "MOV D0 D1");
FAMILY(dmov, "DMOV D0 D2");
FAMILY(add, "ADD D0 K5 D1");
FAMILY(dadd, "DADD D0 K100000 D2");
FAMILY(mul, "MUL D0 K3 D2");
FAMILY(div, "DIV D0 K7 D2");
FAMILY(ddiv, "DDIV D0 K7 D4");
FAMILY(compare, "LD< D0 K10\nOUT Y1");
FAMILY(dcompare, "LDD< D0 K100000\nOUT Y1");
FAMILY(digit_group_read, "MOV K2M8 D1");
FAMILY(digit_group_write, "MOV D1 K2M8");
FAMILY(input_group, "MOV K1X0 D1");
FAMILY(pulse_form, "MOVP D0 D1");
FAMILY(cmp, "CMP D0 K100 M10");
FAMILY(bcd, "BCD D0 K4Y0");
FAMILY(wand, "WAND D0 H0F0F D1");
FAMILY(ror, "ROR D0 K1");
FAMILY(sftl, "SFTLP X0 M0 K16 K1");
FAMILY(bmov, "BMOV D0 D8 K4");

}  // namespace
