#include "core/runtime_gen/runtime_routines.h"

#include <string_view>

#include "core/config/pin_map.h"
#include "core/runtime_gen/eeprom_driver.h"
#include "core/runtime_gen/runtime_state.h"
#include "core/text/generated_lines.h"

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
// advances the running timers ...
constexpr std::string_view kTmscanHead[] = {
    "void tmscan(void)", "{unsigned int j;unsigned char tobf;", "WDT=0X1E;", "WDT=0XE1;",
    "WDTSTC=0X3C;",
};
// (here " if(tmr>=" threshold ")")
constexpr std::string_view kTmscanTimers[] = {
    " {",
    " for(j=0;j<=7;j++)",
    " {tobf=0x01;tobf=tobf<<j;",
    "  if(tobf&to[0])tc[j]++;}  ",
    " for(j=8;j<=15;j++)",
    " {tobf=0x01;tobf=tobf<<(j-8);",
    "  if(tobf&to[1])tc[j]++;}  ",
    " tmr=0;",
    " }",
};
// ... (here the mlei line) and divides the base unit into the clock relays M8011..M8014,
// requesting a display refresh every 10 units ...
constexpr std::string_view kTmscanClocks[] = {
    "  if(mlei1>=10)",
    "  {mlei1=0;mlei2++;if(m8000&0x20)m8000=m8000&0xdf;else m8000=m8000|0x20;m8000|=0x08;}",
    "  if(mlei2>=10)",
    "  {mlei2=0;mlei3++;if(m8000&0x40)m8000=m8000&0xbf;else m8000=m8000|0x40;}",
    "  if(mlei3>=60)",
    "  {mlei3=0;if(m8000&0x80)m8000=m8000&0x7f;else m8000=m8000|0x80;}",
};
// ... and last shifts each used input's pin level into its filter register.

// The only interrupt: timer 0 reloaded with 0xFA7D counts the base unit.
constexpr std::string_view kTimer0Head[] = {
    "void timer0(void) interrupt 1 using 0",
    "{",
    "    TL0=125;",
    "    TH0=0xfa;",
};

constexpr std::string_view kSendCharCom[] = {
    "void send_char_com(unsigned char ch)",
    "{",
    "    SBUF=ch;",
    "    while(TI==0);",
    "    TI=0;",
    "}",
};

std::string tmrThresholdLine(int threshold) {
  return " if(tmr>=" + std::to_string(threshold) + ")";
}

std::string mleiThresholdLine(int threshold) {
  return "  if(mlei>=" + std::to_string(threshold) +
         "){mlei=0;mlei1++;if(m8000&0x10)m8000=m8000&0xef;else m8000=m8000|0x10;}";
}

// "#if 1" / "xfir[8]=xfir[8]<<1;xfir[8]=xfir[8]|X10;" / "#endif " for each input.
void appendInputSampling(std::string& section, const AssignmentTables& tables) {
  for (int i = 0; i < kPointCount; ++i) {
    const int point = pointIndexOf(i);
    const std::string filter = "xfir[" + std::to_string(i) + "]";
    appendLine(section,
               "#if " + std::to_string(tables.xAssignFlag[static_cast<std::size_t>(point)]));
    appendLine(section, filter + "=" + filter + "<<1;" + filter + "=" + filter + "|X" +
                            std::to_string(point) + ";");
    appendLine(section, "#endif ");
  }
}

void appendTmscan(std::string& section, const AssignmentTables& tables, int threshold) {
  appendLines(section, kTmscanHead);
  appendLine(section, tmrThresholdLine(threshold));
  appendLines(section, kTmscanTimers);
  appendLine(section, mleiThresholdLine(threshold));
  appendLines(section, kTmscanClocks);
  appendInputSampling(section, tables);
  appendLine(section, "}");
}

void appendTimer0(std::string& section, int threshold) {
  appendLines(section, kTimer0Head);
  appendLine(section, "  if(tmr<" + std::to_string(threshold) + ")tmr++;");
  appendLine(section, "  if(mlei<" + std::to_string(threshold) + ")mlei++;");
  appendLine(section, "}");
}

}  // namespace

void appendRuntimeRoutines(std::string& section, const Settings& settings,
                           const AssignmentTables& tables, int scanThreshold) {
  appendEepromDriver(section, settings.eeprom);
  appendLines(section, kLdequ);
  appendLines(section, kZrstd);
  appendLines(section, kEdgeRoutines);
  appendTmscan(section, tables, scanThreshold);
  appendTimer0(section, scanThreshold);
  appendLines(section, kSendCharCom);
}

std::string runtimeSection(const Settings& settings, int scanThreshold) {
  const AssignmentTables tables = countAssignments(settings.pins);
  std::string section = runtimeStateText(settings, tables);
  appendRuntimeRoutines(section, settings, tables, scanThreshold);
  return section;
}

}  // namespace ladder51
