#include "core/runtime_gen/main_routine.h"

#include <string_view>

#include "core/config/pin_map.h"
#include "core/text/generated_lines.h"

namespace ladder51 {
namespace {

// Interrupts on, timer 0 in 16-bit mode loaded with 0xFA7D and started, watchdogs fed.
constexpr std::string_view kMainHead[] = {
    "main()",
    "{  unsigned char j;unsigned int i;",
    "    EA = 1;         //开总中断",
    "    ET0 = 1;        //允许定时器0中断",
    "    TMOD = 1;       //定时器工作方式选择",
    "    TL0 = 125;",
    "   TH0 = 0xfa;     //定时器赋予初值",
    "   TR0 = 1;        //启动定时器",
    "   WDT=0X1E;      ",
    "   WDT=0XE1;     ",
    "   WDTSTC=0X3C;     ",
};

// PCON.4 is set only by a power-up. Without it the chip was reset by a watchdog while
// powered: the RAM image survived, so the outputs are restored from y and the scan goes on.
constexpr std::string_view kRetentionHead[] = {
    "#if  1",
    "if(PCON&0X10)PCON=PCON&0XEF;//PCON.4=1 ONLY WHEN POWER UP",
    "else   ",
    "{",
};
// (here one restore line per output)
constexpr std::string_view kRetentionTail[] = {
    "goto WDTRESET;}",
    "#endif",
};

// Cold start: port latches high, the PLC image cleared, every input seen as off, and the
// input filters filled with real samples.
constexpr std::string_view kColdStart[] = {
    "P0=0XFF;P1=0XFF;P2=0XFF;P3=0XFF;P4P0=1;P4P1=1;P4P2=1;P4P3=1;",
    "for(j=0;j<=4;j++)",
    "{y[j]=0;yflag[j]=0;xflag[j]=0xff;}",
    "for(j=0;j<=1;j++)",
    "{c[j]=0;cflag[j]=0;cout[j]=0;}",
    "for(j=0;j<=3;j++)",
    "{t[j]=0;tflag[j]=0;to[j]=0;}",
    "for(j=0;j<=15;j++)",
    "{tc[j]=0;d[j]=0;}",
    "for(j=0;j<=10;j++)",
    "{ct[j]=0;}",
    "   tmr=0;",
    " for(j=0;j<=35;j++)",
    "   xfir[j]=0xff;",
    " for(j=0;j<=10;j++)",
    "   m[j]=0x00;",
    " for(i=0;i<=1000;i++)",
    "  tmscan();",
};

// MAX7219: normal operation, eight digits, full intensity, Code B on digits 1 to 4.
constexpr std::string_view kDisplaySetUp[] = {
    "write_word(0x0c,0x01);",
    "write_word(0x0b,0x07);",
    "write_word(0x0a,0x0f);",
    "write_word(0x09,0x0f);",
    "#endif",
};

constexpr std::string_view kScanLoopHead[] = {
    "m8000|=0x03;",
    "WDTRESET:",
    "  while (1)",
    "{tmscan();",
};

constexpr std::string_view kDisplayRefreshHead[] = {
    "if(m8000&0x08)",
    "{m8000&=0xf7; ",
};

constexpr std::string_view kDisplayRefreshTail[] = {
    "EX:i++;}",
    "#endif",
};

std::string displayFrame(bool display) {
  return std::string("#if  ") + (display ? "1" : "0");
}

// "  #if  1" / "   if(y[1]&0x01)Y10=0;else Y10=1;" / "  #endif": restores output i.
void appendOutputRestore(std::string& section, int i, int assignCount) {
  static constexpr std::string_view kMasks[] = {"0x01", "0x02", "0x04", "0x08",
                                                "0x10", "0x20", "0x40", "0x80"};
  const std::string pin = "Y" + std::to_string(pointIndexOf(i));
  appendLine(section, "  #if  " + std::to_string(assignCount));
  appendLine(section, "   if(y[" + std::to_string(i / 8) + "]&" + std::string(kMasks[i % 8]) + ")" +
                          pin + "=0;else " + pin + "=1;");
  appendLine(section, "  #endif");
}

// Shows `source` when d[15] is k: blanks all eight digits, then writes the decimal digits
// from the least significant one into digits 1 to 5, stopping when the rest is 0.
void appendDisplayBlock(std::string& section, int k, std::string_view source) {
  const std::string value(source);
  appendLine(section, " if(d[15]==" + std::to_string(k) + ")");
  appendLine(section, "  {for(j=0;j<=7;j++)write_word(0x01+j,0x0f);");
  appendLine(section, "   j=" + value + "%10;write_word(0x01,j);");
  appendLine(section, "  i=" + value + "-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x02,j);");
  appendLine(section, "  i=i-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x03,j);");
  appendLine(section, "  i=i-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x04,j);");
  appendLine(section, "  i=i-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x05,j);");
  appendLine(section, "  }");
}

}  // namespace

std::string mainSection(const Settings& settings, const AssignmentTables& tables) {
  std::string section;
  appendLines(section, kMainHead);
  if (!settings.proteus) {
    appendLines(section, kRetentionHead);
    for (int i = 0; i < kPointCount; ++i) {
      appendOutputRestore(section, i,
                          tables.yAssignCount[static_cast<std::size_t>(pointIndexOf(i))]);
    }
    appendLines(section, kRetentionTail);
  }
  appendLines(section, kColdStart);
  appendLine(section, displayFrame(settings.display));
  appendLines(section, kDisplaySetUp);
  appendLines(section, kScanLoopHead);
  appendLine(section, displayFrame(settings.display));
  appendLines(section, kDisplayRefreshHead);
  appendDisplayBlock(section, 0, "tc[0]");
  appendDisplayBlock(section, 1, "ct[0]");
  appendDisplayBlock(section, 2, "d[0]");
  appendLines(section, kDisplayRefreshTail);
  return section;
}

}  // namespace ladder51
