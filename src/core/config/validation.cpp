#include "core/config/validation.h"

#include <string>
#include <string_view>
#include <vector>

namespace ladder51 {
namespace {

constexpr std::string_view kBadSuffix = "设置错误！！";
constexpr std::string_view kUnsetSuffix = " 未设置！！";
constexpr std::string_view kDuplicateX = "X点定义重复！！";
constexpr std::string_view kDuplicateY = "Y点定义重复！！";
constexpr std::string_view kBadFilter = "滤波时间参数必须在0-10之间！！";
constexpr std::string_view kBadCrystal = "晶震频率必须是1至32767之间的数！！";
constexpr std::string_view kQuoteSuffix = " 不能含有双引号！！";
constexpr std::string_view kLineBreakSuffix = " 不能含有换行符！！";

constexpr std::string_view kFilterTexts[] = {"0", "1", "2", "3", "4", "5",
                                             "6", "7", "8", "9", "10"};

// The message names the field, so the error needs no location.
Status fail(ErrorKind kind, std::string message) {
  return Error{kind, std::move(message)};
}

// The first pin whose text is not an accepted point name.
Status checkPointNames(const PinMap& pinMap) {
  for (int k = 0; k < kPinCount; ++k) {
    if (!isAcceptedPointName(pinMap[static_cast<std::size_t>(k)])) {
      const std::string label = pins()[static_cast<std::size_t>(k)].label();
      return fail(ErrorKind::BadPinName, label + std::string(kBadSuffix));
    }
  }
  return success();
}

Status checkDuplicates(const AssignmentTables& tables) {
  for (int count : tables.xAssignCount) {
    if (count > 1) return fail(ErrorKind::DuplicatePoint, std::string(kDuplicateX));
  }
  for (int count : tables.yAssignCount) {
    if (count > 1) return fail(ErrorKind::DuplicatePoint, std::string(kDuplicateY));
  }
  return success();
}

Status checkFilter(const std::string& filter) {
  for (std::string_view accepted : kFilterTexts) {
    if (filter == accepted) return success();
  }
  return fail(ErrorKind::BadFilter, std::string(kBadFilter));
}

// A pin-text option such as DIN: its value must lie in 0 .. 4.3, and it must not be empty.
Status checkPinOption(ErrorKind kind, std::string_view name, const std::string& text) {
  const double value = leadingNumber(text);
  if (value < 0 || value > 4.3) {
    return fail(kind, std::string(name) + " " + std::string(kBadSuffix));
  }
  if (text.empty()) return fail(kind, std::string(name) + std::string(kUnsetSuffix));
  return success();
}

// A pin-text option and the name its messages give it.
struct PinOption {
  ErrorKind kind;
  std::string_view name;
  const std::string* text;
};

// The display pins when a display is fitted, then the I2C pins when an EEPROM is chosen.
Status checkDriverPins(const SettingsText& settings) {
  std::vector<PinOption> options;
  if (settings.display) {
    options.insert(options.end(), {{ErrorKind::BadDisplayPins, "DIN", &settings.din},
                                   {ErrorKind::BadDisplayPins, "LOAD", &settings.load},
                                   {ErrorKind::BadDisplayPins, "CLK", &settings.clk}});
  }
  if (settings.eepromFitted()) {
    options.insert(options.end(), {{ErrorKind::BadI2cPins, "SCL", &settings.scl},
                                   {ErrorKind::BadI2cPins, "SDA", &settings.sda}});
  }
  for (const PinOption& option : options) {
    if (Status status = checkPinOption(option.kind, option.name, *option.text); !status)
      return status;
  }
  return success();
}

Status checkCrystal(const std::string& crystal) {
  if (!crystalOf(crystal)) return fail(ErrorKind::BadCrystal, std::string(kBadCrystal));
  return success();
}

// Every text field with the name its message gives it, in the order of the window.
Status checkRecordCharacters(const SettingsText& settings) {
  std::vector<std::pair<std::string, const std::string*>> fields;
  for (int k = 0; k < kPinCount; ++k) {
    fields.emplace_back(pins()[static_cast<std::size_t>(k)].label(),
                        &settings.pins[static_cast<std::size_t>(k)]);
  }
  fields.emplace_back("滤波时间参数", &settings.filter);
  fields.emplace_back("晶震频率", &settings.crystal);
  fields.emplace_back("DIN", &settings.din);
  fields.emplace_back("LOAD", &settings.load);
  fields.emplace_back("CLK", &settings.clk);
  fields.emplace_back("SCL", &settings.scl);
  fields.emplace_back("SDA", &settings.sda);
  for (const auto& [name, text] : fields) {
    if (text->find('"') != std::string::npos) {
      return fail(ErrorKind::BadSettingText, name + std::string(kQuoteSuffix));
    }
    if (text->find_first_of("\r\n") != std::string::npos) {
      return fail(ErrorKind::BadSettingText, name + std::string(kLineBreakSuffix));
    }
  }
  return success();
}

// The settings that valid texts stand for.
Settings settingsOf(const SettingsText& text) {
  return Settings{.pins = text.pins,
                  .filter = std::stoi(text.filter),
                  .crystalMHz = *crystalOf(text.crystal),
                  .display = text.display,
                  .din = text.din,
                  .load = text.load,
                  .clk = text.clk,
                  .eeprom = text.eeprom,
                  .scl = text.scl,
                  .sda = text.sda,
                  .proteus = text.proteus,
                  .chip = *chipNamed(text.chip),
                  .timeBase = *timeBaseNamed(text.timeBase)};
}

}  // namespace

AssignmentTables countAssignments(const PinMap& pinMap) {
  AssignmentTables tables;
  for (const std::string& name : pinMap) {
    const std::optional<Point> point = parsePointName(name);
    if (!point) continue;
    const auto index = static_cast<std::size_t>(point->index);
    if (point->kind == PointKind::Input) {
      ++tables.xAssignCount[index];
      tables.xAssignFlag[index] = 1;
    } else {
      ++tables.yAssignCount[index];
    }
  }
  return tables;
}

Result<Settings> validateForSave(const SettingsText& text) {
  if (Status status = checkPointNames(text.pins); !status) return status.error();
  if (Status status = checkDuplicates(countAssignments(text.pins)); !status) return status.error();
  if (Status status = checkFilter(text.filter); !status) return status.error();
  if (Status status = checkDriverPins(text); !status) return status.error();
  if (Status status = checkCrystal(text.crystal); !status) return status.error();
  if (Status status = checkRecordCharacters(text); !status) return status.error();
  if (Result<ChipProfile> chip = chipNamed(text.chip); !chip) return chip.error();
  if (Status status = checkTimeBase(text.timeBase); !status) return status.error();
  return settingsOf(text);
}

Result<Settings> validateAtStartUp(const SettingsText& text) {
  if (Status status = checkPointNames(text.pins); !status) return status.error();
  if (Status status = checkFilter(text.filter); !status) return status.error();
  if (Status status = checkDriverPins(text); !status) return status.error();
  if (Status status = checkCrystal(text.crystal); !status) return status.error();
  if (Result<ChipProfile> chip = chipNamed(text.chip); !chip) return chip.error();
  if (Status status = checkTimeBase(text.timeBase); !status) return status.error();
  return settingsOf(text);
}

Status checkTimeBase(std::string_view name) {
  if (timeBaseNamed(name)) return success();
  return Error{ErrorKind::BadTimeBase,
               "unknown time base \"" + std::string(name) + "\": choose fx or classic"};
}

}  // namespace ladder51
