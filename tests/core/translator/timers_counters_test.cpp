#include <gtest/gtest.h>

#include "tests/core/translator/translator_support.h"

namespace ladder51::test {
namespace {

TEST(TimersCounters, OutTWithAConstant) {
  // LD X0, OUT T5 K100.
  const Translation translation = translateWords({0x2400, 0x0605, 0x8064, 0x8000, 0x000F});
  EXPECT_EQ(translation.statements,
            crlf("\nif((!inx(0))){to[0]|=(0x01<<5);\nif(tc[5]>=(100))\n{t[0]|=(0x01<<5);\n"
                 "to[0]&=0xff-(0x01<<5);\ntc[5]=100;}}\nelse\n{t[0]&=0xff-(0x01<<5);\n"
                 "to[0]&=0xff-(0x01<<5);\ntc[5]=0;}\n"));
}

TEST(TimersCounters, OutTWithADataRegister) {
  // OUT T12 D7 (offset 14): no EEPROM line.
  const Translation ram = translateWords({0x2400, 0x060C, 0x860E, 0x8600, 0x000F});
  EXPECT_EQ(ram.statements,
            crlf("\nif((!inx(0))){to[1]|=(0x01<<4);\nif(tc[12]>=(d[7]))\n{t[1]|=(0x01<<4);\n"
                 "to[1]&=0xff-(0x01<<4);\ntc[12]=d[7];}}\nelse\n{t[1]&=0xff-(0x01<<4);\n"
                 "to[1]&=0xff-(0x01<<4);\ntc[12]=0;}\n"));
  // OUT T12 D20 (offset 40): read from the EEPROM into d[16] first.
  const Translation eeprom = translateWords({0x2400, 0x060C, 0x8628, 0x8600, 0x000F}, true);
  EXPECT_EQ(eeprom.statements,
            crlf("\nif((!inx(0))){to[1]|=(0x01<<4);\nd[16]=ReData(20*2)+256*ReData(20*2+1);\n"
                 "if(tc[12]>=(d[16]))\n{t[1]|=(0x01<<4);\nto[1]&=0xff-(0x01<<4);\n"
                 "tc[12]=d[16];}}\nelse\n{t[1]&=0xff-(0x01<<4);\nto[1]&=0xff-(0x01<<4);\n"
                 "tc[12]=0;}\n"));
}

TEST(TimersCounters, OutCWritesTwoStatements) {
  // LD X1, OUT C3 K5.
  const Translation translation = translateWords({0x2401, 0x0E03, 0x8005, 0x8000, 0x000F});
  EXPECT_EQ(translation.statements,
            crlf("\nif((!inx(1))){if(!(cflag[0]&(0x01<<3)))\n{cflag[0]|=(0x01<<3);\nct[3]++;\n"
                 "if(ct[3]>=(5))\n{c[0]|=(0x01<<3);\nct[3]=5;}}}\n"
                 "\nif(!((!inx(1)))){cflag[0]&=0xff-(0x01<<3);}\n"));
}

TEST(TimersCounters, OutCWithAnEepromSetValue) {
  // OUT C10 D100 (offset 200): the EEPROM line sits between the count and the test.
  const Translation translation = translateWords({0x2400, 0x0E0A, 0x86C8, 0x8600, 0x000F}, true);
  EXPECT_EQ(translation.statements,
            crlf("\nif((!inx(0))){if(!(cflag[1]&(0x01<<2)))\n{cflag[1]|=(0x01<<2);\nct[10]++;\n"
                 "d[16]=ReData(100*2)+256*ReData(100*2+1);\nif(ct[10]>=(d[16]))\n"
                 "{c[1]|=(0x01<<2);\nct[10]=d[16];}}}\n"
                 "\nif(!((!inx(0)))){cflag[1]&=0xff-(0x01<<2);}\n"));
}

TEST(TimersCounters, Resets) {
  // LD X2, RST T0; LD X2, RST C9.
  EXPECT_EQ(translateWords({0x2402, 0x000C, 0x8600, 0x000F}).statements,
            crlf("\nif((!inx(2)))\n{t[0]&=0xff-(0x01<<0);\nto[0]&=0xff-(0x01<<0);\ntc[0]=0;}\n"));
  EXPECT_EQ(translateWords({0x2402, 0x000C, 0x8E09, 0x000F}).statements,
            crlf("\nif((!inx(2)))\n{c[1]&=0xff-(0x01<<1);\ncflag[1]&=0xff-(0x01<<1);\n"
                 "ct[9]=0;}\n"));
}

TEST(TimersCounters, MasterControlOpensABlockJoinedToThePreviousText) {
  // LD X3, MC N0 M100, OUT Y0, MCR N0.
  const Translation translation =
      translateWords({0x2403, 0x000A, 0x8000, 0x8864, 0xC500, 0x000B, 0x8000, 0x000F});
  ASSERT_TRUE(translation.completed()) << translation.message;
  EXPECT_EQ(translation.statements,
            crlf("if((!inx(3))){\n"
                 "\nif((!inx(3))){y[0]|=(0x01<<0);Y0=0;}\nelse\n{y[0]&=(0xff-(0x01<<0));Y0=1;}\n"
                 "}\n"));
  // Statements start at the MC (depth 0), the OUT (inside, depth 1) and the MCR (depth 1).
  ASSERT_EQ(translation.marks.size(), 3u);
  EXPECT_EQ(translation.marks[0].mcDepth, 0);
  EXPECT_EQ(translation.marks[1].mcDepth, 1);
  EXPECT_EQ(translation.marks[2].mcDepth, 1);
  EXPECT_EQ(translation.statements.substr(translation.marks[2].offset), "}\r\n");
}

TEST(TimersCounters, UnbalancedMasterControlIsAFault) {
  const Translation open = translateWords({0x2403, 0x000A, 0x8000, 0x000F});
  EXPECT_EQ(open.outcome, TranslationOutcome::Fault);
  EXPECT_NE(open.message.find("MCR"), std::string::npos);
  const Translation close = translateWords({0x2403, 0x000B, 0x8000, 0x000F});
  EXPECT_EQ(close.outcome, TranslationOutcome::Fault);
  EXPECT_EQ(close.step.byteAddress, 350);
}

struct LimitCase {
  const char* name;
  std::vector<std::uint16_t> words;
  const char* refusal;  // empty: accepted
};

TEST(TimersCounters, DeviceLimits) {
  const LimitCase cases[] = {
      {"OUT T15", {0x2400, 0x060F, 0x8001, 0x8000}, ""},
      {"OUT T16", {0x2400, 0x0610, 0x8001, 0x8000}, "T超出范围 只能在T0-T15之间！！"},
      {"OUT T25", {0x2400, 0x0619, 0x8001, 0x8000}, "T超出范围 只能在T0-T15之间！！"},
      {"RST T15", {0x2400, 0x000C, 0x860F}, ""},
      {"RST T16", {0x2400, 0x000C, 0x8610}, "T超出范围 只能在T0-T15之间！！"},
      {"OUT C10", {0x2400, 0x0E0A, 0x8001, 0x8000}, ""},
      {"OUT C11", {0x2400, 0x0E0B, 0x8001, 0x8000}, "C超出范围 只能在C0-C10之间！！"},
      {"RST C11", {0x2400, 0x000C, 0x8E0B}, "C超出范围 只能在C0-C10之间！！"},
      {"K0", {0x2400, 0x0600, 0x8000, 0x8000}, ""},
      {"K32767", {0x2400, 0x0600, 0x80FF, 0x807F}, ""},
      {"D offset odd", {0x2400, 0x0600, 0x8601, 0x8600}, "odd register offset"},
      {"D20 without EEPROM", {0x2400, 0x0600, 0x8628, 0x8600}, "EEPROM"},
  };
  for (const LimitCase& c : cases) {
    std::vector<std::uint16_t> words = c.words;
    words.push_back(0x000F);
    const Translation translation = translateWords(words);
    if (std::string(c.refusal).empty()) {
      EXPECT_TRUE(translation.completed()) << c.name << ": " << translation.message;
    } else {
      EXPECT_EQ(translation.outcome, TranslationOutcome::Refused) << c.name;
      EXPECT_NE(translation.message.find(c.refusal), std::string::npos) << c.name;
      EXPECT_EQ(translation.statements, "") << c.name;
    }
  }
}

TEST(TimersCounters, SetValueHighByteOf80HexIsAFault) {
  const Translation constant = translateWords({0x2400, 0x0600, 0x8000, 0x8080, 0x000F});
  EXPECT_EQ(constant.outcome, TranslationOutcome::Fault);
  EXPECT_EQ(constant.step.byteAddress, 350);
  const Translation reg = translateWords({0x2400, 0x0E00, 0x8600, 0x8680, 0x000F}, true);
  EXPECT_EQ(reg.outcome, TranslationOutcome::Fault);
}

TEST(TimersCounters, TimerContactsKeepTheirWiderRange) {
  EXPECT_EQ(conditionAfter({0x2619}), "(t[3]&(0x01<<1))");  // LD T25
  const Translation t26 = translateWords({0x261A, 0x000F});
  EXPECT_EQ(t26.message, "T超出范围 只能在T0-T25之间！！");
}

}  // namespace
}  // namespace ladder51::test
