#include "core/sim/s51_answer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "core/sim/s51_script.h"

namespace ladder51 {
namespace {

constexpr int kPort4 = kSimulatedPorts;

// "0x5b" for a tag.
std::string tagText(long tag) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02lx", (tag >> 24) & 0xFF);
  return text;
}

// The next value printed behind `tag`: the tag, six hex digits and the line's end. Register
// dumps and disassembly show shorter or longer numbers, so they never match.
std::size_t findTagged(std::string_view answer, std::string_view tag, std::size_t from) {
  for (std::size_t at = answer.find(tag, from); at != std::string_view::npos;
       at = answer.find(tag, at + 1)) {
    std::size_t end = at + 10;
    if (end >= answer.size() || (answer[end] != '\n' && answer[end] != '\r')) continue;
    bool hex = true;
    for (std::size_t k = at + 4; k < end; ++k)
      hex = hex && std::isxdigit(static_cast<unsigned char>(answer[k]));
    if (hex) return at;
  }
  return std::string_view::npos;
}

}  // namespace

std::vector<StopAnswer> readStops(std::string_view answer) {
  const std::string text(answer);  // sscanf and strtoul need the terminating zero
  const std::string tags[] = {tagText(kPort4Tag), tagText(kWatchTag)};
  std::vector<StopAnswer> stops;
  std::size_t at = text.find("\nSimulated ");
  while (at != std::string::npos) {
    StopAnswer stop;
    unsigned long long ticks = 0;
    if (std::sscanf(text.c_str() + at, "\nSimulated %llu ticks", &ticks) == 1) stop.ticks = ticks;
    // "Stop at 0x0000cc: (104) Breakpoint" precedes the register dump.
    std::size_t stopLine = text.rfind("Stop at ", at);
    if (stopLine != std::string::npos) {
      std::size_t open = text.find(") ", stopLine);
      std::size_t lineEnd = text.find('\n', stopLine);
      if (open != std::string::npos && open < lineEnd) {
        stop.reason = text.substr(open + 2, lineEnd - open - 2);
        while (!stop.reason.empty() && std::isspace(static_cast<unsigned char>(stop.reason.back())))
          stop.reason.pop_back();
      }
    }
    const std::size_t next = text.find("\nSimulated ", at + 1);
    const std::size_t limit = next == std::string::npos ? text.size() : next;
    for (const std::string& tag : tags) {
      for (std::size_t v = findTagged(text, tag, at); v != std::string::npos && v < limit;
           v = findTagged(text, tag, v + 4)) {
        stop.values.push_back(std::strtoul(text.c_str() + v, nullptr, 16));
      }
    }
    stops.push_back(std::move(stop));
    at = next;
  }
  return stops;
}

std::vector<unsigned long> taggedValues(std::string_view answer, long tag) {
  const std::string text(answer);
  std::vector<unsigned long> values;
  for (std::size_t v = findTagged(text, tagText(tag), 0); v != std::string::npos;
       v = findTagged(text, tagText(tag), v + 4)) {
    values.push_back(std::strtoul(text.c_str() + v, nullptr, 16));
  }
  return values;
}

std::optional<std::vector<long>> watchValues(std::span<const unsigned long> tagged,
                                             const std::vector<RamWatch>& watches) {
  std::vector<long> values;
  std::size_t at = 0;
  for (std::size_t w = 0; w < watches.size(); ++w) {
    // Each part carries the watch's index; a 32-bit value comes as its low half, then its high.
    long value = 0;
    for (std::size_t part = 0; part < watchParts(watches[w]); ++part, ++at) {
      if (at == tagged.size() || ((tagged[at] >> 16) & 0xFF) != w) return std::nullopt;
      value |= static_cast<long>(tagged[at] & 0xFFFF) << (16 * part);
    }
    values.push_back(value);
  }
  if (at != tagged.size()) return std::nullopt;
  return values;
}

bool reportsProgramLoaded(std::string_view answer) {
  return answer.find("words read") != std::string_view::npos;
}

int maxStackPointerIn(std::string_view answer) {
  constexpr std::string_view kLine = "Max value of stack pointer=";
  const std::size_t at = answer.find(kLine);
  unsigned value = 0;
  if (at == std::string_view::npos || std::sscanf(std::string(answer.substr(at)).c_str(),
                                                  "Max value of stack pointer= %x", &value) != 1) {
    return -1;
  }
  return static_cast<int>(value);
}

std::vector<PortChange> OutputWaveformReader::take(std::string_view lines) {
  std::vector<PortChange> changes;
  std::istringstream in{std::string(lines)};
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.rfind("$timescale", 0) == 0) {
      double count = 1;
      char unit[8] = {};
      if (std::sscanf(line.c_str(), "$timescale %lf %7[a-z]", &count, unit) == 2 ||
          std::sscanf(line.c_str(), "$timescale %lf%7[a-z]", &count, unit) == 2) {
        const std::map<std::string, double> units = {{"s", 1e6},   {"ms", 1e3},  {"us", 1},
                                                     {"ns", 1e-3}, {"ps", 1e-6}, {"fs", 1e-9}};
        if (auto u = units.find(unit); u != units.end()) microsPerUnit_ = count * u->second;
      }
    } else if (line.rfind("$var", 0) == 0) {
      std::istringstream words(line);
      std::string var, type, width, id, name;
      words >> var >> type >> width >> id >> name;
      int port = -1;
      if (std::sscanf(name.c_str(), "port%d_value", &port) == 1) portOf_[id] = port;
    } else if (line[0] == '#') {
      const double units = std::strtod(line.c_str() + 1, nullptr);
      time_ = static_cast<std::uint64_t>(std::llround(units * microsPerUnit_));
    } else if (line[0] == 'b') {
      const std::size_t blank = line.find(' ');
      if (blank == std::string::npos) continue;
      auto port = portOf_.find(line.substr(blank + 1));
      if (port == portOf_.end()) continue;
      const unsigned long value = std::strtoul(line.c_str() + 1, nullptr, 2);
      changes.push_back({time_, port->second, static_cast<int>(value & 0xFF)});
    }
  }
  return changes;
}

std::vector<PortChange> readOutputWaveform(std::string_view text) {
  return OutputWaveformReader().take(text);
}

std::vector<PointChange> outputChanges(const std::vector<PortChange>& changes,
                                       const SimPinMap& pins, std::uint64_t untilMicros) {
  PortLevelArray levels{0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  return outputChanges(changes, pins, untilMicros, levels);
}

std::vector<PointChange> outputChanges(const std::vector<PortChange>& changes,
                                       const SimPinMap& pins, std::uint64_t untilMicros,
                                       PortLevelArray& portLevel) {
  std::vector<PointChange> points;
  for (const PortChange& change : changes) {
    if (change.timeMicros > untilMicros || change.port < 0 || change.port > kPort4) continue;
    for (const auto& [point, pin] : pins.outputs) {
      if (pin.port != change.port) continue;
      const bool was = (portLevel[change.port] & (1 << pin.bit)) == 0;
      const bool on = (change.level & (1 << pin.bit)) == 0;
      if (on != was) points.push_back({point, on, change.timeMicros});
    }
    portLevel[change.port] = change.level;
  }
  std::stable_sort(points.begin(), points.end(), [](const PointChange& a, const PointChange& b) {
    return a.timeMicros < b.timeMicros;
  });
  return points;
}

AnswerReader::AnswerReader(const StopPlan& plan, const SimPinMap& pins,
                           const SimulationOptions& options)
    : plan_(plan), pins_(pins), options_(options), lastValues_(options.watches.size(), -1) {}

std::uint64_t AnswerReader::simulatedMicros() const {
  // The crystal gives the oscillator periods per microsecond.
  return static_cast<std::uint64_t>(
      std::llround(static_cast<double>(ticks_) / options_.crystalMHz));
}

Status AnswerReader::take(std::string_view answer, std::size_t stopCount) {
  const std::vector<StopAnswer> answered = readStops(answer);
  if (answered.size() != stopCount || nextStop_ + stopCount > plan_.stops.size())
    return Error{ErrorKind::SimulatorFailed, "the simulator's answer cannot be read"};
  for (const StopAnswer& stop : answered) {
    const Stop& planned = plan_.stops[nextStop_++];
    ticks_ += stop.ticks;
    // A stop short of its event is the chip stopping on its own (an invalid instruction).
    const double due = static_cast<double>(planned.timeMicros) * options_.crystalMHz;
    if (stop.reason != "Breakpoint" || static_cast<double>(ticks_) + 1 < due)
      return Error{ErrorKind::ChipStopped, "the simulated chip has stopped", stop.reason};
    if (!planned.sample) continue;
    const std::uint64_t at = simulatedMicros();
    if (Status read = takeSample(stop, at); !read) return read;
    if (nextStop_ == plan_.stops.size()) {
      for (std::size_t w = 0; w < options_.watches.size(); ++w)
        finalValues_.push_back({options_.watches[w].name, lastValues_[w], at});
    }
  }
  return success();
}

Status AnswerReader::takeSample(const StopAnswer& stop, std::uint64_t atMicros) {
  const Error unreadable{ErrorKind::SimulatorFailed,
                         "the simulator's answer about the chip's values cannot be read"};
  if (stop.values.size() != plan_.valuesPerSample) return unreadable;
  std::size_t value = 0;
  if (plan_.port4Outputs) {
    port4_.push_back({atMicros, kPort4, static_cast<int>(stop.values[value++] & 0xFF)});
  }
  const std::optional<std::vector<long>> read =
      watchValues(std::span(stop.values).subspan(value), options_.watches);
  if (!read) return unreadable;
  for (std::size_t w = 0; w < read->size(); ++w) {
    if ((*read)[w] != lastValues_[w]) {
      watched_.push_back({options_.watches[w].name, (*read)[w], atMicros});
      lastValues_[w] = (*read)[w];
    }
  }
  return success();
}

SimulationResult AnswerReader::finish(const std::vector<PortChange>& recorded,
                                      std::string_view lastAnswer) const {
  SimulationResult result;
  result.inputs = plan_.inputs;
  result.clockTicks = ticks_;
  result.simulatedMicros = simulatedMicros();
  result.maxStackPointer = maxStackPointerIn(lastAnswer);
  result.watched = watched_;
  result.finalValues = finalValues_;
  // Port 4's samples follow the recorded ports so that, at one time, points on ports 0..3
  // come first.
  std::vector<PortChange> ports = recorded;
  ports.insert(ports.end(), port4_.begin(), port4_.end());
  result.outputs = outputChanges(ports, pins_, result.simulatedMicros);
  return result;
}

}  // namespace ladder51
