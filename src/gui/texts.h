// The window's own texts: captions, labels, menus and the messages of the menus. They are
// shown exactly as written here, blanks included.
#pragma once

namespace ladder51::gui {

// Title of the window before a program is opened, and of every message box.
inline constexpr char kApplicationTitle[] = "ladder51";

// The open command's button.
inline constexpr char kOpenCaption[] = "打开PMW文件";

// The save command's button.
inline constexpr char kSaveCaption[] = "保存设置";

// Label above the crystal box.
inline constexpr char kCrystalLabel[] = "晶震频率(/MHZ)";

// Label beside the filter box.
inline constexpr char kFilterLabel[] = "滤波系数  0   至   7";

// The display driver check box.
inline constexpr char kDisplayCaption[] = "使用7219数码管驱动";

// What the display shows for each value of D15, under the check box.
inline constexpr char kDisplayHelpT0[] = "当D15=0 时 数码管显示T0的值";
inline constexpr char kDisplayHelpC0[] = "当D15=1 时 数码管显示C0的值";
inline constexpr char kDisplayHelpD0[] = "当D15=2时  数码管显示D0的值";

// Labels in front of the display driver's pin boxes.
inline constexpr char kDinLabel[] = "DIN=P";
inline constexpr char kLoadLabel[] = "LOAD=P";
inline constexpr char kClkLabel[] = "CLK=P";

// The EEPROM option buttons (the second caption ends in a blank).
inline constexpr char kSmallEepromCaption[] = "外接24C16,以下";
inline constexpr char kLargeEepromCaption[] = "外接24C32,24C64,24C128,24C256,24C512 ";

// The button that clears both EEPROM options.
inline constexpr char kNoEepromCaption[] = "不使用";

// Labels in front of the I2C pin boxes.
inline constexpr char kSclLabel[] = "SCK=P";
inline constexpr char kSdaLabel[] = "SDA=P";

// The Proteus output check box.
inline constexpr char kProteusCaption[] =
    "输出用于proteus仿真格式时打钩， 下载到单片机实验时去掉这个钩，并保存设置";

// The time base check box: the FX PLC's timer units (checked), or the original runtime's.
inline constexpr char kFxTimeBaseCaption[] =
    "FX定时：T0-T199为100ms，T200-T245为10ms，M8011-M8014与PLC相同（不打钩为旧版时基）";
inline constexpr char kFxTimeBaseTip[] =
    "打钩：定时器和时钟继电器按晶振计算，与三菱FX相同；去掉：使用旧版固定时基（约33.9ms一个单位）";

// The two menus: the chip's (one item per chip, then its advice) and the instructions' message.
inline constexpr char kChipMenu[] = "芯片选择";
inline constexpr char kCommandsMenu[] = "支持指令";
// A chip's item: its model (%1), internal RAM bytes (%2), flash KB (%3) and XRAM bytes (%4).
inline constexpr char kChipItem[] = "%1（RAM %2字节，Flash %3KB）";
inline constexpr char kChipItemWithXram[] = "%1（RAM %2字节 + XRAM %4字节，Flash %3KB）";
// The item that shows the chip menu's advice.
inline constexpr char kChipAdvice[] = "选择说明";
inline constexpr char kChipMessage[] =
    "请选择RAM为 256字节以上的51系列单片机，如AT89S52(带看门狗)，STC89C52。";
inline constexpr char kCommandsMessage[] =
    "完成基本指令扫盲工作，现在全面支持三菱FX系列的29条基本指令：LD LDI AND ANI OR ORI LDP LDF "
    "ANDP ANDF ORP ORF SET  RST MPS MPP  MRD ANB ORB  OUT INV PLS  PLF MC MCR NOP END "
    "另外目前支持的功能指令有： ALT MOV ZRST INC DEC ADD SUB MUL DIV LD= LD> AND= AND> OR= OR>  "
    "支持软元件: T0-T15 0.1S  D0-D15 D16-D8000（外接EEPROM保持）  C0-C10   M0 -M79 M8000 M8002 "
    "M8011 M8012 M8013 M8014  X0-X43 Y0-Y43";

// The status line's count of the last build's tool warnings (%1), which its tooltip lists.
inline constexpr char kBuildWarningsCount[] = "编译警告：%1 条";

// The choices offered for a program with steps ladder51 does not translate.
inline constexpr char kGenerateAnyway[] = "仍然生成";
inline constexpr char kCancel[] = "取消";

// The command that builds the last program again with the saved settings.
inline constexpr char kRebuildCaption[] = "重新生成";

// Status lines: a program built (%1 its file name, %2 the hex file, %3 the time), a program that
// produced no firmware (%1 the reason), a build that failed (%1 why), settings saved (%1 the
// time), and settings saved since the last build.
inline constexpr char kStatusBuilt[] = "%1 已生成 %2（%3）";
inline constexpr char kStatusRefused[] = "未生成 fx1n.hex：%1";
inline constexpr char kStatusBuildFailed[] = "生成失败：%1";
inline constexpr char kStatusSaved[] = "设置已保存（%1）";
inline constexpr char kStatusOutOfDate[] =
    "设置已更改：fx1n.hex 仍是按原设置生成的，请按“重新生成”";

// The file dialog of the open command.
inline constexpr char kProgramFilter[] = "pmw (*.pmw)";

}  // namespace ladder51::gui
