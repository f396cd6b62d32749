#include "core/sim/simulator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "core/toolchain/process.h"

namespace ladder51 {
namespace {

constexpr int kSimulatedPorts = 4;  // ports 0..3; the 8052 of s51 has no port 4
constexpr int kPort4Sfr = 0xE8;

// One conversation with s51. Every batch of commands ends with an expression whose value is a
// fresh marker, so that the answer to the batch is complete once the marker line arrives.
class S51 {
 public:
  explicit S51(std::chrono::milliseconds limit) : limit_(limit) {}

  Status start(const SimulationOptions& options, const std::filesystem::path& directory) {
    char crystal[32];
    std::snprintf(crystal, sizeof crystal, "%gM", options.crystalMHz);
    Status started =
        session_.start({options.simulator, {"-t", "8052", "-X", crystal, "-b"}, directory, {}});
    if (!started) return Error{"the 8051 simulator cannot be started", options.simulator};
    // The banner ends before the first command is read.
    if (Result<std::string> banner = exchange(""); !banner) return banner.error();
    return success();
  }

  Result<std::string> exchange(const std::string& commands) {
    const std::string marker = std::to_string(++marker_ + 770000000);
    if (Status sent = session_.send(commands + "expression " + marker + "\n"); !sent) {
      return sent.error();
    }
    Result<std::string> answer = session_.readUntil("\n" + marker + "\n", limit_);
    if (!answer) return Error{"the 8051 simulator stopped answering", answer.error().message};
    return answer;
  }

  void quit() { session_.finish(std::chrono::seconds(2)); }

 private:
  ProcessSession session_;
  std::chrono::milliseconds limit_;
  long marker_ = 0;
};

// Oscillator periods simulated by one "step": "Simulated 18924 ticks (1.577e-03 sec)".
bool readSteppedTicks(const std::string& answer, std::uint64_t& ticks) {
  std::size_t at = answer.rfind("Simulated ");
  if (at == std::string::npos) return false;
  unsigned long long value = 0;
  if (std::sscanf(answer.c_str() + at, "Simulated %llu ticks", &value) != 1) return false;
  ticks = value;
  return true;
}

// The values of the expressions asked for, one number per line before the marker.
std::vector<long> readValues(const std::string& answer, std::size_t count) {
  std::vector<long> values;
  std::istringstream lines(answer);
  std::string line;
  std::vector<std::string> all;
  while (std::getline(lines, line)) all.push_back(line);
  // The last line is the marker; the values stand just before it.
  if (all.size() < count + 1) return values;
  for (std::size_t k = all.size() - 1 - count; k + 1 < all.size(); ++k) {
    char* end = nullptr;
    long value = std::strtol(all[k].c_str(), &end, 10);
    if (end == all[k].c_str()) return {};
    values.push_back(value);
  }
  return values;
}

}  // namespace

bool SimulationResult::isOn(const std::string& point, std::uint64_t timeMicros) const {
  bool on = false;
  const auto& changes = point.starts_with("X") ? inputs : outputs;
  for (const PointChange& change : changes) {
    if (change.timeMicros > timeMicros) break;
    if (change.point == point) on = change.on;
  }
  return on;
}

Result<SimulationResult> simulate(const std::filesystem::path& hexFile, const SimPinMap& pins,
                                  const Stimulus& stimulus, const SimulationOptions& options,
                                  const SimulationProgress& progress) {
  std::error_code ec;
  const std::filesystem::path hex = std::filesystem::absolute(hexFile, ec);
  if (!std::filesystem::is_regular_file(hex, ec))
    return Error{"no such hex file", hexFile.string()};
  if (hex.string().find('"') != std::string::npos) {
    return Error{"the simulator cannot load a file whose path holds a quote", hex.string()};
  }
  for (const auto& [point, pin] : pins.inputs) {
    if (pin.port >= kSimulatedPorts) {
      return Error{"the simulated 8052 has no port 4, so " + point + " on " + pin.name() +
                       " cannot be driven",
                   {}};
    }
  }
  for (const StimulusEvent& event : stimulus.events) {
    if (!pins.inputs.contains(event.point)) {
      return Error{"the stimulus switches " + event.point + ", which no pin carries", {}};
    }
  }
  if (options.crystalMHz <= 0 || options.sliceMicros == 0) {
    return Error{"the crystal frequency and the time slice must be positive", {}};
  }

  S51 s51(options.answerTimeLimit);
  if (Status started = s51.start(options, hex.parent_path()); !started) return started.error();
  std::string setup = "file \"" + hex.string() + "\"\n";
  if (options.powerOn) setup += "set memory sfr 0x87 0x10\n";
  Result<std::string> loaded = s51.exchange(setup);
  if (!loaded) return loaded.error();
  if (loaded->find("words read") == std::string::npos) {
    s51.quit();
    return Error{"the simulator could not load the hex file", hex.string()};
  }

  const double ticksPerMicro = options.crystalMHz;  // oscillator periods per microsecond
  auto micros = [&](std::uint64_t ticks) {
    return static_cast<std::uint64_t>(std::llround(static_cast<double>(ticks) / ticksPerMicro));
  };
  const std::uint64_t endTicks = static_cast<std::uint64_t>(
      std::llround(static_cast<double>(options.untilMicros) * ticksPerMicro));
  const std::uint64_t sliceTicks = std::max<std::uint64_t>(
      1, static_cast<std::uint64_t>(
             std::llround(static_cast<double>(options.sliceMicros) * ticksPerMicro)));

  // Outside levels of ports 0..3: a pin with its input point on is pulled low.
  std::array<int, kSimulatedPorts> levels{0xFF, 0xFF, 0xFF, 0xFF};
  std::map<std::string, bool> outputOn;
  for (const auto& entry : pins.outputs) outputOn[entry.first] = false;
  bool watchPort4 = std::any_of(pins.outputs.begin(), pins.outputs.end(),
                                [](const auto& entry) { return entry.second.port == 4; });
  const std::string sample =
      std::string("expression P0\nexpression P1\nexpression P2\nexpression P3\n") +
      (watchPort4 ? "expression sfr[" + std::to_string(kPort4Sfr) + "]\n" : "");
  const std::size_t sampleCount = watchPort4 ? 5 : 4;

  SimulationResult result;
  std::uint64_t now = 0;
  std::size_t nextEvent = 0;
  double ticksPerInstruction = 12.0;  // refined from what the simulator reports
  while (now < endTicks) {
    // Inputs due by now switch first.
    std::string commands;
    std::array<int, kSimulatedPorts> newLevels = levels;
    while (nextEvent < stimulus.events.size() &&
           static_cast<double>(stimulus.events[nextEvent].timeMicros) * ticksPerMicro <=
               static_cast<double>(now)) {
      const StimulusEvent& event = stimulus.events[nextEvent++];
      const PortPin pin = pins.inputs.at(event.point);
      if (event.on)
        newLevels[pin.port] &= ~(1 << pin.bit);
      else
        newLevels[pin.port] |= 1 << pin.bit;
      result.inputs.push_back({event.point, event.on, micros(now)});
    }
    for (int port = 0; port < kSimulatedPorts; ++port) {
      if (newLevels[port] != levels[port]) {
        char line[48];
        std::snprintf(line, sizeof line, "set hw port[%d] 0x%02x\n", port, newLevels[port]);
        commands += line;
      }
    }
    levels = newLevels;

    // Step towards the end of the slice, or the next input change if it comes first.
    std::uint64_t target = std::min(endTicks, now + sliceTicks);
    if (nextEvent < stimulus.events.size()) {
      auto eventTicks = static_cast<std::uint64_t>(
          std::llround(static_cast<double>(stimulus.events[nextEvent].timeMicros) * ticksPerMicro));
      target = std::min(target, std::max(eventTicks, now + 1));
    }
    auto instructions = static_cast<std::uint64_t>(
        std::max(1.0, std::floor(static_cast<double>(target - now) / ticksPerInstruction)));
    commands += "step " + std::to_string(instructions) + "\n" + sample;
    Result<std::string> answer = s51.exchange(commands);
    if (!answer) return answer.error();
    std::uint64_t stepped = 0;
    if (!readSteppedTicks(*answer, stepped)) {
      s51.quit();
      return Error{"the simulator did not report the simulated time", {}};
    }
    if (stepped == 0) {
      s51.quit();
      return Error{"the simulated chip has stopped", {}};
    }
    ticksPerInstruction =
        std::max(12.0, static_cast<double>(stepped) / static_cast<double>(instructions));
    now += stepped;

    std::vector<long> ports = readValues(*answer, sampleCount);
    if (ports.size() != sampleCount) {
      s51.quit();
      return Error{"the simulator's answer about the ports cannot be read", {}};
    }
    for (const auto& [point, pin] : pins.outputs) {
      bool on = (ports[static_cast<std::size_t>(pin.port)] & (1 << pin.bit)) == 0;  // active low
      if (on != outputOn[point]) {
        outputOn[point] = on;
        result.outputs.push_back({point, on, micros(now)});
      }
    }
    if (progress) progress(micros(now));
  }

  Result<std::string> state = s51.exchange("state\n");
  if (state) {
    std::size_t at = state->find("Max value of stack pointer=");
    unsigned value = 0;
    if (at != std::string::npos &&
        std::sscanf(state->c_str() + at, "Max value of stack pointer= %x", &value) == 1) {
      result.maxStackPointer = static_cast<int>(value);
    }
  }
  s51.quit();
  result.clockTicks = now;
  result.simulatedMicros = micros(now);
  return result;
}

std::string formatTimeline(const SimulationResult& result) {
  std::string text;
  for (const PointChange& change : result.outputs) {
    text += change.point + (change.on ? " on" : " off") + " at " +
            std::to_string((change.timeMicros + 500) / 1000) + " ms\n";
  }
  return text;
}

std::string formatVcd(const SimulationResult& result, const SimPinMap& pins) {
  // Identifiers are single printable characters from '!' on, one per point.
  std::map<std::string, char> ids;
  char next = '!';
  for (const auto* side : {&pins.inputs, &pins.outputs}) {
    for (const auto& entry : *side) ids[entry.first] = next++;
  }
  std::string text = "$timescale 1us $end\n$scope module plc $end\n";
  for (const auto& [point, id] : ids) {
    text += "$var wire 1 ";
    text += id;
    text += " " + point + " $end\n";
  }
  text += "$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n";
  for (const auto& entry : ids) {
    text += '0';
    text += entry.second;
    text += '\n';
  }
  text += "$end\n";
  std::vector<PointChange> all = result.inputs;
  all.insert(all.end(), result.outputs.begin(), result.outputs.end());
  std::stable_sort(all.begin(), all.end(), [](const PointChange& a, const PointChange& b) {
    return a.timeMicros < b.timeMicros;
  });
  std::uint64_t shown = 0;
  for (const PointChange& change : all) {
    if (change.timeMicros != shown) {
      text += "#" + std::to_string(change.timeMicros) + "\n";
      shown = change.timeMicros;
    }
    text += change.on ? '1' : '0';
    text += ids.at(change.point);
    text += '\n';
  }
  text += "#" + std::to_string(result.simulatedMicros) + "\n";
  return text;
}

}  // namespace ladder51
