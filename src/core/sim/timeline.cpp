#include "core/sim/timeline.h"

#include <algorithm>
#include <map>

#include "core/file_io.h"

namespace ladder51 {
namespace {

std::string timeText(std::uint64_t micros) {
  return std::to_string((micros + 500) / 1000) + " ms";
}

std::string valueText(const RamWatch& watch, long value) {
  if (watch.bit >= 0) return watch.name + (value != 0 ? " on" : " off");
  return watch.name + " = " + std::to_string(value);
}

}  // namespace

std::string formatTimeline(const SimulationResult& result) {
  return formatTimeline(result.outputs);
}

std::string formatTimeline(const std::vector<PointChange>& changes) {
  std::string text;
  for (const PointChange& change : changes) {
    text +=
        change.point + (change.on ? " on" : " off") + " at " + timeText(change.timeMicros) + "\n";
  }
  return text;
}

std::string formatTimelineWithValues(const SimulationResult& result,
                                     const std::vector<RamWatch>& watches) {
  std::map<std::string, const RamWatch*> byName;
  for (const RamWatch& watch : watches) byName[watch.name] = &watch;
  struct Line {
    std::uint64_t time;
    std::string text;
  };
  std::vector<Line> lines;
  for (const PointChange& change : result.outputs) {
    lines.push_back({change.timeMicros, change.point + (change.on ? " on" : " off")});
  }
  for (const ValueChange& change : result.watched) {
    auto watch = byName.find(change.name);
    if (watch == byName.end()) continue;
    lines.push_back({change.timeMicros, valueText(*watch->second, change.value)});
  }
  std::stable_sort(lines.begin(), lines.end(),
                   [](const Line& a, const Line& b) { return a.time < b.time; });
  std::string text;
  for (const Line& line : lines) text += line.text + " at " + timeText(line.time) + "\n";
  std::string end;
  for (const ValueChange& value : result.finalValues) {
    auto watch = byName.find(value.name);
    if (watch == byName.end()) continue;
    end += (end.empty() ? "at " + timeText(value.timeMicros) + ": " : std::string(", ")) +
           valueText(*watch->second, value.value);
  }
  if (!end.empty()) text += end + "\n";
  return text;
}

std::string formatStimulus(const std::vector<PointChange>& inputs) {
  std::string text;
  for (const PointChange& change : inputs) {
    text += std::to_string(change.timeMicros / 1000);
    if (const std::uint64_t fraction = change.timeMicros % 1000; fraction != 0) {
      std::string digits = std::to_string(1000 + fraction).substr(1);  // 250 -> "250"
      digits.erase(digits.find_last_not_of('0') + 1);
      text += "." + digits;
    }
    text += "ms " + change.point + (change.on ? " on\n" : " off\n");
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

Status writeVcdFile(const std::filesystem::path& path, const SimulationResult& result,
                    const SimPinMap& pins) {
  if (!writeFileAtomically(path, formatVcd(result, pins)))
    return Error{ErrorKind::CannotWrite, "cannot write the VCD file", path.string()};
  return success();
}

}  // namespace ladder51
