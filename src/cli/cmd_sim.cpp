// `ladder51 sim FX1N.HEX --stimulus FILE --pins MAP`: runs the firmware in the 8051 simulator
// and prints every Y point that switches.
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "cli/commands.h"
#include "cli/output.h"
#include "core/sim/simulator.h"

namespace ladder51::cli {

void addSimCommand(CLI::App& app, Context& context) {
  struct Options {
    std::string hex;
    std::string stimulus;
    std::string pins;
    std::string until;
    std::string slice = "1ms";
    std::string vcd;
    double crystal = 12.0;
  };
  auto options = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand("sim", "Run fx1n.hex in the 8051 simulator from a stimulus");
  cmd->add_option("hex", options->hex, "The firmware (fx1n.hex)")->required();
  cmd->add_option("--stimulus", options->stimulus, "Stimulus file: TIME POINT on|off per line")
      ->required();
  cmd->add_option("--pins", options->pins, "Pins of the points, as \"X0=P3.2 Y0=P1.0\"")
      ->required();
  cmd->add_option("--until", options->until,
                  "Simulated time to run (default: 1 s after the last input change)");
  cmd->add_option("--slice", options->slice, "Time between two samples of the outputs");
  cmd->add_option("--crystal", options->crystal, "Crystal frequency in MHz");
  cmd->add_option("--vcd", options->vcd, "Also write the inputs and outputs as a VCD file");
  cmd->callback([options, &context] {
    auto fail = [&context](const Error& error) {
      printError(error);
      context.exitCode = 1;
    };
    std::ifstream in(options->stimulus, std::ios::binary);
    if (!in) return fail({"cannot read the stimulus file", options->stimulus});
    std::ostringstream text;
    text << in.rdbuf();
    Result<Stimulus> stimulus = parseStimulus(text.str());
    if (!stimulus) return fail(stimulus.error());
    Result<SimPinMap> pins = parsePinAssignments(options->pins);
    if (!pins) return fail(pins.error());
    SimulationOptions sim;
    sim.crystalMHz = options->crystal;
    sim.untilMicros = stimulus->lastTimeMicros() + 1'000'000;
    if (!options->until.empty()) {
      Result<std::uint64_t> until = parseTime(options->until);
      if (!until) return fail({until.error().message, "--until"});
      sim.untilMicros = *until;
    }
    Result<std::uint64_t> slice = parseTime(options->slice);
    if (!slice) return fail({slice.error().message, "--slice"});
    sim.sliceMicros = *slice;
    Result<SimulationResult> result = simulate(options->hex, *pins, *stimulus, sim);
    if (!result) return fail(result.error());
    std::cout << formatTimeline(*result) << std::flush;
    if (!options->vcd.empty()) {
      std::ofstream out(options->vcd, std::ios::binary | std::ios::trunc);
      out << formatVcd(*result, *pins);
      if (!out) return fail({"cannot write the VCD file", options->vcd});
    }
  });
}

}  // namespace ladder51::cli
