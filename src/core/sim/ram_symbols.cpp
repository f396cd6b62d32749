#include "core/sim/ram_symbols.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>

#include "core/config/pin_map.h"
#include "core/file_io.h"

namespace ladder51 {
namespace {

// Far more than the map of the largest firmware.
constexpr std::size_t kLongestMap = 16 << 20;

// The areas of internal RAM that hold the firmware's variables.
bool isRamArea(const std::string& area) {
  return area == "DSEG" || area == "ISEG" || area == "OSEG";
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

}  // namespace

RamSymbols parseSdccMap(std::string_view mapText) {
  RamSymbols symbols;
  std::istringstream lines{std::string(mapText)};
  std::string line;
  std::string area;
  bool headerRule = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::vector<std::string> word;
    for (std::string w; words >> w;) word.push_back(w);
    if (word.empty()) continue;
    if (word[0].starts_with("----")) {
      // The line after the area table's rule names the area.
      headerRule = word.size() >= 2 && word[0].size() >= 20;
      continue;
    }
    if (headerRule) {
      area = word[0];
      headerRule = false;
      continue;
    }
    if (word[0] == "Area") area.clear();
    if (!isRamArea(area) || word.size() < 2 || !isHex(word[0]) || !word[1].starts_with("_")) {
      continue;
    }
    const long address = std::strtol(word[0].c_str(), nullptr, 16);
    if (address >= 0 && address < 256) symbols[word[1].substr(1)] = static_cast<int>(address);
  }
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
    if (!splitDevice(name, letter, n))
      return Error{ErrorKind::BadArgument, "not a device that can be shown", name};
    const std::string device = std::string(1, letter) + std::to_string(n);
    struct Cell {
      const char* symbol;
      int offset;
      int bytes;
      int bit;
      std::string name;
    };
    std::vector<Cell> cells;
    if (letter == 'M' && n >= 8000) {
      const std::map<int, int> specialBits = {{8000, 0}, {8002, 1}, {8011, 4}, {8012, 5},
                                              {8013, 6}, {8014, 7}, {8034, 2}};
      auto bit = specialBits.find(n);
      if (bit == specialBits.end())
        return Error{ErrorKind::BadArgument, "the firmware does not keep this relay", name};
      cells.push_back({"m8000", 0, 1, bit->second, device});
    } else if (letter == 'M' && n <= 79) {
      cells.push_back({"m", n / 8, 1, n % 8, device});
    } else if (letter == 'T' && n <= 25) {
      cells.push_back({"t", n / 8, 1, n % 8, device});
      if (n <= 15) cells.push_back({"tc", 2 * n, 2, -1, device + " value"});
    } else if (letter == 'C' && n <= 10) {
      cells.push_back({"c", n / 8, 1, n % 8, device});
      cells.push_back({"ct", 2 * n, 2, -1, device + " value"});
    } else if (letter == 'D' && n <= 15) {
      cells.push_back({"d", 2 * n, 2, -1, device});
    } else if (letter == 'D') {
      return Error{ErrorKind::BadArgument, "D16 and up are kept in the EEPROM, not in RAM", name};
    } else {
      return Error{ErrorKind::BadArgument, "not a device that can be shown", name};
    }
    for (const Cell& cell : cells) {
      auto symbol = symbols.find(cell.symbol);
      if (symbol == symbols.end()) {
        return Error{ErrorKind::BadArgument,
                     std::string("the symbol map has no variable ") + cell.symbol, name};
      }
      watches.push_back({cell.name, symbol->second + cell.offset, cell.bytes, cell.bit});
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
