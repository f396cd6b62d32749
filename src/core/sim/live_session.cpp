// The live session: s51 runs a slice as a few `step N` commands (N instructions, chosen from the
// clock ticks an instruction has taken so far), the input pins are set by `set hw port[N]`
// between slices, and the waveform s51 writes of the ports is read as it grows.
#include "core/sim/live_session.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include "core/file_io.h"
#include "core/sim/s51_process.h"
#include "core/sim/s51_script.h"
#include "core/sim/stop_plan.h"

namespace ladder51 {
namespace {

constexpr int kPort4 = kSimulatedPorts;

// s51 stops only between instructions; the longest 8051 instruction takes 48 clock periods.
constexpr std::uint64_t kLongestInstructionTicks = 48;

// The clock periods a `step` took, from its stop line "Stop at 0x000a09: (109) stepped 1587876
// ticks"; 0 when the chip stopped otherwise.
std::uint64_t steppedTicks(std::string_view answer) {
  const std::size_t at = answer.rfind(") stepped ");
  unsigned long long ticks = 0;
  if (at == std::string_view::npos ||
      std::sscanf(std::string(answer.substr(at, 40)).c_str(), ") stepped %llu ticks", &ticks) != 1) {
    return 0;
  }
  return ticks;
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

  std::filesystem::path waveFile() const { return folder.path() / "ports.vcd"; }

  std::uint64_t micros() const {
    return static_cast<std::uint64_t>(std::llround(static_cast<double>(ticks) / options.crystalMHz));
  }

  // Sends commands followed by a marker and reads the answer up to it.
  Result<std::string> ask(std::string commands, std::chrono::milliseconds extra = {}) {
    ++markers;
    commands += markerCommand(markers);
    if (Status sent = s51.send(commands); !sent) return sent.error();
    return s51.readUntil(markerAnswer(markers), options.answerTimeLimit + extra);
  }

  Status powerOn() {
    SimulationOptions simulation;
    simulation.crystalMHz = options.crystalMHz;
    simulation.simulator = options.simulator;
    if (Status started = s51.start(simulation, hex.parent_path()); !started) return started;
    std::string setup = loadCommands(hex, /*powerOn=*/true) + "set hw vcd[0] new 1\n";
    for (int port = 0; port < kSimulatedPorts; ++port)
      setup += "set hw vcd[0] add port_" + std::to_string(port) + "_cfg 2\n";
    setup += "set hw vcd[0] file \"" + waveFile().string() + "\"\nset hw vcd[0] start\n";
    // s51 reports the load only once the chip runs: the first instruction goes with it.
    Result<std::string> answer = ask(setup + "step 1\n");
    if (!answer) return answer.error();
    if (!reportsProgramLoaded(*answer)) {
      return Error{ErrorKind::SimulatorFailed, "the simulator could not load the hex file",
                   hex.string()};
    }
    ticks = steppedTicks(*answer);
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
  std::error_code ec;
  auto state = std::make_unique<State>();
  state->hex = std::filesystem::absolute(hexFile, ec);
  if (!std::filesystem::is_regular_file(state->hex, ec))
    return Error{ErrorKind::CannotOpen, "no such hex file", hexFile.string()};
  if (state->hex.string().find('"') != std::string::npos) {
    return Error{ErrorKind::BadArgument,
                 "the simulator cannot load a file whose path holds a quote", state->hex.string()};
  }
  if (!(options.crystalMHz > 0))
    return Error{ErrorKind::BadArgument, "the crystal frequency must be positive"};
  if (state->folder.path().empty() ||
      state->folder.path().string().find('"') != std::string::npos) {
    return Error{ErrorKind::SimulatorFailed, "no temporary folder for the simulator's waveforms"};
  }
  state->pins = pins;
  state->options = options;
  for (const auto& [point, pin] : pins.outputs) state->port4Outputs |= pin.port == kPort4;
  if (Status on = state->powerOn(); !on) {
    state->s51.quit();
    return on.error();
  }
  return std::unique_ptr<LiveSession>(new LiveSession(std::move(state)));
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
  // Sent now, the level reaches the pin before the next instruction is simulated.
  if (Status sent = s.s51.send(portCommand(pin->second.port, level)); !sent) return sent;
  s.record.inputs.push_back({point, on, s.micros()});
  return success();
}

Result<LiveSlice> LiveSession::run(std::uint64_t micros) {
  State& s = *state_;
  LiveSlice slice;
  slice.startMicros = s.micros();
  const std::uint64_t target =
      s.ticks + static_cast<std::uint64_t>(std::llround(static_cast<double>(micros) *
                                                        s.options.crystalMHz));
  const std::string port4Read =
      s.port4Outputs ? "expression /X " + std::to_string(kPort4Tag) + "|sfr[0xe8]\n" : "";
  while (s.ticks < target) {
    // As many instructions as the remaining time holds at the average so far.
    const double perInstruction =
        static_cast<double>(s.ticks) / static_cast<double>(std::max<std::uint64_t>(1, s.instructions));
    const std::uint64_t remaining = target - s.ticks;
    const auto count = std::max<std::uint64_t>(
        1, static_cast<std::uint64_t>(static_cast<double>(remaining) / perInstruction));
    Result<std::string> answer =
        s.ask("step " + std::to_string(count) + "\n" + port4Read,
              std::chrono::milliseconds(remaining / kLongestInstructionTicks / 1000 + 1));
    if (!answer) return answer.error();
    const std::uint64_t ticks = steppedTicks(*answer);
    if (ticks == 0) return Error{ErrorKind::ChipStopped, "the simulated chip has stopped"};
    s.ticks += ticks;
    s.instructions += count;
    if (s.port4Outputs) {
      const std::vector<unsigned long> port4 = taggedValues(*answer, kPort4Tag);
      if (port4.empty())
        return Error{ErrorKind::SimulatorFailed, "the simulator's answer cannot be read"};
      const int level = static_cast<int>(port4.back() & 0xFF);
      if (level != s.levels[kPort4]) slice.ports.push_back({s.micros(), kPort4, level});
    }
  }
  slice.endMicros = s.micros();
  std::vector<PortChange> changes = s.newPortChanges();
  std::vector<PortChange> port4 = std::move(slice.ports);
  changes.insert(changes.end(), port4.begin(), port4.end());
  std::stable_sort(changes.begin(), changes.end(),
                   [](const PortChange& a, const PortChange& b) { return a.timeMicros < b.timeMicros; });
  slice.outputs = outputChanges(changes, s.pins, UINT64_MAX, s.levels);
  slice.ports = std::move(changes);
  s.record.outputs.insert(s.record.outputs.end(), slice.outputs.begin(), slice.outputs.end());
  s.record.simulatedMicros = slice.endMicros;
  s.record.clockTicks = s.ticks;
  return slice;
}

Result<std::vector<long>> LiveSession::read(const std::vector<RamWatch>& watches) {
  if (watches.empty()) return std::vector<long>{};
  Result<std::string> answer = state_->ask(watchCommands(watches));
  if (!answer) return answer.error();
  std::vector<long> values(watches.size(), 0);
  const std::vector<unsigned long> tagged = taggedValues(*answer, kWatchTag);
  if (tagged.size() != watches.size())
    return Error{ErrorKind::SimulatorFailed,
                 "the simulator's answer about the chip's values cannot be read"};
  for (unsigned long t : tagged) {
    const auto [index, value] = watchValueOf(t);
    if (index >= values.size())
      return Error{ErrorKind::SimulatorFailed,
                   "the simulator's answer about the chip's values cannot be read"};
    values[index] = value;
  }
  return values;
}

Status LiveSession::reset() {
  State& s = *state_;
  s.s51.quit();
  auto fresh = std::make_unique<State>();
  fresh->hex = s.hex;
  fresh->pins = s.pins;
  fresh->options = s.options;
  fresh->port4Outputs = s.port4Outputs;
  if (fresh->folder.path().empty())
    return Error{ErrorKind::SimulatorFailed, "no temporary folder for the simulator's waveforms"};
  state_ = std::move(fresh);
  return state_->powerOn();
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
  const auto wall = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() -
                                                              startWall_);
  const double owed =
      static_cast<double>(startSimulated_) + wall.count() * speed_ - static_cast<double>(simulatedMicros);
  if (owed <= 0) return 0;
  return std::min(longestSlice_, static_cast<std::uint64_t>(owed));
}

}  // namespace ladder51
