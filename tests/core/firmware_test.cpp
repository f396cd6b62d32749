// Programs taken all the way, as data. Each tests/firmware/NAME.il is an instruction-list program
// whose header lines give the options of `ladder51 settings` for its board ("; settings: ...")
// and of `ladder51 sim` for its run ("; sim: ...", the --stimulus file in the same folder). The
// runner saves the settings in a scratch work folder, runs `sim` (translated, built with SDCC,
// run in s51) and compares what it prints, standard output then standard error with the work
// folder written DIR, with NAME.expected. There a line may give a window "... at A..B ms" for a
// time that the crystal and the scan length move; lines starting with '#' are comments.
// `make golden` (LADDER51_UPDATE_GOLDEN=1) rewrites the files, keeping every comment and every
// window that still holds. Each program exercises several behaviours, so that CI pays for few
// builds and short runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/fixtures.h"

namespace ladder51::test {
namespace {

const std::filesystem::path kCaseDir = sourcePath("tests/firmware");

// True when `want` is the printed line `got`, or gives a window "... at A..B ms" that holds the
// time of `got` ("... at T ms", the same text before " at ").
bool holds(const std::string& want, const std::string& got) {
  if (want == got) return true;
  const std::size_t at = want.rfind(" at ");
  if (at == std::string::npos || got.compare(0, at + 4, want, 0, at + 4) != 0) return false;
  long low = 0, high = 0, time = 0;
  int wantEnd = 0, gotEnd = 0;
  const std::string window = want.substr(at + 4), printed = got.substr(at + 4);
  std::sscanf(window.c_str(), "%ld..%ld ms%n", &low, &high, &wantEnd);
  std::sscanf(printed.c_str(), "%ld ms%n", &time, &gotEnd);
  return wantEnd == static_cast<int>(window.size()) && gotEnd == static_cast<int>(printed.size()) &&
         low <= time && time <= high;
}

// The expected text with each line replaced by the printed line in its place unless it holds
// that line, the lines past the printed ones dropped and further printed lines appended;
// comments stay. It equals `expected` exactly when every printed line is held.
std::string merged(const std::string& expected, const std::string& printed) {
  std::istringstream want(expected), got(printed);
  std::string text, next;
  for (std::string line; std::getline(want, line);) {
    if (line.empty() || line[0] == '#') {
      text += line + "\n";
    } else if (std::getline(got, next)) {
      text += (holds(line, next) ? line : next) + "\n";
    }
  }
  while (std::getline(got, next)) text += next + "\n";
  return text;
}

// The command line of `ladder51 KEY` with `words`, then the words of the case's header lines
// "; KEY: ...", in order; a --stimulus file named there is taken from the case folder.
std::vector<std::string> commandOf(const std::string& il, const std::string& key,
                                   std::vector<std::string> words) {
  words.insert(words.begin(), key);
  std::istringstream lines(il);
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with("; " + key + ":")) continue;
    std::istringstream in(line.substr(key.size() + 3));
    for (std::string word; in >> word;) {
      const bool stimulus = words.back() == "--stimulus";
      words.push_back(stimulus ? (kCaseDir / word).string() : word);
    }
  }
  return words;
}

class FirmwareGolden : public testing::TestWithParam<std::string> {};

TEST_P(FirmwareGolden, RunsOnTheSimulatedChip) {
  if (!haveProgram("sdcc") || !haveProgram("s51")) GTEST_SKIP() << "SDCC or s51 is not installed";
  const std::string il = readFile(kCaseDir / (GetParam() + ".il"));
  const ScratchDir dir("firmware");
  const std::string work = dir.path().string();
  const CliRun saved = runCli(commandOf(il, "settings", {"-C", work}));
  ASSERT_EQ(saved.exitCode, 0) << saved.err;
  writeProgram(dir / "program.pmw", il);
  const CliRun run = runCli(commandOf(il, "sim", {(dir / "program.pmw").string(), "-C", work}));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::string printed = run.out + run.err;
  for (std::size_t k = printed.find(work); k != std::string::npos; k = printed.find(work, k)) {
    printed.replace(k, work.size(), "DIR");
  }

  const std::filesystem::path file = kCaseDir / (GetParam() + ".expected");
  const std::string expected = std::filesystem::exists(file) ? readFile(file) : "";
  if (updatingGolden()) {
    writeFile(file, merged(expected, printed));
    return;
  }
  EXPECT_EQ(expected, merged(expected, printed)) << "printed:\n" << printed;
}

// A case's test is named after its file, whose name is made of letters, digits and "_".
INSTANTIATE_TEST_SUITE_P(Cases, FirmwareGolden, testing::ValuesIn(caseNames(kCaseDir)),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

}  // namespace
}  // namespace ladder51::test
