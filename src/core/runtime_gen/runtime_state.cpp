#include "core/runtime_gen/runtime_state.h"

#include <cmath>

#include "core/config/pin_map.h"
#include "core/text/generated_lines.h"

namespace ladder51 {
namespace {

// The global state of the emulated PLC. Bit images address point i as bit i%8 of byte i/8.
//   y, m, t, c       output, relay, timer and counter contact images
//   yflag, xflag, mflag, tflag, cout   edge memories of the edge routines
//   plsm, plfm       pulse memories of PLS and PLF;  cflag  counter input memory
//   to               timer run bits;  tc, ct  timer and counter values
//   dly              spare byte, written only by outputs that no pin carries
//   mlei..mlei3, tmr clock dividers and the time base counter
//   m8000            special relays;  d  D0..D15 and the EEPROM scratch register d[16]
//   xfir             one filter shift register per input;  ack  last I2C acknowledge
constexpr std::string_view kStateBlock[] = {
    " unsigned char y[5],yflag[5],xflag[5],plsm[2],plfm[2];",
    " unsigned char  dly,mlei,mlei1,mlei2,mlei3,m[11],mflag[11],t[4],tflag[4],to[4],c[2],cflag[2],"
    "cout[2];",
    " unsigned char  m8000;",
    " unsigned int  idata tc[16];//16 timer",
    " unsigned int  ct[11];//11 counter",
    " unsigned int idata d[17];",
    " unsigned char idata xfir[36];",
    " unsigned char  ack;",
    " unsigned int tmr;",
};

// The MAX7219 driver, after its " #if  " line: bytes go out most significant bit first,
// a register address and a data byte framed by LOAD low and high.
constexpr std::string_view kDisplayDriver[] = {
    " void nop(void)",
    " {unsigned char bf;bf++;}",
    " void write_7219(unsigned char wrdata)",
    " {unsigned char k;",
    "  for(k=0;k<=7;k++)",
    "  {CLK=0;nop();",
    "   if(wrdata&0x80)DIN=1;else DIN=0;",
    "   wrdata=wrdata<<1;",
    "CLK=1;nop();}}",
    "void write_word(unsigned char add,unsigned char wrdata)",
    "{LOAD=0;write_7219(add);write_7219(wrdata);LOAD=1;}",
    "#endif",
};

constexpr std::string_view kInxHead[] = {
    "unsigned char inx(unsigned int i)",
    "{//X0-X43 through their filters: 0 when the input is on, 1 when off",
};

// An input that no pin carries has no block above and reads as off.
constexpr std::string_view kInxTail[] = {
    "return 1;",
    "}",
};

constexpr std::string_view kFilterMasks[] = {"0x01", "0x03", "0x07", "0x0f",
                                             "0x1f", "0x3f", "0x7f", "0xff"};

// "#if 1" / "if(i==8)if((xfir[8]&0x0f)==0x00)return 0;else  return 1;" / "#endif" for input
// index i, switched on when a pin carries the point.
void appendInputRead(std::string& section, int i, int assignCount, const std::string& mask) {
  const std::string index = std::to_string(i);
  appendLine(section, "#if " + std::to_string(assignCount));
  appendLine(section, "if(i==" + index + ")if((xfir[" + index + "]&" + mask +
                          ")==0x00)return 0;else  return 1;");
  appendLine(section, "#endif");
}

}  // namespace

std::string filterMask(int filter) {
  if (filter < 0 || filter > 10) return "";
  // Eight samples are all a filter register holds: settings 8 to 10 use all of them.
  return std::string(kFilterMasks[static_cast<std::size_t>(std::min(filter, 7))]);
}

std::string runtimeStateText(const Settings& settings, const AssignmentTables& tables) {
  std::string section;
  appendLines(section, kStateBlock);
  appendLine(section, " #if  " + std::string(settings.display ? "1" : "0"));
  appendLines(section, kDisplayDriver);
  appendLines(section, kInxHead);
  const std::string mask = filterMask(settings.filter);
  for (int i = 0; i < kPointCount; ++i) {
    appendInputRead(section, i, tables.xAssignCount[static_cast<std::size_t>(pointIndexOf(i))],
                    mask);
  }
  appendLines(section, kInxTail);
  return section;
}

}  // namespace ladder51
