#include "fuzz/fuzz_checks.h"

#include <algorithm>
#include <array>

#include "core/config/declarations.h"
#include "core/config/settings_files.h"
#include "core/config/validation.h"
#include "core/runtime_gen/main_routine.h"
#include "core/runtime_gen/runtime_routines.h"
#include "core/toolchain/sdcc_source.h"
#include "core/translator/instruction_list.h"
#include "core/translator/translator.h"
#include "tests/support/table_bounds.h"

namespace ladder51::fuzz {
namespace {

// Larger assembled files (long ".nop" runs) are only checked for assembling: listing them
// again would spend the fuzzer's time on copying NOPs.
constexpr std::size_t kLargestListedFile = 64 * 1024;

std::string_view asText(std::span<const std::uint8_t> input) {
  return {reinterpret_cast<const char*>(input.data()), input.size()};
}

bool inWalk(const StepRef& step) {
  return step.byteAddress >= kFirstStep && step.byteAddress <= kLastStep &&
         step.byteAddress % 2 == 0;
}

// Braces and parentheses of completed statements close in order and all close.
void checkNesting(const std::string& statements, Findings& findings) {
  int braces = 0;
  int parentheses = 0;
  for (char c : statements) {
    braces += c == '{' ? 1 : c == '}' ? -1 : 0;
    parentheses += c == '(' ? 1 : c == ')' ? -1 : 0;
    if (braces < 0 || parentheses < 0) break;
  }
  if (braces != 0) findings.push_back("braces of the statements do not balance");
  if (parentheses != 0) findings.push_back("parentheses of the statements do not balance");
}

// The statements cut into scan functions: cuts only at statement starts, and the split file
// must be made.
void checkSplit(const Translation& t, Findings& findings) {
  const std::vector<std::size_t> cuts = scanCutOffsets(t.statements.size(), t.marks, 1);
  for (std::size_t k = 0; k < cuts.size(); ++k) {
    if (k == 0 ? cuts[k] != 0 : cuts[k] <= cuts[k - 1]) {
      findings.push_back("scan function cuts are not increasing from 0");
      return;
    }
    if (k == 0) continue;
    const bool safe = std::any_of(t.marks.begin(), t.marks.end(),
                                  [&](const StatementMark& m) { return m.offset == cuts[k]; });
    if (!safe) findings.push_back("a scan function cut is not at a statement start");
  }
  const std::string head = "void f(void)\r\n{}\r\nmain()\r\n{";
  const std::string file = head + t.statements + "\r\n}\r\n";
  Result<std::string> split =
      splitScanStatements(file, {head.size(), t.statements, &t.marks}, kStatementsPerScanFunction);
  if (!split) findings.push_back("splitting the statements failed: " + split.error().describe());
}

void checkTranslationInto(const Translation& t, Findings& findings) {
  if (t.completed() != t.message.empty()) {
    findings.push_back("a translation has a message exactly when it did not complete");
  }
  if (!t.completed() && !inWalk(t.step)) {
    findings.push_back("stopped at " + t.step.describe() + ", outside the walk");
  }
  for (const std::string& bad : test::outOfBounds(t)) {
    findings.push_back("statement indexes past a table: " + bad);
  }
  if (!std::all_of(t.statements.begin(), t.statements.end(),
                   [](char c) { return (c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n'; })) {
    findings.push_back("statements hold a byte that is not printable ASCII");
  }
  std::size_t previous = 0;
  for (const StatementMark& mark : t.marks) {
    if (mark.offset < previous || mark.offset > t.statements.size()) {
      findings.push_back("statement marks out of order or outside the statements");
      break;
    }
    previous = mark.offset;
  }
  if (!t.readInputs.empty() && (*t.readInputs.begin() < 0 || *t.readInputs.rbegin() > 35)) {
    findings.push_back("a read input outside X0..X43");
  }
  for (const StepStatements& span : t.stepStatements) {
    if (t.completed() && (span.firstStep > span.lastStep || span.begin >= span.end ||
                          span.end > t.statements.size())) {
      findings.push_back("a step's statements outside the statements");
      break;
    }
  }
  if (!t.drivenOutputs.empty() &&
      (*t.drivenOutputs.begin() < 0 || *t.drivenOutputs.rbegin() > 35)) {
    findings.push_back("a driven output outside Y0..Y43");
  }
  if (t.risingPulseCount < 0 || t.risingPulseCount > 16 || t.fallingPulseCount < 0 ||
      t.fallingPulseCount > 16) {
    findings.push_back("more PLS or PLF than their 16 slots");
  }
  for (const auto* list : {&t.notices, &t.warnings}) {
    for (const Notice& notice : *list) {
      if (!inWalk(notice.step) || notice.message().empty()) {
        findings.push_back("a notice or warning without a message or outside the walk");
        break;
      }
    }
  }
  if (t.completed()) checkNesting(t.statements, findings);
  checkSplit(t, findings);
}

std::vector<std::uint16_t> stepWords(std::span<const std::uint8_t> file) {
  std::vector<std::uint16_t> words;
  for (std::size_t k = kFirstStep; k + 1 < file.size(); k += 2) {
    words.push_back(static_cast<std::uint16_t>(file[k + 1] << 8 | file[k]));
  }
  return words;
}

SettingsFileRead fileRead(std::string_view name, const std::optional<std::string>& bytes) {
  const std::string text(name);
  if (!bytes) {
    return {text, text,
            Error{ErrorKind::CannotOpen, Reason{ReasonKind::SettingsFileMissing, {{"file", text}}},
                  text},
            true};
  }
  return {text, text, *bytes};
}

LoadedSettings loadFrom(const std::array<std::optional<std::string>, 3>& parts) {
  return settingsFromFiles({fileRead(kDisplayFileName, parts[0]),
                            fileRead(kEepromFileName, parts[1]), fileRead(kPinFileName, parts[2])});
}

bool mentionsKeilKeyword(std::string_view text) {
  for (std::string_view keyword : {"sfr", "sbit", "idata", "xdata", "interrupt"}) {
    if (text.find(keyword) != std::string_view::npos) return true;
  }
  return false;
}

}  // namespace

Findings checkTranslation(const Translation& translation) {
  Findings findings;
  checkTranslationInto(translation, findings);
  return findings;
}

Findings checkProgramFile(std::span<const std::uint8_t> input) {
  Findings findings;
  Result<ProgramImage> image = ProgramImage::fromBytes(input);
  const bool fits = storedBlocks(static_cast<long long>(input.size())) * 16 <= kImageEntries;
  if (image.ok() != fits) findings.push_back("a file is read exactly when its blocks fit");
  if (!image) {
    if (image.error().message.empty()) findings.push_back("a refused file has no message");
    return findings;
  }
  // The header is not examined: its first byte chooses the EEPROM (bits 0 and 2) and whether
  // unsupported steps are left out.
  const int first = input.empty() ? 0 : input[0];
  const EepromChoice eeprom = (first & 1) == 0   ? EepromChoice::None
                              : (first & 4) != 0 ? EepromChoice::Upto24C16
                                                 : EepromChoice::From24C32;
  const bool skip = (first & 2) != 0;
  checkTranslationInto(translate(*image, {.eeprom = eeprom, .skipUnsupported = skip}), findings);
  return findings;
}

Findings checkListingRoundTrip(std::span<const std::uint8_t> input) {
  Findings findings;
  const std::string listing = disassemble(input);
  Result<std::vector<std::uint16_t>> again = assembleSteps(listing);
  if (!again) {
    findings.push_back("the listing does not assemble: " + again.error().describe());
  } else if (*again != stepWords(input)) {
    findings.push_back("the listing assembles into other words");
  }
  return findings;
}

Findings checkInstructionList(std::span<const std::uint8_t> input) {
  Findings findings;
  Result<std::vector<std::uint8_t>> file = assembleInstructionList(asText(input));
  if (!file) {
    if (file.error().message.empty() || !file.error().where.starts_with("line ")) {
      findings.push_back("a refused text does not name its line and reason");
    }
    return findings;
  }
  const std::vector<std::uint8_t>& bytes = *file;
  if (bytes.size() < static_cast<std::size_t>(kHeaderBytes) || bytes.size() % 16 != 0 ||
      std::any_of(bytes.begin(), bytes.begin() + kHeaderBytes, [](auto b) { return b != 0; })) {
    findings.push_back("an assembled file lacks its zero header or whole blocks");
  }
  if (bytes.size() > kLargestListedFile) return findings;
  Result<std::vector<std::uint8_t>> again = assembleInstructionList(disassemble(bytes));
  if (!again || *again != bytes) findings.push_back("the listing of a file assembles differently");
  Findings translated = checkProgramFile(bytes);
  findings.insert(findings.end(), translated.begin(), translated.end());
  return findings;
}

Findings checkSettingsFiles(std::span<const std::uint8_t> input) {
  Findings findings;
  std::array<std::optional<std::string>, 3> parts;
  std::string_view rest = asText(input);
  for (std::size_t k = 0; k < parts.size(); ++k) {
    const std::size_t end = k + 1 < parts.size() ? rest.find('\0') : std::string_view::npos;
    parts[k] = std::string(rest.substr(0, end));
    if (end == std::string_view::npos) break;  // the later files are missing
    rest.remove_prefix(end + 1);
  }
  for (const auto& part : parts) {
    if (!part) continue;
    Result<std::vector<RecordField>> fields = parseRecord(*part);
    if (!fields) continue;
    for (const RecordField& field : *fields) {
      if (field.text.find_first_of("\"\r\n") != std::string::npos) {
        findings.push_back("a field holds a quote or a line break");
      }
    }
  }
  const LoadedSettings loaded = loadFrom(parts);
  if (loaded.notices.size() > 3) findings.push_back("more notices than settings files");

  // What was loaded survives a save and a new start.
  const SettingsText& s = loaded.settings;
  const LoadedSettings again = loadFrom({displayRecord(s), eepromRecord(s), pinRecord(s)});
  if (!again.notices.empty())
    findings.push_back("saved settings load with: " + again.notices[0].message);
  if (again.settings != s) findings.push_back("saved settings load differently");

  if (validateForSave(s) && !validateAtStartUp(s)) {
    findings.push_back("settings that save are refused at the next start");
  }
  if (Result<Settings> valid = validateAtStartUp(s); valid) {
    const int threshold = valid->scanThreshold();
    if (threshold < 2 || threshold > 65534) {
      findings.push_back("an accepted crystal has no time-base threshold");
    } else if (pinDeclarationSection(*valid).empty() || runtimeSection(*valid, threshold).empty() ||
               mainSection(*valid, countAssignments(valid->pins)).empty()) {
      findings.push_back("accepted settings generate an empty section");
    }
    if (validateAtStartUp(textOf(*valid)).ok() != true) {
      findings.push_back("the texts of accepted settings are refused");
    }
  }
  return findings;
}

Findings checkKeilAdaptation(std::span<const std::uint8_t> input) {
  Findings findings;
  const std::string_view text = asText(input);
  const std::string adapted = adaptKeilSource(text);
  if (!mentionsKeilKeyword(text) && adapted != text) {
    findings.push_back("a text without Keil keywords was changed");
  }
  if (adaptKeilSource(adapted) != adapted) findings.push_back("adapting twice changes more");
  return findings;
}

}  // namespace ladder51::fuzz
