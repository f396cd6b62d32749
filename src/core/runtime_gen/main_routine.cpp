#include "core/runtime_gen/main_routine.h"

#include <cstdio>
#include <iterator>
#include <string_view>

#include "core/config/pin_map.h"
#include "core/config/time_base.h"
#include "core/text/code_writer.h"

namespace ladder51 {
namespace {

// Interrupts on, the time base's timer started, watchdogs fed: timer 0 in 16-bit mode loaded
// with 0xFA7D for the classic base, ...
constexpr std::string_view kMainHead[] = {
    "main()",
    "{  unsigned char j;unsigned int i;",
    "    EA = 1;         //开总中断",
};
constexpr std::string_view kClassicTimerStart[] = {
    "    ET0 = 1;        //允许定时器0中断",
    "    TMOD = 1;       //定时器工作方式选择",
    "    TL0 = 125;",
    "   TH0 = 0xfa;     //定时器赋予初值",
    "   TR0 = 1;        //启动定时器",
};
// ... timer 2 reloading itself every millisecond for the FX base.
constexpr std::string_view kFxTimerStart[] = {
    "    ET2 = 1;        //允许定时器2中断",
    "    RCAP2H = {high};",
    "    RCAP2L = {low};  //1ms",
    "    TH2 = {high};",
    "    TL2 = {low};",
    "    T2CON = 0x04;   //16位自动重装，启动定时器2",
};
constexpr std::string_view kWatchdogStart[] = {
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
// One per output, switched on when a pin carries it.
constexpr std::string_view kOutputRestore[] = {
    "  #if  {assigned}",
    "   if(y[{byte}]&{bitMask})Y{point}=0;else Y{point}=1;",
    "  #endif",
};
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
};
// The grown tables, cleared whole ({bytes} of each bit image, {count} values).
constexpr std::string_view kClearRelays = "for(i=0;i<{bytes};i++)m[i]=0;";
constexpr std::string_view kClearStates = "for(i=0;i<{bytes};i++)s[i]=0;";
constexpr std::string_view kClearTimers[] = {
    "for(i=0;i<{bytes};i++){t[i]=0;to[i]=0;}",
    "for(i=0;i<{count};i++)tc[i]=0;",
};
constexpr std::string_view kClearCounters[] = {
    "for(i=0;i<{bytes};i++){c[i]=0;cflag[i]=0;}",
    "for(i=0;i<{count};i++)ct[i]=0;",
};
constexpr std::string_view kClearRegisters = "for(i=0;i<{count};i++)d[i]=0;";
constexpr std::string_view kClearFastTimerUnits = "tm10={threshold};";
// The FX time base's timers start with no unit begun.
constexpr std::string_view kClearTimerPhases = "for(i=0;i<{count};i++)tph[i]=0;";
// The FX time base's dividers start together, so that the clock relays' phases follow timer 2's
// start.
constexpr std::string_view kClearFxDividers = "mlei=0;mlei1=0;mlei2=0;fxm=0;fxd=0;fxdt=0;";
// Then the filters fill with real samples.
constexpr std::string_view kFirstSamples[] = {
    " for(i=0;i<=1000;i++)",
    "  tmscan();",
};

// MAX7219: normal operation, eight digits, full intensity, Code B on all eight. The display
// routine blanks every digit with code 0x0F and writes values of up to five decimal digits, both
// of which only Code B shows as meant: with it on digits 1 to 4 alone, an eight-digit module
// showed the segments of 0x0F on its upper four digits and a raw pattern for a fifth digit.
// clang-format off
constexpr std::string_view kDisplaySetUp[] = {
    "#if  {display}",
    "write_word(0x0c,0x01);",
    "write_word(0x0b,0x07);",
    "write_word(0x0a,0x0f);",
    "write_word(0x09,0xff);",
    "#endif",
};
// clang-format on

constexpr std::string_view kScanLoopHead[] = {
    "m8000|=0x03;",
    "WDTRESET:",
    "  while (1)",
    "{tmscan();",
};

// Every 10 base units the display shows the value d[15] selects ...
constexpr std::string_view kDisplayRefreshHead[] = {
    "#if  {display}",
    "if(m8000&0x08)",
    "{m8000&=0xf7; ",
};

constexpr std::string_view kDisplayRefreshTail[] = {
    "EX:i++;}",
    "#endif",
};

// ... here {value} when d[15] is {select}: all eight digits blanked, then the decimal digits
// from the least significant one in digits 1 to 5, stopping when the rest is 0.
constexpr std::string_view kDisplayValue[] = {
    " if(d[15]=={select})",
    "  {for(j=0;j<=7;j++)write_word(0x01+j,0x0f);",
    "   j={value}%10;write_word(0x01,j);",
    "  i={value}-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x02,j);",
    "  i=i-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x03,j);",
    "  i=i-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x04,j);",
    "  i=i-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x05,j);",
    "  }",
};
constexpr std::string_view kDisplayedValues[] = {"tc[0]", "ct[0]", "d[0]"};

std::string hexBit(int bit) {
  char mask[12];
  std::snprintf(mask, sizeof mask, "0x%02x", 1u << bit);
  return mask;
}

void writeClearGrownTables(CodeWriter& out, const StoragePlan& plan, const Settings& settings) {
  const struct {
    char letter;
    std::span<const std::string_view> lines;
  } kClears[] = {
      {'M', std::span(&kClearRelays, 1)},
      {'S', std::span(&kClearStates, 1)},
      {'T', kClearTimers},
      {'C', kClearCounters},
      {'D', std::span(&kClearRegisters, 1)},
  };
  for (const auto& clear : kClears) {
    const GrownTables* tables = plan.of(clear.letter);
    if (!tables) continue;
    out.set("bytes", dec(tables->bitBytes())).set("count", dec(tables->valueCount()));
    out.lines(clear.lines);
  }
  if (settings.timeBase == TimeBaseChoice::Fx) {
    out.line(kClearFxDividers);
    if (plan.timerPhases > 0) out.set("count", dec(plan.timerPhases)).line(kClearTimerPhases);
  } else if (plan.firstFastTimer >= 0) {
    out.line(kClearFastTimerUnits);  // the first tenth's due
  }
}

}  // namespace

std::string mainSection(const Settings& settings, const AssignmentTables& tables,
                        const StoragePlan& plan) {
  CodeWriter out;
  out.set("display", settings.display ? "1" : "0");
  out.lines(kMainHead);
  if (settings.timeBase == TimeBaseChoice::Fx) {
    // Validation keeps crystals the timer cannot count for from a generated file.
    const FxTimer timer = fxTimerFor(settings.crystalMHz, settings.chip.clocksPerMachineCycle)
                              .value_or(FxTimer{0, 0.0, "0x00", "0x00"});
    out.set("high", timer.reloadHigh).set("low", timer.reloadLow).lines(kFxTimerStart);
  } else {
    out.lines(kClassicTimerStart);
  }
  out.lines(kWatchdogStart);
  if (!settings.proteus) {
    out.lines(kRetentionHead);
    for (int i = 0; i < kPointCount; ++i) {
      const int point = pointIndexOf(i);
      out.set("byte", dec(i / 8)).set("bitMask", hexBit(i % 8)).set("point", dec(point));
      out.set("assigned", dec(tables.yAssignCount[static_cast<std::size_t>(point)]));
      out.lines(kOutputRestore);
    }
    out.lines(kRetentionTail);
  }
  out.lines(kColdStart);
  out.set("threshold", dec(settings.scanThreshold()));
  writeClearGrownTables(out, plan, settings);
  out.lines(kFirstSamples);
  out.lines(kDisplaySetUp);
  out.lines(kScanLoopHead);
  out.lines(kDisplayRefreshHead);
  for (std::size_t select = 0; select < std::size(kDisplayedValues); ++select) {
    out.set("select", dec(static_cast<long long>(select)))
        .set("value", std::string(kDisplayedValues[select]));
    out.lines(kDisplayValue);
  }
  out.lines(kDisplayRefreshTail);
  return out.take();
}

}  // namespace ladder51
