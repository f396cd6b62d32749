// Cases as data for the simulation's pure parts. tests/core/sim/data/NAME.cases holds cases,
// each its input, a line "--", the expected text and a line "=="; lines that begin "## "
// before an input are comments. With LADDER51_UPDATE_GOLDEN=1 in the environment the expected
// texts are rewritten instead of compared.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>

#include "tests/support/fixtures.h"

namespace ladder51::test {

// A file of the data folder.
inline std::filesystem::path simData(const std::string& name) {
  return sourcePath("tests/core/sim/data/" + name);
}

// An error as the cases show it, with its kind where callers must tell kinds apart.
inline std::string errorText(const Error& error) {
  const char* kind = error.kind == ErrorKind::ChipStopped       ? "chip stopped"
                     : error.kind == ErrorKind::SimulatorFailed ? "simulator failed"
                     : error.kind == ErrorKind::BadArgument     ? "refused"
                                                                : "other";
  return std::string("error, ") + kind + ": " + error.describe() + "\n";
}

// Compares what `run` returns for each case's input with the case's expected text.
inline void checkCases(const std::string& name,
                       const std::function<std::string(const std::string&)>& run) {
  std::istringstream lines(readFile(simData(name + ".cases")));
  std::string input, expected, rewritten;
  bool inExpected = false;
  int cases = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line == "==") {
      const std::string actual = run(input);
      EXPECT_EQ(actual, expected) << name << ".cases, the case of\n" << input;
      rewritten += input + "--\n" + actual + "==\n";
      input.clear();
      expected.clear();
      inExpected = false;
      ++cases;
    } else if (!inExpected && input.empty() && line.starts_with("## ")) {
      rewritten += line + "\n";
    } else if (!inExpected && line == "--") {
      inExpected = true;
    } else {
      (inExpected ? expected : input) += line + "\n";
    }
  }
  EXPECT_GT(cases, 0) << name;
  if (updatingGolden()) writeFile(simData(name + ".cases"), rewritten);
}

}  // namespace ladder51::test
