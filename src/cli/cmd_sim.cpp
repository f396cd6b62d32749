// `ladder51 sim PROG.pmw|FX1N.HEX --stimulus FILE`: runs the firmware in the 8051 simulator and
// prints every Y point that switches. A program is translated and built with SDCC first; the
// pins and the crystal come from the work directory's settings.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <sstream>
#include <thread>

#include "cli/commands.h"
#include "core/config/settings.h"
#include "core/file_io.h"
#include "core/sequence.h"
#include "core/sim/live_session.h"
#include "core/sim/ram_symbols.h"
#include "core/sim/simulator.h"
#include "core/sim/timeline.h"

namespace ladder51::cli {
namespace {

bool isHexFile(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  return extension == ".hex" || extension == ".HEX" || extension == ".ihx";
}

// Lines typed while the chip runs, read as they arrive without holding up the simulation.
class TypedLines {
 public:
  // Waits up to `wait` for input; the whole lines that came, and whether input has ended.
  std::vector<std::string> take(std::chrono::milliseconds wait) {
    std::vector<std::string> lines;
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (!ended_ && ::poll(&input, 1, static_cast<int>(wait.count())) > 0) {
      char bytes[4096];
      const ssize_t count = ::read(STDIN_FILENO, bytes, sizeof bytes);
      if (count <= 0) {
        ended_ = true;
      } else {
        pending_.append(bytes, static_cast<std::size_t>(count));
      }
    } else if (ended_) {
      std::this_thread::sleep_for(wait);
    }
    for (std::size_t end = pending_.find('\n'); end != std::string::npos;
         end = pending_.find('\n')) {
      lines.push_back(pending_.substr(0, end));
      pending_.erase(0, end + 1);
    }
    if (ended_ && !pending_.empty()) lines.push_back(std::move(pending_)), pending_.clear();
    return lines;
  }
  bool ended() const { return ended_ && pending_.empty(); }

 private:
  std::string pending_;
  bool ended_ = false;
};

// Applies a typed line such as "X0 on" or "X1 off X2 on"; false for "quit".
bool applyTypedLine(LiveSession& session, const std::string& line) {
  std::istringstream text(line.substr(0, line.find('#')));
  std::vector<std::string> words;
  for (std::string word; text >> word;) words.push_back(word);
  if (words.size() == 1 && (words[0] == "quit" || words[0] == "exit")) return false;
  if (words.empty()) return true;
  Result<std::vector<StimulusEvent>> switchings = parseSwitchings(words, 0);
  if (!switchings) {
    printWarning(switchings.error().message + ": " + line);
    return true;
  }
  for (const StimulusEvent& switching : *switchings) {
    if (Status set = session.setInput(switching.point, switching.on); !set)
      printWarning(set.error().message + ": " + switching.point);
  }
  return true;
}

// Runs the firmware in real time, switching inputs as lines arrive on standard input, until
// "quit", the end of input or `untilMicros`; prints each output change as it happens.
Result<SimulationResult> runInteractive(const std::filesystem::path& hex, const SimPinMap& pins,
                                        double crystalMHz, std::uint64_t untilMicros) {
  Result<std::unique_ptr<LiveSession>> started =
      LiveSession::start(hex, pins, LiveOptions{crystalMHz});
  if (!started) return started.error();
  LiveSession& session = **started;
  std::cerr << "ladder51: the chip runs in real time; type lines such as \"X0 on\", \"X0 off\", "
               "or quit\n";
  TypedLines typed;
  LivePace pace;
  constexpr std::chrono::milliseconds kTick{10};
  for (;;) {
    bool quit = false;
    for (const std::string& line : typed.take(kTick)) quit = quit || !applyTypedLine(session, line);
    if (session.busy()) {
      Result<std::optional<LiveSlice>> slice = session.finish(std::chrono::milliseconds(0));
      if (!slice) return slice.error();
      if (*slice) std::cout << formatTimeline((*slice)->outputs) << std::flush;
    }
    if (session.busy()) continue;
    if (quit || typed.ended() || session.simulatedMicros() >= untilMicros) break;
    const std::uint64_t due =
        std::min(pace.due(session.simulatedMicros()), untilMicros - session.simulatedMicros());
    if (due > 0) {
      if (Status begun = session.begin(due); !begun) return begun.error();
    }
  }
  return session.record();
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
    bool interactive = false;
    std::string record;
  };
  auto options = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand(
      "sim", "Run a program (built with SDCC first) or fx1n.hex in the 8051 simulator");
  cmd->add_option("input", options->input, "The .pmw program, or the firmware (fx1n.hex)")
      ->required();
  cmd->add_option("-C,--directory", options->directory,
                  "Work directory: its settings give the pins and the crystal (default: the "
                  "folder of a hex file, . for a program)");
  cmd->add_option("--stimulus", options->stimulus, "Stimulus file: TIME POINT on|off per line");
  cmd->add_flag("--interactive", options->interactive,
                "Run in real time, switching inputs as lines such as \"X0 on\" arrive on "
                "standard input, until quit or the end of input");
  cmd->add_option("--record", options->record,
                  "With --interactive, also write the inputs as switched as a stimulus file");
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

    if (options->interactive == !options->stimulus.empty()) {
      return fail({ErrorKind::BadArgument, "give either --stimulus FILE or --interactive"});
    }
    if (!options->record.empty() && !options->interactive)
      return fail({ErrorKind::BadArgument, "--record needs --interactive"});
    Stimulus stimulus;
    if (!options->interactive) {
      Result<Stimulus> read = readStimulusFile(options->stimulus);
      if (!read) return fail(read.error());
      stimulus = std::move(*read);
    }

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
    sim.untilMicros = options->interactive ? UINT64_MAX : stimulus.lastTimeMicros() + 1'000'000;
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

    if (options->interactive) {
      Result<SimulationResult> result = runInteractive(hex, pins, sim.crystalMHz, sim.untilMicros);
      if (!result) return fail(result.error());
      if (!options->record.empty()) {
        if (Status written = writeFileAtomically(options->record, formatStimulus(result->inputs));
            !written) {
          return fail(written.error());
        }
      }
      if (!options->vcd.empty()) {
        if (Status written = writeVcdFile(options->vcd, *result, pins); !written)
          return fail(written.error());
      }
      return;
    }
    Result<SimulationResult> result = simulate(hex, pins, stimulus, sim);
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
