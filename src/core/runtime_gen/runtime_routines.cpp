#include "core/runtime_gen/runtime_routines.h"

#include <algorithm>
#include <string_view>

#include "core/config/pin_map.h"
#include "core/runtime_gen/eeprom_driver.h"
#include "core/runtime_gen/runtime_state.h"
#include "core/text/code_writer.h"

namespace ladder51 {
namespace {

// Comparison contacts: 1 equal, 2 greater or equal, 3 greater, 4 less, 5 less or equal.
constexpr std::string_view kLdequ[] = {
    "unsigned char ldequ(int add1,int add2,char n)",
    "{switch(n)",
    "  {case 1: if(add1==add2)return 1;else return 0;break;",
    "   case 2: if(add1>=add2)return 1;else return 0;break;",
    "   case 3: if(add1>add2)return 1;else return 0;break;",
    "   case 4: if(add1<add2)return 1;else return 0;break;",
    "   case 5: if(add1<=add2)return 1;else return 0;break;",
    "  }",
    "return 0;}",
};

// ZRST D a z: clears D a .. D z (both at most 15).
constexpr std::string_view kZrstd[] = {
    "void zrstd(unsigned char a,unsigned char z)",
    "{for(;a<=z;a++)d[a]=0;}",
};

// Edge contacts: each returns 1 for exactly one call after its edge. For inputs a set xflag
// bit means the input was seen off; for the bit images a set flag bit means the edge has
// already been reported.
constexpr std::string_view kEdgeRoutines[] = {
    "unsigned char ldpx(unsigned char xn)",
    "{if(inx(xn)==1){xflag[xn/8]|=0x01<<(xn%8);return 0;}",
    "else",
    "if(xflag[xn/8]&(0x01<<(xn%8))){xflag[xn/8]&=~(0x01<<(xn%8));return 1;}",
    "else",
    "return 0;}",

    "unsigned char ldfx(unsigned char xn)",
    "{if(inx(xn)==0){xflag[xn/8]&=~(0x01<<(xn%8));return 0;}",
    "else",
    "if(!(xflag[xn/8]&(0x01<<(xn%8)))){xflag[xn/8]|=0x01<<(xn%8);return 1;}",
    "else",
    "return 0;}",

    "unsigned char ldpm(unsigned char mn)",
    "{if(!(m[mn/8]&(0x01<<(mn%8)))){mflag[mn/8]&=~(0x01<<(mn%8));return 0;}",
    "else",
    "if(!(mflag[mn/8]&(0x01<<(mn%8)))){mflag[mn/8]|=0x01<<(mn%8);return 1;}",
    "else",
    "return 0;}",

    "unsigned char ldfm(unsigned char mn)",
    "{if((m[mn/8]&(0x01<<(mn%8)))){mflag[mn/8]|=(0x01<<(mn%8));return 0;}",
    "else",
    "if((mflag[mn/8]&(0x01<<(mn%8)))){mflag[mn/8]&=~(0x01<<(mn%8));return 1;}",
    "else",
    "return 0;}",

    "unsigned char ldpy(unsigned char mn)",
    "{if(!(y[mn/8]&(0x01<<(mn%8)))){yflag[mn/8]&=~(0x01<<(mn%8));return 0;}",
    "else",
    "if(!(yflag[mn/8]&(0x01<<(mn%8)))){yflag[mn/8]|=0x01<<(mn%8);return 1;}",
    "else",
    "return 0;}",

    "unsigned char ldfy(unsigned char mn)",
    "{if((y[mn/8]&(0x01<<(mn%8)))){yflag[mn/8]|=(0x01<<(mn%8));return 0;}",
    "else",
    "if((yflag[mn/8]&(0x01<<(mn%8)))){yflag[mn/8]&=~(0x01<<(mn%8));return 1;}",
    "else",
    "return 0;}",

    "unsigned char ldpc(unsigned char mn)",
    "{if(!(c[mn/8]&(0x01<<(mn%8)))){cout[mn/8]&=~(0x01<<(mn%8));return 0;}",
    "else",
    "if(!(cout[mn/8]&(0x01<<(mn%8)))){cout[mn/8]|=0x01<<(mn%8);return 1;}",
    "else",
    "return 0;}",

    "unsigned char ldfc(unsigned char mn)",
    "{if((c[mn/8]&(0x01<<(mn%8)))){cout[mn/8]|=(0x01<<(mn%8));return 0;}",
    "else",
    "if((cout[mn/8]&(0x01<<(mn%8)))){cout[mn/8]&=~(0x01<<(mn%8));return 1;}",
    "else",
    "return 0;}",

    "unsigned char ldpt(unsigned char mn)",
    "{if(!(t[mn/8]&(0x01<<(mn%8)))){tflag[mn/8]&=~(0x01<<(mn%8));return 0;}",
    "else",
    "if(!(tflag[mn/8]&(0x01<<(mn%8)))){tflag[mn/8]|=0x01<<(mn%8);return 1;}",
    "else",
    "return 0;}",

    "unsigned char ldft(unsigned char mn)",
    "{if((t[mn/8]&(0x01<<(mn%8)))){tflag[mn/8]|=(0x01<<(mn%8));return 0;}",
    "else",
    "if((tflag[mn/8]&(0x01<<(mn%8)))){tflag[mn/8]&=~(0x01<<(mn%8));return 1;}",
    "else",
    "return 0;}",
};

// tmscan, called once per scan: feeds both chips' watchdogs, then, once per base unit,
// advances the running timers, divides the base unit into the clock relays M8011..M8014 and
// requests a display refresh every 10 units ...
// clang-format off
constexpr std::string_view kTmscanHead[] = {
    "void tmscan(void)",
    "{unsigned int j;unsigned char tobf;",
    "WDT=0X1E;",
    "WDT=0XE1;",
    "WDTSTC=0X3C;",
};
constexpr std::string_view kTmscanUnit[] = {
    " if(tmr>={threshold})",
    " {",
    " for(j=0;j<=7;j++)",
    " {tobf=0x01;tobf=tobf<<j;",
    "  if(tobf&to[0])tc[j]++;}  ",
    " for(j=8;j<=15;j++)",
    " {tobf=0x01;tobf=tobf<<(j-8);",
    "  if(tobf&to[1])tc[j]++;}  ",
};
constexpr std::string_view kTmscanUnitEnd[] = {
    " tmr=0;",
    " }",
};
constexpr std::string_view kTmscanClocks[] = {
    "  if(mlei>={threshold}){mlei=0;mlei1++;if(m8000&0x10)m8000=m8000&0xef;else m8000=m8000|0x10;}",
    "  if(mlei1>=10)",
    "  {mlei1=0;mlei2++;if(m8000&0x20)m8000=m8000&0xdf;else m8000=m8000|0x20;m8000|=0x08;}",
    "  if(mlei2>=10)",
    "  {mlei2=0;mlei3++;if(m8000&0x40)m8000=m8000&0xbf;else m8000=m8000|0x40;}",
    "  if(mlei3>=60)",
    "  {mlei3=0;if(m8000&0x80)m8000=m8000&0x7f;else m8000=m8000|0x80;}",
};
// clang-format on
// Timers above T15 count in a loop of their own; the 10 ms timers T200 and up count tenths of
// the base unit: tm10 holds when the next tenth is due, in tenths of interrupts, so that tmr*10
// (shifts, no division) reaching it counts one.
constexpr std::string_view kTmscanTimers[] = {
    " for(j=16;j<={last};j++)",
    "  if(to[j/8]&(0x01<<(j%8)))tc[j]++;",
};
constexpr std::string_view kTmscanFastTimers[] = {
    " j=tmr;j=(j<<3)+(j<<1);",
    " while(j>=tm10){tm10+={threshold};",
    " for(tobf={first};tobf<={last};tobf++)",
    "  if(to[tobf/8]&(0x01<<(tobf%8)))tc[tobf]++;}",
};
constexpr std::string_view kTmscanFastUnitEnd = " tm10={threshold};";
// ... and last shifts the pin level of each input that a pin carries into its filter register.
constexpr std::string_view kTmscanInput[] = {
    "#if {assigned}",
    "xfir[{input}]=xfir[{input}]<<1;xfir[{input}]=xfir[{input}]|X{point};",
    "#endif ",
};
constexpr std::string_view kTmscanEnd[] = {
    "}",
};

// The only interrupt: timer 0 reloaded with 0xFA7D counts the base unit.
constexpr std::string_view kTimer0[] = {
    "void timer0(void) interrupt 1 using 0",
    "{",
    "    TL0=125;",
    "    TH0=0xfa;",
    "  if(tmr<{threshold})tmr++;",
    "  if(mlei<{threshold})mlei++;",
    "}",
};

// The FX time base: timer 2's registers (the runtime's register header declares timer 0's only),
// and tmscan taking the milliseconds its interrupt counted in tmr since the last scan. The timers
// add them, as fxdt, to phases of their own where their coils run (OUT T), so a timer's units
// begin when it starts; the clock relays divide them: M8011 toggles every 5 ms (mlei), M8012
// every 50 ms (mlei1), M8013 every 500 ms (mlei2) and M8014 every 30 s (fxm), and the display is
// refreshed every 300 ms (fxd). A scan of 150 ms or more gives the timers 150. Most scans
// are shorter than a millisecond: they skip it all.
// clang-format off
constexpr std::string_view kFxTimerRegisters[] = {
    "sfr T2CON  = 0xC8;",
    "sfr RCAP2L = 0xCA;",
    "sfr RCAP2H = 0xCB;",
    "sfr TL2    = 0xCC;",
    "sfr TH2    = 0xCD;",
    "sbit TF2   = 0xCF;",
    "sbit ET2   = 0xAD;",
};
constexpr std::string_view kFxTmscanHead[] = {
    "void tmscan(void)",
    "{unsigned int u;",
    "WDT=0X1E;",
    "WDT=0XE1;",
    "WDTSTC=0X3C;",
    " ET2=0;u=tmr;tmr=0;ET2=1;",
    " fxdt=0;",
    " if(u)",
    " {fxdt=u<150?u:150;",
    " do",
    "  if(++mlei>=5)",
    "  {mlei=0;m8000^=0x10;",
    "   if(++mlei1>=10)",
    "   {mlei1=0;m8000^=0x20;",
    "    if(++fxd>=6){fxd=0;m8000|=0x08;}",
    "    if(++mlei2>=10)",
    "    {mlei2=0;m8000^=0x40;",
    "     if(++fxm>=60){fxm=0;m8000^=0x80;}}",
    "   }",
    "  }",
    " while(--u);",
    " }",
};
// Timer 2's interrupt: the milliseconds, at most 30 s of them.
constexpr std::string_view kTimer2[] = {
    "void timer2(void) interrupt 5 using 0", "{", "  TF2=0;", "  if(tmr<30000)tmr++;", "}",
};
// clang-format on

constexpr std::string_view kSendCharCom[] = {
    "void send_char_com(unsigned char ch)",
    "{",
    "    SBUF=ch;",
    "    while(TI==0);",
    "    TI=0;",
    "}",
};

void writeTmscanInputs(CodeWriter& out, const AssignmentTables& tables) {
  for (int i = 0; i < kPointCount; ++i) {
    const int point = pointIndexOf(i);
    out.set("input", dec(i)).set("point", dec(point));
    out.set("assigned", dec(tables.xAssignFlag[static_cast<std::size_t>(point)]));
    out.lines(kTmscanInput);
  }
  out.lines(kTmscanEnd);
}

void writeClassicTmscan(CodeWriter& out, const AssignmentTables& tables, const StoragePlan& plan) {
  out.lines(kTmscanHead);
  const bool fast = plan.firstFastTimer >= 0;
  // The tenths first: at the unit's end all ten have passed, and the count starts again.
  if (fast) {
    out.set("first", dec(plan.firstFastTimer)).set("last", dec(plan.lastFastTimer));
    out.lines(kTmscanFastTimers);
  }
  out.lines(kTmscanUnit);
  if (plan.lastSlowTimer > 15) out.set("last", dec(plan.lastSlowTimer)).lines(kTmscanTimers);
  if (fast) out.line(kTmscanFastUnitEnd);
  out.lines(kTmscanUnitEnd);
  out.lines(kTmscanClocks);
  writeTmscanInputs(out, tables);
  out.lines(kTimer0);
}

void writeFxTmscan(CodeWriter& out, const AssignmentTables& tables) {
  out.lines(kFxTimerRegisters);
  out.lines(kFxTmscanHead);
  writeTmscanInputs(out, tables);
  out.lines(kTimer2);
}

}  // namespace

std::string runtimeSection(const Settings& settings, int scanThreshold, const StoragePlan& plan) {
  const AssignmentTables tables = countAssignments(settings.pins);
  CodeWriter out;
  out.set("threshold", dec(scanThreshold));
  writeRuntimeState(out, settings, tables, plan);
  writeEepromDriver(out, settings.eeprom);
  out.lines(kLdequ);
  out.lines(kZrstd);
  out.lines(kEdgeRoutines);
  if (settings.timeBase == TimeBaseChoice::Fx) {
    writeFxTmscan(out, tables);
  } else {
    writeClassicTmscan(out, tables, plan);
  }
  out.lines(kSendCharCom);
  return out.take();
}

}  // namespace ladder51
