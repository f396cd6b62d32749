#include "core/sim/stimulus.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "core/file_io.h"

namespace ladder51 {
namespace {

// Some ten thousand lines.
constexpr std::size_t kLongestStimulus = 1 << 20;

std::vector<std::string> words(std::string_view line) {
  std::vector<std::string> result;
  std::string current;
  for (char c : line) {
    if (c == ' ' || c == '\t' || c == '\r' || c == ',') {
      if (!current.empty()) result.push_back(std::move(current));
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) result.push_back(std::move(current));
  return result;
}

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string PortPin::name() const {
  return "P" + std::to_string(port) + "." + std::to_string(bit);
}

bool isPointName(std::string_view name) {
  if (name.size() < 2 || name.size() > 3 || (name[0] != 'X' && name[0] != 'Y')) return false;
  for (char c : name.substr(1)) {
    if (c < '0' || c > '7') return false;
  }
  if (name.size() == 3 && (name[1] == '0' || name[1] > '4')) return false;
  return name.size() == 2 || name[1] < '4' || name[2] <= '3';
}

Result<std::uint64_t> parseTime(std::string_view text) {
  std::size_t digits = 0;
  while (digits < text.size() &&
         (std::isdigit(static_cast<unsigned char>(text[digits])) || text[digits] == '.')) {
    ++digits;
  }
  const std::string number(text.substr(0, digits));
  const std::string unit(text.substr(digits));
  if (number.empty() || std::count(number.begin(), number.end(), '.') > 1 || number == ".") {
    return Error{ErrorKind::BadArgument, "not a time: " + std::string(text)};
  }
  double scale = 0;
  if (unit.empty() || unit == "ms")
    scale = 1000;
  else if (unit == "s")
    scale = 1'000'000;
  else if (unit == "us")
    scale = 1;
  else
    return Error{ErrorKind::BadArgument, "unknown time unit \"" + unit + "\" (use us, ms or s)"};
  double value = std::strtod(number.c_str(), nullptr) * scale;
  if (value > 1e15) return Error{ErrorKind::BadArgument, "time too large: " + std::string(text)};
  return static_cast<std::uint64_t>(std::llround(value));
}

Result<std::vector<StimulusEvent>> parseSwitchings(std::span<const std::string> words,
                                                   std::uint64_t timeMicros) {
  if (words.empty() || words.size() % 2 != 0)
    return Error{ErrorKind::BadArgument, "expected pairs of an X point and on or off"};
  std::vector<StimulusEvent> events;
  for (std::size_t k = 0; k < words.size(); k += 2) {
    std::string point = upper(words[k]);
    std::string state = upper(words[k + 1]);
    if (!isPointName(point) || point[0] != 'X')
      return Error{ErrorKind::BadArgument, "not an input point: " + words[k]};
    if (state != "ON" && state != "OFF" && state != "1" && state != "0") {
      return Error{ErrorKind::BadArgument,
                   "expected on or off after " + point + ", found " + words[k + 1]};
    }
    events.push_back({timeMicros, point, state == "ON" || state == "1"});
  }
  return events;
}

Result<Stimulus> parseStimulus(std::string_view text) {
  Stimulus stimulus;
  int lineNumber = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    const std::string where = "stimulus line " + std::to_string(lineNumber);
    if (std::size_t hash = line.find('#'); hash != std::string_view::npos)
      line = line.substr(0, hash);
    std::vector<std::string> parts = words(line);
    if (parts.empty()) continue;
    Result<std::uint64_t> time = parseTime(parts[0]);
    if (!time) return Error{ErrorKind::BadArgument, time.error().message, where};
    if (parts.size() < 3 || parts.size() % 2 == 0) {
      return Error{ErrorKind::BadArgument,
                   "expected a time followed by pairs of an X point and on or off", where};
    }
    Result<std::vector<StimulusEvent>> switchings =
        parseSwitchings(std::span(parts).subspan(1), *time);
    if (!switchings) return Error{ErrorKind::BadArgument, switchings.error().message, where};
    stimulus.events.insert(stimulus.events.end(), switchings->begin(), switchings->end());
    if (end == text.size()) break;
  }
  std::stable_sort(
      stimulus.events.begin(), stimulus.events.end(),
      [](const StimulusEvent& a, const StimulusEvent& b) { return a.timeMicros < b.timeMicros; });
  return stimulus;
}

Result<Stimulus> readStimulusFile(const std::filesystem::path& path) {
  Result<std::string> text = readWholeFile(path, kLongestStimulus);
  if (!text && text.error().kind == ErrorKind::FileTooLarge) {
    return Error{ErrorKind::FileTooLarge,
                 "the stimulus file is larger than " + std::to_string(kLongestStimulus) + " bytes",
                 path.string()};
  }
  if (!text) return Error{text.error().kind, "cannot read the stimulus file", path.string()};
  return parseStimulus(*text);
}

Result<SimPinMap> parsePinAssignments(std::string_view text) {
  SimPinMap map;
  std::string flat(text);
  std::replace(flat.begin(), flat.end(), '\n', ' ');
  for (const std::string& item : words(flat)) {
    std::size_t eq = item.find('=');
    const std::string point = upper(item.substr(0, eq));
    const std::string pin = eq == std::string::npos ? std::string() : upper(item.substr(eq + 1));
    if (!isPointName(point)) return Error{ErrorKind::BadArgument, "not a point: " + point, item};
    // "P3.2": port digit, dot, bit digit.
    if (pin.size() != 4 || pin[0] != 'P' || pin[2] != '.' || pin[1] < '0' || pin[1] > '4' ||
        pin[3] < '0' || pin[3] > '7' || (pin[1] == '4' && pin[3] > '3')) {
      return Error{ErrorKind::BadArgument, "not a pin (P0.0 .. P4.3): " + pin, item};
    }
    PortPin where{pin[1] - '0', pin[3] - '0'};
    for (const auto* side : {&map.inputs, &map.outputs}) {
      for (const auto& [other, otherPin] : *side) {
        if (otherPin == where)
          return Error{ErrorKind::BadArgument, "pin " + pin + " already carries " + other, item};
      }
    }
    auto& side = point[0] == 'X' ? map.inputs : map.outputs;
    if (!side.emplace(point, where).second)
      return Error{ErrorKind::BadArgument, point + " is assigned twice", item};
  }
  return map;
}

}  // namespace ladder51
