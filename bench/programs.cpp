#include "bench/programs.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace ladder51::bench {

// The text of an example program.
std::string exampleProgram(const std::string& example) {
  std::ifstream file(std::filesystem::path(LADDER51_SOURCE_DIR) / "examples" / example);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// 60 random rungs of edge contacts (LDP, LDF, ANDP, ORF... of X, M, Y, T, C), comparisons and
// plain contacts, each driving an output, a counter or an increment, the same on every run.
std::string edgeProgram() {
  std::mt19937 random(7);
  auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  auto device = [&pick]() {
    static const char* kLetters[] = {"X", "M", "Y", "T", "C"};
    static const int kCounts[] = {8, 80, 8, 16, 11};
    const int k = pick(5);
    return kLetters[k] + std::to_string(pick(kCounts[k]));
  };
  auto comparison = [&pick]() {
    static const char* kOperators[] = {"=", ">=", ">", "<", "<="};
    return std::string(kOperators[pick(5)]) + " D" + std::to_string(pick(16)) + " K" +
           std::to_string(pick(10));
  };
  std::string il;
  for (int r = 0; r < 60; ++r) {
    static const char* kEdgeLoads[] = {"LDP ", "LDF "};
    static const char* kEdgeJoins[] = {"ANDP ", "ORP ", "ANDF ", "ORF "};
    static const char* kJoins[] = {"AND ", "ORI "};
    const int first = pick(3);
    il += first == 0   ? kEdgeLoads[pick(2)] + device()
          : first == 1 ? "LD " + device()
                       : "LD" + comparison();
    for (int k = pick(3); k > 0; --k) {
      const int join = pick(3);
      il += "\n" + (join == 0   ? kEdgeJoins[pick(4)] + device()
                    : join == 1 ? kJoins[pick(2)] + device()
                                : (pick(2) ? "AND" : "OR") + comparison());
    }
    switch (pick(4)) {
      case 0:
        il += "\nOUT Y" + std::to_string(pick(8)) + "\n";
        break;
      case 1:
        il += "\nOUT M" + std::to_string(pick(80)) + "\n";
        break;
      case 2:
        il += "\nINC D" + std::to_string(pick(16)) + "\n";
        break;
      default:
        il += "\nOUT C" + std::to_string(pick(11)) + " K" + std::to_string(1 + pick(9)) + "\n";
    }
  }
  return il + "END\n";
}

}  // namespace ladder51::bench
