#include "core/config/declarations.h"

#include <gtest/gtest.h>

#include "tests/support/generated_text.h"

namespace ladder51 {
namespace {

using test::splitLines;

// The 36 port-pin lines, each followed by CR LF.
std::string portPinLines() {
  std::string lines;
  const char* ports[] = {"8", "9", "a", "b"};
  for (int port = 0; port < 4; ++port) {
    for (int bit = 0; bit < 8; ++bit) {
      lines += "sbit P" + std::to_string(port) + std::to_string(bit) + "=0x" + ports[port] +
               std::to_string(bit) + ";\r\n";
    }
  }
  for (int bit = 0; bit < 4; ++bit) {
    lines += "sbit P4" + std::to_string(bit) + "=0xe" + std::string(1, "89ab"[bit]) + ";\r\n";
  }
  return lines;
}

TEST(RegisterHeader, SixtyNineDeclarationsOnSixtySevenLines) {
  const std::string header = registerHeaderSection();
  const std::vector<std::string> lines = splitLines(header);
  ASSERT_EQ(lines.size(), 68u);  // the leading line break, then 67 lines
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], "sfr WDT   = 0xA6;sfr WDTSTC   = 0xE1;sfr P0   = 0x80;");
  EXPECT_EQ(lines[2], " sfr P1   = 0x90;");
  EXPECT_EQ(lines[11], "sfr PCON = 0x87;");
  EXPECT_EQ(lines[28], "sbit P    = 0xD0;");
  EXPECT_EQ(lines[64], "sbit P4P0=0xE8;");
  EXPECT_EQ(lines[67], "sbit P4P3=0xEB;");
  int declarations = 0;
  for (std::size_t at = header.find(" = 0x"); at != std::string::npos;
       at = header.find(" = 0x", at + 1)) {
    ++declarations;
  }
  for (std::size_t at = header.find("P4P"); at != std::string::npos;
       at = header.find("P4P", at + 1)) {
    ++declarations;
  }
  EXPECT_EQ(declarations, 69);
}

TEST(PinDeclarations, AllPinsEmptyWithoutDriversIsOneLineBreak) {
  EXPECT_EQ(pinDeclarationSection(Settings{}), "\r\n");
}

TEST(PinDeclarations, EepromAloneAddsPortPinsAndI2CDefines) {
  Settings s;
  s.eeprom = EepromChoice::From24C32;
  s.scl = "3.6";
  s.sda = "3.7";
  EXPECT_EQ(pinDeclarationSection(s),
            "\r\n" + portPinLines() + "\r\n#define SCL P36\r\n#define SDA P37\r\n");
}

TEST(PinDeclarations, DisplayAndEepromShareOnePortPinBlock) {
  Settings s;
  s.pins[*findPin("P0.0")] = "X0";
  s.pins[*findPin("P1.0")] = "Y0";
  s.display = true;
  s.din = "1.5";
  s.load = "1.6";
  s.clk = "1.7";
  s.eeprom = EepromChoice::Upto24C16;
  s.scl = "3.6";
  s.sda = "3.7";
  EXPECT_EQ(pinDeclarationSection(s),
            "\r\nsbit X0=0x80;\r\nsbit Y0=0x90;\r\n" + portPinLines() +
                "#define DIN P15\r\n#define LOAD P16\r\n#define CLK P17\r\n"
                "\r\n#define SCL P36\r\n#define SDA P37\r\n");
}

TEST(PinDeclarations, PointLinesUseUpperCaseAddressesPortPinsLowerCase) {
  Settings s;
  s.pins[*findPin("P2.0")] = "Y10";
  s.pins[*findPin("P4.3")] = "X43";
  s.pins[*findPin("P4.0")] = "Y7";
  s.display = true;
  const std::string section = pinDeclarationSection(s);
  EXPECT_EQ(section.rfind("\r\nsbit Y10=0xA0;\r\nsbit Y7=0xE8;\r\nsbit X43=0xEB;\r\n", 0), 0u);
  EXPECT_NE(section.find("sbit P40=0xe8;\r\n"), std::string::npos);
  EXPECT_NE(section.find("sbit P43=0xeb;\r\n"), std::string::npos);
}

TEST(PinDeclarations, DefineLinesTakeTheFirstAndThirdCharacter) {
  struct Row {
    const char* scl;
    const char* line;
  };
  const Row rows[] = {{"3.6", "#define SCL P36"},
                      {"3", "#define SCL P3"},
                      {"", "#define SCL P"},
                      {"2.10", "#define SCL P21"},
                      {"甲.乙", "#define SCL P甲乙"}};
  for (const Row& row : rows) {
    Settings s;
    s.eeprom = EepromChoice::Upto24C16;
    s.scl = row.scl;
    s.sda = "3.7";
    EXPECT_NE(pinDeclarationSection(s).find(std::string("\r\n") + row.line + "\r\n#define SDA P37"),
              std::string::npos)
        << row.scl;
  }
}

}  // namespace
}  // namespace ladder51
