// Data-driven tests as tables: one "INPUT => OUTCOME" a line, the outcomes rewritten by `make
// golden`.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/config/settings.h"

namespace ladder51::test {

// The EEPROM a test option names: "24c16" (24C16 or smaller) or "24c32" (24C32 to 24C512).
std::optional<EepromChoice> eepromNamed(std::string_view word);

// The lines of a table's input: its parts separated by " / ".
std::string linesOf(std::string input);
// Checks each "INPUT => OUTCOME" line of the table `file` against outcomeOf(INPUT); `make
// golden` rewrites the outcomes. Lines starting with '#' are comments.
void checkOutcomes(const std::filesystem::path& file,
                   const std::function<std::string(const std::string&)>& outcomeOf);

}  // namespace ladder51::test
