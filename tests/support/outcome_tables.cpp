#include "tests/support/outcome_tables.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/fixtures.h"

namespace ladder51::test {

std::optional<EepromChoice> eepromNamed(std::string_view word) {
  if (word == "24c16") return EepromChoice::Upto24C16;
  if (word == "24c32") return EepromChoice::From24C32;
  return std::nullopt;
}

std::string linesOf(std::string input) {
  for (std::size_t k = input.find(" / "); k != std::string::npos; k = input.find(" / ", k)) {
    input.replace(k, 3, "\n");
  }
  return input;
}

void checkOutcomes(const std::filesystem::path& file,
                   const std::function<std::string(const std::string&)>& outcomeOf) {
  std::istringstream in(readFile(file));
  const std::string name = file.filename().string();
  std::string rewritten;
  int number = 0;
  for (std::string line; std::getline(in, line); rewritten += line + "\n") {
    ++number;
    const std::size_t arrow = line.find(" => ");
    if (line.empty() || line[0] == '#') continue;
    if (arrow == std::string::npos) {
      ADD_FAILURE() << name << " line " << number << " has no \" => \"";
      continue;
    }
    const std::string outcome = outcomeOf(line.substr(0, arrow));
    if (!updatingGolden()) {
      EXPECT_EQ(line.substr(arrow + 4), outcome) << name << " line " << number;
    }
    line = line.substr(0, arrow + 4) + outcome;
  }
  if (updatingGolden()) writeFile(file, rewritten);
}

}  // namespace ladder51::test
