// The translator's cases as data. Each tests/ladder/NAME.il is a program in instruction-list
// text; NAME.expected holds what its translation gives when it completes, NAME.err what it gives
// when it is refused or faults (the stop first, as Error::describe() words it). ranges.txt there
// holds one-line programs at both ends of every device range, and the refusals and faults.
// `make golden` (LADDER51_UPDATE_GOLDEN=1) rewrites all of them from the translator as it stands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>

#include "core/translator/instruction_list.h"
#include "core/translator/translator.h"
#include "tests/support/fixtures.h"
#include "tests/support/outcome_tables.h"

namespace ladder51::test {
namespace {

const std::filesystem::path kCaseDir = sourcePath("tests/ladder");

// The translator ends every line with CR LF and writes no CR or LF alone, so each CR LF written
// as LF gives a text that maps back to exactly one statement text: the expected files keep LF
// line ends and still pin every byte. A CR or LF alone fails the case instead of being hidden.
std::string lineFeeds(std::string_view text) {
  std::string out;
  for (std::size_t k = 0; k < text.size(); ++k) {
    const bool crlf = text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n';
    if (crlf) continue;
    if (text[k] == '\r' || (text[k] == '\n' && (k == 0 || text[k - 1] != '\r'))) {
      ADD_FAILURE() << "a CR or LF alone at byte " << k << " of the statements";
    }
    out += text[k];
  }
  return out;
}

// The names a template's "{name}" fields give, in order, each once.
std::vector<std::string> fieldNames(std::string_view text) {
  std::vector<std::string> names;
  for (std::size_t open = text.find('{'); open != std::string_view::npos;
       open = text.find('{', open + 1)) {
    const std::string name(text.substr(open + 1, text.find('}', open) - open - 1));
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
  return names;
}

// A stop carries its reason, with exactly the values the kind's template names: the window
// renders the reason, the command line the message, and both must say the same.
void checkReason(const Translation& t) {
  if (!t.reason) {
    ADD_FAILURE() << "a stop without a reason: " << t.message;
    return;
  }
  std::vector<std::string> given;
  for (const NoticeValue& v : t.reason->values) given.push_back(v.name);
  std::vector<std::string> named = fieldNames(reasonTemplate(t.reason->kind));
  std::sort(given.begin(), given.end());
  std::sort(named.begin(), named.end());
  EXPECT_EQ(given, named) << t.message;
  // The refusal of unsupported steps lists them after the reason's head line.
  const std::string text = t.reason->message();
  EXPECT_EQ(
      t.outcome == TranslationOutcome::Unsupported ? t.message.substr(0, text.size()) : t.message,
      text);
}

std::string stopOf(const Translation& t) {
  checkReason(t);
  const char* kind = t.outcome == TranslationOutcome::Refused       ? "refused: "
                     : t.outcome == TranslationOutcome::Unsupported ? "unsupported: "
                                                                    : "fault: ";
  return kind + t.error().describe();
}

// "; " lines for the stop, each notice and warning (message and step), the pulse counts, the
// outputs driven and the statement marks (line.column in the statements below / MC depth) when
// there are any; then "; statements:" and the statements, each CR LF written as LF, and
// "; subroutines:" and the subroutines' functions when there are any.
std::string render(const Translation& t) {
  std::ostringstream out;
  if (!t.completed()) out << "; " << stopOf(t) << "\n";
  for (const Notice& n : t.notices)
    out << "; notice: " << n.message() << " (" << n.step.describe() << ")\n";
  for (const Notice& w : t.warnings)
    out << "; warning: " << w.message() << " (" << w.step.describe() << ")\n";
  if (t.risingPulseCount != 0 || t.fallingPulseCount != 0) {
    out << "; pulses: PLS " << t.risingPulseCount << ", PLF " << t.fallingPulseCount << "\n";
  }
  if (!t.drivenOutputs.empty()) {
    out << "; outputs:";
    for (int n : t.drivenOutputs) out << " " << outputPinName(n);
    out << "\n";
  }
  if (!t.marks.empty()) {
    out << "; marks:";
    for (const StatementMark& mark : t.marks) {
      const std::string before = lineFeeds(std::string_view(t.statements).substr(0, mark.offset));
      const std::size_t lineStart = before.rfind('\n') + 1;  // 0 when there is none
      out << " " << std::count(before.begin(), before.end(), '\n') + 1 << "."
          << before.size() - lineStart;
    }
    out << "\n";
  }
  if (!t.statements.empty()) out << "; statements:\n" << lineFeeds(t.statements);
  if (!t.subroutines.empty()) out << "\n; subroutines:\n" << lineFeeds(t.subroutines);
  return out.str();
}

// The file of NAME.il and its options, recorded on its first line as "; options: ..." with
// "24c16" or "24c32" (the EEPROM fitted), "skip-unsupported" (steps the translator does not know
// are left out with a warning instead of refusing the program), "classic" (the classic time base
// instead of the FX one) and "cut N" (the file ends after its first N bytes).
struct Case {
  std::vector<std::uint8_t> file;
  TranslateOptions options;
};

Case load(const std::string& name) {
  const std::string text = readFile(kCaseDir / (name + ".il"));
  Case c;
  Result<std::vector<std::uint8_t>> file = assembleInstructionList(text);
  if (!file) throw std::runtime_error(name + ".il: " + file.error().describe());
  c.file = std::move(*file);
  std::istringstream first(text.substr(0, text.find('\n')));
  std::string word;
  if (first >> word && word == ";" && first >> word && word == "options:") {
    while (first >> word) {
      std::size_t cut = 0;
      if (test::eepromNamed(word)) {
        c.options.eeprom = *test::eepromNamed(word);
      } else if (word == "skip-unsupported") {
        c.options.skipUnsupported = true;
      } else if (word == "classic") {
        c.options.timeBase = TimeBaseChoice::Classic;
      } else if (word == "cut" && first >> cut) {
        c.file.resize(std::min(cut, c.file.size()));
      } else {
        throw std::runtime_error(name + ".il: unknown option " + word);
      }
    }
  }
  return c;
}

class LadderGolden : public testing::TestWithParam<std::string> {};

TEST_P(LadderGolden, Translates) {
  const std::string& name = GetParam();
  const Case c = load(name);
  Result<ProgramImage> image = ProgramImage::fromBytes(c.file);
  ASSERT_TRUE(image.ok()) << image.error().describe();
  const Translation translation = translate(*image, c.options);
  const std::string text = render(translation);
  // A translation starts afresh: nothing of the one before it (pulse bits, stacks) is left.
  EXPECT_EQ(render(translate(*image, c.options)), text);

  const std::filesystem::path expected = kCaseDir / (name + ".expected");
  const std::filesystem::path err = kCaseDir / (name + ".err");
  const std::filesystem::path& mine = translation.completed() ? expected : err;
  if (updatingGolden()) {
    writeFile(mine, text);
    std::filesystem::remove(translation.completed() ? err : expected);
    return;
  }
  ASSERT_TRUE(std::filesystem::exists(mine))
      << "the translation " << (translation.completed() ? "completes" : "stops") << ", but "
      << mine.filename() << " is missing; it gives:\n"
      << text;
  EXPECT_EQ(readFile(mine), text);
}

// A case's test is named after its file, whose name is made of letters, digits and "_".
INSTANTIATE_TEST_SUITE_P(Cases, LadderGolden, testing::ValuesIn(caseNames(kCaseDir)),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

// ranges.txt: the instructions of a program, END added, "[24c16] " or "[24c32] " before them when
// that EEPROM is fitted, "[xram] " when the registers from D16 up live in XRAM; the outcome is
// "completes", or the stop as in the .err files and the statements written before it, if any (a
// refused step writes none).
TEST(LadderGolden, RangesRefusalsAndFaults) {
  checkOutcomes(kCaseDir / "ranges.txt", [](std::string program) {
    TranslateOptions options;
    if (program.starts_with("[") && test::eepromNamed(program.substr(1, 5))) {
      options.eeprom = *test::eepromNamed(program.substr(1, 5));
      program.erase(0, 8);
    } else if (program.starts_with("[xram] ")) {
      options.registersInXram = true;
      program.erase(0, 7);
    }
    const Result<std::vector<std::uint8_t>> file =
        assembleInstructionList(linesOf(program) + "\nEND\n");
    if (!file) return "does not assemble: " + file.error().describe();
    const Translation t = translate(*ProgramImage::fromBytes(*file), options);
    if (t.completed()) return std::string("completes");
    const std::size_t written = t.marks.size();
    std::string stop = stopOf(t);  // one line: the lines of a message joined by " | "
    for (std::size_t k = stop.find('\n'); k != std::string::npos; k = stop.find('\n', k)) {
      stop.replace(k, 1, " | ");
    }
    return stop + (written ? ", statements written: " + std::to_string(written) : "");
  });
}

// assembler_errors.txt: an instruction-list text and the assembler's refusal.
TEST(LadderGolden, AssemblerErrors) {
  checkOutcomes(kCaseDir / "assembler_errors.txt", [](const std::string& text) {
    const Result<std::vector<std::uint16_t>> words = assembleSteps(linesOf(text));
    return words ? std::string("assembles") : words.error().describe();
  });
}

}  // namespace
}  // namespace ladder51::test
