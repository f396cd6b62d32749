// The appending convention of the generated source: every line is added to its section as
// CR LF followed by the line's text, so a section built from empty starts with an empty line
// and has no line break after its last line.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/text/code_writer.h"

namespace ladder51 {

// Appends CR LF and `line` to `section`.
inline void appendLine(std::string& section, std::string_view line) {
  section += kCrLf;
  section += line;
}

// Appends each of `lines` in order, each as appendLine does.
inline void appendLines(std::string& section, std::span<const std::string_view> lines) {
  for (std::string_view line : lines) appendLine(section, line);
}

}  // namespace ladder51
