#include <gtest/gtest.h>

#include "tests/core/translator/translator_support.h"

namespace ladder51::test {
namespace {

struct ConditionCase {
  const char* name;
  std::vector<std::uint16_t> words;
  const char* condition;
};

// Words: LD X n = 24nn, LDI 34, AND 44, ANI 54, OR 64, ORI 74; class nibble 4 X, 5 Y, 6 T,
// 8 M, E C, F special relay.
TEST(Contacts, BuildTheRungCondition) {
  const ConditionCase cases[] = {
      {"LD X0", {0x2400}, "(!inx(0))"},
      {"LDI X0", {0x3400}, "(inx(0))"},
      {"LD X43 is point 35", {0x2423}, "(!inx(35))"},
      {"AND X1", {0x2400, 0x4401}, "((!inx(0))&&(!inx(1)))"},
      {"ANI X1", {0x2400, 0x5401}, "((!inx(0))&&(inx(1)))"},
      {"OR X1", {0x2400, 0x6401}, "((!inx(0))||(!inx(1)))"},
      {"ORI X1", {0x2400, 0x7401}, "((!inx(0))||(inx(1)))"},
      {"LD M13", {0x280D}, "(m[1]&(0x01<<5))"},
      {"LDI M79", {0x384F}, "(!(m[9]&(0x01<<7)))"},
      {"LD Y17", {0x250F}, "(y[1]&(0x01<<7))"},
      {"LDI Y43", {0x3523}, "(!(y[4]&(0x01<<3)))"},
      {"LD T25", {0x2619}, "(t[3]&(0x01<<1))"},
      {"LD C10", {0x2E0A}, "(c[1]&(0x01<<2))"},
      {"ANI C3", {0x2400, 0x5E03}, "((!inx(0))&&(!(c[0]&(0x01<<3))))"},
      {"LD M8000", {0x2F00}, "(m8000&0x01)"},
      {"LDI M8000", {0x3F00}, "(!(m8000&0x01))"},
      {"LD M8002 AND M8013", {0x2F02, 0x4F0D}, "((m8000&0x02)&&(m8000&0x40))"},
      {"OR M8011", {0x2400, 0x6F0B}, "((!inx(0))||(m8000&0x10))"},
      {"ORI M8012", {0x2400, 0x7F0C}, "((!inx(0))||(!(m8000&0x20)))"},
      {"LD M8014", {0x2F0E}, "(m8000&0x80)"},
      {"INV", {0x2400, 0xFFFD}, "(!((!inx(0))))"},
      {"ORB", {0x2400, 0x2401, 0xFFF9}, "((!inx(0))||((!inx(1))))"},
      {"ANB", {0x2400, 0x2401, 0xFFF8}, "((!inx(0))&&((!inx(1))))"},
      {"worked example",
       {0x2400, 0x6500, 0x5401, 0x280D, 0x680E, 0xFFF8},
       "((((!inx(0))||(y[0]&(0x01<<0)))&&(inx(1)))&&(((m[1]&(0x01<<5))||(m[1]&(0x01<<6)))))"},
      {"NOP changes nothing", {0x2400, 0xFFFF}, "(!inx(0))"},
  };
  for (const ConditionCase& c : cases) EXPECT_EQ(conditionAfter(c.words), c.condition) << c.name;
}

TEST(Contacts, UnsupportedSpecialRelayIsPassedOverWithAWarning) {
  // LD X0, LD M8001 (nothing), AND X1: the AND joins LD X0's condition.
  EXPECT_EQ(conditionAfter({0x2400, 0x2F01, 0x4401}), "((!inx(0))&&(!inx(1)))");
  const Translation translation = translateWords({0x2F01, 0x000F});
  ASSERT_TRUE(translation.completed());
  ASSERT_EQ(translation.warnings.size(), 1u);
  EXPECT_EQ(translation.warnings[0].step.byteAddress, 348);
  EXPECT_NE(translation.warnings[0].message.find("M8001"), std::string::npos);
}

TEST(Contacts, BranchesRestoreTheSavedCondition) {
  // LD X0, MPS, AND X1, OUT Y0, MPP, AND X2, OUT Y1.
  const Translation translation =
      translateWords({0x2400, 0xFFFA, 0x4401, 0xC500, 0xFFFC, 0x4402, 0xC501, 0x000F});
  ASSERT_TRUE(translation.completed());
  EXPECT_NE(translation.statements.find("if(((!inx(0))&&(!inx(1)))){y[0]|="), std::string::npos);
  EXPECT_NE(translation.statements.find("if(((!inx(0))&&(!inx(2)))){y[0]|=(0x01<<1)"),
            std::string::npos);
}

TEST(Contacts, MrdKeepsTheBranchForALaterMpp) {
  // LD X0, MPS, AND X1, MRD, AND X2, MPP, AND X3: MRD and MPP both restore "(!inx(0))".
  EXPECT_EQ(conditionAfter({0x2400, 0xFFFA, 0x4401, 0xFFFB, 0x4402}), "((!inx(0))&&(!inx(2)))");
  EXPECT_EQ(conditionAfter({0x2400, 0xFFFA, 0x4401, 0xFFFB, 0x4402, 0xFFFC, 0x4403}),
            "((!inx(0))&&(!inx(3)))");
}

struct FaultCase {
  const char* name;
  std::vector<std::uint16_t> words;
  const char* mentions;
};

TEST(Contacts, InstructionsWithoutWhatTheyNeedStopWithAFault) {
  const FaultCase cases[] = {
      {"AND first", {0x4400}, "AND"},
      {"ORI first", {0x7400}, "ORI"},
      {"INV first", {0xFFFD}, "INV"},
      {"ANB with one", {0x2400, 0xFFF8}, "ANB"},
      {"ORB with none", {0xFFF9}, "ORB"},
      {"MRD with nothing saved", {0x2400, 0xFFFB}, "MRD"},
      {"MPP with nothing saved", {0x2400, 0xFFFC}, "MPP"},
      {"MPS with no condition", {0xFFFA}, "MPS"},
      {"coil with no condition", {0xC500}, "OUT"},
  };
  for (const FaultCase& c : cases) {
    std::vector<std::uint16_t> words = c.words;
    words.push_back(0x000F);
    const Translation translation = translateWords(words);
    EXPECT_EQ(translation.outcome, TranslationOutcome::Fault) << c.name;
    EXPECT_NE(translation.message.find(c.mentions), std::string::npos) << c.name;
    EXPECT_EQ(translation.step.byteAddress, 348 + 2 * static_cast<int>(c.words.size() - 1))
        << c.name;
  }
}

TEST(Contacts, MpsNestsAtMost501Deep) {
  std::vector<std::uint16_t> words = {0x2400};
  words.insert(words.end(), 501, 0xFFFA);
  words.push_back(0x000F);
  EXPECT_TRUE(translateWords(words).completed());
  words.insert(words.end() - 1, 0xFFFA);
  const Translation translation = translateWords(words);
  EXPECT_EQ(translation.outcome, TranslationOutcome::Fault);
  EXPECT_EQ(translation.step.byteAddress, 348 + 2 * 502);
}

}  // namespace
}  // namespace ladder51::test
