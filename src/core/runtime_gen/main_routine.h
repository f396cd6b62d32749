// The main routine of fx1n.c up to the translated statements: chip and PLC initialisation,
// the output restore after a watchdog reset, the display set-up, and the head of the endless
// scan loop with the display refresh.
#pragma once

#include <string>

#include "core/config/settings.h"
#include "core/config/validation.h"
#include "core/runtime_gen/storage.h"

namespace ladder51 {

// The main section, each line appended as CR LF and the line. The power-up retention block
// is left out when the source is meant for Proteus. The cold start clears the tables `plan`
// grew.
std::string mainSection(const Settings& settings, const AssignmentTables& tables,
                        const StoragePlan& plan = {});

}  // namespace ladder51
