#include "core/runtime_gen/runtime_routines.h"

#include <gtest/gtest.h>

#include "tests/support/generated_text.h"

namespace ladder51 {
namespace {

using test::findLine;
using test::linesBetween;
using test::splitLines;

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::string routines(const Settings& s, int threshold = 24) {
  std::string section;
  appendRuntimeRoutines(section, s, countAssignments(s.pins), threshold);
  return section;
}

TEST(RuntimeRoutines, FixedOrderAfterInx) {
  const std::vector<std::string> lines = splitLines(runtimeSection(Settings{}, 24));
  const char* order[] = {"unsigned char inx(unsigned int i)",
                         "unsigned char ldequ(int add1,int add2,char n)",
                         "void zrstd(unsigned char a,unsigned char z)",
                         "unsigned char ldpx(unsigned char xn)",
                         "unsigned char ldfx(unsigned char xn)",
                         "unsigned char ldpm(unsigned char mn)",
                         "unsigned char ldfm(unsigned char mn)",
                         "unsigned char ldpy(unsigned char mn)",
                         "unsigned char ldfy(unsigned char mn)",
                         "unsigned char ldpc(unsigned char mn)",
                         "unsigned char ldfc(unsigned char mn)",
                         "unsigned char ldpt(unsigned char mn)",
                         "unsigned char ldft(unsigned char mn)",
                         "void tmscan(void)",
                         "void timer0(void) interrupt 1 using 0",
                         "void send_char_com(unsigned char ch)"};
  std::size_t previous = 0;
  for (const char* line : order) {
    const std::size_t at = findLine(lines, line);
    ASSERT_LT(at, lines.size()) << line;
    EXPECT_GT(at, previous) << line;
    previous = at;
  }
  // Without an EEPROM ldequ follows the closing brace of inx directly.
  const std::size_t ldequ = findLine(lines, order[1]);
  EXPECT_EQ(lines[ldequ - 1], "}");
  EXPECT_EQ(lines[ldequ - 2], "return 1;");
  EXPECT_EQ(findLine(lines, " void _Nop()"), lines.size());
  EXPECT_EQ(lines.back(), "}");
  EXPECT_EQ(lines[lines.size() - 2], "    TI=0;");
}

TEST(RuntimeRoutines, EdgeRoutinesFollowTheRelayPattern) {
  const std::string text = routines(Settings{});
  const std::vector<std::string> lines = splitLines(text);
  auto routine = [&](const std::string& name) {
    const std::size_t at = findLine(lines, "unsigned char " + name + "(unsigned char " +
                                               (name.back() == 'x' ? "xn" : "mn") + ")");
    std::string body;
    for (std::size_t k = at; k < at + 6 && k < lines.size(); ++k) body += lines[k] + "\n";
    return body;
  };
  struct Pair {
    const char* rising;
    const char* falling;
    const char* image;
    const char* memory;
  };
  const Pair pairs[] = {{"ldpy", "ldfy", "y", "yflag"},
                        {"ldpc", "ldfc", "c", "cout"},
                        {"ldpt", "ldft", "t", "tflag"}};
  for (const Pair& pair : pairs) {
    for (auto [name, model] : {std::pair{pair.rising, "ldpm"}, std::pair{pair.falling, "ldfm"}}) {
      std::string expected = replaceAll(routine(model), model, name);
      expected = replaceAll(expected, "mflag[", std::string("@") + "[");
      expected = replaceAll(expected, "m[", std::string(pair.image) + "[");
      expected = replaceAll(expected, "@[", std::string(pair.memory) + "[");
      EXPECT_EQ(routine(name), expected) << name;
    }
  }
  EXPECT_EQ(routine("ldpx"),
            "unsigned char ldpx(unsigned char xn)\n"
            "{if(inx(xn)==1){xflag[xn/8]|=0x01<<(xn%8);return 0;}\n"
            "else\n"
            "if(xflag[xn/8]&(0x01<<(xn%8))){xflag[xn/8]&=~(0x01<<(xn%8));return 1;}\n"
            "else\n"
            "return 0;}\n");
}

TEST(RuntimeRoutines, ThresholdAppearsFourTimes) {
  for (auto [crystal, threshold] : {std::pair{"12", 24}, std::pair{"11.0592", 22}}) {
    Settings s;
    s.crystal = crystal;
    const std::string text = routines(s, *scanThreshold(s.crystal));
    const std::string n = std::to_string(threshold);
    EXPECT_NE(text.find("\r\n if(tmr>=" + n + ")\r\n {\r\n"), std::string::npos) << crystal;
    EXPECT_NE(text.find("\r\n  if(mlei>=" + n +
                        "){mlei=0;mlei1++;if(m8000&0x10)m8000=m8000&0xef;else "
                        "m8000=m8000|0x10;}\r\n"),
              std::string::npos)
        << crystal;
    EXPECT_NE(text.find("\r\n    TH0=0xfa;\r\n  if(tmr<" + n + ")tmr++;\r\n  if(mlei<" + n +
                        ")mlei++;\r\n}\r\n"),
              std::string::npos)
        << crystal;
  }
}

TEST(RuntimeRoutines, InputSamplingFollowsTheAssignedInputs) {
  Settings s;
  s.pins[0] = "X10";
  s.pins[1] = "X43";
  const std::vector<std::string> lines = splitLines(routines(s));
  const std::vector<std::string> body =
      linesBetween(lines, "  {mlei3=0;if(m8000&0x80)m8000=m8000&0x7f;else m8000=m8000|0x80;}", "}");
  ASSERT_EQ(body.size(), 1u + 3 * 36 + 1);
  EXPECT_EQ(body[1], "#if 0");
  EXPECT_EQ(body[2], "xfir[0]=xfir[0]<<1;xfir[0]=xfir[0]|X0;");
  EXPECT_EQ(body[3], "#endif ");
  EXPECT_EQ(body[1 + 3 * 8], "#if 1");
  EXPECT_EQ(body[2 + 3 * 8], "xfir[8]=xfir[8]<<1;xfir[8]=xfir[8]|X10;");
  EXPECT_EQ(body[1 + 3 * 35], "#if 1");
  EXPECT_EQ(body[2 + 3 * 35], "xfir[35]=xfir[35]<<1;xfir[35]=xfir[35]|X43;");
  int on = 0;
  for (const std::string& line : body) on += line == "#if 1";
  EXPECT_EQ(on, 2);
}

}  // namespace
}  // namespace ladder51
