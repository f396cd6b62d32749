#include "tests/support/table_bounds.h"

#include <map>
#include <regex>

namespace ladder51::test {
namespace {

// Element counts of the firmware's tables, and the highest argument of each routine.
const std::map<std::string, int> kTableSizes = {
    {"y", 5},     {"m", 11},  {"t", 4},  {"to", 4},   {"tc", 16},  {"c", 2},
    {"cflag", 2}, {"ct", 11}, {"d", 17}, {"plsm", 2}, {"plfm", 2},
};
const std::map<std::string, int> kHighestArgument = {
    {"inx", 35},  {"ldpx", 35}, {"ldfx", 35}, {"ldpm", 79}, {"ldfm", 79}, {"ldpy", 35},
    {"ldfy", 35}, {"ldpc", 15}, {"ldfc", 15}, {"ldpt", 31}, {"ldft", 31},
};

// A number as written in the statements; very long digit runs count as out of every range.
long long number(const std::string& digits) {
  return digits.size() > 9 ? 1'000'000'000LL : std::stoll(digits);
}

}  // namespace

std::vector<std::string> outOfBounds(const Translation& translation) {
  const std::string& statements = translation.statements;
  const std::map<std::string, long long> sized = {{"edge", (translation.edgeTemps + 7) / 8},
                                                  {"edgm", (translation.edgeMemories + 7) / 8},
                                                  {"held", (translation.heldContacts + 7) / 8},
                                                  {"mcz", translation.zones}};
  std::vector<std::string> found;
  static const std::regex index(R"(\b([a-z]+)\[(\d+)\])");
  for (auto it = std::sregex_iterator(statements.begin(), statements.end(), index);
       it != std::sregex_iterator(); ++it) {
    auto size = kTableSizes.find((*it)[1]);
    const auto own = sized.find((*it)[1]);
    const long long limit = own != sized.end()          ? own->second
                            : size == kTableSizes.end() ? 0
                                                        : size->second;
    if (number((*it)[2]) >= limit) found.push_back(it->str());
  }
  static const std::regex call(R"(\b(inx|ld[pf][xmyct])\((\d+)\))");
  for (auto it = std::sregex_iterator(statements.begin(), statements.end(), call);
       it != std::sregex_iterator(); ++it) {
    if (number((*it)[2]) > kHighestArgument.at((*it)[1])) found.push_back(it->str());
  }
  // Loops over i: ZRST M and C, and zrstd.
  static const std::regex loop(R"(for\(i=(\d+);i<=(\d+);i\+\+\)(m|\{c))");
  for (auto it = std::sregex_iterator(statements.begin(), statements.end(), loop);
       it != std::sregex_iterator(); ++it) {
    const long long last = number((*it)[2]);
    if (last > ((*it)[3] == "m" ? 79 : 10)) found.push_back(it->str());
  }
  static const std::regex zrstd(R"(zrstd\((\d+),(\d+)\))");
  for (auto it = std::sregex_iterator(statements.begin(), statements.end(), zrstd);
       it != std::sregex_iterator(); ++it) {
    if (number((*it)[2]) > 15 || number((*it)[1]) > 15) found.push_back(it->str());
  }
  return found;
}

}  // namespace ladder51::test
