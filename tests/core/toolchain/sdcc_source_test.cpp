#include "core/toolchain/sdcc_source.h"

#include <gtest/gtest.h>

#include <set>

namespace ladder51 {
namespace {

struct AdaptCase {
  const char* name;
  const char* keil;
  const char* sdcc;
};

TEST(AdaptKeilSource, RewritesKeilOnlyForms) {
  const AdaptCase cases[] = {
      {"sfr", "sfr P1   = 0x90;", "__sfr __at (0x90) P1;"},
      {"sfr with leading blank", " sfr P1   = 0x90;", " __sfr __at (0x90) P1;"},
      {"three sfr on one line", "sfr WDT   = 0xA6;sfr WDTSTC   = 0xE1;sfr P0   = 0x80;",
       "__sfr __at (0xA6) WDT;__sfr __at (0xE1) WDTSTC;__sfr __at (0x80) P0;"},
      {"sbit", "sbit TR0  = 0x8C;", "__sbit __at (0x8C) TR0;"},
      {"sbit without blanks", "sbit P4P0=0xE8;", "__sbit __at (0xE8) P4P0;"},
      {"pin declaration", "\r\nsbit X10=0xA0;\r\n", "\r\n__sbit __at (0xA0) X10;\r\n"},
      {"decimal address", "sfr IE = 168;", "__sfr __at (168) IE;"},
      {"idata", "unsigned char idata xfir[36];", "unsigned char __idata xfir[36];"},
      {"interrupt using", "void timer0(void) interrupt 1 using 0",
       "void timer0(void) __interrupt(1) __using(0)"},
      {"interrupt alone", "void isr(void) interrupt 3\r\n{", "void isr(void) __interrupt(3)\r\n{"},
      {"words containing keywords", "ReData(idatax); my_idata=sfrx; sbits=1;",
       "ReData(idatax); my_idata=sfrx; sbits=1;"},
      {"comment untouched", "x=1; // sfr P1 = 0x90; idata interrupt 1",
       "x=1; // sfr P1 = 0x90; idata interrupt 1"},
      {"block comment untouched", "/* sbit A = 0x90; */ idata", "/* sbit A = 0x90; */ __idata"},
      {"string untouched", "s=\"idata\";", "s=\"idata\";"},
      {"non-declaration kept", "sfr;", "sfr;"},
      {"already SDCC", "__sfr __at (0x90) P1; __idata", "__sfr __at (0x90) P1; __idata"},
      {"keyword as a register name", "sfr idata=3;", "__sfr __at (3) __idata;"},
      {"8-bit comment text", "EA = 1; //\xbf\xaa idata", "EA = 1; //\xbf\xaa idata"},
  };
  for (const AdaptCase& c : cases) {
    EXPECT_EQ(adaptKeilSource(c.keil), c.sdcc) << c.name;
    EXPECT_EQ(adaptKeilSource(c.sdcc), c.sdcc) << c.name << " adapted twice";
  }
}

// `count` statements of "s<k>();" lines with their marks.
struct Program {
  std::string text;
  std::vector<StatementMark> marks;
};

Program statementsOf(int count) {
  Program p;
  for (int k = 0; k < count; ++k) {
    p.marks.push_back({p.text.size()});
    p.text += "\r\ns" + std::to_string(k) + "();";
  }
  return p;
}

struct CutCase {
  const char* name;
  int statements;
  int perFunction;
  std::vector<int> firstStatements;  // statement numbers where the pieces begin
};

TEST(ScanSplit, CutsAtStatementStarts) {
  const CutCase cases[] = {
      {"even pieces", 6, 2, {0, 2, 4}},
      {"remainder", 5, 2, {0, 2, 4}},
      {"one piece", 3, 5, {0}},
      {"every statement", 3, 1, {0, 1, 2}},
  };
  for (const CutCase& c : cases) {
    Program p = statementsOf(c.statements);
    std::vector<std::size_t> expected;
    for (int k : c.firstStatements) expected.push_back(p.marks[static_cast<std::size_t>(k)].offset);
    EXPECT_EQ(scanCutOffsets(p.text.size(), p.marks, c.perFunction), expected) << c.name;
  }
}

TEST(ScanSplit, MovesStatementsIntoFunctionsCalledInOrder) {
  Program p = statementsOf(5);
  const std::string head = "int g;\r\n\r\nmain()\r\n{unsigned int i;\r\n while(1){";
  const std::string tail = "\r\nm8000&=0xfd;\r\n}}";
  const std::string file = head + p.text + tail;
  Result<std::string> unit = splitScanStatements(file, {head.size(), p.text, &p.marks}, 2);
  ASSERT_TRUE(unit.ok()) << unit.error().describe();
  const std::string expected =
      "int g;\r\n\r\n"
      "void scanpart1(void)\r\n{\r\ns0();\r\ns1();\r\n}\r\n"
      "void scanpart2(void)\r\n{\r\ns2();\r\ns3();\r\n}\r\n"
      "void scanpart3(void)\r\n{\r\ns4();\r\n}\r\n"
      "main()\r\n{unsigned int i;\r\n while(1){\r\nscanpart1();\r\nscanpart2();\r\nscanpart3();" +
      tail;
  EXPECT_EQ(*unit, expected);
}

TEST(ScanSplit, DeclaresTheLoopVariableOnlyWhereAStatementUsesIt) {
  const std::string head = "int g;\r\n\r\nmain()\r\n{unsigned int i;\r\n while(1){";
  const std::string statements =
      "\r\nif(m[0]&0x01){y[0]|=0x01;}"
      "\r\nif(1){for(i=3;i<=5;i++)m[i/8]&=0xff-(0x01<<(i%8));}"
      "\r\nif(1){d[0]=d[1];}";
  std::vector<StatementMark> marks;
  for (std::size_t at = statements.find("\r\nif"); at != std::string::npos;
       at = statements.find("\r\nif", at + 1)) {
    marks.push_back({at});
  }
  ASSERT_EQ(marks.size(), 3u);
  const std::string file = head + statements + "\r\n}}";
  Result<std::string> unit = splitScanStatements(file, {head.size(), statements, &marks}, 1);
  ASSERT_TRUE(unit.ok()) << unit.error().describe();
  EXPECT_NE(unit->find("void scanpart1(void)\r\n{\r\nif(m[0]"), std::string::npos) << *unit;
  EXPECT_NE(unit->find("void scanpart2(void)\r\n{unsigned int i;\r\nif(1){for(i=3"),
            std::string::npos)
      << *unit;
  EXPECT_NE(unit->find("void scanpart3(void)\r\n{\r\nif(1){d[0]"), std::string::npos) << *unit;
}

TEST(ScanSplit, FindsWholeIdentifiersOnly) {
  struct Case {
    const char* text;
    bool uses;
  };
  const Case cases[] = {{"for(i=0;i<3;i++)", true}, {"if(x)y=1;", false}, {"i", true},
                        {"inx(3)", false},          {"d[i]", true},       {"xi=i_2;", false}};
  for (const Case& c : cases) EXPECT_EQ(usesIdentifier(c.text, "i"), c.uses) << c.text;
}

TEST(ScanSplit, LeavesTheFileAloneWithoutStatementsOrMarks) {
  const std::string file = "main()\r\n{while(1){\r\nm8000&=0xfd;\r\n}}";
  std::vector<StatementMark> none;
  Result<std::string> unit = splitScanStatements(file, {file.find("\r\nm8000"), "", &none});
  ASSERT_TRUE(unit.ok());
  EXPECT_EQ(*unit, file);
}

TEST(ScanSplit, RefusesStatementsThatAreNotWhereTheTranslationSays) {
  Program p = statementsOf(2);
  const std::string file = "main()\r\n{" + p.text + "}";
  EXPECT_FALSE(splitScanStatements(file, {0, p.text, &p.marks}).ok());
  EXPECT_FALSE(splitScanStatements(file, {file.size() + 1, p.text, &p.marks}).ok());
  const std::string noMain = "void f(void){" + p.text + "}";
  Result<std::string> unit = splitScanStatements(noMain, {13, p.text, &p.marks});
  ASSERT_FALSE(unit.ok());
  EXPECT_EQ(unit.error().message, "the file has no main()");
}

// inx with a constant input becomes the test it makes: inputs that pins carry (once or twice)
// read their filter under the mask, or, for an input image, their bit of it, which xlatch()
// takes from the filter when the scan starts; others read as off; a variable input stays a call.
TEST(ScanSplit, ReadsConstantInputsWithoutCallingInx) {
  const std::string inx =
      "unsigned char inx(unsigned int i)\r\n{\r\n#if 1\r\n"
      "if(i==0)if((xfir[0]&0x0f)==0x00)return 0;else  return 1;\r\n#endif\r\n#if 0\r\n"
      "if(i==1)if((xfir[1]&0x0f)==0x00)return 0;else  return 1;\r\n#endif\r\n#if 2\r\n"
      "if(i==12)if((xfir[12]&0xff)==0x00)return 0;else  return 1;\r\n#endif\r\nreturn 1;\r\n}\r\n";
  const std::map<int, std::string> masks = inputFilterMasks(inx);
  EXPECT_EQ(masks, (std::map<int, std::string>{{0, "0x0f"}, {12, "0xff"}}));
  const std::string statements = "if((!inx(0))&&(inx(1))||ldpx(12)||(!inx(12))||inx(xn))";
  EXPECT_EQ(withInputsRead(statements, masks),
            "if((!((xfir[0]&0x0f)!=0))&&(1)||ldpx(12)||(!((xfir[12]&0xff)!=0))||inx(xn))");
  std::set<int> read;
  EXPECT_EQ(withInputsRead(statements, masks, &read),
            "if((!((xim[0]&0x01)!=0))&&(1)||ldpx(12)||(!((xim[1]&0x10)!=0))||inx(xn))");
  EXPECT_EQ(read, (std::set<int>{0, 12}));
  EXPECT_EQ(inputImage(read, masks),
            "unsigned char __idata xim[2];\r\nvoid xlatch(void)\r\n"
            "{if(xfir[0]&0x0f)xim[0]|=0x01;else xim[0]&=~0x01;"
            "if(xfir[12]&0xff)xim[1]|=0x10;else xim[1]&=~0x10;}\r\n");
  EXPECT_EQ(inputImage({}, masks), "");
}

// An input image is needed where an interrupt samples the inputs (the classic time base), not
// where tmscan does between scans (the FX time base).
TEST(ScanSplit, TellsWhereTheInputsAreSampled) {
  const std::string sample = "\r\n{\r\n#if 1\r\nxfir[0]=xfir[0]<<1;xfir[0]=xfir[0]|X0;\r\n";
  EXPECT_TRUE(inputsSampledByInterrupt("void timer0(void) interrupt 1 using 0" + sample));
  EXPECT_FALSE(
      inputsSampledByInterrupt("void timer0(void) interrupt 1 using 0\r\n{}\r\n"
                               "void tmscan(void)" +
                               sample));
  EXPECT_FALSE(inputsSampledByInterrupt("void tmscan(void)\r\n{}"));
}

// Runtime calls with constant arguments become the expressions the routines evaluate, with the
// edge memory's byte and mask of the device; inputs 0 and 8 have pins, input 35 has none.
TEST(ScanSplit, ReplacesConstantCallsByTheirExpressions) {
  const std::map<int, std::string> masks = {{0, "0x0f"}, {8, "0x03"}};
  const AdaptCase cases[] = {
      {"rising M", "if(ldpm(21))m[0]|=(0x01<<0);",
       "if(((m[2]&0x20)?((mflag[2]&0x20)?0:(mflag[2]|=0x20,1)):(mflag[2]&=~0x20,0)))"
       "m[0]|=(0x01<<0);"},
      {"falling M", "ldfm(0)",
       "((m[0]&0x01)?(mflag[0]|=0x01,0):(mflag[0]&0x01)?(mflag[0]&=~0x01,1):0)"},
      {"rising Y", "ldpy(7)",
       "((y[0]&0x80)?((yflag[0]&0x80)?0:(yflag[0]|=0x80,1)):(yflag[0]&=~0x80,0))"},
      {"falling Y", "ldfy(9)",
       "((y[1]&0x02)?(yflag[1]|=0x02,0):(yflag[1]&0x02)?(yflag[1]&=~0x02,1):0)"},
      {"rising C", "ldpc(10)",
       "((c[1]&0x04)?((cout[1]&0x04)?0:(cout[1]|=0x04,1)):(cout[1]&=~0x04,0))"},
      {"falling C", "ldfc(15)",
       "((c[1]&0x80)?(cout[1]|=0x80,0):(cout[1]&0x80)?(cout[1]&=~0x80,1):0)"},
      {"rising T", "ldpt(31)",
       "((t[3]&0x80)?((tflag[3]&0x80)?0:(tflag[3]|=0x80,1)):(tflag[3]&=~0x80,0))"},
      {"falling T", "ldft(25)",
       "((t[3]&0x02)?(tflag[3]|=0x02,0):(tflag[3]&0x02)?(tflag[3]&=~0x02,1):0)"},
      {"rising input with a pin", "(top&&ldpx(8))",
       "(top&&(((xfir[8]&0x03)!=0)?(xflag[1]|=0x01,0):(xflag[1]&0x01)?(xflag[1]&=~0x01,1):0))"},
      {"falling input with a pin", "ldfx(0)",
       "(((xfir[0]&0x0f)!=0)?((xflag[0]&0x01)?0:(xflag[0]|=0x01,1)):(xflag[0]&=~0x01,0))"},
      {"rising input without a pin", "ldpx(35)",
       "(1?(xflag[4]|=0x08,0):(xflag[4]&0x08)?(xflag[4]&=~0x08,1):0)"},
      {"falling input without a pin", "ldfx(35)",
       "(1?((xflag[4]&0x08)?0:(xflag[4]|=0x08,1)):(xflag[4]&=~0x08,0))"},
      {"rising special relay", "ldps(0x02)",
       "((m8000&0x02)?((m8000p&0x02)?0:(m8000p|=0x02,1)):(m8000p&=~0x02,0))"},
      {"falling special relay", "ldfs(0x08)",
       "((m8000&0x08)?(m8000f|=0x08,0):(m8000f&0x08)?(m8000f&=~0x08,1):0)"},
      {"number as the unsigned char it is passed as", "ldpm(257)",
       "((m[0]&0x02)?((mflag[0]&0x02)?0:(mflag[0]|=0x02,1)):(mflag[0]&=~0x02,0))"},
      {"equal", "if(ldequ(d[0],10,1))", "if(((int)(d[0])==(int)(10)))"},
      {"at least, with blanks", "(top&&ldequ(ct[2], tc[3], 2))",
       "(top&&((int)(ct[2])>=(int)(tc[3])))"},
      {"greater", "ldequ(1,2,3)", "((int)(1)>(int)(2))"},
      {"less, unsigned constant", "ldequ(d[1],65535,4)", "((int)(d[1])<(int)(65535))"},
      {"at most, inverted", "(!ldequ(d[2],(d[3]+1),5))", "(!((int)(d[2])<=(int)((d[3]+1))))"},
      {"an operand that calls", "ldequ((ReData(20*2)+256*ReData(20*2+1)),5,5)",
       "ldequ((ReData(20*2)+256*ReData(20*2+1)),5,5)"},
      {"a mode out of range", "ldequ(d[0],1,6)", "ldequ(d[0],1,6)"},
      {"variable arguments", "ldpx(xn)||ldpm(mn)||ldequ(a,b,n)||ldps(mask)",
       "ldpx(xn)||ldpm(mn)||ldequ(a,b,n)||ldps(mask)"},
      {"other names", "myldpm(3)+ldpm2(3)+ldpq(3)", "myldpm(3)+ldpm2(3)+ldpq(3)"},
      {"an unclosed call", "if(ldpm(3", "if(ldpm(3"},
  };
  for (const AdaptCase& c : cases) EXPECT_EQ(withCallsInPlace(c.keil, masks), c.sdcc) << c.name;
}

// Bits and bytes of devices numbered by the runtime's unsigned variables come from the table and
// a shift; anything else, and a text without them, stays as it is.
TEST(BitsFromTable, RewritesVariableShiftsAndDivisions) {
  const std::string table =
      "__code unsigned char bitmask[8]={0x01,0x02,0x04,0x08,0x10,0x20,0x40,0x80};";
  struct Case {
    const char* name;
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"an edge routine", "if(!(m[mn/8]&(0x01<<(mn%8)))){mflag[mn/8]&=~(0x01<<(mn%8));",
       table + "if(!(m[mn>>3]&(bitmask[mn&7]))){mflag[mn>>3]&=~(bitmask[mn&7]);"},
      {"a loop in the scan", "for(i=3;i<=9;i++)m[i/8]&=0xff-(0x01<<(i%8));",
       table + "for(i=3;i<=9;i++)m[i>>3]&=0xff-(bitmask[i&7]);"},
      {"every name", "[xn/8][n/8][j/8][tobf/8]", table + "[xn>>3][n>>3][j>>3][tobf>>3]"},
      {"constants and expressions", "m[2]|=(0x01<<5);g[(n+k)/8]&(0x01<<((n+k)%8))",
       "m[2]|=(0x01<<5);g[(n+k)/8]&(0x01<<((n+k)%8))"},
      {"other names", "[k/8](0x01<<(mn2%8))[xn/16]x0x01<<(i%8)",
       "[k/8](0x01<<(mn2%8))[xn/16]x0x01<<(i%8)"},
      {"a form cut short", "m[mn/8", "m[mn/8"},
  };
  for (const Case& c : cases) EXPECT_EQ(withBitsFromTable(c.text), c.expected) << c.name;
}

// The scan functions hold the statements with their calls replaced, unless that is turned off;
// the inputs, which an interrupt samples, are read from an image taken before the first.
TEST(ScanSplit, ReplacesCallsInTheScanFunctionsOnlyWhenAsked) {
  const std::string head =
      "unsigned char inx(unsigned int i)\r\n{\r\n#if 1\r\n"
      "if(i==0)if((xfir[0]&0x0f)==0x00)return 0;else  return 1;\r\n#endif\r\nreturn 1;\r\n}\r\n"
      "void timer0(void) interrupt 1 using 0\r\n{xfir[0]=xfir[0]<<1;xfir[0]=xfir[0]|X0;}\r\n"
      "main()\r\n{ while(1){";
  const std::string statements = "\r\nif(ldpx(0)&&(!inx(0)))m[0]|=(0x01<<0);";
  const std::vector<StatementMark> marks = {{0}};
  const std::string file = head + statements + "\r\n}}";
  for (const bool inPlace : {true, false}) {
    Result<std::string> unit =
        splitScanStatements(file, {head.size(), statements, &marks}, 5, inPlace);
    ASSERT_TRUE(unit.ok()) << unit.error().describe();
    std::set<int> read;
    const std::string body =
        inPlace ? withCallsInPlace(statements, inputFilterMasks(file), &read) : statements;
    EXPECT_NE(unit->find("void scanpart1(void)\r\n{" + body + "\r\n}"), std::string::npos) << *unit;
    EXPECT_EQ(unit->find("ldpx(0)") == std::string::npos, inPlace) << *unit;
    // The input image is taken before the first statement.
    EXPECT_EQ(unit->find("{ while(1){\r\nxlatch();\r\nscanpart1();") != std::string::npos, inPlace)
        << *unit;
  }
}

}  // namespace
}  // namespace ladder51
