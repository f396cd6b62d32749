// The live session: s51 runs a slice as one `step N` command (N instructions, chosen from the
// clock ticks an instruction has taken so far), the input pins are set by `set hw port[N]`
// between slices, and the waveform s51 writes of the ports is read as it grows.
#include "core/sim/live_session.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <optional>

#include "core/file_io.h"
#include "core/sim/s51_process.h"
#include "core/sim/s51_script.h"
#include "core/sim/stop_plan.h"

namespace ladder51 {
namespace {

constexpr int kPort4 = kSimulatedPorts;

// The shortest time an input is held when it is switched on and off between two slices, as a
// finger would: the input filter takes up to 10 samples, one a scan.
constexpr std::uint64_t kShortestPressMicros = 100'000;

// The clock periods each `step` took, in order, from their stop lines "Stop at 0x000a09: (109)
// stepped 1587876 ticks"; a step that stopped otherwise has none.
std::vector<std::uint64_t> steppedTicks(std::string_view answer) {
  std::vector<std::uint64_t> steps;
  for (std::size_t at = answer.find(") stepped "); at != std::string_view::npos;
       at = answer.find(") stepped ", at + 1)) {
    unsigned long long ticks = 0;
    if (std::sscanf(std::string(answer.substr(at, 40)).c_str(), ") stepped %llu ticks", &ticks) ==
        1) {
      steps.push_back(ticks);
    }
  }
  return steps;
}

std::string portCommand(int port, int level) {
  char text[48];
  std::snprintf(text, sizeof text, "set hw port[%d] 0x%02x\n", port, level & 0xFF);
  return text;
}

}  // namespace

struct LiveSession::State {
  std::filesystem::path hex;
  SimPinMap pins;
  LiveOptions options;
  TemporaryFolder folder{"ladder51-live"};
  S51Process s51;
  std::size_t markers = 0;  // markers asked for so far
  std::uint64_t ticks = 0;  // oscillator periods simulated
  std::uint64_t instructions = 0;
  std::array<int, kSimulatedPorts> inputLevels{0xFF, 0xFF, 0xFF, 0xFF};
  PortLevelArray levels{0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  OutputWaveformReader waveform;
  std::uint64_t waveformRead = 0;  // bytes of the waveform file taken
  bool port4Outputs = false;
  SimulationResult record;
  std::uint64_t targetTicks = 0;  // where the slices asked for so far end
  // Inputs switched since the last slice began, applied at the start of the next one.
  struct InputChange {
    PointChange change;
    int port = 0;
    int level = 0xFF;  // the port's level after the change
  };
  std::vector<InputChange> inputChanges;
  // The slice under way: its end marker, its start, its parts (an input switched twice before
  // the slice began switches again at the start of a later part), and its watches.
  struct Part {
    std::vector<PointChange> inputs;  // switched at the part's start
    std::uint64_t instructions = 0;
  };
  std::optional<std::string> awaited;
  std::uint64_t sliceStart = 0;
  std::vector<Part> parts;
  std::vector<RamWatch> sliceWatches;

  // A fresh chip: s51 started with the firmware, as from power-on.
  static Result<std::unique_ptr<State>> poweredOn(const std::filesystem::path& hex,
                                                  const SimPinMap& pins,
                                                  const LiveOptions& options) {
    auto state = std::make_unique<State>();
    if (state->folder.path().empty() ||
        state->folder.path().string().find('"') != std::string::npos) {
      return Error{ErrorKind::SimulatorFailed, "no temporary folder for the simulator's waveforms"};
    }
    state->hex = hex;
    state->pins = pins;
    state->options = options;
    for (const auto& [point, pin] : pins.outputs) state->port4Outputs |= pin.port == kPort4;
    if (Status on = state->powerOn(); !on) {
      state->s51.quit();
      return on.error();
    }
    return state;
  }

  std::filesystem::path waveFile() const { return folder.path() / "ports.vcd"; }

  std::uint64_t micros() const {
    return static_cast<std::uint64_t>(
        std::llround(static_cast<double>(ticks) / options.crystalMHz));
  }

  // Sends commands followed by a marker, and returns the end of their answer.
  Result<std::string> send(std::string commands) {
    ++markers;
    commands += markerCommand(markers);
    if (Status sent = s51.send(commands); !sent) return sent.error();
    return markerAnswer(markers);
  }

  // Sends commands and reads their answer.
  Result<std::string> ask(std::string commands) {
    Result<std::string> end = send(std::move(commands));
    if (!end) return end.error();
    return s51.readUntil(*end, options.answerTimeLimit);
  }

  Status powerOn() {
    SimulationOptions simulation;
    simulation.crystalMHz = options.crystalMHz;
    simulation.simulator = options.simulator;
    if (Status started = s51.start(simulation, hex.parent_path()); !started) return started;
    const std::string setup =
        loadCommands(hex, /*powerOn=*/true) + recordCommands({0, 1, 2, 3}, waveFile());
    // s51 reports the load only once the chip runs: the first instruction goes with it.
    Result<std::string> answer = ask(setup + "step 1\n");
    if (!answer) return answer.error();
    if (!reportsProgramLoaded(*answer)) {
      return Error{ErrorKind::SimulatorFailed, "the simulator could not load the hex file",
                   hex.string()};
    }
    const std::vector<std::uint64_t> first = steppedTicks(*answer);
    ticks = first.empty() ? 0 : first[0];
    targetTicks = ticks;
    instructions = 1;
    return success();
  }

  // The port changes s51 has written to the waveform since the last look, whole lines only.
  std::vector<PortChange> newPortChanges() {
    std::ifstream file(waveFile(), std::ios::binary);
    if (!file) return {};
    file.seekg(static_cast<std::streamoff>(waveformRead));
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::size_t whole = text.rfind('\n');
    if (whole == std::string::npos) return {};
    waveformRead += whole + 1;
    return waveform.take(std::string_view(text).substr(0, whole + 1));
  }
};

LiveSession::LiveSession(std::unique_ptr<State> state) : state_(std::move(state)) {}

LiveSession::~LiveSession() {
  state_->s51.quit();
}

Result<std::unique_ptr<LiveSession>> LiveSession::start(const std::filesystem::path& hexFile,
                                                        const SimPinMap& pins,
                                                        const LiveOptions& options) {
  Result<std::filesystem::path> hex = hexForS51(hexFile);
  if (!hex) return hex.error();
  if (!(options.crystalMHz > 0))
    return Error{ErrorKind::BadArgument, "the crystal frequency must be positive"};
  Result<std::unique_ptr<State>> state = State::poweredOn(*hex, pins, options);
  if (!state) return state.error();
  return std::unique_ptr<LiveSession>(new LiveSession(std::move(*state)));
}

Status LiveSession::setInput(const std::string& point, bool on) {
  State& s = *state_;
  auto pin = s.pins.inputs.find(point);
  if (pin == s.pins.inputs.end())
    return Error{ErrorKind::BadArgument, "no pin carries this input", point};
  if (pin->second.port >= kSimulatedPorts) {
    return Error{ErrorKind::BadArgument, "the simulated chip has no port 4 to drive an input on",
                 point};
  }
  int& level = s.inputLevels[static_cast<std::size_t>(pin->second.port)];
  const int mask = 1 << pin->second.bit;
  if (((level & mask) == 0) == on) return success();
  level = on ? level & ~mask : level | mask;
  s.inputChanges.push_back({{point, on, 0}, pin->second.port, level});
  return success();
}

Status LiveSession::begin(std::uint64_t micros, const std::vector<RamWatch>& watches) {
  State& s = *state_;
  if (s.awaited) return Error{ErrorKind::BadArgument, "a slice of the simulation is under way"};
  s.targetTicks +=
      static_cast<std::uint64_t>(std::llround(static_cast<double>(micros) * s.options.crystalMHz));
  // The parts: a new one wherever a point switches again, so that a press and its release
  // between two slices still reach the chip as a press.
  s.parts.assign(1, {});
  std::vector<std::string> partCommands(1);
  for (const State::InputChange& change : s.inputChanges) {
    auto& inputs = s.parts.back().inputs;
    if (std::any_of(inputs.begin(), inputs.end(),
                    [&](const PointChange& c) { return c.point == change.change.point; })) {
      s.parts.emplace_back();
      partCommands.emplace_back();
    }
    s.parts.back().inputs.push_back(change.change);
    partCommands.back() += portCommand(change.port, change.level);
  }
  s.inputChanges.clear();
  // A part before a point switches again lasts long enough for the firmware's input filter to
  // take the level, however short the slice asked for.
  if (s.parts.size() > 1) {
    const auto shortest = static_cast<std::uint64_t>(
        static_cast<double>(kShortestPressMicros * s.parts.size()) * s.options.crystalMHz);
    s.targetTicks = std::max(s.targetTicks, s.ticks + shortest);
  }
  // As many instructions as each part's share of the slice holds at the average so far; a slice
  // that ends past its time shortens the next one.
  const double perInstruction = static_cast<double>(s.ticks) /
                                static_cast<double>(std::max<std::uint64_t>(1, s.instructions));
  const double due =
      s.targetTicks > s.ticks ? static_cast<double>(s.targetTicks - s.ticks) / perInstruction : 0;
  std::string commands;
  for (std::size_t k = 0; k < s.parts.size(); ++k) {
    auto count = static_cast<std::uint64_t>(due / static_cast<double>(s.parts.size()));
    if (count == 0 && (due > 0 || k + 1 < s.parts.size())) count = 1;
    s.parts[k].instructions = count;
    commands += partCommands[k];
    if (count > 0) commands += "step " + std::to_string(count) + "\n";
  }
  if (s.port4Outputs) commands += port4Command();
  commands += watchCommands(watches);
  Result<std::string> end = s.send(std::move(commands));
  if (!end) return end.error();
  s.awaited = *end;
  s.sliceStart = s.micros();
  s.sliceWatches = watches;
  return success();
}

bool LiveSession::busy() const {
  return state_->awaited.has_value();
}

Result<std::optional<LiveSlice>> LiveSession::finish(std::chrono::milliseconds wait) {
  State& s = *state_;
  if (!s.awaited) return Error{ErrorKind::BadArgument, "no slice of the simulation is under way"};
  if (!s.s51.answered(*s.awaited, wait)) return std::optional<LiveSlice>();
  Result<std::string> answer = s.s51.readUntil(*s.awaited, s.options.answerTimeLimit);
  s.awaited.reset();
  if (!answer) return answer.error();
  LiveSlice slice;
  slice.startMicros = s.sliceStart;
  const std::vector<std::uint64_t> stepped = steppedTicks(*answer);
  std::size_t step = 0;
  for (State::Part& part : s.parts) {
    for (PointChange& input : part.inputs) {
      input.timeMicros = s.micros();
      s.record.inputs.push_back(input);
    }
    if (part.instructions == 0) continue;
    if (step == stepped.size() || stepped[step] == 0)
      return Error{ErrorKind::ChipStopped, "the simulated chip has stopped"};
    s.ticks += stepped[step++];
    s.instructions += part.instructions;
  }
  slice.endMicros = s.micros();
  std::vector<PortChange> changes = s.newPortChanges();
  if (s.port4Outputs) {
    const std::vector<unsigned long> port4 = taggedValues(*answer, kPort4Tag);
    if (port4.empty())
      return Error{ErrorKind::SimulatorFailed, "the simulator's answer cannot be read"};
    const int level = static_cast<int>(port4.back() & 0xFF);
    if (level != s.levels[kPort4]) changes.push_back({slice.endMicros, kPort4, level});
  }
  slice.outputs = outputChanges(changes, s.pins, UINT64_MAX, s.levels);
  slice.ports = std::move(changes);
  const Error unreadable{ErrorKind::SimulatorFailed,
                         "the simulator's answer about the chip's values cannot be read"};
  std::optional<std::vector<long>> values =
      watchValues(taggedValues(*answer, kWatchTag), s.sliceWatches);
  if (!values) {
    return Error{ErrorKind::SimulatorFailed,
                 "the simulator's answer about the chip's values cannot be read"};
  }
  slice.values = std::move(*values);
  s.record.outputs.insert(s.record.outputs.end(), slice.outputs.begin(), slice.outputs.end());
  s.record.simulatedMicros = slice.endMicros;
  s.record.clockTicks = s.ticks;
  return std::optional<LiveSlice>(std::move(slice));
}

Result<LiveSlice> LiveSession::run(std::uint64_t micros, const std::vector<RamWatch>& watches) {
  // Slices until the time is reached: the first slice's instructions are a guess.
  LiveSlice whole;
  whole.startMicros = simulatedMicros();
  const auto limit = state_->options.answerTimeLimit + std::chrono::milliseconds(micros / 1000);
  do {
    if (Status begun = begin(micros, watches); !begun) return begun.error();
    micros = 0;
    Result<std::optional<LiveSlice>> slice = finish(limit);
    if (!slice) return slice.error();
    if (!*slice) {
      return Error{ErrorKind::SimulatorFailed, "the 8051 simulator stopped answering",
                   "no answer in time"};
    }
    LiveSlice& part = **slice;
    whole.outputs.insert(whole.outputs.end(), part.outputs.begin(), part.outputs.end());
    whole.ports.insert(whole.ports.end(), part.ports.begin(), part.ports.end());
    whole.values = std::move(part.values);
    whole.endMicros = part.endMicros;
  } while (state_->ticks < state_->targetTicks);
  return whole;
}

Result<std::vector<long>> LiveSession::read(const std::vector<RamWatch>& watches) {
  Result<LiveSlice> slice = run(0, watches);
  if (!slice) return slice.error();
  return std::move(slice->values);
}

Status LiveSession::reset() {
  state_->s51.quit();
  Result<std::unique_ptr<State>> fresh =
      State::poweredOn(state_->hex, state_->pins, state_->options);
  if (!fresh) return fresh.error();
  state_ = std::move(*fresh);
  return success();
}

std::uint64_t LiveSession::simulatedMicros() const {
  return state_->micros();
}

bool LiveSession::isOn(const std::string& point) const {
  const State& s = *state_;
  if (auto in = s.pins.inputs.find(point); in != s.pins.inputs.end()) {
    if (in->second.port >= kSimulatedPorts) return false;
    return (s.inputLevels[static_cast<std::size_t>(in->second.port)] & (1 << in->second.bit)) == 0;
  }
  if (auto out = s.pins.outputs.find(point); out != s.pins.outputs.end())
    return (s.levels[static_cast<std::size_t>(out->second.port)] & (1 << out->second.bit)) == 0;
  return false;
}

const SimulationResult& LiveSession::record() const {
  return state_->record;
}

LivePace::LivePace(double speed, std::uint64_t longestSliceMicros)
    : speed_(speed), longestSlice_(longestSliceMicros) {
  restart(0);
}

void LivePace::restart(std::uint64_t simulatedMicros) {
  startWall_ = std::chrono::steady_clock::now();
  startSimulated_ = simulatedMicros;
}

std::uint64_t LivePace::due(std::uint64_t simulatedMicros) const {
  const auto wall =
      std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - startWall_);
  const double owed = static_cast<double>(startSimulated_) + wall.count() * speed_ -
                      static_cast<double>(simulatedMicros);
  if (owed <= 0) return 0;
  return std::min(longestSlice_, static_cast<std::uint64_t>(owed));
}

}  // namespace ladder51
