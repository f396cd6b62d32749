// Runtime routines that only some programs need: written after the runtime section of fx1n.c
// when the translation asks for them, so that the file of a program that needs none stays as it
// was.
#pragma once

#include <set>
#include <string>

#include "core/translator/translator.h"

namespace ladder51 {

// The routines and state of `features`, each line appended as CR LF and the line; empty when
// there are none.
std::string runtimeExtensions(const std::set<RuntimeFeature>& features);

}  // namespace ladder51
