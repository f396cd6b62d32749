#include "tests/support/generated_text.h"

#include "tests/support/fixtures.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace ladder51::test {
namespace {

// Runs a shell command in `directory` with its output captured into `run.output`.
bool runIn(const std::filesystem::path& directory, const std::string& command, CompileRun& run) {
  const std::filesystem::path log = directory / "command.log";
  const std::string full =
      "cd '" + directory.string() + "' && " + command + " >'" + log.string() + "' 2>&1";
  const int status = std::system(full.c_str());
  run.output += readFile(log);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Position of the first line equal to `line` at or after `from`, or lines.size().
std::size_t findLine(const std::vector<std::string>& lines, std::string_view line,
                     std::size_t from = 0) {
  for (std::size_t k = from; k < lines.size(); ++k) {
    if (lines[k] == line) return k;
  }
  return lines.size();
}

}  // namespace

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      return lines;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 2;
  }
}

std::vector<std::string> linesBetween(const std::vector<std::string>& lines, std::string_view first,
                                      std::string_view last) {
  const std::size_t begin = findLine(lines, first);
  const std::size_t end = findLine(lines, last, begin);
  if (begin == lines.size() || end == lines.size()) return {};
  return {lines.begin() + static_cast<long>(begin), lines.begin() + static_cast<long>(end) + 1};
}

std::string checkGolden(const std::string& name, const std::string& text) {
  const std::filesystem::path path =
      std::filesystem::path(LADDER51_SOURCE_DIR) / "tests" / "golden" / name;
  if (updatingGolden()) {
    writeFile(path, text);
    return "";
  }
  if (!std::filesystem::exists(path)) {
    return path.string() + " is missing (make golden writes it)";
  }
  const std::vector<std::string> expected = splitLines(readFile(path));
  const std::vector<std::string> actual = splitLines(text);
  for (std::size_t k = 0; k < std::max(expected.size(), actual.size()); ++k) {
    const std::string want = k < expected.size() ? expected[k] : "<end of file>";
    const std::string got = k < actual.size() ? actual[k] : "<end of text>";
    if (want != got) {
      return name + " line " + std::to_string(k + 1) + ":\n  expected [" + want +
             "]\n  actual   [" + got + "]";
    }
  }
  return "";
}

CompileRun compileWithSdcc(std::string_view sdccSource, const std::filesystem::path& directory) {
  CompileRun run;
  run.directory = directory;
  writeFile(directory / "fx1n.c", sdccSource);
  run.ok = runIn(directory, "sdcc -mmcs51 fx1n.c", run);
  return run;
}

CompileRun compileAndRunOnHost(std::string_view source, const std::filesystem::path& directory) {
  CompileRun run;
  run.directory = directory;
  writeFile(directory / "host.c", source);
  run.ok = runIn(directory, "cc -std=gnu99 -w -o host host.c", run);
  if (!run.ok) return run;
  run.output.clear();
  run.ok = runIn(directory, "./host", run);
  return run;
}

}  // namespace ladder51::test
