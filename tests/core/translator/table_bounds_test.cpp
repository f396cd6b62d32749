// Whatever the program, the statements the translator writes never index past the tables
// the firmware declares.
#include <gtest/gtest.h>

#include <random>

#include "tests/core/translator/translator_support.h"
#include "tests/support/table_bounds.h"

namespace ladder51::test {
namespace {

// Random programs made of instruction shapes the translator knows, with random device
// numbers and operand kinds, so that most steps reach a range check.
class ProgramGenerator {
 public:
  explicit ProgramGenerator(unsigned seed) : random_(seed) {}

  std::vector<std::uint16_t> program() {
    std::vector<std::uint16_t> words = {0x2400};
    const int length = pick(1, 12);
    for (int k = 0; k < length; ++k) instruction(words);
    words.push_back(0x000F);
    return words;
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  std::uint16_t byte() {
    return static_cast<std::uint16_t>(pick(0, 19) ? pick(0, 20) : pick(0, 255));
  }

  void wordOperand(std::vector<std::uint16_t>& words) {
    static const std::uint16_t kSecondClass[] = {0x8000, 0x8600, 0x8400, 0x8200, 0x8500};
    const std::uint16_t second = kSecondClass[pick(0, 4)];
    const std::uint16_t first = second == 0x8000 ? 0x8000 : (pick(0, 9) ? 0x8600 : 0x8000);
    words.push_back(static_cast<std::uint16_t>(first | byte()));
    words.push_back(static_cast<std::uint16_t>(second | (pick(0, 20) ? 0 : pick(0, 3))));
  }

  void instruction(std::vector<std::uint16_t>& words) {
    static const std::uint16_t kContactHigh[] = {0x24, 0x25, 0x26, 0x28, 0x2E, 0x2F};
    static const std::uint16_t kCoilHigh[] = {0xC5, 0xC8, 0xD5, 0xD8, 0xE5, 0xE8};
    static const std::uint16_t kApplied[] = {0x94, 0x60, 0x0D, 0x40, 0x42,
                                             0x28, 0x38, 0x3A, 0x3C, 0x3E};
    static const std::uint16_t kEdgeClass[] = {0x84, 0x88, 0x85, 0x8E, 0x86};
    switch (pick(0, 9)) {
      case 0:
      case 1: {
        const std::uint16_t high = kContactHigh[pick(0, 5)] + 0x10 * pick(0, 5);
        words.push_back(static_cast<std::uint16_t>(high << 8 | byte()));
        break;
      }
      case 2:
        words.push_back(static_cast<std::uint16_t>(kCoilHigh[pick(0, 5)] << 8 | byte()));
        break;
      case 3:
        words.push_back(static_cast<std::uint16_t>(0xFFF8 + pick(0, 5)));
        break;
      case 4:
        words.push_back(static_cast<std::uint16_t>(pick(0, 1) ? 0x0600 | byte() : 0x0E00 | byte()));
        wordOperand(words);
        break;
      case 5:
        words.push_back(0x000C);
        words.push_back(static_cast<std::uint16_t>((pick(0, 1) ? 0x8600 : 0x8E00) | byte()));
        break;
      case 6:
        words.push_back(static_cast<std::uint16_t>(0x0100 | (0xCA + pick(0, 5))));
        words.push_back(static_cast<std::uint16_t>(kEdgeClass[pick(0, 4)] << 8 | byte()));
        break;
      case 7: {
        const std::uint16_t code = kApplied[pick(0, 9)];
        words.push_back(code);
        if (code == 0x94 || (code == 0x60 && pick(0, 1))) {
          for (int k = 0; k < (code == 0x60 ? 2 : 1); ++k) {
            words.push_back(static_cast<std::uint16_t>(0x8400 | byte()));
            words.push_back(static_cast<std::uint16_t>(0x8000 | (pick(0, 1) ? 5 : 8)));
          }
        } else {
          const int operands = code >= 0x38 ? 3 : (code == 0x28 || code == 0x60) ? 2 : 1;
          for (int k = 0; k < operands; ++k) wordOperand(words);
        }
        break;
      }
      case 8: {
        static const std::uint16_t kCompare[] = {0xD0, 0xDC, 0xD2, 0xD4, 0xDA};
        words.push_back(
            static_cast<std::uint16_t>(0x0100 | (kCompare[pick(0, 4)] + 0x10 * pick(0, 2))));
        wordOperand(words);
        wordOperand(words);
        break;
      }
      default:
        words.push_back(static_cast<std::uint16_t>(pick(0, 1) ? 0x0008 : 0x0009));
        words.push_back(static_cast<std::uint16_t>((pick(0, 1) ? 0x8800 : 0x8500) | byte()));
        break;
    }
  }

  std::mt19937 random_;
};

TEST(TableBounds, CheckerFindsIndexesPastTheTables) {
  EXPECT_EQ(outOfBounds("tc[15]=0;d[16]=1;ldpm(79);for(i=0;i<=79;i++)m[i/8]"),
            std::vector<std::string>{});
  EXPECT_EQ(outOfBounds("tc[16]=0;d[20]=1;inx(36);zrstd(0,16);for(i=0;i<=11;i++){c[i/8]"),
            (std::vector<std::string>{"tc[16]", "d[20]", "inx(36)", "for(i=0;i<=11;i++){c",
                                      "zrstd(0,16)"}));
}

TEST(TableBounds, RandomProgramsNeverIndexPastTheTables) {
  ProgramGenerator generator(51);
  int completed = 0;
  for (int k = 0; k < 4000; ++k) {
    const std::vector<std::uint16_t> words = generator.program();
    const bool eeprom = k % 2 == 0;
    const Translation translation = translateWords(words, eeprom);
    if (translation.completed()) ++completed;
    // Refused and stopped runs keep what they wrote so far; it must be in bounds as well.
    const std::vector<std::string> bad = outOfBounds(translation.statements);
    ASSERT_TRUE(bad.empty()) << "program " << k << ": " << bad.front();
  }
  // The generator must reach completions, or the property says little.
  EXPECT_GT(completed, 400);
}

}  // namespace
}  // namespace ladder51::test
