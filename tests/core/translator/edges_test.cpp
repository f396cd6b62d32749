#include <gtest/gtest.h>

#include "tests/core/translator/translator_support.h"

namespace ladder51::test {
namespace {

struct EdgeCase {
  const char* name;
  std::vector<std::uint16_t> words;
  const char* condition;
};

// Instruction words 01CA LDP, 01CB LDF, 01CC ANDP, 01CD ANDF, 01CE ORP, 01CF ORF; operand
// classes 84 X, 88 M, 85 Y, 8E C, 86 T.
TEST(EdgeContacts, JoinTheConditionAsCalls) {
  const EdgeCase cases[] = {
      {"LDP X10", {0x01CA, 0x8408}, "ldpx(8)"},
      {"LDF X43", {0x01CB, 0x8423}, "ldfx(35)"},
      {"ANDF M5", {0x2400, 0x01CD, 0x8805}, "((!inx(0))&&ldfm(5))"},
      {"ANDF M5 ORP M6",
       {0x2400, 0x01CD, 0x8805, 0x01CE, 0x8806},
       "(((!inx(0))&&ldfm(5))|| ldpm(6))"},
      {"ORF Y3", {0x2400, 0x01CF, 0x8503}, "((!inx(0))||ldfy(3))"},
      {"ORP Y3", {0x2400, 0x01CE, 0x8503}, "((!inx(0))||ldpy(3))"},
      {"ANDP C10", {0x2400, 0x01CC, 0x8E0A}, "((!inx(0))&&ldpc(10))"},
      {"LDF T25", {0x01CB, 0x8619}, "ldft(25)"},
      {"ORP X1", {0x2400, 0x01CE, 0x8401}, "((!inx(0))||ldpx(1))"},
  };
  for (const EdgeCase& c : cases) EXPECT_EQ(conditionAfter(c.words), c.condition) << c.name;
}

TEST(EdgeContacts, RangeChecksAndUnknownClasses) {
  EXPECT_EQ(translateWords({0x01CA, 0x8424, 0x000F}).message, "X超出范围 只能在X0-X43之间！！");
  EXPECT_EQ(translateWords({0x01CB, 0x861A, 0x000F}).message, "T超出范围 只能在T0-T25之间！！");
  EXPECT_EQ(translateWords({0x01CA, 0x8850, 0x000F}).message, "M超出范围 只能在M0-M79之间！！");
  EXPECT_EQ(translateWords({0x01CA, 0x8524, 0x000F}).message, "Y超出范围 只能在Y0-Y43之间！！");
  EXPECT_EQ(translateWords({0x01CA, 0x8E0B, 0x000F}).message, "C超出范围 只能在C0-C10之间！！");
  // A D operand (class 86 is T; 80 is no device): nothing, with a warning.
  const Translation other = translateWords({0x01CA, 0x8000, 0x000F});
  EXPECT_TRUE(other.completed());
  EXPECT_EQ(other.warnings.size(), 1u);
}

}  // namespace
}  // namespace ladder51::test
