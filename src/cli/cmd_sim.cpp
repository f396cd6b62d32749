// `ladder51 sim PROG.pmw|FX1N.HEX --stimulus FILE`: runs the firmware in the 8051 simulator and
// prints every Y point that switches. A program is translated and built with SDCC first; the
// pins and the crystal come from the work directory's settings.
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "core/config/settings.h"
#include "core/sequence.h"
#include "core/sim/ram_symbols.h"
#include "core/sim/simulator.h"
#include "core/sim/timeline.h"

namespace ladder51::cli {
namespace {

bool isHexFile(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  return extension == ".hex" || extension == ".HEX" || extension == ".ihx";
}

}  // namespace

void addSimCommand(CLI::App& app, Context& context) {
  struct Options {
    std::string input;
    std::string directory;
    std::string stimulus;
    std::string pins;
    std::string until;
    std::string slice = "10ms";
    std::string vcd;
    std::string show;
    double crystal = 0;
    bool skipUnsupported = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand(
      "sim", "Run a program (built with SDCC first) or fx1n.hex in the 8051 simulator");
  cmd->add_option("input", options->input, "The .pmw program, or the firmware (fx1n.hex)")
      ->required();
  cmd->add_option("-C,--directory", options->directory,
                  "Work directory: its settings give the pins and the crystal (default: the "
                  "folder of a hex file, . for a program)");
  cmd->add_option("--stimulus", options->stimulus, "Stimulus file: TIME POINT on|off per line")
      ->required();
  cmd->add_option("--pins", options->pins,
                  "Pins of the points, as \"X0=P3.2 Y0=P1.0\" (default: DIR's settings)");
  cmd->add_option("--until", options->until,
                  "Simulated time to run (default: 1 s after the last input change)");
  cmd->add_option("--show", options->show,
                  "Show these devices' values from the chip's RAM, as \"M5,T0,C1,D3\"");
  cmd->add_option("--slice", options->slice,
                  "Time between two reads of the --show values (and of outputs on port 4)");
  cmd->add_option("--crystal", options->crystal, "Crystal frequency in MHz (default: DIR's)");
  cmd->add_option("--vcd", options->vcd, "Also write the inputs and outputs as a VCD file");
  addSkipUnsupportedFlag(*cmd, options->skipUnsupported);
  cmd->callback([options, &context] {
    auto fail = [&context](const Error& error) { cli::fail(context, error); };
    const bool fromHex = isHexFile(options->input);
    std::filesystem::path work =
        options->directory.empty()
            ? (fromHex ? std::filesystem::absolute(options->input).parent_path()
                       : std::filesystem::current_path())
            : std::filesystem::absolute(options->directory);

    Result<Stimulus> stimulus = readStimulusFile(options->stimulus);
    if (!stimulus) return fail(stimulus.error());

    // The settings are needed for a program, and for a hex file unless the pins and the
    // crystal are both given.
    PrintingObserver observer(/*showStages=*/false);  // the timeline alone goes to the output
    std::filesystem::path hex = options->input;
    Settings settings;
    if (!fromHex) {
      SequenceRequest request;
      request.workDirectory = work;
      request.program = options->input;
      request.assemble.skipUnsupported = options->skipUnsupported;
      request.build.toolchain = ToolchainChoice::Sdcc;
      Result<SequenceResult> built = runSequence(request, observer);
      if (!built) return fail(built.error());
      for (const std::string& warning : built->build->report.warnings) printWarning(warning);
      hex = built->build->report.hexFile;
      settings = built->settings;
    } else if (options->pins.empty() || options->crystal <= 0) {
      Workspace workspace(work, observer);
      if (Status started = workspace.startUp(); !started) return fail(started.error());
      settings = workspace.settings();
    }

    SimPinMap pins;
    if (!options->pins.empty()) {
      Result<SimPinMap> given = parsePinAssignments(options->pins);
      if (!given) return fail(given.error());
      pins = *given;
    } else {
      pins = simPinsOf(settings);
    }
    SimulationOptions sim;
    sim.crystalMHz = options->crystal > 0 ? options->crystal : settings.crystalMHz;
    sim.untilMicros = stimulus->lastTimeMicros() + 1'000'000;
    if (!options->until.empty()) {
      Result<std::uint64_t> until = parseTime(options->until);
      if (!until) return fail({ErrorKind::BadArgument, until.error().message, "--until"});
      sim.untilMicros = *until;
    }
    Result<std::uint64_t> slice = parseTime(options->slice);
    if (!slice) return fail({ErrorKind::BadArgument, slice.error().message, "--slice"});
    sim.sliceMicros = *slice;
    if (!options->show.empty()) {
      Result<std::vector<RamWatch>> watches = loadWatches(work, options->show);
      if (!watches) return fail(watches.error());
      sim.watches = *watches;
    }

    Result<SimulationResult> result = simulate(hex, pins, *stimulus, sim);
    if (!result) return fail(result.error());
    std::cout << formatTimelineWithValues(*result, sim.watches) << std::flush;
    if (!options->vcd.empty()) {
      if (Status written = writeVcdFile(options->vcd, *result, pins); !written) {
        return fail(written.error());
      }
    }
  });
}

}  // namespace ladder51::cli
