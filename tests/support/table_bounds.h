// A checker for the statements the translator writes: every constant index into the firmware's
// tables and every constant argument of its edge and input routines must lie inside what the
// runtime declares. Used by the translator tests and by the .pmw fuzz target.
#pragma once

#include <string>
#include <vector>

#include "core/translator/translator.h"

namespace ladder51::test {

// Every index, routine call or loop in a translation's statements that reaches past its table,
// as written (edge[], edgm[] and mcz[] are sized by the translation).
std::vector<std::string> outOfBounds(const Translation& translation);

}  // namespace ladder51::test
