#include "core/config/declarations.h"

#include <cstdio>
#include <string_view>

#include "core/text/code_writer.h"

namespace ladder51 {
namespace {

// The register header: the watchdog registers of both chip families and P0 share the first
// line, every later declaration has a line of its own. The last four name the pins of port 4
// (P4P0..P4P3), which the classic 8051 register set lacks.
// clang-format off
constexpr std::string_view kRegisterHeader[] = {
    "sfr WDT   = 0xA6;sfr WDTSTC   = 0xE1;sfr P0   = 0x80;",
    " sfr P1   = 0x90;",
    "sfr P2   = 0xA0;",
    "sfr P3   = 0xB0;",
    "sfr PSW  = 0xD0;",
    "sfr ACC  = 0xE0;",
    "sfr B    = 0xF0;",
    "sfr SP   = 0x81;",
    "sfr DPL  = 0x82;",
    "sfr DPH  = 0x83;",
    "sfr PCON = 0x87;",
    "sfr TCON = 0x88;",
    "sfr TMOD = 0x89;",
    "sfr TL0  = 0x8A;",
    "sfr TL1  = 0x8B;",
    "sfr TH0  = 0x8C;",
    "sfr TH1  = 0x8D;",
    "sfr IE   = 0xA8;",
    "sfr IP   = 0xB8;",
    "sfr SCON = 0x98;",
    "sfr SBUF = 0x99;",
    "sbit CY   = 0xD7;",
    "sbit AC   = 0xD6;",
    "sbit F0   = 0xD5;",
    "sbit RS1  = 0xD4;",
    "sbit RS0  = 0xD3;",
    "sbit OV   = 0xD2;",
    "sbit P    = 0xD0;",
    "sbit TF1  = 0x8F;",
    "sbit TR1  = 0x8E;",
    "sbit TF0  = 0x8D;",
    "sbit TR0  = 0x8C;",
    "sbit IE1  = 0x8B;",
    "sbit IT1  = 0x8A;",
    "sbit IE0  = 0x89;",
    "sbit IT0  = 0x88;",
    "sbit EA   = 0xAF;",
    "sbit ES   = 0xAC;",
    "sbit ET1  = 0xAB;",
    "sbit EX1  = 0xAA;",
    "sbit ET0  = 0xA9;",
    "sbit EX0  = 0xA8;",
    "sbit PS   = 0xBC;",
    "sbit PT1  = 0xBB;",
    "sbit PX1  = 0xBA;",
    "sbit PT0  = 0xB9;",
    "sbit PX0  = 0xB8;",
    "sbit RD   = 0xB7;",
    "sbit WR   = 0xB6;",
    "sbit T1   = 0xB5;",
    "sbit T0   = 0xB4;",
    "sbit INT1 = 0xB3;",
    "sbit INT0 = 0xB2;",
    "sbit TXD  = 0xB1;",
    "sbit RXD  = 0xB0;",
    "sbit SM0  = 0x9F;",
    "sbit SM1  = 0x9E;",
    "sbit SM2  = 0x9D;",
    "sbit REN  = 0x9C;",
    "sbit TB8  = 0x9B;",
    "sbit RB8  = 0x9A;",
    "sbit TI   = 0x99;",
    "sbit RI   = 0x98;",
    "sbit P4P0=0xE8;",
    "sbit P4P1=0xE9;",
    "sbit P4P2=0xEA;",
    "sbit P4P3=0xEB;",
};
// clang-format on

// A point bound to its pin; the address digits are upper case.
constexpr std::string_view kPointDeclaration = "sbit {point}=0x{pointAddress};";
// Every port pin under its own name, for the display and I2C drivers ("sbit P00=0x80;"); the
// address digits are lower case.
constexpr std::string_view kPortPinDeclaration = "sbit P{port}{bit}=0x{pinAddress};";
// A driver pin written "1.5" in the settings: the first and the third character of that text
// name the port pin ("#define DIN P15").
constexpr std::string_view kDisplayPins[] = {
    "#define DIN P{din}",
    "#define LOAD P{load}",
    "#define CLK P{clk}",
};
constexpr std::string_view kI2cPins[] = {
    "#define SCL P{scl}",
    "#define SDA P{sda}",
};

std::string hexByte(unsigned value, bool upperCase) {
  char digits[3];
  std::snprintf(digits, sizeof digits, upperCase ? "%02X" : "%02x", value & 0xFFu);
  return digits;
}

// The k-th character (counted in whole UTF-8 characters) of `text`, or "" past its end.
std::string characterAt(const std::string& text, std::size_t k) {
  std::size_t start = 0;
  for (std::size_t index = 0; start < text.size(); ++index) {
    std::size_t end = start + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    if (index == k) return text.substr(start, end - start);
    start = end;
  }
  return "";
}

// The port and bit digits of a driver pin option such as "1.5".
std::string portPinDigits(const std::string& option) {
  return characterAt(option, 0) + characterAt(option, 2);
}

}  // namespace

std::string registerHeaderSection() {
  return CodeWriter().lines(kRegisterHeader).take();
}

std::string pinDeclarationSection(const Settings& settings) {
  CodeWriter section;
  for (std::size_t k = 0; k < settings.pins.size(); ++k) {
    const std::string& name = settings.pins[k];
    if (name.size() < 2 || name.size() > 3 || (name[0] != 'X' && name[0] != 'Y')) continue;
    section.set("point", name).set("pointAddress", hexByte(pins()[k].bitAddress, true));
    section.line(kPointDeclaration);
  }
  const bool drivers = settings.display || settings.eepromFitted();
  if (drivers) {
    for (const Pin& pin : pins()) {
      section.set("port", dec(pin.port)).set("bit", dec(pin.bit));
      section.set("pinAddress", hexByte(pin.bitAddress, false)).line(kPortPinDeclaration);
    }
  }
  if (settings.display) {
    section.set("din", portPinDigits(settings.din))
        .set("load", portPinDigits(settings.load))
        .set("clk", portPinDigits(settings.clk))
        .lines(kDisplayPins);
  }
  if (drivers) section.line("");
  if (settings.eepromFitted()) {
    section.set("scl", portPinDigits(settings.scl))
        .set("sda", portPinDigits(settings.sda))
        .lines(kI2cPins);
  }
  // The section ends with a line break.
  section.line("");
  return section.take();
}

}  // namespace ladder51
