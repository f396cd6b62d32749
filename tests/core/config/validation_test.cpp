#include "core/config/validation.h"

#include <gtest/gtest.h>

#include <functional>

namespace ladder51 {
namespace {

using Change = std::function<void(SettingsText&)>;

// Puts `name` on the pin labelled `label`.
Change pin(const char* label, const char* name) {
  return [=](SettingsText& s) { s.pins[static_cast<std::size_t>(*findPin(label))] = name; };
}

Change both(Change first, Change second) {
  return [=](SettingsText& s) {
    first(s);
    second(s);
  };
}

Change display(const char* din, const char* load, const char* clk) {
  return [=](SettingsText& s) {
    s.display = true;
    s.din = din;
    s.load = load;
    s.clk = clk;
  };
}

Change eeprom(EepromChoice choice, const char* scl, const char* sda) {
  return [=](SettingsText& s) {
    s.eeprom = choice;
    s.scl = scl;
    s.sda = sda;
  };
}

struct Case {
  const char* name;
  Change change;
  const char* onSave;     // "" when accepted
  const char* onStartUp;  // "" when accepted
};

// One row per message and boundary; the settings start as those of a new installation.
const Case kCases[] = {
    {"all pins empty", [](SettingsText&) {}, "", ""},
    {"every pin a distinct point",
     [](SettingsText& s) {
       for (int k = 0; k < kPinCount; ++k) {
         s.pins[static_cast<std::size_t>(k)] =
             (k % 2 ? "X" : "Y") + std::to_string(k / 8 * 10 + k % 8);
       }
     },
     "", ""},
    {"digit 8", pin("P0.5", "X8"), "P0.5设置错误！！", "P0.5设置错误！！"},
    {"lower case", pin("P0.0", "x1"), "P0.0设置错误！！", "P0.0设置错误！！"},
    {"leading zero", pin("P1.7", "Y08"), "P1.7设置错误！！", "P1.7设置错误！！"},
    {"beyond 43", pin("P2.3", "X44"), "P2.3设置错误！！", "P2.3设置错误！！"},
    {"trailing blank", pin("P3.2", "X1 "), "P3.2设置错误！！", "P3.2设置错误！！"},
    {"first bad pin wins", both(pin("P1.1", "M0"), pin("P0.6", "Z")), "P0.6设置错误！！",
     "P0.6设置错误！！"},
    {"names before duplicates",
     both(pin("P4.3", "X50"), both(pin("P0.0", "X3"), pin("P1.0", "X3"))), "P4.3设置错误！！",
     "P4.3设置错误！！"},
    {"X before Y duplicates",
     both(both(pin("P0.0", "X3"), pin("P1.0", "X3")), both(pin("P0.1", "Y5"), pin("P0.2", "Y5"))),
     "X点定义重复！！", ""},
    {"Y duplicate", both(pin("P0.1", "Y5"), pin("P4.0", "Y5")), "Y点定义重复！！", ""},
    {"same number X and Y", both(pin("P0.0", "X3"), pin("P0.1", "Y3")), "", ""},
    {"filter 10", [](SettingsText& s) { s.filter = "10"; }, "", ""},
    {"filter 0", [](SettingsText& s) { s.filter = "0"; }, "", ""},
    {"filter 11", [](SettingsText& s) { s.filter = "11"; }, "滤波时间参数必须在0-10之间！！",
     "滤波时间参数必须在0-10之间！！"},
    {"filter -1", [](SettingsText& s) { s.filter = "-1"; }, "滤波时间参数必须在0-10之间！！",
     "滤波时间参数必须在0-10之间！！"},
    {"filter empty", [](SettingsText& s) { s.filter = ""; }, "滤波时间参数必须在0-10之间！！",
     "滤波时间参数必须在0-10之间！！"},
    {"filter leading zero", [](SettingsText& s) { s.filter = "03"; },
     "滤波时间参数必须在0-10之间！！", "滤波时间参数必须在0-10之间！！"},
    {"filter decimal point", [](SettingsText& s) { s.filter = "3.0"; },
     "滤波时间参数必须在0-10之间！！", "滤波时间参数必须在0-10之间！！"},
    {"duplicate before filter",
     both([](SettingsText& s) { s.filter = "x"; }, both(pin("P0.1", "Y5"), pin("P0.2", "Y5"))),
     "Y点定义重复！！", "滤波时间参数必须在0-10之间！！"},
    {"display pins valid", display("1.5", "1.6", "1.7"), "", ""},
    {"DIN 4.3", display("4.3", "1.6", "1.7"), "", ""},
    {"DIN 4.31", display("4.31", "1.6", "1.7"), "DIN 设置错误！！", "DIN 设置错误！！"},
    {"DIN -0.5", display("-0.5", "1.6", "1.7"), "DIN 设置错误！！", "DIN 设置错误！！"},
    {"DIN empty", display("", "1.6", "1.7"), "DIN 未设置！！", "DIN 未设置！！"},
    {"DIN letters read as 0", display("abc", "1.6", "1.7"), "", ""},
    {"LOAD empty", display("1.5", "", "1.7"), "LOAD 未设置！！", "LOAD 未设置！！"},
    {"LOAD 9", display("1.5", "9", "1.7"), "LOAD 设置错误！！", "LOAD 设置错误！！"},
    {"CLK empty", display("1.5", "1.6", ""), "CLK 未设置！！", "CLK 未设置！！"},
    {"CLK 5.0", display("1.5", "1.6", "5.0"), "CLK 设置错误！！", "CLK 设置错误！！"},
    {"display off ignores its pins",
     [](SettingsText& s) {
       s.din = "9.9";
       s.load = "";
     },
     "", ""},
    {"filter before display pins",
     both([](SettingsText& s) { s.filter = "12"; }, display("", "", "")),
     "滤波时间参数必须在0-10之间！！", "滤波时间参数必须在0-10之间！！"},
    {"24C16 pins valid", eeprom(EepromChoice::Upto24C16, "3.6", "3.7"), "", ""},
    {"SCL empty", eeprom(EepromChoice::Upto24C16, "", "3.7"), "SCL 未设置！！", "SCL 未设置！！"},
    {"SCL 5.0", eeprom(EepromChoice::From24C32, "5.0", "3.7"), "SCL 设置错误！！",
     "SCL 设置错误！！"},
    {"SDA empty", eeprom(EepromChoice::From24C32, "3.6", ""), "SDA 未设置！！", "SDA 未设置！！"},
    {"SDA -1", eeprom(EepromChoice::Upto24C16, "3.6", "-1"), "SDA 设置错误！！",
     "SDA 设置错误！！"},
    {"no EEPROM ignores the I2C pins", eeprom(EepromChoice::None, "", ""), "", ""},
    {"display pins before I2C pins",
     both(display("1.5", "", "1.7"), eeprom(EepromChoice::From24C32, "", "")), "LOAD 未设置！！",
     "LOAD 未设置！！"},
    {"crystal 11.0592", [](SettingsText& s) { s.crystal = "11.0592"; }, "", ""},
    {"crystal 1", [](SettingsText& s) { s.crystal = "1"; }, "", ""},
    {"crystal 32767", [](SettingsText& s) { s.crystal = "32767"; }, "", ""},
    {"crystal empty", [](SettingsText& s) { s.crystal = ""; }, "晶震频率必须是1至32767之间的数！！",
     "晶震频率必须是1至32767之间的数！！"},
    {"crystal letters", [](SettingsText& s) { s.crystal = "abc"; },
     "晶震频率必须是1至32767之间的数！！", "晶震频率必须是1至32767之间的数！！"},
    {"crystal 0.5", [](SettingsText& s) { s.crystal = "0.5"; },
     "晶震频率必须是1至32767之间的数！！", "晶震频率必须是1至32767之间的数！！"},
    {"crystal negative", [](SettingsText& s) { s.crystal = "-12"; },
     "晶震频率必须是1至32767之间的数！！", "晶震频率必须是1至32767之间的数！！"},
    {"crystal with unit", [](SettingsText& s) { s.crystal = "12MHz"; },
     "晶震频率必须是1至32767之间的数！！", "晶震频率必须是1至32767之间的数！！"},
    {"crystal 32768", [](SettingsText& s) { s.crystal = "32768"; },
     "晶震频率必须是1至32767之间的数！！", "晶震频率必须是1至32767之间的数！！"},
    {"I2C pins before crystal",
     both(eeprom(EepromChoice::From24C32, "3.6", ""), [](SettingsText& s) { s.crystal = ""; }),
     "SDA 未设置！！", "SDA 未设置！！"},
    {"quote in an unchecked DIN", [](SettingsText& s) { s.din = "1\"5"; }, "DIN 不能含有双引号！！",
     ""},
    {"quote after a valid DIN", display("1.5\"", "1.6", "1.7"), "DIN 不能含有双引号！！", ""},
    {"quote in an unchecked SDA", [](SettingsText& s) { s.sda = "\""; }, "SDA 不能含有双引号！！",
     ""},
    {"quote in CLK before SCL",
     [](SettingsText& s) {
       s.clk = "\"";
       s.scl = "\"";
     },
     "CLK 不能含有双引号！！", ""},
    {"line break in an unchecked LOAD", [](SettingsText& s) { s.load = "1\n6"; },
     "LOAD 不能含有换行符！！", ""},
    {"quote in the crystal", [](SettingsText& s) { s.crystal = "12\""; },
     "晶震频率必须是1至32767之间的数！！", "晶震频率必须是1至32767之间的数！！"},
};

TEST(Validation, SaveAndStartUpCheckInOrderWithTheirMessages) {
  for (const Case& c : kCases) {
    SettingsText settings;
    c.change(settings);
    const std::pair<Result<Settings>, const char*> checks[] = {
        {validateForSave(settings), c.onSave}, {validateAtStartUp(settings), c.onStartUp}};
    for (const auto& [result, expected] : checks) {
      if (std::string(expected).empty()) {
        EXPECT_TRUE(result.ok()) << c.name << ": " << result.error().message;
      } else {
        ASSERT_FALSE(result.ok()) << c.name;
        EXPECT_EQ(result.error().message, expected) << c.name;
      }
    }
  }
}

TEST(Validation, ValidTextsGiveTheirNumbers) {
  struct Row {
    const char* crystal;
    const char* filter;
    double crystalMHz;
    int threshold;
    int filterNumber;
  };
  const Row rows[] = {{"12", "3", 12, 24, 3},
                      {"11.0592", "10", 11.0592, 22, 10},
                      {"12.", "0", 12, 24, 0},
                      {"32767.9", "7", 32767.9, 65534, 7}};
  for (const Row& row : rows) {
    SettingsText text;
    text.crystal = row.crystal;
    text.filter = row.filter;
    Result<Settings> settings = validateForSave(text);
    ASSERT_TRUE(settings.ok()) << row.crystal;
    EXPECT_DOUBLE_EQ(settings->crystalMHz, row.crystalMHz) << row.crystal;
    EXPECT_EQ(settings->scanThreshold(), row.threshold) << row.crystal;
    EXPECT_EQ(settings->filter, row.filterNumber) << row.crystal;
    // The texts of the numbers are valid again and stand for the same settings.
    EXPECT_EQ(*validateForSave(textOf(*settings)), *settings) << row.crystal;
  }
}

TEST(Validation, AssignmentTablesCountAcceptedNamesByTheirDigits) {
  PinMap pinMap;
  pinMap[0] = "X17";
  pinMap[1] = "X17";
  pinMap[2] = "Y43";
  pinMap[3] = "X0";
  pinMap[4] = "X8";  // rejected: counts for nothing
  const AssignmentTables tables = countAssignments(pinMap);
  EXPECT_EQ(tables.xAssignCount[17], 2);
  EXPECT_EQ(tables.xAssignFlag[17], 1);
  EXPECT_EQ(tables.xAssignCount[0], 1);
  EXPECT_EQ(tables.yAssignCount[43], 1);
  EXPECT_EQ(tables.xAssignCount[43], 0);
  EXPECT_EQ(tables.xAssignFlag[43], 0);
  int total = 0;
  for (int k = 0; k < kPointTableSize; ++k) {
    total += tables.xAssignCount[static_cast<std::size_t>(k)] +
             tables.yAssignCount[static_cast<std::size_t>(k)];
  }
  EXPECT_EQ(total, 4);
  EXPECT_EQ(countAssignments(PinMap{}), AssignmentTables{});
}

TEST(Validation, LeadingNumberAndCrystalText) {
  EXPECT_DOUBLE_EQ(leadingNumber("4.3"), 4.3);
  EXPECT_DOUBLE_EQ(leadingNumber(" 1.5x"), 1.5);
  EXPECT_DOUBLE_EQ(leadingNumber("-0.5"), -0.5);
  EXPECT_DOUBLE_EQ(leadingNumber("abc"), 0);
  EXPECT_DOUBLE_EQ(leadingNumber("."), 0);
  EXPECT_EQ(crystalOf(".5"), std::nullopt);
  EXPECT_EQ(crystalOf(" 12"), std::nullopt);
  EXPECT_EQ(crystalOf("0.9"), std::nullopt);
}

}  // namespace
}  // namespace ladder51
