// The routines of the runtime section that follow `inx`: the EEPROM driver when one is
// fitted, the comparison `ldequ`, `zrstd`, the ten edge routines, the scan routine `tmscan`,
// the timer-0 interrupt and `send_char_com`; and the whole runtime section.
#pragma once

#include <string>

#include "core/config/settings.h"
#include "core/runtime_gen/storage.h"

namespace ladder51 {

// The whole runtime section: the head writeRuntimeState() writes, then the routines in their
// fixed order. `scanThreshold` is the time-base threshold of the crystal (scanThreshold() of
// its text); `plan` the device tables of the program (the fixed ones by default).
std::string runtimeSection(const Settings& settings, int scanThreshold,
                           const StoragePlan& plan = {});

}  // namespace ladder51
