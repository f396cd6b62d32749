#include "core/runtime_gen/runtime_state.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/config/pin_map.h"

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
//   s                S states, when the program has them (declared with the grown tables)
//   tm10             when the next 10 ms unit is due, when 10 ms timers run (tmscan)
//   fxm, fxd, fxdt   the FX time base's dividers and the milliseconds of the last scan
//                    (tmscan), which also uses tmr and mlei..mlei2
// A table that grows past its fixed size leaves its place below (GrownTables).
constexpr std::string_view kPointTables = " unsigned char y[5],yflag[5],xflag[5],plsm[2],plfm[2];";
// The byte variables: each of M, T and C drops out when its tables grow.
struct ByteVariable {
  std::string_view text;
  char grows;  // the class whose tables it moves with, or 0
};
constexpr ByteVariable kByteVariables[] = {
    {"dly", 0},     {"mlei", 0},       {"mlei1", 0},   {"mlei2", 0},    {"mlei3", 0},
    {"m[11]", 'M'}, {"mflag[11]", 0},  {"t[4]", 'T'},  {"tflag[4]", 0}, {"to[4]", 'T'},
    {"c[2]", 'C'},  {"cflag[2]", 'C'}, {"cout[2]", 0},
};
constexpr std::string_view kByteVariablesHead = " unsigned char  ";
constexpr std::string_view kSpecialRelays = " unsigned char  m8000;";
constexpr std::string_view kTimerValues = " unsigned int  idata tc[16];//16 timer";
constexpr std::string_view kCounterValues = " unsigned int  ct[11];//11 counter";
constexpr std::string_view kRegisters = " unsigned int idata d[17];";
constexpr std::string_view kStateBlockTail[] = {
    " unsigned char idata xfir[36];",
    " unsigned char  ack;",
    " unsigned int tmr;",
};
// Grown tables, in {space} "idata" or "xdata".
constexpr std::string_view kGrownRelays = " unsigned char {space} m[{bytes}];";
constexpr std::string_view kGrownStates = " unsigned char {space} s[{bytes}];";
constexpr std::string_view kGrownTimers[] = {
    " unsigned char {space} t[{bytes}],to[{bytes}];",
    " unsigned int {space} tc[{count}];//{count} timer",
};
constexpr std::string_view kGrownCounters[] = {
    " unsigned char {space} c[{bytes}],cflag[{bytes}];",
    " unsigned int {space} ct[{count}];//{count} counter",
};
constexpr std::string_view kGrownRegisters = " unsigned int {space} d[{count}];";
constexpr std::string_view kFastTimerUnits = " unsigned int idata tm10;";
// The FX time base's dividers of 30 s and 300 ms, and the milliseconds the timers add (tmscan).
constexpr std::string_view kFxDividers = " unsigned char idata fxm,fxd,fxdt;";

// The state block: the fixed tables where they stand, and the grown ones in their place.
void writeStateBlock(CodeWriter& out, const StoragePlan& plan, TimeBaseChoice timeBase) {
  out.line(kPointTables);
  std::string bytes(kByteVariablesHead);
  bool first = true;
  for (const ByteVariable& variable : kByteVariables) {
    if (variable.grows && plan.of(variable.grows)) continue;
    if (!first) bytes += ',';
    bytes += variable.text;
    first = false;
  }
  out.line(bytes + ";");
  out.line(kSpecialRelays);
  auto grown = [&](char letter, std::span<const std::string_view> lines) {
    const GrownTables* tables = plan.of(letter);
    if (!tables) return false;
    out.set("space", tables->space == Space::Xdata ? "xdata" : "idata")
        .set("bytes", dec(tables->bitBytes()))
        .set("count", dec(tables->valueCount()))
        .lines(lines);
    return true;
  };
  grown('M', std::span(&kGrownRelays, 1));
  grown('S', std::span(&kGrownStates, 1));
  if (!grown('T', kGrownTimers)) out.line(kTimerValues);
  if (!grown('C', kGrownCounters)) out.line(kCounterValues);
  if (!grown('D', std::span(&kGrownRegisters, 1))) out.line(kRegisters);
  out.lines(kStateBlockTail);
  if (timeBase == TimeBaseChoice::Fx) {
    out.line(kFxDividers);
  } else if (plan.firstFastTimer >= 0) {
    out.line(kFastTimerUnits);
  }
}

// The MAX7219 driver, switched on when a display is fitted: bytes go out most significant bit
// first, a register address and a data byte framed by LOAD low and high.
constexpr std::string_view kDisplayDriver[] = {
    " #if  {display}",
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

// The filtered input read: 0 when input i is on, 1 when it is off. An input is on when its
// filter register holds low samples in all the places the mask selects.
constexpr std::string_view kInxHead[] = {
    "unsigned char inx(unsigned int i)",
    "{//X0-X43 through their filters: 0 when the input is on, 1 when off",
};
// One per input, switched on when a pin carries the point.
constexpr std::string_view kInxInput[] = {
    "#if {assigned}",
    "if(i=={input})if((xfir[{input}]&{filterMask})==0x00)return 0;else  return 1;",
    "#endif",
};
// An input that no pin carries has no block above and reads as off.
constexpr std::string_view kInxTail[] = {
    "return 1;",
    "}",
};

// The mask `inx` applies to an input's filter register for a filter setting: "0x01" for 0
// (one sample) up to "0xff" for 7 to 10 (eight samples); any other value gives the empty text,
// which validation keeps from ever reaching a generated file.
std::string filterMask(int filter) {
  if (filter < 0 || filter > 10) return "";
  // Setting n looks at the last n+1 samples. Eight are all a filter register holds: settings 8
  // to 10 use all of them.
  const unsigned samples = static_cast<unsigned>(std::min(filter, 7)) + 1;
  char mask[12];
  std::snprintf(mask, sizeof mask, "0x%02x", (1u << samples) - 1);
  return mask;
}

}  // namespace

void writeRuntimeState(CodeWriter& out, const Settings& settings, const AssignmentTables& tables,
                       const StoragePlan& plan) {
  writeStateBlock(out, plan, settings.timeBase);
  out.set("display", settings.display ? "1" : "0").lines(kDisplayDriver);
  out.lines(kInxHead);
  out.set("filterMask", filterMask(settings.filter));
  for (int i = 0; i < kPointCount; ++i) {
    out.set("input", dec(i));
    out.set("assigned", dec(tables.xAssignCount[static_cast<std::size_t>(pointIndexOf(i))]));
    out.lines(kInxInput);
  }
  out.lines(kInxTail);
}

}  // namespace ladder51
