// Runtime routines that only some programs need: written after the runtime section of fx1n.c
// when the translation asks for them, so that the file of a program that needs none stays as it
// was.
#pragma once

#include <string>

#include "core/config/settings.h"
#include "core/translator/translator.h"

namespace ladder51 {

// The routines and state a translation needs beyond every file's runtime, for the firmware of
// `settings`, then the program's subroutines, each line appended as CR LF and the line; empty
// when it needs none.
std::string runtimeExtensions(const Translation& translation, const Settings& settings);

// The internal RAM that state takes, in bytes, on the chip of `settings` (with XRAM, the state of
// applied instructions lives there).
int extensionRamBytes(const Translation& translation, const Settings& settings);

}  // namespace ladder51
