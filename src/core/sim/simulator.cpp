#include "core/sim/simulator.h"

#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "core/toolchain/process.h"

namespace ladder51 {
namespace {

constexpr int kSimulatedPorts = 4;  // ports 0..3; the 8052 of s51 has no port 4
constexpr char kPort4Sfr[] = "sfr[0xe8]";
// Stops of the simulator sent in one batch; two batches are in flight at a time so that the
// simulator always has its next commands waiting (when idle it looks for input only every
// 100 ms).
constexpr std::size_t kStopsPerBatch = 64;
// Tag bytes of the values read back (see S51::batchEnd).
constexpr long kMarkerTag = 0x5C000000;
constexpr long kPort4Tag = 0x5B000000;
constexpr long kWatchTag = 0x5D000000;
// The simulator variable the stop waveform switches at every stop time: a byte of external
// RAM, which the firmware (small model, no xdata) never touches.
constexpr char kClockVariable[] = "ladder51_clock";
constexpr char kClockCell[] = "xram 0xffff";

// A folder for the waveforms exchanged with the simulator, removed with everything in it.
class WaveFolder {
 public:
  WaveFolder() {
    std::error_code ec;
    std::string pattern =
        (std::filesystem::temp_directory_path(ec) / "ladder51-s51-XXXXXX").string();
    if (!ec && ::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~WaveFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  WaveFolder(const WaveFolder&) = delete;
  WaveFolder& operator=(const WaveFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

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
    if (!started)
      return Error{ErrorKind::SimulatorFailed, "the 8051 simulator cannot be started",
                   options.simulator};
    return success();
  }

  // Sends a batch without waiting for its answer; answers come back in order through read().
  Status send(const std::string& commands) {
    // s51 echoes each command as it reads it, and the echo can land among its answers. So
    // every value asked for is printed in hexadecimal behind a tag byte (0x5c for the marker)
    // while the command gives it in decimal: an echo can never look like an answer.
    const long marker = kMarkerTag + (++sent_ & 0xFFFFFF);
    Status sent = session_.send(commands + "expression /X " + std::to_string(marker) + "\n");
    if (!sent)
      return Error{ErrorKind::SimulatorFailed, "the 8051 simulator stopped reading",
                   sent.error().message};
    return success();
  }

  // The answer to the oldest batch not read yet, allowed `simulated` more time than an answer
  // needs: the chip may run that long first, and s51 is not always faster than real time.
  Result<std::string> read(std::chrono::milliseconds simulated) {
    const long marker = kMarkerTag + (++read_ & 0xFFFFFF);
    char expected[16];
    std::snprintf(expected, sizeof expected, "0x%08lx", marker);
    Result<std::string> answer = session_.readUntil(expected, limit_ + simulated);
    if (!answer)
      return Error{ErrorKind::SimulatorFailed, "the 8051 simulator stopped answering",
                   answer.error().message};
    return answer;
  }

  void sendQuit() {
    if (!quitSent_) (void)session_.send("quit\n");
    quitSent_ = true;
  }

  void quit() {
    sendQuit();
    session_.finish(std::chrono::seconds(2));
  }

 private:
  ProcessSession session_;
  std::chrono::milliseconds limit_;
  long sent_ = 0;
  long read_ = 0;
  bool quitSent_ = false;
};

// The next value printed behind `tag`: the tag, six hex digits and the line's end. Register
// dumps and disassembly show shorter or longer numbers, so they never match.
std::size_t findTagged(const std::string& answer, const char* tag, std::size_t from) {
  for (std::size_t at = answer.find(tag, from); at != std::string::npos;
       at = answer.find(tag, at + 1)) {
    std::size_t end = at + 10;
    if (end >= answer.size() || (answer[end] != '\n' && answer[end] != '\r')) continue;
    bool hex = true;
    for (std::size_t k = at + 4; k < end; ++k)
      hex = hex && std::isxdigit(static_cast<unsigned char>(answer[k]));
    if (hex) return at;
  }
  return std::string::npos;
}

// What the simulator reported at one stop: the oscillator periods since the previous stop
// ("Simulated 1200012 ticks (1.000e-01 sec)"), why it stopped, and the tagged values read.
struct StopAnswer {
  std::uint64_t ticks = 0;
  std::string reason;  // "Breakpoint" for a stop at a waveform event
  std::vector<unsigned long> values;
};

// The stops in an answer, in the order they came.
std::vector<StopAnswer> readStops(const std::string& answer) {
  std::vector<StopAnswer> stops;
  std::size_t at = answer.find("\nSimulated ");
  while (at != std::string::npos) {
    StopAnswer stop;
    unsigned long long ticks = 0;
    if (std::sscanf(answer.c_str() + at, "\nSimulated %llu ticks", &ticks) == 1) {
      stop.ticks = ticks;
    }
    // "Stop at 0x0000cc: (104) Breakpoint" precedes the register dump.
    std::size_t stopLine = answer.rfind("Stop at ", at);
    if (stopLine != std::string::npos) {
      std::size_t open = answer.find(") ", stopLine);
      std::size_t lineEnd = answer.find('\n', stopLine);
      if (open != std::string::npos && open < lineEnd) {
        stop.reason = answer.substr(open + 2, lineEnd - open - 2);
        while (!stop.reason.empty() && std::isspace(static_cast<unsigned char>(stop.reason.back())))
          stop.reason.pop_back();
      }
    }
    const std::size_t next = answer.find("\nSimulated ", at + 1);
    const std::size_t limit = next == std::string::npos ? answer.size() : next;
    for (const char* tag : {"0x5b", "0x5d"}) {
      for (std::size_t v = findTagged(answer, tag, at); v != std::string::npos && v < limit;
           v = findTagged(answer, tag, v + 4)) {
        stop.values.push_back(std::strtoul(answer.c_str() + v, nullptr, 16));
      }
    }
    stops.push_back(std::move(stop));
    at = next;
  }
  return stops;
}

// The levels of the input ports over time, as a waveform s51 plays into the pins, with the
// stop times marked on the clock variable (s51 breaks at every event of this waveform).
std::string stimulusWaveform(
    const std::vector<std::pair<std::uint64_t, std::array<int, 4>>>& levels,
    const std::vector<int>& inputPorts, const std::vector<std::uint64_t>& stopTimes) {
  std::string text = "$timescale 1us $end\n$scope module stimulus $end\n";
  // s51 maps a wire of width w to bits w-2..0, so 32-bit wires carry the 8 pins.
  for (std::size_t k = 0; k < inputPorts.size(); ++k) {
    text += "$var wire 32 " + std::string(1, static_cast<char>('a' + k)) + " port" +
            std::to_string(inputPorts[k]) + "_pin $end\n";
  }
  text += "$var wire 32 z " + std::string(kClockVariable) + " $end\n";
  text += "$upscope $end\n$enddefinitions $end\n";
  auto bits = [](int value) {
    std::string b;
    for (int bit = 7; bit >= 0; --bit) b += (value >> bit) & 1 ? '1' : '0';
    return b;
  };
  std::size_t change = 0;
  std::array<int, 4> current{0xFF, 0xFF, 0xFF, 0xFF};
  int clock = 0;
  for (std::uint64_t time : stopTimes) {
    text += "#" + std::to_string(time) + "\n";
    while (change < levels.size() && levels[change].first <= time) {
      for (std::size_t k = 0; k < inputPorts.size(); ++k) {
        const int port = inputPorts[k];
        if (levels[change].second[port] != current[port]) {
          current[port] = levels[change].second[port];
          text +=
              "b" + bits(current[port]) + " " + std::string(1, static_cast<char>('a' + k)) + "\n";
        }
      }
      ++change;
    }
    clock ^= 1;
    text += "b" + bits(clock) + " z\n";
  }
  return text;
}

// A port's level changes read from the waveform s51 recorded.
struct PortChange {
  std::uint64_t timeMicros = 0;
  int port = 0;
  int level = 0xFF;
};

// Parses s51's output waveform: variables "portN_value", times in its own time scale.
Result<std::vector<PortChange>> readOutputWaveform(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return Error{ErrorKind::SimulatorFailed, "the simulator wrote no waveform of the outputs",
                 path.string()};
  std::map<std::string, int> portOf;
  double microsPerUnit = 1e-6;  // s51 picks picoseconds
  std::uint64_t time = 0;
  std::vector<PortChange> changes;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("$timescale", 0) == 0) {
      double count = 1;
      char unit[8] = {};
      if (std::sscanf(line.c_str(), "$timescale %lf %7[a-z]", &count, unit) == 2 ||
          std::sscanf(line.c_str(), "$timescale %lf%7[a-z]", &count, unit) == 2) {
        const std::map<std::string, double> units = {{"s", 1e6},   {"ms", 1e3},  {"us", 1},
                                                     {"ns", 1e-3}, {"ps", 1e-6}, {"fs", 1e-9}};
        if (auto u = units.find(unit); u != units.end()) microsPerUnit = count * u->second;
      }
    } else if (line.rfind("$var", 0) == 0) {
      std::istringstream words(line);
      std::string var, type, width, id, name;
      words >> var >> type >> width >> id >> name;
      int port = -1;
      if (std::sscanf(name.c_str(), "port%d_value", &port) == 1) portOf[id] = port;
    } else if (line[0] == '#') {
      const double units = std::strtod(line.c_str() + 1, nullptr);
      time = static_cast<std::uint64_t>(std::llround(units * microsPerUnit));
    } else if (line[0] == 'b') {
      const std::size_t blank = line.find(' ');
      if (blank == std::string::npos) continue;
      auto port = portOf.find(line.substr(blank + 1));
      if (port == portOf.end()) continue;
      const unsigned long value = std::strtoul(line.c_str() + 1, nullptr, 2);
      changes.push_back({time, port->second, static_cast<int>(value & 0xFF)});
    }
  }
  return changes;
}

// The expression that reads a watched value into the low 16 bits.
std::string watchExpression(const RamWatch& watch) {
  char cell[32];
  std::snprintf(cell, sizeof cell, "iram[0x%02x]", watch.address);
  if (watch.bit >= 0) return "((" + std::string(cell) + ">>" + std::to_string(watch.bit) + ")&1)";
  if (watch.bytes == 1) return cell;
  char high[32];
  std::snprintf(high, sizeof high, "iram[0x%02x]", watch.address + 1);
  return "(" + std::string(cell) + "|(" + high + "<<8))";
}

Status checkRequest(const std::filesystem::path& hexFile, const std::filesystem::path& hex,
                    const SimPinMap& pins, const Stimulus& stimulus,
                    const SimulationOptions& options) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(hex, ec))
    return Error{ErrorKind::CannotOpen, "no such hex file", hexFile.string()};
  if (hex.string().find('"') != std::string::npos) {
    return Error{ErrorKind::BadArgument,
                 "the simulator cannot load a file whose path holds a quote", hex.string()};
  }
  for (const auto& [point, pin] : pins.inputs) {
    if (pin.port >= kSimulatedPorts) {
      return Error{ErrorKind::BadArgument, "the simulated 8052 has no port 4, so " + point +
                                               " on " + pin.name() + " cannot be driven"};
    }
  }
  for (const StimulusEvent& event : stimulus.events) {
    if (!pins.inputs.contains(event.point)) {
      return Error{ErrorKind::BadArgument,
                   "the stimulus switches " + event.point + ", which no pin carries"};
    }
  }
  if (options.crystalMHz <= 0 || options.sliceMicros == 0 || options.untilMicros == 0) {
    return Error{ErrorKind::BadArgument,
                 "the crystal frequency, the time slice and the simulated time must be positive"};
  }
  if (options.watches.size() > 255)
    return Error{ErrorKind::BadArgument, "too many values to watch"};
  for (const RamWatch& watch : options.watches) {
    if (watch.address < 0 || watch.address + watch.bytes > 256 || watch.bytes < 1 ||
        watch.bytes > 2 || watch.bit < -1 || watch.bit > 7) {
      return Error{ErrorKind::BadArgument, "a watched value lies outside the internal RAM",
                   watch.name};
    }
  }
  return success();
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
  if (Status valid = checkRequest(hexFile, hex, pins, stimulus, options); !valid) {
    return valid.error();
  }
  WaveFolder waves;
  if (waves.path().empty() || waves.path().string().find('"') != std::string::npos) {
    return Error{ErrorKind::SimulatorFailed, "no temporary folder for the simulator's waveforms"};
  }
  const std::filesystem::path stimulusFile = waves.path() / "stimulus.vcd";
  const std::filesystem::path outputFile = waves.path() / "outputs.vcd";

  // Which ports carry inputs and outputs.
  std::set<int> inputPortSet, outputPortSet;
  bool port4Outputs = false;
  for (const auto& entry : pins.inputs) inputPortSet.insert(entry.second.port);
  for (const auto& entry : pins.outputs) {
    if (entry.second.port < kSimulatedPorts)
      outputPortSet.insert(entry.second.port);
    else
      port4Outputs = true;
  }
  const std::vector<int> inputPorts(inputPortSet.begin(), inputPortSet.end());

  // The levels of ports 0..3 after each stimulus time (a pin with its input on is pulled low),
  // and the inputs as applied.
  SimulationResult result;
  std::vector<std::pair<std::uint64_t, std::array<int, 4>>> levels;
  std::array<int, 4> level{0xFF, 0xFF, 0xFF, 0xFF};
  for (const StimulusEvent& event : stimulus.events) {
    if (event.timeMicros > options.untilMicros) break;
    const PortPin pin = pins.inputs.at(event.point);
    if (event.on)
      level[pin.port] &= ~(1 << pin.bit);
    else
      level[pin.port] |= 1 << pin.bit;
    if (!levels.empty() && levels.back().first == event.timeMicros)
      levels.back().second = level;
    else
      levels.push_back({event.timeMicros, level});
    result.inputs.push_back({event.point, event.on, event.timeMicros});
  }

  // The simulator stops at every input change (where it applies the new levels), at every
  // sample when something must be read from the chip, and at the end.
  const bool sampling = !options.watches.empty() || port4Outputs;
  std::set<std::uint64_t> stopSet;
  for (const auto& change : levels) stopSet.insert(change.first);
  if (sampling) {
    for (std::uint64_t t = options.sliceMicros; t < options.untilMicros; t += options.sliceMicros)
      stopSet.insert(t);
  }
  stopSet.insert(options.untilMicros);
  const std::vector<std::uint64_t> stops(stopSet.begin(), stopSet.end());
  std::set<std::uint64_t> sampleSet;
  if (sampling) {
    for (std::uint64_t t = options.sliceMicros; t < options.untilMicros; t += options.sliceMicros)
      sampleSet.insert(t);
  }
  sampleSet.insert(options.untilMicros);
  {
    std::ofstream out(stimulusFile, std::ios::binary | std::ios::trunc);
    out << stimulusWaveform(levels, inputPorts, stops);
    if (!out)
      return Error{ErrorKind::SimulatorFailed, "cannot write the stimulus waveform",
                   stimulusFile.string()};
  }

  std::string sample;
  if (port4Outputs) sample += "expression /X " + std::to_string(kPort4Tag) + "|" + kPort4Sfr + "\n";
  for (std::size_t k = 0; k < options.watches.size(); ++k) {
    sample += "expression /X " + std::to_string(kWatchTag + (static_cast<long>(k) << 16)) + "|" +
              watchExpression(options.watches[k]) + "\n";
  }
  const std::size_t valuesPerSample = (port4Outputs ? 1 : 0) + options.watches.size();

  std::string setup = "file \"" + hex.string() + "\"\n";
  if (options.powerOn) setup += "set memory sfr 0x87 0x10\n";
  setup += "var " + std::string(kClockVariable) + " " + kClockCell + "\n";
  setup += "set hw vcd[0] new 1\n";
  if (!outputPortSet.empty()) {
    for (int port : outputPortSet)
      setup += "set hw vcd[0] add port_" + std::to_string(port) + "_cfg 2\n";
    setup += "set hw vcd[0] file \"" + outputFile.string() + "\"\nset hw vcd[0] start\n";
  }
  setup += "set hw vcd[1] input \"" + stimulusFile.string() +
           "\"\nset hw vcd[1] break\nset hw vcd[1] start\n";

  // The batches: each stop is a run to the next event of the stimulus waveform, followed by the
  // reads when it is a sample time. The last batch also stops the output recording and asks
  // for the stack's high-water mark.
  std::vector<std::string> batches;
  for (std::size_t first = 0; first < stops.size(); first += kStopsPerBatch) {
    std::string batch = first == 0 ? setup : std::string();
    for (std::size_t k = first; k < std::min(stops.size(), first + kStopsPerBatch); ++k) {
      batch += "run\n";
      if (sampleSet.contains(stops[k])) batch += sample;
    }
    batches.push_back(std::move(batch));
  }
  batches.back() += "set hw vcd[0] stop\nstate\n";

  S51 s51(options.answerTimeLimit);
  if (Status started = s51.start(options, hex.parent_path()); !started) return started.error();
  auto fail = [&s51](Error error) {
    s51.quit();
    return error;
  };
  auto sendBatch = [&](std::size_t k) {
    Status sent = s51.send(batches[k]);
    // Queued behind the last batch, the quit is read at once instead of at s51's next look.
    if (sent && k + 1 == batches.size()) s51.sendQuit();
    return sent;
  };
  for (std::size_t k = 0; k < std::min<std::size_t>(2, batches.size()); ++k) {
    if (Status sent = sendBatch(k); !sent) return fail(sent.error());
  }

  const double ticksPerMicro = options.crystalMHz;  // oscillator periods per microsecond
  auto micros = [&](std::uint64_t ticks) {
    return static_cast<std::uint64_t>(std::llround(static_cast<double>(ticks) / ticksPerMicro));
  };
  std::uint64_t now = 0;
  std::size_t stopIndex = 0;
  std::vector<long> lastValues(options.watches.size(), -1);
  int port4Level = 0xFF;
  std::vector<PointChange> port4Changes;
  std::string lastAnswer;
  for (std::size_t k = 0; k < batches.size(); ++k) {
    const std::size_t last = std::min(stops.size(), (k + 1) * kStopsPerBatch) - 1;
    const std::uint64_t batchMicros = stops[last] - (k == 0 ? 0 : stops[k * kStopsPerBatch - 1]);
    Result<std::string> answer = s51.read(std::chrono::milliseconds(batchMicros / 1000));
    if (!answer) return fail(answer.error());
    if (k + 2 < batches.size()) {
      if (Status sent = sendBatch(k + 2); !sent) return fail(sent.error());
    }

    if (k == 0 && answer->find("words read") == std::string::npos) {
      return fail(Error{ErrorKind::SimulatorFailed, "the simulator could not load the hex file",
                        hex.string()});
    }
    const std::vector<StopAnswer> answered = readStops(*answer);
    const std::size_t expected = std::min(stops.size(), (k + 1) * kStopsPerBatch) - stopIndex;
    if (answered.size() != expected) {
      return fail(Error{ErrorKind::SimulatorFailed, "the simulator's answer cannot be read"});
    }
    for (const StopAnswer& stop : answered) {
      const std::uint64_t stopTime = stops[stopIndex++];
      now += stop.ticks;
      // A stop short of its event is the chip stopping on its own (an invalid instruction).
      const double due = static_cast<double>(stopTime) * ticksPerMicro;
      if (stop.reason != "Breakpoint" || static_cast<double>(now) + 1 < due) {
        return fail(Error{ErrorKind::ChipStopped, "the simulated chip has stopped", stop.reason});
      }
      const std::uint64_t at = micros(now);
      if (!sampleSet.contains(stopTime)) continue;
      if (stop.values.size() != valuesPerSample) {
        return fail(Error{ErrorKind::SimulatorFailed,
                          "the simulator's answer about the chip's values cannot be read"});
      }
      std::size_t value = 0;
      if (port4Outputs) {
        const int sampled = static_cast<int>(stop.values[value++] & 0xFF);
        for (const auto& [point, pin] : pins.outputs) {
          if (pin.port < kSimulatedPorts) continue;
          const bool was = (port4Level & (1 << pin.bit)) == 0;
          const bool on = (sampled & (1 << pin.bit)) == 0;
          if (on != was) port4Changes.push_back({point, on, at});
        }
        port4Level = sampled;
      }
      for (std::size_t w = 0; w < options.watches.size(); ++w) {
        const unsigned long tagged = stop.values[value++];
        const std::size_t index = (tagged >> 16) & 0xFF;
        if (index >= options.watches.size()) {
          return fail(Error{ErrorKind::SimulatorFailed,
                            "the simulator's answer about the chip's values cannot be read"});
        }
        const long read = static_cast<long>(tagged & 0xFFFF);
        if (read != lastValues[index]) {
          result.watched.push_back({options.watches[index].name, read, at});
          lastValues[index] = read;
        }
      }
      if (stopTime == options.untilMicros) {
        for (std::size_t w = 0; w < options.watches.size(); ++w) {
          result.finalValues.push_back({options.watches[w].name, lastValues[w], at});
        }
      }
    }
    if (progress) progress(micros(now));
    lastAnswer = std::move(*answer);
  }
  std::size_t at = lastAnswer.find("Max value of stack pointer=");
  unsigned value = 0;
  if (at != std::string::npos &&
      std::sscanf(lastAnswer.c_str() + at, "Max value of stack pointer= %x", &value) == 1) {
    result.maxStackPointer = static_cast<int>(value);
  }
  s51.quit();
  result.clockTicks = now;
  result.simulatedMicros = micros(now);

  // The outputs on ports 0..3 as s51 recorded them; outputs are active low.
  if (!outputPortSet.empty()) {
    Result<std::vector<PortChange>> changes = readOutputWaveform(outputFile);
    if (!changes) return changes.error();
    std::array<int, 4> portLevel{0xFF, 0xFF, 0xFF, 0xFF};
    for (const PortChange& change : *changes) {
      if (change.timeMicros > result.simulatedMicros) break;
      for (const auto& [point, pin] : pins.outputs) {
        if (pin.port != change.port) continue;
        const bool was = (portLevel[change.port] & (1 << pin.bit)) == 0;
        const bool on = (change.level & (1 << pin.bit)) == 0;
        if (on != was) result.outputs.push_back({point, on, change.timeMicros});
      }
      portLevel[change.port] = change.level;
    }
  }
  result.outputs.insert(result.outputs.end(), port4Changes.begin(), port4Changes.end());
  std::stable_sort(
      result.outputs.begin(), result.outputs.end(),
      [](const PointChange& a, const PointChange& b) { return a.timeMicros < b.timeMicros; });
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
