// The routines of the runtime section that follow `inx`: the EEPROM driver when one is
// fitted, the comparison `ldequ`, `zrstd`, the ten edge routines, the scan routine `tmscan`,
// the timer-0 interrupt and `send_char_com`; and the whole runtime section.
#pragma once

#include <string>

#include "core/config/settings.h"
#include "core/config/validation.h"

namespace ladder51 {

// Appends the routines after `inx`, in their fixed order. `scanThreshold` is the time-base
// threshold of the crystal (scanThreshold() of its text).
void appendRuntimeRoutines(std::string& section, const Settings& settings,
                           const AssignmentTables& tables, int scanThreshold);

// The whole runtime section: runtimeStateText() followed by appendRuntimeRoutines().
std::string runtimeSection(const Settings& settings, int scanThreshold);

}  // namespace ladder51
