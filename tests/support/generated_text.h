// Test support for generated source text: lines, sections, golden files, and compiling the
// text with SDCC (for the 8051) or with the host's C compiler (to run runtime routines).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ladder51::test {

// The lines of CR LF text; a leading CR LF gives an empty first line.
std::vector<std::string> splitLines(std::string_view text);

// The lines from the one equal to `first` up to and including the one equal to `last`.
std::vector<std::string> linesBetween(const std::vector<std::string>& lines, std::string_view first,
                                      std::string_view last);

// Compares `text` with tests/golden/NAME; with LADDER51_UPDATE_GOLDEN=1 in the environment it
// rewrites the file instead. Returns a description of the first difference, or "".
std::string checkGolden(const std::string& name, const std::string& text);

struct CompileRun {
  bool ok = false;
  std::string output;  // what the compiler printed
  std::filesystem::path directory;
};

// Compiles and links SDCC-dialect source with `sdcc -mmcs51` in `directory`.
CompileRun compileWithSdcc(std::string_view sdccSource, const std::filesystem::path& directory);

// Compiles C source with the host's cc and runs it; `output` holds what it printed, `ok`
// that both steps succeeded.
CompileRun compileAndRunOnHost(std::string_view source, const std::filesystem::path& directory);

}  // namespace ladder51::test
