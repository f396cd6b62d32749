// Validation of the settings before they are saved or used to generate the source, and the
// assignment tables the runtime generators read.
#pragma once

#include <array>

#include "core/config/settings.h"
#include "core/result.h"

namespace ladder51 {

// How the pins carry the points, indexed by a point's digits read as decimal (X17 -> 17).
struct AssignmentTables {
  std::array<int, kPointTableSize> xAssignCount{};  // pins carrying each X point
  std::array<int, kPointTableSize> yAssignCount{};  // pins carrying each Y point
  std::array<int, kPointTableSize> xAssignFlag{};   // 1 when some pin carries the X point

  bool operator==(const AssignmentTables&) const = default;
};

// Counts the accepted point names of the pins; other texts count for nothing.
AssignmentTables countAssignments(const PinMap& pins);

// The checks of the save command, in order; the first failure is returned with its message:
// pin names ("P0.5设置错误！！"), X then Y duplicates, the filter, the display pins when a
// display is fitted, the I2C pins when an EEPROM is chosen, the crystal, any double
// quote or line break in a text field (the settings files cannot hold either), and finally the
// chip's name and the time base. Valid texts give the settings they stand for.
Result<Settings> validateForSave(const SettingsText& text);

// The checks run on the settings loaded at start-up: pin names, the filter, the display and
// I2C pins, the crystal, the chip and the time base, with the same messages. Duplicates are not
// checked here.
Result<Settings> validateAtStartUp(const SettingsText& text);

// The time base's name: "fx" or "classic" (BadTimeBase otherwise).
Status checkTimeBase(std::string_view name);

}  // namespace ladder51
