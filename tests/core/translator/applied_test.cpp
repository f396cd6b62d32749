#include <gtest/gtest.h>

#include "tests/core/translator/translator_support.h"

namespace ladder51::test {
namespace {

// Operand words: K (KL,80)(KH,80); D r (2r low,86)(2r high,86); C r (..,86)(..,84);
// T r (..,86)(..,82); bit operand (n,84)(class,80) with class 5 Y, 8 M.
constexpr std::uint16_t kLdX0 = 0x2400;
constexpr std::uint16_t kEnd = 0x000F;

struct StatementCase {
  const char* name;
  std::vector<std::uint16_t> words;  // after LD X0
  const char* statement;             // after "\nif((!inx(0)))"
  bool eeprom = false;
};

TEST(AppliedInstructions, StatementsUnderTheRungCondition) {
  const StatementCase cases[] = {
      {"ALT Y10",
       {0x0094, 0x8408, 0x8005},
       "{if(y[1]&(0x01<<0))\n{y[1]&=(0xff-(0x01<<0));Y10=1;}\nelse\n{y[1]|=(0x01<<0);Y10=0;}}\n"},
      {"ALT M3",
       {0x0094, 0x8403, 0x8008},
       "{if(m[0]&(0x01<<3))\nm[0]&=(0xff-(0x01<<3));\nelse\nm[0]|=(0x01<<3);}\n"},
      {"ZRST Y6 Y11",
       {0x0060, 0x8406, 0x8005, 0x8409, 0x8005},
       "{\ny[0]&=(0xff-(0x01<<6));Y6=1;\ny[0]&=(0xff-(0x01<<7));Y7=1;\n"
       "y[1]&=(0xff-(0x01<<0));Y10=1;\ny[1]&=(0xff-(0x01<<1));Y11=1;\n}\n"},
      {"ZRST Y5 Y3 has no lines", {0x0060, 0x8405, 0x8005, 0x8403, 0x8005}, "{\n}\n"},
      {"ZRST M0 M79 clears only its own bits",
       {0x0060, 0x8400, 0x8008, 0x844F, 0x8008},
       "for(i=0;i<=79;i++)m[i/8]&=0xff-(0x01<<(i%8));\n"},
      {"ZRST D3 D15", {0x0060, 0x8606, 0x8600, 0x861E, 0x8600}, "zrstd(3,15);\n"},
      {"ZRST C2 C10",
       {0x0060, 0x8604, 0x8400, 0x8614, 0x8400},
       "for(i=2;i<=10;i++){c[i/8]&=0xff-(0x01<<(i%8));cflag[i/8]&=0xff-(0x01<<(i%8));"
       "ct[i]=0;}\n"},
      {"RST D5", {0x000D, 0x860A, 0x8600}, "d[5]=0;\n"},
      {"RST D200", {0x000D, 0x8690, 0x8601}, "{WrData(200*2,0);WrData(200*2+1,0);}", true},
      {"INC C4", {0x0040, 0x8608, 0x8400}, "ct[4]++;\n"},
      {"DEC C4", {0x0042, 0x8608, 0x8400}, "ct[4]--;\n"},
      {"INC D2", {0x0040, 0x8604, 0x8600}, "d[2]++;\n"},
      {"DEC D15", {0x0042, 0x861E, 0x8600}, "d[15]--;\n"},
      {"INC D16",
       {0x0040, 0x8620, 0x8600},
       "{d[16]=ReData(16*2);d[16]=d[16]+256*ReData(16*2+1)+1;\n"
       "WrData(16*2,d[16]%256);WrData(16*2+1,d[16]/256);}",
       true},
      {"DEC D16",
       {0x0042, 0x8620, 0x8600},
       "{d[16]=ReData(16*2);d[16]=d[16]+256*ReData(16*2+1)-1;\n"
       "WrData(16*2,d[16]%256);WrData(16*2+1,d[16]/256);}",
       true},
      {"MOV K1000 D5", {0x0028, 0x80E8, 0x8003, 0x860A, 0x8600}, "d[5]=1000;\n"},
      {"MOV K65535 D5", {0x0028, 0x80FF, 0x80FF, 0x860A, 0x8600}, "d[5]=65535;\n"},
      {"MOV K1000 D100",
       {0x0028, 0x80E8, 0x8003, 0x86C8, 0x8600},
       "{WrData(100*2,1000%256);WrData(100*2+1,1000/256);}",
       true},
      {"MOV K7 C2", {0x0028, 0x8007, 0x8000, 0x8604, 0x8400}, "ct[2]=7;\n"},
      {"MOV C1 D3", {0x0028, 0x8602, 0x8400, 0x8606, 0x8600}, "d[3]=ct[1];\n"},
      {"MOV C1 D30",
       {0x0028, 0x8602, 0x8400, 0x863C, 0x8600},
       "{WrData(30*2,ct[1]%256);WrData(30*2+1,ct[1]/256);}",
       true},
      {"MOV D3 C2", {0x0028, 0x8606, 0x8600, 0x8604, 0x8400}, "ct[2]=d[3];\n"},
      {"MOV D40 C2",
       {0x0028, 0x8650, 0x8600, 0x8604, 0x8400},
       "ct[2]=ReData(40*2)+256*ReData(40*2+1);\n",
       true},
      {"MOV D1 D2", {0x0028, 0x8602, 0x8600, 0x8604, 0x8600}, "d[2]=d[1];\n"},
      {"MOV D1 D20",
       {0x0028, 0x8602, 0x8600, 0x8628, 0x8600},
       "{WrData(20*2,d[1]%256);WrData(20*2+1,d[1]/256);}\n",
       true},
      {"MOV D20 D1",
       {0x0028, 0x8628, 0x8600, 0x8602, 0x8600},
       "d[1]=ReData(20*2)+256*ReData(20*2+1);\n",
       true},
      {"MOV D20 D300",
       {0x0028, 0x8628, 0x8600, 0x8658, 0x8602},
       "{d[16]=ReData(20*2)+256*ReData(20*2+1);\n"
       "WrData(300*2,d[16]%256);WrData(300*2+1,d[16]/256);}\n",
       true},
      {"MOV C1 C2",
       {0x0028, 0x8602, 0x8400, 0x8604, 0x8400},
       "ct[2]=ct[1];"
       "\n"},
      {"ADD D0 K5 D1", {0x0038, 0x8600, 0x8600, 0x8005, 0x8000, 0x8602, 0x8600}, "d[1]=d[0]+5;"},
      {"SUB C1 T2 C3",
       {0x003A, 0x8602, 0x8400, 0x8604, 0x8200, 0x8606, 0x8400},
       "ct[3]=ct[1]-tc[2];"},
      {"MUL K3 K4 T15", {0x003C, 0x8003, 0x8000, 0x8004, 0x8000, 0x861E, 0x8200}, "tc[15]=3*4;"},
      {"DIV D20 D1 D2",
       {0x003E, 0x8628, 0x8600, 0x8602, 0x8600, 0x8604, 0x8600},
       "d[2]=(ReData(20*2)+256*ReData(20*2+1))/d[1];",
       true},
      {"ADD D1 K1 D40",
       {0x0038, 0x8602, 0x8600, 0x8001, 0x8000, 0x8650, 0x8600},
       "{d[16]=d[1]+1;WrData(40*2,d[16]%256);WrData(40*2+1,d[16]/256);}",
       true},
  };
  for (const StatementCase& c : cases) {
    std::vector<std::uint16_t> words = {kLdX0};
    words.insert(words.end(), c.words.begin(), c.words.end());
    words.push_back(kEnd);
    const Translation translation = translateWords(words, c.eeprom);
    EXPECT_TRUE(translation.completed()) << c.name << ": " << translation.message;
    EXPECT_EQ(translation.statements, crlf(std::string("\nif((!inx(0)))") + c.statement)) << c.name;
    EXPECT_TRUE(translation.warnings.empty()) << c.name;
  }
}

struct RefusalCase {
  const char* name;
  std::vector<std::uint16_t> words;  // after LD X0
  const char* message;               // a part of the refusal message
};

TEST(AppliedInstructions, Refusals) {
  const RefusalCase cases[] = {
      {"ALT Y44", {0x0094, 0x8424, 0x8005}, "Y超出范围 只能在Y0-Y43之间！！"},
      {"ALT M80", {0x0094, 0x8450, 0x8008}, "M超出范围 只能在M0-M79之间！！"},
      {"ZRST Y0 Y44", {0x0060, 0x8400, 0x8005, 0x8424, 0x8005}, "Y超出范围"},
      {"ZRST M0 M80", {0x0060, 0x8400, 0x8008, 0x8450, 0x8008}, "M超出范围"},
      {"ZRST D3 D20",
       {0x0060, 0x8606, 0x8600, 0x8628, 0x8600},
       "ZRST D 超出范围 只能在D0-D15之间！！"},
      {"ZRST D20 D3", {0x0060, 0x8628, 0x8600, 0x8606, 0x8600}, "D超出范围 只能在D0-D15之间！！"},
      {"ZRST C0 C11", {0x0060, 0x8600, 0x8400, 0x8616, 0x8400}, "C超出范围 只能在C0-C10之间！！"},
      {"INC C11", {0x0040, 0x8616, 0x8400}, "C超出范围"},
      {"MOV D3 C11", {0x0028, 0x8606, 0x8600, 0x8616, 0x8400}, "C超出范围"},
      {"MOV C11 D3", {0x0028, 0x8616, 0x8400, 0x8606, 0x8600}, "C超出范围"},
      {"ADD with a C above C10",
       {0x0038, 0x8616, 0x8400, 0x8001, 0x8000, 0x8600, 0x8600},
       "C超出范围 只能在C0-C10之间！！"},
      {"ADD with a T above T15",
       {0x0038, 0x8620, 0x8200, 0x8001, 0x8000, 0x8600, 0x8600},
       "T超出范围 只能在T0-T15之间！！"},
      {"ADD into K", {0x0038, 0x8001, 0x8000, 0x8001, 0x8000, 0x8001, 0x8000}, "result operand"},
      {"ADD from an unknown kind",
       {0x0038, 0x8501, 0x8000, 0x8001, 0x8000, 0x8600, 0x8600},
       "first operand"},
      {"SUB odd offset",
       {0x003A, 0x8601, 0x8600, 0x8001, 0x8000, 0x8600, 0x8600},
       "odd register offset"},
      {"RST D16 without EEPROM", {0x000D, 0x8620, 0x8600}, "EEPROM"},
      {"INC D16 without EEPROM", {0x0040, 0x8620, 0x8600}, "EEPROM"},
      {"MOV K1 D16 without EEPROM", {0x0028, 0x8001, 0x8000, 0x8620, 0x8600}, "EEPROM"},
      {"ADD D16 without EEPROM",
       {0x0038, 0x8620, 0x8600, 0x8001, 0x8000, 0x8600, 0x8600},
       "EEPROM"},
  };
  for (const RefusalCase& c : cases) {
    std::vector<std::uint16_t> words = {kLdX0};
    words.insert(words.end(), c.words.begin(), c.words.end());
    words.push_back(kEnd);
    const Translation translation = translateWords(words);
    EXPECT_EQ(translation.outcome, TranslationOutcome::Refused) << c.name;
    EXPECT_NE(translation.message.find(c.message), std::string::npos)
        << c.name << ": " << translation.message;
    EXPECT_EQ(translation.step.byteAddress, 350) << c.name;
    EXPECT_EQ(translation.statements, "") << c.name;
  }
}

TEST(AppliedInstructions, UnmatchedCombinationsProduceNothingButAWarning) {
  const std::vector<std::vector<std::uint16_t>> programs = {
      {0x0028, 0x8001, 0x8000, 0x8002, 0x8000},  // MOV K1 K2
      {0x0040, 0x8005, 0x8000},                  // INC K5
      {0x0060, 0x8400, 0x8005, 0x8400, 0x8008},  // ZRST Y0 M0
      {0x0010, 0x8600, 0x8600, 0x8602, 0x8600},  // an applied instruction not supported
  };
  for (const auto& program : programs) {
    std::vector<std::uint16_t> words = {kLdX0};
    words.insert(words.end(), program.begin(), program.end());
    words.push_back(kEnd);
    const Translation translation = translateWords(words);
    EXPECT_TRUE(translation.completed());
    EXPECT_EQ(translation.statements, "");
    ASSERT_EQ(translation.warnings.size(), 1u);
    EXPECT_EQ(translation.warnings[0].step.byteAddress, 350);
    EXPECT_EQ(translation.warnings[0].step.words, program);
  }
}

TEST(AppliedInstructions, OutputsDrivenByZrstAndAlt) {
  const Translation translation =
      translateWords({kLdX0, 0x0060, 0x8406, 0x8005, 0x8409, 0x8005, 0x0094, 0x8423, 0x8005, kEnd});
  EXPECT_EQ(translation.drivenOutputs, (std::set<int>{6, 7, 8, 9, 35}));
}

}  // namespace
}  // namespace ladder51::test
