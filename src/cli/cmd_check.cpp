// `ladder51 check PROG.pmw --stimulus FILE [-C DIR] [--until TIME]`: runs the program's firmware
// in s51 and the reference interpreter of the PLC's scan on the same stimulus, compares the
// outputs and the program's devices at the end of every input phase, and prints the first
// disagreement with the step that last wrote the device. Exit status 1 when they disagree.
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "core/reference/differential.h"
#include "core/text/code_writer.h"

namespace ladder51::cli {
namespace {

std::string shown(const reference::Disagreement& d, long value) {
  return d.word ? std::to_string(value) : value != 0 ? "on" : "off";
}

std::string milliseconds(std::uint64_t micros) {
  const std::string whole = std::to_string(micros / 1000);
  const std::uint64_t rest = micros % 1000;
  return rest == 0 ? whole : whole + "." + std::to_string(1000 + rest).substr(1);
}

constexpr std::string_view kAgree =
    "firmware and PLC agree: {compared} values at {ends} phase ends ({undecided} left open by "
    "the timing)\n";
constexpr std::string_view kFirst =
    "first disagreement at {time} ms: {device} is {firmware} in the firmware, {plc} on the PLC\n";
constexpr std::string_view kWriter = "  last written on the PLC by {step}: {instruction}\n";
constexpr std::string_view kTotal =
    "{differ} of {compared} values at {ends} phase ends differ ({undecided} left open by the "
    "timing)\n";

}  // namespace

void addCheckCommand(CLI::App& app, Context& context) {
  struct Options {
    std::string program;
    std::string directory = ".";
    std::string stimulus;
    std::string until;
  };
  auto options = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand(
      "check",
      "Run a program's firmware in the simulator and the PLC's scan rules on the same "
      "stimulus, and compare them at the end of every input phase");
  cmd->add_option("program", options->program, "The .pmw program")->required();
  cmd->add_option("-C,--directory", options->directory,
                  "Work directory: its settings give the pins and the crystal (default: .)");
  cmd->add_option("--stimulus", options->stimulus, "Stimulus file: TIME POINT on|off per line")
      ->required();
  cmd->add_option("--until", options->until,
                  "Simulated time to run (default: 1 s after the last input change)");
  cmd->callback([options, &context] {
    reference::CheckRequest request;
    request.workDirectory = std::filesystem::absolute(options->directory);
    request.program = options->program;
    Result<Stimulus> stimulus = readStimulusFile(options->stimulus);
    if (!stimulus) return fail(context, stimulus.error());
    request.stimulus = *stimulus;
    if (!options->until.empty()) {
      Result<std::uint64_t> until = parseTime(options->until);
      if (!until) return fail(context, {ErrorKind::BadArgument, until.error().message, "--until"});
      request.untilMicros = *until;
    }
    PrintingObserver observer(/*showStages=*/false);
    Result<reference::CheckReport> report = reference::checkProgram(request, observer);
    if (!report) return fail(context, report.error());
    const Fields totals = {{"compared", dec(report->compared)},
                           {"ends", dec(static_cast<long long>(report->phaseEnds.size()))},
                           {"undecided", dec(report->undecided)},
                           {"differ", dec(static_cast<long long>(report->disagreements.size()))}};
    if (report->agrees()) {
      std::cout << fill(kAgree, totals) << std::flush;
      return;
    }
    const reference::Disagreement& first = report->disagreements.front();
    std::string text = fill(kFirst, {{"time", milliseconds(first.timeMicros)},
                                     {"device", first.device},
                                     {"firmware", shown(first, first.firmware)},
                                     {"plc", shown(first, first.plc)}});
    if (first.step) {
      text += fill(kWriter, {{"step", first.step->describe()}, {"instruction", first.instruction}});
    }
    std::cout << text << fill(kTotal, totals) << std::flush;
    context.exitCode = 1;
  });
}

}  // namespace ladder51::cli
