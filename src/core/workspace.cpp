#include "core/workspace.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/config/declarations.h"
#include "core/config/settings_files.h"
#include "core/config/time_base.h"
#include "core/config/validation.h"
#include "core/file_io.h"
#include "core/runtime_gen/extensions.h"
#include "core/runtime_gen/file_assembly.h"
#include "core/runtime_gen/main_routine.h"
#include "core/runtime_gen/runtime_routines.h"
#include "core/runtime_gen/storage.h"
#include "core/text/code_writer.h"
#include "core/translator/instruction_list.h"

namespace ladder51 {
namespace {

// A crystal whose millisecond timer 2 cannot count (65536 machine cycles at most), ...
constexpr std::string_view kCrystalTooFast =
    "a {crystal} MHz crystal is too fast for the FX time base (timer 2 counts at most 65536 "
    "machine cycles in its 1 ms): choose the classic time base";
// ... and one whose millisecond it cannot count exactly.
constexpr std::string_view kTimeBaseRounding =
    "with a {crystal} MHz crystal the firmware's 1 ms is {cycles} machine cycles: its timers run "
    "{error}% {way}";

// Without an EEPROM, registers from D16 up live in the chip's XRAM.
constexpr int kFirstXramRegister = 16;
constexpr std::string_view kRegistersInXram =
    "D16 to D{last} live in the chip's XRAM: their values are lost at power-off (choose an "
    "EEPROM in the settings to keep them)";

// "Y24, Y25 are driven by the program but carried by no pin: ..."
std::string undeclaredOutputsNotice(const std::vector<int>& outputs) {
  std::string names;
  for (int output : outputs) {
    if (!names.empty()) names += ", ";
    names += outputPinName(output);
  }
  const bool one = outputs.size() == 1;
  return names + (one ? " is" : " are") + " driven by the program but carried by no pin: " +
         (one ? "it works as an internal relay only" : "they work as internal relays only");
}

// The lines of `text` that the spans of the statements, which begin at `offset`, occupy.
std::vector<StepLines> stepLinesOf(const std::string& text, std::size_t offset,
                                   const std::vector<StepStatements>& spans) {
  std::vector<std::size_t> lineFeeds;
  for (std::size_t k = text.find('\n'); k != std::string::npos; k = text.find('\n', k + 1))
    lineFeeds.push_back(k);
  // The line (from 1) of the byte at `at`.
  const auto lineAt = [&lineFeeds](std::size_t at) {
    return static_cast<int>(std::lower_bound(lineFeeds.begin(), lineFeeds.end(), at) -
                            lineFeeds.begin()) +
           1;
  };
  std::vector<StepLines> lines;
  for (const StepStatements& span : spans) {
    if (span.end <= span.begin) continue;
    // Each statement begins with the line break that ends the line before it.
    std::size_t first = offset + span.begin;
    if (text.compare(first, kCrLf.size(), kCrLf) == 0) first += kCrLf.size();
    lines.push_back({span.firstStep, span.lastStep, lineAt(first), lineAt(offset + span.end - 1)});
  }
  return lines;
}

}  // namespace

std::optional<std::pair<int, int>> linesOfStep(const std::vector<StepLines>& map, int byteAddress) {
  std::optional<std::pair<int, int>> found;
  for (const StepLines& entry : map) {
    if (byteAddress < entry.firstStep || byteAddress > entry.lastStep) continue;
    if (!found) found = {entry.firstLine, entry.lastLine};
    found->first = std::min(found->first, entry.firstLine);
    found->second = std::max(found->second, entry.lastLine);
  }
  return found;
}

void reportTranslation(const Translation& translation, Observer& observer) {
  for (const Notice& notice : translation.notices) {
    observer.notice({NoticeKind::StepNotice, notice.message(), notice.step,
                     describeInstruction(notice.step.words), notice.kind, notice.values,
                     std::nullopt});
  }
  if (translation.outcome == TranslationOutcome::Unsupported) return;
  for (const Notice& warning : translation.warnings) {
    observer.notice({NoticeKind::StepPassedOver, warning.message(), warning.step,
                     describeInstruction(warning.step.words), warning.kind, warning.values,
                     std::nullopt});
  }
}

Workspace::Workspace(std::filesystem::path directory, Observer& observer)
    : directory_(std::move(directory)),
      savedFilter_(text_.filter),
      ready_(Error{ErrorKind::SettingsNotLoaded,
                   "the settings of the work directory have not been loaded", directory_.string()}),
      observer_(&observer) {}

Status Workspace::startUp() {
  LoadedSettings loaded = loadSettings(directory_);
  text_ = loaded.settings;
  savedFilter_ = text_.filter;
  for (const UserNotice& notice : loaded.notices) observer_->notice(notice);
  Result<Settings> valid = validateAtStartUp(text_);
  if (!valid) {
    ready_ = valid.error();
    registerHeader_.clear();
    pinDeclarations_.clear();
    runtime_.clear();
    return ready_;
  }
  settings_ = std::move(*valid);
  pinDeclarations_ = pinDeclarationSection(settings_);
  registerHeader_ = registerHeaderSection();
  generateSections();
  ready_ = success();
  return ready_;
}

Status Workspace::save(const SettingsText& text) {
  Result<Settings> valid = validateForSave(text);
  if (!valid) return valid.error();
  if (Status saved = saveSettings(directory_, text); !saved) return saved;
  Result<PinFileValues> reread = readPinFile(directory_);
  if (!reread) return reread.error();
  text_ = text;
  text_.pins = reread->pins;
  text_.filter = reread->filter;
  savedFilter_ = reread->filter;
  settings_ = std::move(*valid);
  settings_.pins = reread->pins;
  pinDeclarations_ = pinDeclarationSection(settings_);
  if (registerHeader_.empty()) registerHeader_ = registerHeaderSection();
  generateSections();
  ready_ = success();
  return ready_;
}

void Workspace::generateSections() {
  runtime_ = runtimeSection(settings_, settings_.scanThreshold());
}

Result<AssembledFile> Workspace::translateAndAssemble(const std::filesystem::path& program,
                                                      const AssembleOptions& options) {
  if (!ready_) return ready_.error();
  Result<ProgramImage> image = ProgramImage::readFile(program);
  if (!image) return image.error();
  return translateAndAssemble(*image, options);
}

Result<AssembledFile> Workspace::translateAndAssemble(const ProgramImage& image,
                                                      const AssembleOptions& options) {
  if (!ready_) return ready_.error();
  const bool registersInXram = !settings_.eepromFitted() && settings_.chip.memory.xramBytes > 0;
  translation_ = translate(image, {.eeprom = settings_.eeprom,
                                   .registersInXram = registersInXram,
                                   .timeBase = settings_.timeBase,
                                   .skipUnsupported = options.skipUnsupported});
  statements_ = translation_.statements;
  reportTranslation(translation_, *observer_);
  if (!translation_.completed()) return translation_.error();
  // The device tables the program needs, on the chip of the settings.
  Result<StoragePlan> plan =
      planStorage(translation_.devices, extensionRamBytes(translation_, settings_), settings_.chip);
  if (!plan) return plan.error();
  if (registersInXram && translation_.devices.dataRegister >= kFirstXramRegister) {
    UserNotice xram = UserNotice::plain(NoticeKind::RegistersInXram, {});
    xram.values = {{"last", dec(translation_.devices.dataRegister)}};
    xram.message = fill(kRegistersInXram, {{"last", xram.values[0].value}});
    observer_->notice(xram);
  }

  if (settings_.timeBase == TimeBaseChoice::Fx) {
    const std::optional<FxTimer> timer =
        fxTimerFor(settings_.crystalMHz, settings_.chip.clocksPerMachineCycle);
    if (!timer)
      return Error{ErrorKind::BadCrystal, fill(kCrystalTooFast, {{"crystal", text_.crystal}})};
    if (std::abs(timer->errorPercent) > kNoticedTimeErrorPercent) {
      char error[16];
      std::snprintf(error, sizeof error, "%.2f", std::abs(timer->errorPercent));
      UserNotice rounding = UserNotice::plain(NoticeKind::TimeBaseRounding, {});
      rounding.values = {{"crystal", text_.crystal},
                         {"cycles", dec(timer->cycles)},
                         {"error", error},
                         {"way", timer->errorPercent > 0 ? "slow" : "fast"}};
      std::vector<Field> fields;
      for (const NoticeValue& v : rounding.values) fields.push_back({v.name, v.value});
      rounding.message = fill(kTimeBaseRounding, fields);
      observer_->notice(rounding);
    }
  }

  // main and the whole file replace the previous ones only once the file is written.
  std::string mainRoutine = mainSection(settings_, countAssignments(settings_.pins), *plan);
  const std::string runtime =
      plan->fixed() ? runtime_ : runtimeSection(settings_, settings_.scanThreshold(), *plan);
  AssembledFile file;
  file.undeclaredOutputs = undeclaredOutputs(translation_.drivenOutputs, settings_.pins);
  file.undeclaredInputs = undeclaredInputs(translation_.readInputs, settings_.pins);
  const AssembledSource source =
      assembleSource({registerHeader_, pinDeclarations_, runtime,
                      runtimeExtensions(translation_, settings_), mainRoutine, statements_},
                     spareOutputDefines(file.undeclaredOutputs));
  file.text = source.text;
  file.statementsOffset = source.statementsOffset;
  file.stepLines = stepLinesOf(file.text, file.statementsOffset, translation_.stepStatements);
  file.path = options.output.value_or(directory_ / kSourceFileName);

  // The encodings are stateless, so the head and the rest convert separately.
  const std::string_view text(file.text);
  Result<std::string> head = encodeText(text.substr(0, file.statementsOffset), options.encoding);
  Result<std::string> rest = encodeText(text.substr(file.statementsOffset), options.encoding);
  for (const Result<std::string>* part : {&head, &rest}) {
    if (!*part) return Error{ErrorKind::BadEncoding, part->error().message, file.path.string()};
  }
  file.bytes = *head + *rest;
  file.bytesStatementsOffset = head->size();
  if (Status written = writeFileAtomically(file.path, file.bytes); !written) {
    return written.error();
  }
  mainRoutine_ = std::move(mainRoutine);
  wholeFile_ = file.text;
  if (!file.undeclaredOutputs.empty()) {
    UserNotice outputs = UserNotice::plain(NoticeKind::OutputWithoutPin,
                                           undeclaredOutputsNotice(file.undeclaredOutputs));
    std::string names;
    for (int output : file.undeclaredOutputs)
      names += (names.empty() ? "" : ", ") + outputPinName(output);
    outputs.values = {{"outputs", names}};
    observer_->notice(outputs);
  }
  return file;
}

}  // namespace ladder51
