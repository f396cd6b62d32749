#include "tests/support/table_bounds.h"

#include <map>
#include <regex>

#include "core/runtime_gen/storage.h"

namespace ladder51::test {
namespace {

// The highest argument of each routine: the bits of its memory table.
const std::map<std::string, int> kHighestArgument = {
    {"inx", 35},  {"ldpx", 35}, {"ldfx", 35}, {"ldpm", 87}, {"ldfm", 87}, {"ldpy", 35},
    {"ldfy", 35}, {"ldpc", 15}, {"ldfc", 15}, {"ldpt", 31}, {"ldft", 31},
};

// A number as written in the statements; very long digit runs count as out of every range.
long long number(const std::string& digits) {
  return digits.size() > 9 ? 1'000'000'000LL : std::stoll(digits);
}

// Element counts of the tables the firmware of this translation declares: the runtime's fixed
// ones, those grown to the program's devices, and those sized by the translation.
std::map<std::string, long long> tableSizes(const Translation& translation) {
  std::map<std::string, long long> sizes = {
      {"y", 5},
      {"m", 11},
      {"t", 4},
      {"to", 4},
      {"tc", 16},
      {"c", 2},
      {"cflag", 2},
      {"ct", 11},
      {"d", 17},
      {"plsm", 2},
      {"plfm", 2},
      {"edge", (translation.edgeTemps + 7) / 8},
      {"edgm", (translation.edgeMemories + 7) / 8},
      {"held", (translation.heldContacts + 7) / 8},
      {"mcz", translation.zones},
      {"stlw", (translation.ladderSteps + 7) / 8},
      {"sct", translation.features.contains(RuntimeFeature::ScanTime) ? 3 : 0},
      {"pfm", (translation.pulseForms + 7) / 8},
      {"ixz", translation.zRegisters},
      {"ixv", translation.vRegisters},
      {"loopc", translation.loops},
      {"tph", translation.devices.timerPhases},
  };
  const std::map<char, std::vector<std::string>> images = {
      {'M', {"m"}}, {'S', {"s"}}, {'T', {"t", "to"}}, {'C', {"c", "cflag"}}};
  const std::map<char, std::string> values = {{'T', "tc"}, {'C', "ct"}, {'D', "d"}};
  for (const GrownTables& tables : grownTables(translation.devices)) {
    if (images.contains(tables.letter)) {
      for (const std::string& name : images.at(tables.letter)) sizes[name] = tables.bitBytes();
    }
    if (values.contains(tables.letter)) sizes[values.at(tables.letter)] = tables.valueCount();
  }
  return sizes;
}

}  // namespace

std::vector<std::string> outOfBounds(const Translation& translation) {
  const std::string& statements = translation.statements;
  const std::map<std::string, long long> sizes = tableSizes(translation);
  auto sizeOf = [&](const std::string& table) {
    const auto size = sizes.find(table);
    return size == sizes.end() ? 0 : size->second;
  };
  std::vector<std::string> found;
  static const std::regex index(R"(\b([a-z]+)\[(\d+)\])");
  for (auto it = std::sregex_iterator(statements.begin(), statements.end(), index);
       it != std::sregex_iterator(); ++it) {
    if (number((*it)[2]) >= sizeOf((*it)[1])) found.push_back(it->str());
  }
  static const std::regex call(R"(\b(inx|ld[pf][xmyct])\((\d+)\))");
  for (auto it = std::sregex_iterator(statements.begin(), statements.end(), call);
       it != std::sregex_iterator(); ++it) {
    if (number((*it)[2]) > kHighestArgument.at((*it)[1])) found.push_back(it->str());
  }
  // Loops over i: ZRST M, S, T, C and D in XRAM (bit images by bits, values by elements).
  static const std::regex loop(R"(for\(i=(\d+);i<=(\d+);i\+\+\)\{?([a-z]+)\[)");
  for (auto it = std::sregex_iterator(statements.begin(), statements.end(), loop);
       it != std::sregex_iterator(); ++it) {
    // The loops over C and T clear the values too, which are fewer than the image's bits.
    const std::string name = (*it)[3];
    const std::string table = name == "c" ? "ct" : name == "t" ? "tc" : name;
    const bool bits = table == "m" || table == "s";
    if (number((*it)[2]) >= sizeOf(table) * (bits ? 8 : 1)) found.push_back(it->str());
  }
  static const std::regex zrstd(R"(zrstd\((\d+),(\d+)\))");
  for (auto it = std::sregex_iterator(statements.begin(), statements.end(), zrstd);
       it != std::sregex_iterator(); ++it) {
    if (number((*it)[2]) > 15 || number((*it)[1]) > 15) found.push_back(it->str());
  }
  return found;
}

}  // namespace ladder51::test
