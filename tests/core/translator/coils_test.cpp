#include <gtest/gtest.h>

#include "tests/core/translator/translator_support.h"

namespace ladder51::test {
namespace {

TEST(Coils, WorkedExampleOfOutSetAndPls) {
  // LD X0, OUT Y0, SET M13, PLS M1 (operand word 8801), END.
  const Translation translation = translateWords({0x2400, 0xC500, 0xD80D, 0x0008, 0x8801, 0x000F});
  ASSERT_TRUE(translation.completed()) << translation.message;
  EXPECT_EQ(translation.statements,
            crlf("\nif((!inx(0))){y[0]|=(0x01<<0);Y0=0;}\nelse\n{y[0]&=(0xff-(0x01<<0));Y0=1;}\n"
                 "\nif((!inx(0)))m[1]|=(0x01<<5);\n"
                 "\nm[0]&=(0xff-(0x01<<1));\n"
                 "\nif((!inx(0))&& (plsm[0]&(0x01<<0))){plsm[0]&=0xff-(0x01<<0);m[0]|=(0x01<<1);}\n"
                 "\nif((!(!inx(0)))&& (!(plsm[0]&(0x01<<0))))plsm[0]|=(0x01<<0);\n"));
  EXPECT_EQ(translation.risingPulseCount, 1);
  EXPECT_EQ(translation.fallingPulseCount, 0);
}

struct CoilCase {
  const char* name;
  std::uint16_t word;
  const char* statement;  // after "\nif((!inx(0)))"
};

TEST(Coils, EachCoilUnderTheRungCondition) {
  const CoilCase cases[] = {
      {"OUT Y10", 0xC508, "{y[1]|=(0x01<<0);Y10=0;}\nelse\n{y[1]&=(0xff-(0x01<<0));Y10=1;}\n"},
      {"OUT Y43", 0xC523, "{y[4]|=(0x01<<3);Y43=0;}\nelse\n{y[4]&=(0xff-(0x01<<3));Y43=1;}\n"},
      {"OUT Y17", 0xC50F, "{y[1]|=(0x01<<7);Y17=0;}\nelse\n{y[1]&=(0xff-(0x01<<7));Y17=1;}\n"},
      {"OUT M79", 0xC84F, "m[9]|=(0x01<<7);\nelse\nm[9]&=(0xff-(0x01<<7));\n"},
      {"SET Y5", 0xD505, "{y[0]|=(0x01<<5);Y5=0;}\n"},
      {"SET M0", 0xD800, "m[0]|=(0x01<<0);\n"},
      {"RST Y12", 0xE50A, "{y[1]&=(0xff-(0x01<<2));Y12=1;}\n"},
      {"RST M20", 0xE814, "m[2]&=(0xff-(0x01<<4));\n"},
  };
  for (const CoilCase& c : cases) {
    const Translation translation = translateWords({0x2400, c.word, 0x000F});
    EXPECT_EQ(translation.statements, crlf(std::string("\nif((!inx(0)))") + c.statement)) << c.name;
  }
}

TEST(Coils, TwoCoilsOfOneRungShareItsCondition) {
  const Translation translation = translateWords({0x2400, 0xC500, 0xC501, 0x000F});
  EXPECT_EQ(translation.statements,
            crlf("\nif((!inx(0))){y[0]|=(0x01<<0);Y0=0;}\nelse\n{y[0]&=(0xff-(0x01<<0));Y0=1;}\n"
                 "\nif((!inx(0))){y[0]|=(0x01<<1);Y1=0;}\nelse\n{y[0]&=(0xff-(0x01<<1));Y1=1;}\n"));
  EXPECT_EQ(translation.drivenOutputs, (std::set<int>{0, 1}));
}

TEST(Coils, PlfOnAnOutputFiresOnTheFallingEdge) {
  // LD X1, PLF Y0.
  const Translation translation = translateWords({0x2401, 0x0009, 0x8500, 0x000F});
  ASSERT_TRUE(translation.completed());
  EXPECT_EQ(translation.statements,
            crlf("\ny[0]&=(0xff-(0x01<<0));Y0=1;\n"
                 "\nif((!(!inx(1)))&& (plfm[0]&(0x01<<0))){plfm[0]&=0xff-(0x01<<0);"
                 "y[0]|=(0x01<<0);Y0=0;}\n"
                 "\nif((!inx(1))&& (!(plfm[0]&(0x01<<0))))plfm[0]|=(0x01<<0);\n"));
  EXPECT_EQ(translation.fallingPulseCount, 1);
  EXPECT_EQ(translation.drivenOutputs, (std::set<int>{0}));
}

TEST(Coils, PulseBitsAreHandedOutInProgramOrder) {
  std::vector<std::uint16_t> words = {0x2400};
  for (int k = 0; k < 9; ++k) words.insert(words.end(), {0x0008, 0x8800});
  words.push_back(0x000F);
  const Translation translation = translateWords(words);
  ASSERT_TRUE(translation.completed());
  EXPECT_EQ(translation.risingPulseCount, 9);
  EXPECT_NE(translation.statements.find("plsm[0]&(0x01<<7)"), std::string::npos);
  EXPECT_NE(translation.statements.find("plsm[1]|=(0x01<<0);"), std::string::npos);
  EXPECT_EQ(translation.statements.find("plsm[1]&(0x01<<1)"), std::string::npos);
}

TEST(Coils, SeventeenthPulseIsRefused) {
  for (std::uint16_t pulse : {std::uint16_t{0x0008}, std::uint16_t{0x0009}}) {
    std::vector<std::uint16_t> words = {0x2400};
    for (int k = 0; k < 16; ++k) words.insert(words.end(), {pulse, 0x8800});
    words.push_back(0x000F);
    EXPECT_TRUE(translateWords(words).completed());
    words.insert(words.end() - 1, {pulse, 0x8801});
    const Translation translation = translateWords(words);
    EXPECT_EQ(translation.outcome, TranslationOutcome::Refused);
    EXPECT_NE(translation.message.find(pulse == 0x0008 ? "PLS" : "PLF"), std::string::npos);
    EXPECT_EQ(translation.step.byteAddress, 348 + 2 + 16 * 4);
  }
}

TEST(Coils, PulseWithAnotherOperandClassProducesNothing) {
  // PLS with an X operand (class 84): nothing, the counter stays, a warning names the step.
  const Translation translation = translateWords({0x2400, 0x0008, 0x8400, 0x000F});
  ASSERT_TRUE(translation.completed());
  EXPECT_EQ(translation.statements, "");
  EXPECT_EQ(translation.risingPulseCount, 0);
  ASSERT_EQ(translation.warnings.size(), 1u);
  EXPECT_EQ(translation.warnings[0].step.byteAddress, 350);
  EXPECT_EQ(translation.warnings[0].step.words, (std::vector<std::uint16_t>{0x0008, 0x8400}));
}

}  // namespace
}  // namespace ladder51::test
