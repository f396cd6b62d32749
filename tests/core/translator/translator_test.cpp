// The walk over the steps: where it starts and stops, the order of the step tests, and what
// it reports.
#include <gtest/gtest.h>

#include "tests/core/translator/translator_support.h"

namespace ladder51::test {
namespace {

TEST(Walk, EndAsTheFirstStepCompletesWithNoStatements) {
  const Translation translation = translateWords({0x000F, 0x2400, 0xC500});
  EXPECT_TRUE(translation.completed());
  EXPECT_EQ(translation.statements, "");
  EXPECT_TRUE(translation.warnings.empty());
}

TEST(Walk, EndAtTheLastStepVisitedCompletes) {
  // (5000 - 348) / 2 + 1 = 2327 steps are visited; END stands in the last one.
  std::vector<std::uint16_t> words(2327, 0x2400);
  words[2325] = 0xC500;  // byte 4998
  words[2326] = 0x000F;  // byte 5000
  const Translation translation = translateWords(words);
  EXPECT_TRUE(translation.completed()) << translation.message;
  EXPECT_NE(translation.statements.find("Y0=0;"), std::string::npos);
}

// A file whose walk ends without END is cut short, empty, erased or longer than the walk: its
// firmware would miss steps, so it is refused, naming why and where.
TEST(Walk, AFileWithoutEndIsAFault) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::string messageStart;
    int byteAddress;
  };
  std::vector<std::uint16_t> longer(2327, 0x2400);
  longer[2326] = 0xC501;     // byte 5000, the last step visited
  longer.push_back(0xC502);  // byte 5002, never visited
  longer.push_back(0x000F);
  std::vector<std::uint8_t> cutShort = programBytes({0x2400, 0x0605, 0x8064, 0x8000, 0x000F});
  // 354 bytes: OUT T5 K100 loses its last operand word and END; the block rounding also drops
  // its first operand word.
  cutShort.resize(kHeaderBytes + 6);
  const Case cases[] = {
      {"empty file", {}, "the program file holds no steps", 348},
      {"header only", std::vector<std::uint8_t>(300, 0x24), "the program file holds no steps", 348},
      {"cut short in an instruction", cutShort,
       "the program file ends at byte 352 without END: it is cut short", 352},
      {"erased short file", std::vector<std::uint8_t>(1024, 0xFF),
       "the program file ends at byte 1024 without END", 1024},
      {"erased long file", std::vector<std::uint8_t>(20000, 0xFF),
       "no END in the 2327 steps the translator reads (bytes 348 to 5001)", 5000},
      {"longer than the walk", programBytes(longer), "no END in the 2327 steps", 5000},
  };
  for (const Case& c : cases) {
    Result<ProgramImage> image = ProgramImage::fromBytes(c.bytes);
    ASSERT_TRUE(image.ok()) << c.name;
    const Translation translation = translate(*image, {});
    EXPECT_EQ(translation.outcome, TranslationOutcome::Fault) << c.name;
    EXPECT_EQ(translation.message.rfind(c.messageStart, 0), 0u)
        << c.name << ": " << translation.message;
    EXPECT_EQ(translation.step.byteAddress, c.byteAddress) << c.name;
  }
  // What was translated before the walk ended is kept, up to the last step visited.
  const Translation tooLong = translateWords(longer);
  EXPECT_NE(tooLong.statements.find("Y1=0;"), std::string::npos);
  EXPECT_EQ(tooLong.statements.find("Y2=0;"), std::string::npos);
}

TEST(Walk, TranslationsAreIndependent) {
  const std::vector<std::uint16_t> pulses = {0x2400, 0x0008, 0x8800, 0x0009, 0x8801, 0x000F};
  const Translation first = translateWords(pulses);
  const Translation second = translateWords(pulses);
  EXPECT_EQ(first.statements, second.statements);
  EXPECT_EQ(second.risingPulseCount, 1);
  EXPECT_EQ(second.fallingPulseCount, 1);
}

TEST(Walk, RefusalKeepsWhatWasTranslatedAndNamesTheStep) {
  const Translation translation = translateWords({0x2400, 0xC500, 0x2424, 0xC501, 0x000F});
  EXPECT_EQ(translation.outcome, TranslationOutcome::Refused);
  EXPECT_EQ(translation.message, "X超出范围 只能在X0-X43之间！！");
  EXPECT_EQ(translation.step.byteAddress, 352);
  EXPECT_EQ(translation.step.stepNumber(), 2);
  EXPECT_EQ(translation.step.words, (std::vector<std::uint16_t>{0x2424}));
  EXPECT_NE(translation.statements.find("Y0=0;"), std::string::npos);
  EXPECT_EQ(translation.statements.find("Y1=0;"), std::string::npos);
  EXPECT_EQ(translation.step.describe(), "step 2 (byte 352: 2424)");
}

struct RefusalCase {
  const char* name;
  std::vector<std::uint16_t> words;
  const char* message;  // empty: completes
};

TEST(Walk, DeviceRangesOfTheBasicInstructions) {
  const RefusalCase cases[] = {
      {"LD X43", {0x2423}, ""},
      {"LD X44", {0x2424}, "X超出范围 只能在X0-X43之间！！"},
      {"ORI X377", {0x2400, 0x74FF}, "X超出范围 只能在X0-X43之间！！"},
      {"LD Y44", {0x2524}, "Y超出范围 只能在Y0-Y43之间！！"},
      {"LD M80", {0x2850}, "M超出范围 只能在M0-M79之间！！"},
      {"LD C11", {0x2E0B}, "C超出范围 只能在C0-C10之间！！"},
      {"OUT M80", {0x2400, 0xC850}, "M超出范围 只能在M0-M79之间！！"},
      {"OUT Y44", {0x2400, 0xC524}, "Y超出范围 只能在Y0-Y43之间！！"},
      {"PLS M80", {0x2400, 0x0008, 0x8850}, "M超出范围 只能在M0-M79之间！！"},
      {"PLF Y44", {0x2400, 0x0009, 0x8524}, "Y超出范围 只能在Y0-Y43之间！！"},
      {"LD M256", {0x2900}, "M超出范围 只能在M0-M79之间！！"},
      {"LD M1280", {0x2D00}, "M超出范围 只能在M0-M79之间！！"},
      {"AND M512", {0x2400, 0x4A00}, "M超出范围 只能在M0-M79之间！！"},
      {"ORI M1535", {0x2400, 0x7DFF}, "M超出范围 只能在M0-M79之间！！"},
      {"OUT M256", {0x2400, 0xC900}, "M超出范围 只能在M0-M79之间！！"},
      {"SET M1280", {0x2400, 0xDD00}, "M超出范围 只能在M0-M79之间！！"},
      {"RST code EF", {0x2400, 0xEF00}, "M超出范围 只能在M0-M79之间！！"},
      {"operand class 8A", {0x2400, 0x0008, 0x8A00}, "M超出范围 只能在M0-M79之间！！"},
      {"operand class 8F", {0x2400, 0x0008, 0x8F00}, "M超出范围 只能在M0-M79之间！！"},
  };
  for (const RefusalCase& c : cases) {
    std::vector<std::uint16_t> words = c.words;
    words.push_back(0x000F);
    const Translation translation = translateWords(words);
    if (std::string(c.message).empty()) {
      EXPECT_TRUE(translation.completed()) << c.name;
    } else {
      EXPECT_EQ(translation.outcome, TranslationOutcome::Refused) << c.name;
      EXPECT_EQ(translation.message, c.message) << c.name;
    }
  }
}

TEST(Walk, TheEarlierTestsMessageWinsWhenTwoRefusalsApply) {
  // LD X44 followed by a word of operand class 8A: the X test runs before the class test.
  const Translation translation = translateWords({0x2424, 0x8A00, 0x000F});
  EXPECT_EQ(translation.message, "X超出范围 只能在X0-X43之间！！");
  EXPECT_EQ(translation.step.byteAddress, 348);
}

TEST(Walk, OperandClass89IsReportedOnceAndTheTranslationGoesOn) {
  // LD X0, PLS with operand class 89 (M256 and up): the M notice at the PLS, nothing for it.
  const Translation translation = translateWords({0x2400, 0x0008, 0x8900, 0xC500, 0x000F});
  EXPECT_TRUE(translation.completed());
  ASSERT_EQ(translation.notices.size(), 1u);
  EXPECT_EQ(translation.notices[0].message, "M超出范围 只能在M0-M79之间！！");
  EXPECT_EQ(translation.notices[0].step.byteAddress, 350);
  EXPECT_NE(translation.statements.find("Y0=0;"), std::string::npos);
  EXPECT_EQ(translation.risingPulseCount, 0);
  EXPECT_TRUE(translation.warnings.empty());
}

TEST(Walk, OnlyWordsPassedOverDrawWarnings) {
  // NOP, END and operand words are silent; an unknown basic code and an unknown applied
  // instruction are each named once with their words.
  const Translation translation = translateWords(
      {0xFFFF, 0x2400, 0x0600, 0x8005, 0x8000, 0x2700, 0x0012, 0x8600, 0x8600, 0x000F});
  ASSERT_TRUE(translation.completed());
  ASSERT_EQ(translation.warnings.size(), 2u);
  EXPECT_EQ(translation.warnings[0].step.byteAddress, 348 + 2 * 5);
  EXPECT_EQ(translation.warnings[0].step.words, (std::vector<std::uint16_t>{0x2700}));
  EXPECT_EQ(translation.warnings[1].step.byteAddress, 348 + 2 * 6);
  EXPECT_EQ(translation.warnings[1].step.words,
            (std::vector<std::uint16_t>{0x0012, 0x8600, 0x8600}));
}

TEST(Walk, MarksPointAtEveryStatement) {
  const Translation translation =
      translateWords({0x2400, 0xC500, 0x0E03, 0x8005, 0x8000, 0x0008, 0x8800, 0x000F});
  ASSERT_TRUE(translation.completed());
  ASSERT_EQ(translation.marks.size(), 6u);  // OUT, two for OUT C, three for PLS
  for (const StatementMark& mark : translation.marks) {
    EXPECT_EQ(translation.statements.compare(mark.offset, 2, "\r\n"), 0);
    EXPECT_EQ(mark.mcDepth, 0);
  }
  EXPECT_EQ(translation.marks[0].offset, 0u);
}

}  // namespace
}  // namespace ladder51::test
