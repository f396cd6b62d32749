#include "core/sim/ram_symbols.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <optional>
#include <sstream>

#include "core/config/pin_map.h"
#include "core/file_io.h"

namespace ladder51 {
namespace {

// Far more than the map of the largest firmware.
constexpr std::size_t kLongestMap = 16 << 20;

// The memory of an area that holds the firmware's variables, or nothing for another area.
std::optional<RamMemory> memoryOfArea(const std::string& area) {
  if (area == "DSEG" || area == "ISEG" || area == "OSEG") return RamMemory::Internal;
  if (area == "XSEG" || area == "PSEG") return RamMemory::External;
  return std::nullopt;
}

bool isHex(const std::string& word) {
  return !word.empty() &&
         std::all_of(word.begin(), word.end(), [](unsigned char c) { return std::isxdigit(c); });
}

// "M12" -> ('M', 12); nothing unless a letter is followed by decimal digits only.
bool splitDevice(std::string_view name, char& letter, int& number) {
  if (name.size() < 2 || name.size() > 5) return false;
  letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  const char* first = name.data() + 1;
  const char* last = name.data() + name.size();
  auto [end, error] = std::from_chars(first, last, number);
  return error == std::errc() && end == last;
}

// One variable of a device class: a bit image, device n at bit k = bit + n - first (bit k%8 of
// byte k/8), or a table of values of `bytes` bytes each, device n at index n - first.
struct Cell {
  std::string_view symbol;  // empty: no cell
  int bytes;                // 0 for a bit image
  int bit;
  std::string_view suffix;  // after the device's name: " value"
};
constexpr Cell bits(std::string_view symbol, int bit = 0) {
  return {symbol, 0, bit, ""};
}
constexpr Cell words(std::string_view symbol, std::string_view suffix = "") {
  return {symbol, 2, 0, suffix};
}
constexpr Cell kNone = {"", 0, 0, ""};

// Devices first..last, in one or two variables of the firmware, or refused with the reason.
struct DeviceRows {
  char letter;
  int first;
  int last;
  std::array<Cell, 2> cells;  // the second, when the first is a bit, is the device's value
  std::string_view refusal;
};

// The layout of the generated firmware's state (runtime_gen/runtime_state.cpp and extensions.cpp
// declare the variables); the first row that holds a device gives its cells.
constexpr DeviceRows kDevices[] = {
    {'M', 0, 1535, {bits("m"), kNone}, ""},
    {'M', 8000, 8000, {bits("m8000", 0), kNone}, ""},
    {'M', 8002, 8002, {bits("m8000", 1), kNone}, ""},
    {'M', 8011, 8014, {bits("m8000", 4), kNone}, ""},
    {'M', 8020, 8022, {bits("m8020", 0), kNone}, ""},
    {'M', 8034, 8034, {bits("m8000", 2), kNone}, ""},
    {'M', 8000, 8255, {kNone, kNone}, "the firmware does not keep this relay"},
    {'S', 0, 999, {bits("s"), kNone}, ""},
    {'Y', 0, 35, {bits("y"), kNone}, ""},  // Y0..Y43 by their sequential numbers
    {'T', 0, 245, {bits("t"), words("tc", " value")}, ""},
    {'T', 246, 255, {kNone, kNone}, "the firmware does not keep the retentive timers T246-T255"},
    {'C', 0, 199, {bits("c"), words("ct", " value")}, ""},
    {'C', 200, 255, {kNone, kNone}, "the firmware does not keep the 32-bit counters C200-C255"},
    {'D', 0, 7999, {words("d"), kNone}, ""},
    {'D', 8010, 8012, {words("sct"), kNone}, ""},
    {'D', 8000, 8255, {kNone, kNone}, "the firmware does not keep this special register"},
    {'V', 0, 7, {words("ixv"), kNone}, ""},
    {'Z', 0, 7, {words("ixz"), kNone}, ""},
};

// The runtime's fixed d[17] holds D0..D15 and the scratch register of the EEPROM's driver.
constexpr int kFixedRegisterBytes = 2 * 17;
constexpr int kFirstEepromRegister = 16;

const DeviceRows* rowsOf(char letter, int n) {
  for (const DeviceRows& rows : kDevices) {
    if (rows.letter == letter && n >= rows.first && n <= rows.last) return &rows;
  }
  return nullptr;
}

}  // namespace

RamSymbols parseSdccMap(std::string_view mapText) {
  RamSymbols symbols;
  // The variables of the area being read, by address, to size each one up to the next.
  std::multimap<long, std::string> area;
  std::optional<RamMemory> memory;
  long areaEnd = 0;
  auto closeArea = [&] {
    for (auto at = area.begin(); at != area.end(); ++at) {
      auto next = area.upper_bound(at->first);
      const long end = next == area.end() ? areaEnd : next->first;
      symbols[at->second] = {static_cast<int>(at->first),
                             static_cast<int>(std::max(end - at->first, 0L)), *memory};
    }
    area.clear();
    memory.reset();
  };
  std::istringstream lines{std::string(mapText)};
  std::string line;
  bool headerRule = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::vector<std::string> word;
    for (std::string w; words >> w;) word.push_back(w);
    if (word.empty()) continue;
    if (word[0].starts_with("----")) {
      // The line after the area table's rule names the area, its start and its size.
      headerRule = word.size() >= 2 && word[0].size() >= 20;
      continue;
    }
    if (headerRule) {
      closeArea();
      memory = memoryOfArea(word[0]);
      if (memory && word.size() >= 3 && isHex(word[1]) && isHex(word[2]))
        areaEnd =
            std::strtol(word[1].c_str(), nullptr, 16) + std::strtol(word[2].c_str(), nullptr, 16);
      headerRule = false;
      continue;
    }
    if (word[0] == "Area") closeArea();
    // XRAM variables carry a "D:" prefix.
    if (word[0] == "D:") word.erase(word.begin());
    if (!memory || word.size() < 2 || !isHex(word[0]) || !word[1].starts_with("_")) continue;
    const long address = std::strtol(word[0].c_str(), nullptr, 16);
    const long limit = *memory == RamMemory::Internal ? 0x100 : 0x10000;
    if (address >= 0 && address < limit) area.emplace(address, word[1].substr(1));
  }
  closeArea();
  return symbols;
}

std::filesystem::path sdccMapFile(const std::filesystem::path& workDirectory) {
  return workDirectory / "sdcc" / "fx1n.map";
}

Result<std::vector<RamWatch>> watchesFor(std::string_view devices, const RamSymbols& symbols) {
  std::vector<RamWatch> watches;
  std::string list(devices);
  std::replace(list.begin(), list.end(), ',', ' ');
  std::istringstream names(list);
  for (std::string name; names >> name;) {
    char letter = 0;
    int n = -1;
    const bool split = splitDevice(name, letter, n);
    const std::string device = std::string(1, letter) + std::to_string(n);
    // Outputs are numbered in octal: Y10 is the ninth.
    if (letter == 'Y' && split) {
      const std::optional<Point> point = parsePointName(device);
      n = point ? point->inputIndex() : -1;
    }
    const DeviceRows* rows = split ? rowsOf(letter, n) : nullptr;
    if (!rows) return Error{ErrorKind::BadArgument, "not a device that can be shown", name};
    if (!rows->refusal.empty())
      return Error{ErrorKind::BadArgument, std::string(rows->refusal), name};
    for (const Cell& cell : rows->cells) {
      if (cell.symbol.empty()) continue;
      auto symbol = symbols.find(std::string(cell.symbol));
      if (symbol == symbols.end()) {
        return Error{ErrorKind::BadArgument,
                     "the symbol map has no variable " + std::string(cell.symbol), name};
      }
      const RamSymbol& at = symbol->second;
      const int k = cell.bit + n - rows->first;
      const int offset = cell.bytes == 0 ? k / 8 : k * cell.bytes;
      const bool eeprom =
          cell.symbol == "d" && at.memory == RamMemory::Internal && at.bytes <= kFixedRegisterBytes;
      const int kept = eeprom ? 2 * kFirstEepromRegister : at.bytes;
      if (offset + std::max(cell.bytes, 1) > kept) {
        // A timer's or counter's value may lie beyond its table while its contact does not.
        if (&cell != &rows->cells[0]) continue;
        if (eeprom)
          return Error{ErrorKind::BadArgument, "D16 and up are kept in the EEPROM, not in RAM",
                       name};
        return Error{ErrorKind::BadArgument,
                     "beyond the firmware's tables: the program does not use this device", name};
      }
      watches.push_back({device + std::string(cell.suffix), at.address + offset,
                         std::max(cell.bytes, 1), cell.bytes == 0 ? k % 8 : -1, at.memory});
    }
  }
  return watches;
}

Result<std::vector<RamWatch>> loadWatches(const std::filesystem::path& workDirectory,
                                          std::string_view devices) {
  const std::filesystem::path map = sdccMapFile(workDirectory);
  Result<std::string> text = readWholeFile(map, kLongestMap);
  if (!text) {
    return Error{text.error().kind, "cannot read the symbol map of an SDCC build", map.string()};
  }
  return watchesFor(devices, parseSdccMap(*text));
}

std::vector<std::string> devicesUsed(const DeviceUse& devices) {
  std::vector<std::string> names;
  for (char letter : {'T', 'C', 'D', 'M', 'S'}) {
    auto named = devices.named.find(letter);
    if (named == devices.named.end()) continue;
    for (int n : named->second) names.push_back(std::string(1, letter) + std::to_string(n));
  }
  return names;
}

SimPinMap simPinsOf(const Settings& settings) {
  SimPinMap map;
  for (int k = 0; k < kPinCount; ++k) {
    const std::string& point = settings.pins[static_cast<std::size_t>(k)];
    const std::optional<Point> parsed = parsePointName(point);
    if (!parsed) continue;
    const Pin& pin = pins()[static_cast<std::size_t>(k)];
    auto& side = parsed->kind == PointKind::Input ? map.inputs : map.outputs;
    side[point] = PortPin{pin.port, pin.bit};
  }
  return map;
}

}  // namespace ladder51
