// Replays every stored fuzz input through its target's checks: the seed corpus under
// fuzz/corpus/<target>/ and each input that once broke a property under
// fuzz/regressions/<target>/ (named after what it broke).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/fuzz_checks.h"

namespace ladder51::fuzz {
namespace {

const std::filesystem::path kFuzzDir = LADDER51_FUZZ_DIR;

std::vector<std::filesystem::path> inputsUnder(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  if (!std::filesystem::is_directory(folder)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::uint8_t> bytesOf(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FuzzInputs : public ::testing::TestWithParam<Target> {};

}  // namespace

// Test names and messages show a target by its name.
void PrintTo(const Target& target, std::ostream* out) {
  *out << target.name;
}

namespace {

TEST_P(FuzzInputs, EveryStoredInputKeepsTheProperties) {
  const Target& target = GetParam();
  const std::string name(target.name);
  const auto corpus = inputsUnder(kFuzzDir / "corpus" / name);
  // An empty corpus would let this test pass without checking anything.
  ASSERT_GE(corpus.size(), 3u) << "seed corpus of " << name << " is missing";
  auto inputs = corpus;
  const auto regressions = inputsUnder(kFuzzDir / "regressions" / name);
  inputs.insert(inputs.end(), regressions.begin(), regressions.end());
  for (const auto& file : inputs) {
    const std::vector<std::uint8_t> bytes = bytesOf(file);
    const Findings findings = target.check(bytes);
    EXPECT_TRUE(findings.empty()) << file.filename().string() << ": " << findings.front();
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzInputs, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<Target>& info) {
                           return std::string(info.param.name);
                         });

// The checks must be able to fail, or replaying the inputs proves nothing: each broken
// property of a made-up translation is found.
TEST(FuzzChecks, FindEachBrokenPropertyOfATranslation) {
  Translation good;
  good.statements = "\r\nif(inx(0))\r\n{y[0]|=1;}";
  good.marks = {{0}};
  ASSERT_EQ(checkTranslation(good), Findings{});

  struct Case {
    std::string_view broken;
    void (*spoil)(Translation&);
  };
  const Case cases[] = {
      {"statement indexes past a table: tc[16]",
       [](Translation& t) { t.statements += "tc[16]=0;"; }},
      {"braces of the statements do not balance", [](Translation& t) { t.statements += "{"; }},
      {"a translation has a message exactly when it did not complete",
       [](Translation& t) { t.message = "refused"; }},
      {"stopped at step -174 (byte 0), outside the walk",
       [](Translation& t) {
         t.outcome = TranslationOutcome::Fault;
         t.message = "fault";
       }},
      {"statement marks out of order or outside the statements",
       [](Translation& t) { t.marks.push_back({500}); }},
      {"a driven output outside Y0..Y43", [](Translation& t) { t.drivenOutputs.insert(36); }},
      {"more PLS or PLF than their 16 slots", [](Translation& t) { t.risingPulseCount = 17; }},
      {"statements hold a byte that is not printable ASCII",
       [](Translation& t) { t.statements += "\t"; }},
  };
  for (const Case& c : cases) {
    Translation spoilt = good;
    c.spoil(spoilt);
    const Findings findings = checkTranslation(spoilt);
    EXPECT_NE(std::find(findings.begin(), findings.end(), c.broken), findings.end()) << c.broken;
  }
}

}  // namespace
}  // namespace ladder51::fuzz
