// The first part of the runtime section of fx1n.c: the global state of the emulated PLC, the
// MAX7219 display driver and the filtered input read `inx`.
#pragma once

#include <string>
#include <string_view>

#include "core/config/settings.h"
#include "core/config/validation.h"

namespace ladder51 {

// The mask `inx` applies to an input's filter register for a filter setting: "0x01" for 0
// (one sample) up to "0xff" for 7 to 10 (eight samples); any other value gives the empty text,
// which validation keeps from ever reaching a generated file.
std::string filterMask(int filter);

// The runtime section as its first generator leaves it: state block, MAX7219 driver in its
// "#if" frame, `inx`. Each line is appended as CR LF and the line.
std::string runtimeStateText(const Settings& settings, const AssignmentTables& tables);

}  // namespace ladder51
