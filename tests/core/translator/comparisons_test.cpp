#include <gtest/gtest.h>

#include "tests/core/translator/translator_support.h"

namespace ladder51::test {
namespace {

struct ComparisonCase {
  const char* name;
  std::vector<std::uint16_t> words;
  const char* condition;
  bool eeprom = false;
};

// Comparison words (code, 01): LD = D0, >= DC, > D2, < D4, <= DA; AND +10; OR +20.
TEST(Comparisons, CallLdequWithTheModeNumber) {
  const ComparisonCase cases[] = {
      {"LD= D0 K10", {0x01D0, 0x8600, 0x8600, 0x800A, 0x8000}, "ldequ(d[0],10,1)"},
      {"LD>= K1 K2", {0x01DC, 0x8001, 0x8000, 0x8002, 0x8000}, "ldequ(1,2,2)"},
      {"LD> C2 T3", {0x01D2, 0x8604, 0x8400, 0x8606, 0x8200}, "ldequ(ct[2],tc[3],3)"},
      {"LD< D1 K65535", {0x01D4, 0x8602, 0x8600, 0x80FF, 0x80FF}, "ldequ(d[1],65535,4)"},
      {"LD<= D20 K5",
       {0x01DA, 0x8628, 0x8600, 0x8005, 0x8000},
       "ldequ((ReData(20*2)+256*ReData(20*2+1)),5,5)",
       true},
      {"AND>= D5 K100",
       {0x2400, 0x01EC, 0x860A, 0x8600, 0x8064, 0x8000},
       "((!inx(0))&&ldequ(d[5], 100, 2))"},
      {"AND= C10 K1",
       {0x2400, 0x01E0, 0x8614, 0x8400, 0x8001, 0x8000},
       "((!inx(0))&&ldequ(ct[10], 1, 1))"},
      {"OR< K7 D1",
       {0x2400, 0x01F4, 0x8007, 0x8000, 0x8602, 0x8600},
       "((!inx(0))||ldequ(7, d[1], 4))"},
      {"OR<= T15 K3",
       {0x2400, 0x01FA, 0x861E, 0x8200, 0x8003, 0x8000},
       "((!inx(0))||ldequ(tc[15], 3, 5))"},
      {"OR> K1 K2",
       {0x2400, 0x01F2, 0x8001, 0x8000, 0x8002, 0x8000},
       "((!inx(0))||ldequ(1, 2, 3))"},
  };
  for (const ComparisonCase& c : cases) {
    EXPECT_EQ(conditionAfter(c.words, c.eeprom), c.condition) << c.name;
  }
}

TEST(Comparisons, NotEqualIsPassedOverWithAWarning) {
  // LD X0, AND<> D0 K1 (code E8 is not supported), then the condition is unchanged.
  const std::vector<std::uint16_t> words = {0x2400, 0x01E8, 0x8600, 0x8600, 0x8001, 0x8000};
  EXPECT_EQ(conditionAfter(words), "(!inx(0))");
}

TEST(Comparisons, OperandsOutsideTheTablesAreRefused) {
  const std::vector<std::pair<std::vector<std::uint16_t>, std::string>> cases = {
      {{0x01D0, 0x8616, 0x8400, 0x8001, 0x8000, 0x000F}, "C超出范围 只能在C0-C10之间！！"},
      {{0x01D0, 0x8001, 0x8000, 0x8620, 0x8200, 0x000F}, "T超出范围 只能在T0-T15之间！！"},
      {{0x01D0, 0x8628, 0x8600, 0x8001, 0x8000, 0x000F}, "EEPROM"},
      {{0x01D0, 0x8001, 0x8000, 0x8501, 0x8000, 0x000F}, "second operand"},
      {{0x01D0, 0x8603, 0x8600, 0x8001, 0x8000, 0x000F}, "odd register offset"},
  };
  for (const auto& [words, message] : cases) {
    const Translation translation = translateWords(words);
    EXPECT_EQ(translation.outcome, TranslationOutcome::Refused) << message;
    EXPECT_NE(translation.message.find(message), std::string::npos) << translation.message;
  }
}

TEST(Comparisons, AndWithoutARungIsAFault) {
  const Translation translation = translateWords({0x01E0, 0x8600, 0x8600, 0x8001, 0x8000, 0x000F});
  EXPECT_EQ(translation.outcome, TranslationOutcome::Fault);
  EXPECT_NE(translation.message.find("AND="), std::string::npos);
}

}  // namespace
}  // namespace ladder51::test
