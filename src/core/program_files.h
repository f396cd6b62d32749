// Programs as files: instruction-list text assembled into a .pmw file, and a .pmw file listed
// as instruction-list text, with the limits and the whole-or-nothing writes of the other files
// ladder51 reads and writes.
#pragma once

#include <filesystem>
#include <string>

#include "core/result.h"

namespace ladder51 {

// Assembles the instruction list in `source` and writes the .pmw program to `output` (replaced
// whole, or left as it was on any failure). Fails when the output would overwrite the source; an
// assembly error names the source and its line.
Status assembleFile(const std::filesystem::path& source, const std::filesystem::path& output);

// The listing of a .pmw file (see disassemble()).
Result<std::string> listProgramFile(const std::filesystem::path& program);

}  // namespace ladder51
