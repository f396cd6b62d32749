// The window's checks of the fields before 保存设置: the core's checks, each refusal tied to the
// field at fault and told with its reason (the core's message first), and the pins that one
// board cannot use twice: a pin of the pin map that also drives the display or the EEPROM.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "core/config/settings.h"
#include "core/result.h"

namespace ladder51::gui {

class FieldTexts {
  Q_DECLARE_TR_FUNCTIONS(FieldTexts)
};

// The fields of the window a refusal can point at.
enum class Field { None, Pin, Filter, Crystal, Din, Load, Clk, Scl, Sda, Chip, TimeBase };

// A refused field and what to tell the user.
struct FieldProblem {
  Field field = Field::Pin;
  int pin = -1;  // PinMap position, for Field::Pin
  QString message;
};

// A point name as the user may type it: blanks around it dropped, letters upper-cased ("x2 ").
std::string normalisedPointName(std::string_view text);

// The refusal of these settings, if any: the core's checks in their order, then pins used twice.
std::optional<FieldProblem> checkFields(const SettingsText& settings);

// The field a refusal of the save command points at (None for one of no field, such as a
// settings file that cannot be written), and its message.
FieldProblem problemOf(const Error& error, const SettingsText& settings);

}  // namespace ladder51::gui
