#include "gui/field_checks.h"

#include <QChar>
#include <algorithm>
#include <array>
#include <cctype>
#include <utility>
#include <vector>

#include "core/config/validation.h"
#include "gui/report_texts.h"

namespace ladder51::gui {
namespace {

QString fromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

std::string trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

// Why a pin's text names no point.
QString pointNameReason(const std::string& name) {
  const QString shown = fromUtf8(name);
  const char letter = name.empty() ? '\0' : name[0];
  const std::string digits = name.size() > 1 ? name.substr(1) : std::string();
  const bool allDigits =
      !digits.empty() && std::ranges::all_of(digits, [](char c) { return std::isdigit(c) != 0; });
  if ((letter != 'X' && letter != 'Y') || !allDigits) {
    return FieldTexts::tr(
               "%1 is not a point: a pin carries an input X or an output Y, such as "
               "X0 or Y7.")
        .arg(shown);
  }
  const QString kind = QChar::fromLatin1(letter);
  if (digits.find_first_of("89") != std::string::npos) {
    const QString octal =
        kind + "0-" + kind + "7, " + kind + "10-" + kind + "17 … " + kind + "40-" + kind + "43";
    return FieldTexts::tr("%1 is not a point: %2 points are octal, %3.").arg(shown, kind, octal);
  }
  if (digits.size() > 1 && digits[0] == '0') {
    return FieldTexts::tr("%1 is not a point: write it without leading zeros.").arg(shown);
  }
  return FieldTexts::tr("%1 is not a point: the highest %2 point a pin carries is %3.")
      .arg(shown, kind, kind + "43");
}

// The first point two pins carry, as "X0 is on both P3.2 and P3.3", X before Y.
QString duplicateReason(const PinMap& pinMap, int& second) {
  for (const PointKind kind : {PointKind::Input, PointKind::Output}) {
    std::array<int, kPointTableSize> first;
    first.fill(-1);
    for (int k = 0; k < kPinCount; ++k) {
      const std::optional<Point> point = parsePointName(pinMap[static_cast<std::size_t>(k)]);
      if (!point || point->kind != kind) continue;
      int& earlier = first[static_cast<std::size_t>(point->index)];
      if (earlier < 0) {
        earlier = k;
        continue;
      }
      second = k;
      return FieldTexts::tr("%1 is on both %2 and %3.")
          .arg(fromUtf8(pinMap[static_cast<std::size_t>(k)]),
               fromUtf8(pins()[static_cast<std::size_t>(earlier)].label()),
               fromUtf8(pins()[static_cast<std::size_t>(k)].label()));
    }
  }
  return {};
}

// A driver pin field: which field, its name in messages and its text.
struct DriverPin {
  Field field;
  const char* name;
  const std::string* text;
};

std::vector<DriverPin> driverPins(const SettingsText& settings, bool display, bool eeprom) {
  std::vector<DriverPin> fields;
  if (display) {
    fields.insert(fields.end(), {{Field::Din, "DIN", &settings.din},
                                 {Field::Load, "LOAD", &settings.load},
                                 {Field::Clk, "CLK", &settings.clk}});
  }
  if (eeprom) {
    fields.insert(fields.end(),
                  {{Field::Scl, "SCL", &settings.scl}, {Field::Sda, "SDA", &settings.sda}});
  }
  return fields;
}

// A pin of the pin map driving the display or the EEPROM too, or one pin driving two of them.
std::optional<FieldProblem> pinClash(const SettingsText& settings) {
  std::vector<std::pair<const DriverPin*, int>> used;
  const std::vector<DriverPin> fields =
      driverPins(settings, settings.display, settings.eepromFitted());
  for (const DriverPin& driver : fields) {
    const std::optional<int> pin = findPin("P" + trimmed(*driver.text));
    if (!pin) continue;
    const std::string& label = pins()[static_cast<std::size_t>(*pin)].label();
    const std::string& point = settings.pins[static_cast<std::size_t>(*pin)];
    if (!point.empty()) {
      return FieldProblem{
          driver.field, -1,
          FieldTexts::tr("%1=%2 is refused: %2 already carries %3. A pin serves "
                         "one purpose only.")
              .arg(QString::fromLatin1(driver.name), fromUtf8(label), fromUtf8(point))};
    }
    for (const auto& [other, otherPin] : used) {
      if (otherPin != *pin) continue;
      return FieldProblem{driver.field, -1,
                          FieldTexts::tr("%1 and %2 are both on %3: each needs a pin of its own.")
                              .arg(QString::fromLatin1(other->name),
                                   QString::fromLatin1(driver.name), fromUtf8(label))};
    }
    used.emplace_back(&driver, *pin);
  }
  return std::nullopt;
}

// The first driver pin field of that kind the core refuses: empty, or not a pin's number.
Field refusedDriverPin(const SettingsText& settings, bool display) {
  const std::vector<DriverPin> fields = driverPins(settings, display, !display);
  for (const DriverPin& driver : fields) {
    const double value = leadingNumber(*driver.text);
    if (driver.text->empty() || value < 0 || value > 4.3) return driver.field;
  }
  return fields.front().field;
}

// The first field holding a character the settings files cannot hold.
FieldProblem badCharacterField(const SettingsText& settings) {
  const auto bad = [](const std::string& text) {
    return text.find_first_of("\"\r\n") != std::string::npos;
  };
  for (int k = 0; k < kPinCount; ++k) {
    if (bad(settings.pins[static_cast<std::size_t>(k)])) return {Field::Pin, k, {}};
  }
  const std::pair<Field, const std::string*> fields[] = {
      {Field::Filter, &settings.filter}, {Field::Crystal, &settings.crystal},
      {Field::Din, &settings.din},       {Field::Load, &settings.load},
      {Field::Clk, &settings.clk},       {Field::Scl, &settings.scl},
      {Field::Sda, &settings.sda}};
  for (const auto& [field, text] : fields) {
    if (bad(*text)) return {field, -1, {}};
  }
  return {Field::Filter, -1, {}};
}

}  // namespace

std::string normalisedPointName(std::string_view text) {
  std::string name = trimmed(text);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

FieldProblem problemOf(const Error& error, const SettingsText& settings) {
  FieldProblem problem;
  problem.message = errorText(error).full();
  switch (error.kind) {
    case ErrorKind::BadPinName:
      problem.message = fromUtf8(error.message);
      for (int k = 0; k < kPinCount; ++k) {
        const std::string& name = settings.pins[static_cast<std::size_t>(k)];
        if (isAcceptedPointName(name)) continue;
        problem.pin = k;
        problem.message += pointNameReason(name);
        break;
      }
      break;
    case ErrorKind::DuplicatePoint:
      problem.message = fromUtf8(error.message) + duplicateReason(settings.pins, problem.pin);
      break;
    case ErrorKind::BadFilter:
      problem.field = Field::Filter;
      break;
    case ErrorKind::BadCrystal:
      problem.field = Field::Crystal;
      break;
    case ErrorKind::BadDisplayPins:
      problem.field = refusedDriverPin(settings, true);
      break;
    case ErrorKind::BadI2cPins:
      problem.field = refusedDriverPin(settings, false);
      break;
    case ErrorKind::BadSettingText: {
      const FieldProblem at = badCharacterField(settings);
      problem.field = at.field;
      problem.pin = at.pin;
      break;
    }
    case ErrorKind::BadTimeBase:
      problem.field = Field::TimeBase;
      break;
    case ErrorKind::BadChip:
      problem.field = Field::Chip;
      break;
    default:
      problem.field = Field::None;
      break;
  }
  return problem;
}

std::optional<FieldProblem> checkFields(const SettingsText& settings) {
  if (Result<Settings> valid = validateForSave(settings); !valid)
    return problemOf(valid.error(), settings);
  return pinClash(settings);
}

}  // namespace ladder51::gui
