// The first part of the runtime section of fx1n.c: the global state of the emulated PLC, the
// MAX7219 display driver and the filtered input read `inx`.
#pragma once

#include "core/config/settings.h"
#include "core/config/validation.h"
#include "core/runtime_gen/storage.h"
#include "core/text/code_writer.h"

namespace ladder51 {

// Writes the head of the runtime section: state block (its tables as `plan` places them),
// MAX7219 driver in its "#if" frame, `inx`.
void writeRuntimeState(CodeWriter& out, const Settings& settings, const AssignmentTables& tables,
                       const StoragePlan& plan);

}  // namespace ladder51
