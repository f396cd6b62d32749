// The walk over the program's steps and the state it shares with the instruction families.
#include "core/translator/translator.h"

#include "core/translator/instruction_list.h"
#include "core/translator/special_devices.h"
#include "core/translator/translator_run.h"

namespace ladder51 {

std::string pointDigits(int n) {
  return std::to_string(fx::octalDigits(n));
}
std::string outputPinName(int n) {
  return "Y" + pointDigits(n);
}

Error Translation::error() const {
  if (outcome == TranslationOutcome::Unsupported) {
    // The message lists every step; the first is the error's step, not its location.
    Error error{ErrorKind::ProgramUnsupported, message};
    error.step = step;
    error.reason = reason;
    return error;
  }
  Error error{
      outcome == TranslationOutcome::Refused ? ErrorKind::ProgramRefused : ErrorKind::ProgramFault,
      message, step};
  error.reason = reason;
  return error;
}

Translation translate(const ProgramImage& image, const TranslateOptions& options) {
  // How an edge contact must be evaluated shows only once the outputs that read it, and the
  // program's other edge contacts, have been seen: a program with such an edge is translated
  // again, knowing it.
  detail::TranslatorRun first(image, options);
  Translation translation = first.run();
  detail::EvaluationPlan plan = first.evaluationPlan();
  if (plan.empty()) return translation;
  return detail::TranslatorRun(image, options, std::move(plan)).run();
}

namespace detail {
namespace {

// The refusal of unsupported steps: a head line (ReasonKind::StepsNotTranslated), then a line per
// step, then the stop that came after them, if one did.
constexpr std::string_view kUnsupportedLine = "\n  {step}{instruction}";
constexpr std::string_view kUnsupportedThenStopped =
    "\nand after them the translation stopped at {step}: {message}";

// The instruction-list text of the words, "FNC n" for an applied instruction that the
// instruction list has no name for, or nothing; for an instruction left out on purpose, its name
// and why ("FLT D0 D2: floating point is not translated").
std::string instructionText(std::span<const std::uint16_t> words) {
  const std::uint16_t word = words.front();
  const std::uint16_t code = word & 0x01FF;
  // 01C2..01CF are basic instructions (contacts on M1536 and up, the edge contacts).
  const bool applied = (word & ~0x11FF) == 0 && code >= 0x0010 && (code < 0x01C2 || code > 0x01CF);
  const int fnc = (code - 0x0010) / 2;
  std::string text = describeInstruction(words);
  if (text.empty() && applied) {
    const std::optional<std::string_view> name = leftOutName(fnc);
    text = name ? std::string(*name) + " (FNC " + dec(fnc) + ")" : "FNC " + dec(fnc);
    if (code & 1) text += " (32-bit)";
    if (word & 0x1000) text += " (pulse)";
  }
  if (const std::optional<std::string_view> why = applied ? whyLeftOut(fnc) : std::nullopt) {
    text += ": " + std::string(*why);
  }
  return text;
}

}  // namespace

CodeWriter writerWith(std::span<const Field> fields) {
  CodeWriter writer;
  for (const Field& field : fields) writer.set(field.name, field.value);
  return writer;
}

std::vector<Field> bitFields(int n) {
  return {{"n", dec(n)}, {"B", dec(n / 8)}, {"b", dec(n % 8)}};
}

std::vector<Field> outputFields(int n) {
  std::vector<Field> fields = bitFields(n);
  fields.push_back({"pin", outputPinName(n)});
  return fields;
}

namespace {

// The image's words from the first step up to the first entry that holds no byte.
std::vector<std::uint16_t> storedWords(const ProgramImage& image) {
  std::vector<std::uint16_t> words;
  for (int at = kFirstStep; at + 1 <= kLastStep + 1; at += 2) {
    if (image.at(at) == ProgramImage::kEmpty || image.at(at + 1) == ProgramImage::kEmpty) break;
    words.push_back(static_cast<std::uint16_t>(image.at(at + 1) << 8 | image.at(at)));
  }
  return words;
}

// True when a step of the image reads one of the flags M8020..M8022: a contact (LD .. ORI) or
// the device word of an edge contact. Operand words have a type byte of 80 hex and up, so no
// word of an applied instruction is taken for either.
bool readsFlags(std::span<const std::uint16_t> words) {
  const auto isFlag = [](int address) { return address >= 0xF14 && address <= 0xF16; };
  int before = -1;
  for (const int word : words) {
    const int op = word >> 12;
    if (op >= 2 && op <= 7 && isFlag(word & 0x0FFF)) return true;
    if (before >= 0x01CA && before <= 0x01CF && (word & 0xF000) == 0x8000 &&
        isFlag(word & 0x0FFF)) {
      return true;
    }
    before = word;
  }
  return false;
}

// The timers that a coil (OUT T) before END drives, in the order of their numbers.
std::vector<int> coilTimers(std::span<const std::uint16_t> words) {
  std::set<int> timers;
  for (const std::uint16_t word : words) {
    const fx::StepWord step = fx::readStepWord(word, true);
    if (step.instruction == &fx::row("END", fx::Layout::Alone)) break;
    if (step.instruction && step.instruction->layout == fx::Layout::NumberInWord && step.device &&
        step.device->letter == 'T') {
      timers.insert(step.device->number);
    }
  }
  return {timers.begin(), timers.end()};
}

}  // namespace

TranslatorRun::TranslatorRun(const ProgramImage& image, const TranslateOptions& options,
                             EvaluationPlan plan)
    : image_(image), options_(options), plan_(std::move(plan)) {
  const std::vector<std::uint16_t> words = storedWords(image);
  flagsRead_ = readsFlags(words);
  if (options_.timeBase == TimeBaseChoice::Fx) phasedTimers_ = coilTimers(words);
  result_.devices.timerPhases = static_cast<int>(phasedTimers_.size());
  result_.devices.slowTimerPhases = static_cast<int>(
      std::ranges::count_if(phasedTimers_, [](int n) { return n < kFirstFastTimer; }));
}

std::optional<int> TranslatorRun::timerPhase(int n) const {
  const auto at = std::ranges::lower_bound(phasedTimers_, n);
  if (at == phasedTimers_.end() || *at != n) return std::nullopt;
  return static_cast<int>(at - phasedTimers_.begin());
}

std::optional<std::pair<int, int>> TranslatorRun::timerPhases(int a, int z) const {
  const auto first = std::ranges::lower_bound(phasedTimers_, a);
  const auto end = std::ranges::upper_bound(phasedTimers_, z);
  if (first >= end) return std::nullopt;
  return std::pair(static_cast<int>(first - phasedTimers_.begin()),
                   static_cast<int>(end - phasedTimers_.begin()) - 1);
}

Translation TranslatorRun::run() {
  for (scan_ = kFirstStep; scan_ <= kLastStep && !stopped_ && !ended_; scan_ += 2) {
    if (at(0) == ProgramImage::kEmpty || at(1) == ProgramImage::kEmpty) {
      // Past the stored bytes nothing matches: the rest of the walk would only hide that the
      // file is cut short.
      fileFault_ = true;
      if (scan_ == kFirstStep) {
        fault(ReasonKind::NoSteps, {{"end", dec(kFirstStep + 2)}, {"first", dec(kFirstStep)}});
      } else {
        fault(ReasonKind::FileCutShort, {{"byte", dec(scan_)}});
      }
      break;
    }
    recognised_ = false;
    if (unwrittenFrom_ < 0) unwrittenFrom_ = scan_;
    previousStep_ = step_;
    step_ = fx::readStepWord(*word(0), /*variants=*/true);
    testStep();
    if (!stopped_) warnIfPassedOver();
  }
  if (!stopped_ && !ended_) {
    fileFault_ = true;
    scan_ = kLastStep;
    fault(ReasonKind::NoEnd, {{"steps", dec((kLastStep - kFirstStep) / 2 + 1)},
                              {"first", dec(kFirstStep)},
                              {"last", dec(kLastStep + 1)}});
  }
  if (!stopped_ && !zones_.empty()) {
    scan_ -= 2;
    fileFault_ = true;
    fault(ReasonKind::ZonesOpenAtEnd, {{"count", dec(static_cast<long long>(zones_.size()))}});
  }
  finishProgramFlow();
  if (!options_.skipUnsupported) refuseUnsupported();
  return std::move(result_);
}

// Firmware that leaves out steps of the program does not do what the program says: unless asked
// to go on without them, the program is refused with every such step in one message. A stop that
// came later (often a consequence: a rung left without its contact) is named after them.
void TranslatorRun::refuseUnsupported() {
  // A file cut short or without its END is a fault of the file, whatever steps it holds.
  if (fileFault_) return;
  std::string list;
  std::optional<StepRef> first;
  int count = 0;
  for (const Notice& warning : result_.warnings) {
    // Operand words (8000..AFFF) belong to an instruction listed in their place.
    if (fx::inOperandWordRange(warning.step.words.front())) continue;
    if (!first) first = warning.step;
    ++count;
    const std::string text = instructionText(warning.step.words);
    list += fill(kUnsupportedLine, {{"step", warning.step.describe()},
                                    {"instruction", text.empty() ? "" : " " + text}});
  }
  if (!first) return;
  Reason head{ReasonKind::StepsNotTranslated, {{"count", dec(count)}}};
  std::string message = head.message() + list;
  if (result_.outcome != TranslationOutcome::Completed) {
    message += fill(kUnsupportedThenStopped,
                    {{"step", result_.step.describe()}, {"message", result_.message}});
  }
  result_.outcome = TranslationOutcome::Unsupported;
  result_.message = std::move(message);
  result_.reason = std::move(head);
  result_.step = *first;
}

// The step tests, in the fixed order; no test excludes a later one, but a refusal ends them.
void TranslatorRun::testStep() {
  using Test = void (*)(TranslatorRun&);
  static constexpr Test kBeforeEnd[] = {
      translateXContacts,    translateSpecialRelayContacts,
      refuseExtendedRelays,  translateDeviceContacts,
      translateCoils,        translateBlockInstructions,
      translatePulses,       translateTimersAndCounters,
      translateEdgeContacts, translateStepLadder,
  };
  // Program flow first: after FEND it refuses a step that stands in no subroutine.
  translateProgramFlow();
  if (stopped_) return;
  for (Test test : kBeforeEnd) {
    test(*this);
    if (stopped_) return;
  }
  if (stepIs(fx::row("END", fx::Layout::Alone))) {
    recognise();
    closeStepLadder(*this);
    closeSpecialDevices(*this);
    ended_ = true;
    return;
  }
  translateAppliedInstructions(*this);
  if (stopped_) return;
  translateArithmetic(*this);
  if (stopped_) return;
  translateCompareBits(*this);
  if (stopped_) return;
  translateWordLogic(*this);
  if (stopped_) return;
  translateDataMoves(*this);
  if (stopped_) return;
  translateBitShifts(*this);
  if (stopped_) return;
  translateComparisons(*this);
}

std::optional<std::uint16_t> TranslatorRun::word(int k) const {
  const int low = at(2 * k);
  const int high = at(2 * k + 1);
  if (low == ProgramImage::kEmpty || high == ProgramImage::kEmpty) return std::nullopt;
  return static_cast<std::uint16_t>(high << 8 | low);
}

std::optional<fx::Device> TranslatorRun::operandDevice(int k) const {
  const std::optional<std::uint16_t> w = word(k);
  return w ? fx::deviceOfOperandWord(*w) : std::nullopt;
}

std::optional<fx::WordOperand> TranslatorRun::wordOperand(int k, std::string_view letters) const {
  const std::optional<std::uint16_t> first = word(k);
  const std::optional<std::uint16_t> second = word(k + 1);
  if (!first || !second) return std::nullopt;
  return fx::readWordOperand(*first, *second, letters);
}

std::optional<fx::Operand> TranslatorRun::appliedOperand(int i) const {
  const int size = operandSize();
  const int length = size / 8;  // words: 2, or 4 in a 32-bit instruction
  std::vector<std::uint16_t> words;
  for (int k = 1 + i * length; k <= (i + 1) * length; ++k) {
    const std::optional<std::uint16_t> w = word(k);
    if (!w) return std::nullopt;
    words.push_back(*w);
  }
  return fx::readOperand(words, size, /*flat=*/true);
}

StepRef TranslatorRun::currentStep() const {
  StepRef step;
  step.byteAddress = scan_;
  // The instruction word and the operand words that follow it.
  for (int k = 0; k < 8; ++k) {
    const std::optional<std::uint16_t> w = word(k);
    if (!w || (k > 0 && !fx::inOperandWordRange(*w))) break;
    step.words.push_back(*w);
  }
  return step;
}

void TranslatorRun::warnIfPassedOver() {
  if (recognised_) return;
  const std::optional<std::uint16_t> w = word(0);
  if (!w || stepIs(fx::row("NOP", fx::Layout::Alone)) || fx::inOperandWordRange(*w)) return;
  if (isContact(step_) && isSpecialRelay(*step_.device)) {
    result_.warnings.push_back(
        {StepNoticeKind::SpecialRelayLeftOut, currentStep(), {{"relay", step_.device->name()}}});
    return;
  }
  result_.warnings.push_back({StepNoticeKind::NotTranslated, currentStep(), {}});
}

void TranslatorRun::refuse(ReasonKind kind, std::vector<NoticeValue> values) {
  recognise();
  stopped_ = true;
  result_.outcome = TranslationOutcome::Refused;
  result_.reason = Reason{kind, std::move(values)};
  result_.message = result_.reason->message();
  result_.step = currentStep();
}

void TranslatorRun::fault(ReasonKind kind, std::vector<NoticeValue> values) {
  recognise();
  stopped_ = true;
  result_.outcome = TranslationOutcome::Fault;
  result_.reason = Reason{kind, std::move(values)};
  result_.message = result_.reason->message();
  result_.step = currentStep();
}

void TranslatorRun::notice(StepNoticeKind kind, std::vector<NoticeValue> values) {
  recognise();
  const std::vector<Notice>& notices = result_.notices;
  if (!notices.empty() && notices.back().step.byteAddress == scan_ && notices.back().kind == kind &&
      notices.back().values == values) {
    return;
  }
  result_.notices.push_back({kind, currentStep(), std::move(values)});
}

void TranslatorRun::noticeOnce(StepNoticeKind kind, std::vector<NoticeValue> values) {
  recognise();
  for (const Notice& given : result_.notices) {
    if (given.kind == kind && given.values == values) return;
  }
  result_.notices.push_back({kind, currentStep(), std::move(values)});
}

void TranslatorRun::push(std::string condition, std::vector<int> edges) {
  recognise();
  if (conditionDepth_ >= kConditionStackSize) {
    fault(ReasonKind::ConditionStackFull);
    return;
  }
  // The stacks grow as deep as the program goes: most programs need a few entries, not the
  // thousands the limits allow, and every translation would pay for allocating them.
  const auto slot = static_cast<std::size_t>(conditionDepth_++);
  if (conditions_.size() <= slot) {
    conditions_.resize(slot + 1);
    edges_.resize(slot + 1);
    reads_.resize(slot + 1);
  }
  conditions_[slot] = std::move(condition);
  edges_[slot] = std::move(edges);
  reads_[slot].clear();
}

std::string* TranslatorRun::top(std::string_view instruction) {
  recognise();
  if (conditionDepth_ == 0) {
    fault(ReasonKind::NoRungCondition, {{"instruction", std::string(instruction)}});
    return nullptr;
  }
  return &conditions_[static_cast<std::size_t>(conditionDepth_ - 1)];
}

void TranslatorRun::mergeTopTwo(std::string_view instruction, std::string_view merge) {
  recognise();
  if (conditionDepth_ < 2) {
    fault(ReasonKind::TwoConditionsNeeded,
          {{"instruction", std::string(instruction)}, {"open", dec(conditionDepth_)}});
    return;
  }
  const auto firstSlot = static_cast<std::size_t>(conditionDepth_ - 2);
  auto& first = conditions_[firstSlot];
  auto& last = conditions_[firstSlot + 1];
  last = fill(merge, {{"first", first}, {"last", last}});
  first = last;
  // The second block is reached only when the first does not decide the merged condition.
  trailingEdges_.insert(edges_[firstSlot + 1].begin(), edges_[firstSlot + 1].end());
  edges_[firstSlot].insert(edges_[firstSlot].end(), edges_[firstSlot + 1].begin(),
                           edges_[firstSlot + 1].end());
  reads_[firstSlot].insert(reads_[firstSlot].end(), reads_[firstSlot + 1].begin(),
                           reads_[firstSlot + 1].end());
  --conditionDepth_;
}

void TranslatorRun::saveBranch() {
  std::string* condition = top("MPS");
  if (!condition) return;
  if (branchDepth_ >= kBranchStackSize) {
    fault(ReasonKind::BranchStackFull);
    return;
  }
  const auto slot = static_cast<std::size_t>(branchDepth_++);
  if (branches_.size() <= slot) {
    branches_.resize(slot + 1);
    branchEdges_.resize(slot + 1);
    branchReads_.resize(slot + 1);
  }
  branches_[slot] = *condition;
  branchEdges_[slot] = topEdges();
  branchReads_[slot] = topReads();
}

void TranslatorRun::restoreBranch(bool pop, std::string_view instruction) {
  recognise();
  if (branchDepth_ == 0) {
    fault(ReasonKind::NoSavedBranch, {{"instruction", std::string(instruction)}});
    return;
  }
  std::string* condition = top(instruction);
  if (!condition) return;
  *condition = branches_[static_cast<std::size_t>(branchDepth_ - 1)];
  topEdges() = branchEdges_[static_cast<std::size_t>(branchDepth_ - 1)];
  topReads() = branchReads_[static_cast<std::size_t>(branchDepth_ - 1)];
  if (pop) --branchDepth_;
}

namespace {

// A statement of a step of the step ladder runs while the step runs (stlr, set by the step's
// STL statement).
constexpr std::string_view kLadderGuardHead = "\r\nif(stlr){";
constexpr std::string_view kLadderGuardTail = "}";

}  // namespace

// The condition of a pulse form: pfr, set in the scan its condition rose.
constexpr std::string_view kPulseEdge[] = {
    "pfr=0;if({cond}){if(!(pfm[{B}]&{mask})){pfm[{B}]|={mask};pfr=1;}}else pfm[{B}]&=~{mask};",
};

void TranslatorRun::appendStatement(const CodeWriter& statement, bool ladderGuard) {
  recognise();
  const std::size_t begin = result_.statements.size();
  result_.marks.push_back({begin});
  if (ladderStep_ && ladderGuard) {
    result_.statements += kLadderGuardHead;
    result_.statements += statement.text();
    result_.statements += kLadderGuardTail;
  } else {
    result_.statements += statement.text();
  }
  if (!mainClosed_) {
    result_.stepStatements.push_back(
        {unwrittenFrom_ < 0 ? scan_ : unwrittenFrom_, scan_, begin, result_.statements.size()});
  }
  unwrittenFrom_ = -1;
}

void TranslatorRun::prependStatement(const CodeWriter& statement) {
  recognise();
  const std::size_t length = statement.text().size();
  for (StatementMark& mark : result_.marks) mark.offset += length;
  if (!mainClosed_) {
    for (StepStatements& span : result_.stepStatements) {
      span.begin += length;
      span.end += length;
    }
  }
  result_.marks.insert(result_.marks.begin(), StatementMark{0});
  result_.statements.insert(0, statement.text());
}

namespace {

// Devices beyond the FX1N's ranges, and those of its ranges the firmware does not keep.
struct DeviceRange {
  char letter;
  int last;
  ReasonKind beyond;  // the refusal of a device beyond the FX1N's range
};
constexpr DeviceRange kRanges[] = {
    {'M', kLastRelay, ReasonKind::RelayBeyondRange},
    {'S', kLastState, ReasonKind::StateBeyondRange},
    {'T', kLastTimer, ReasonKind::TimerBeyondRange},
    {'C', kLastCounter, ReasonKind::CounterBeyondRange},
    {'D', kLastRegister, ReasonKind::RegisterBeyondRange},
};

}  // namespace

bool TranslatorRun::refuseDevice(char letter, long n, bool contact) {
  if (letter == 'X')
    return refuseAbove(static_cast<int>(n), kFirmwareLastPoint, ReasonKind::InputBeyondPins);
  if (letter == 'Y')
    return refuseAbove(static_cast<int>(n), kFirmwareLastPoint, ReasonKind::OutputBeyondPins);
  const std::string device = std::string(1, letter) + dec(n);
  for (const DeviceRange& range : kRanges) {
    if (range.letter != letter || n <= range.last) continue;
    if (letter == 'T' && n <= 255) {
      refuse(ReasonKind::RetentiveTimer, {{"device", device}});
    } else if (letter == 'C' && n >= kFirstHighSpeedCounter && n <= 255) {
      refuse(ReasonKind::HighSpeedCounter, {{"device", device}});
    } else if (letter == 'C' && n <= 255) {
      refuse(ReasonKind::LongCounter, {{"device", device}});
    } else {
      refuse(range.beyond, {{"device", device}});
    }
    return true;
  }
  DeviceUse& use = result_.devices;
  const int number = static_cast<int>(n);
  if (letter != 'D') use.named[letter].insert(number);
  switch (letter) {
    case 'M':
      use.relay = std::max(use.relay, number);
      break;
    case 'S':
      use.state = std::max(use.state, number);
      break;
    case 'T': {
      int& last = contact ? use.timerContact : use.timer;
      last = std::max(last, number);
      break;
    }
    case 'C':
      use.counter = std::max(use.counter, number);
      break;
    default:
      break;
  }
  return false;
}

void TranslatorRun::noteTimerCoil(int n) {
  noteTimerInFlow(n);
  DeviceUse& use = result_.devices;
  if (n < kFirstFastTimer) {
    use.lastSlowTimer = std::max(use.lastSlowTimer, n);
    return;
  }
  use.firstFastTimer = use.firstFastTimer < 0 ? n : std::min(use.firstFastTimer, n);
  use.lastFastTimer = std::max(use.lastFastTimer, n);
}

std::optional<std::string> TranslatorRun::condition(std::string_view instruction, int uses) {
  const std::string* current = top(instruction);
  if (!current) return std::nullopt;
  for (int edge : topEdges()) edgeUses_[edge] += uses;
  for (int contact : topReads()) contactReaders_[contact].push_back(scan_);
  outputWrites_[scan_] = writtenDevices();
  if (ladderStep_) {
    // In a step its states come first; right after STL the condition is the states themselves.
    if (*current == ladderStep_->on) return *current;
    trailingEdges_.insert(topEdges().begin(), topEdges().end());
    return fill("({on}&&{cond})", {{"on", ladderStep_->on}, {"cond", *current}});
  }
  if (zones_.empty()) return *current;
  // An output in an MC zone acts as if its rung were off while the zone is off; the zone's state
  // comes first, so the condition is not reached then.
  trailingEdges_.insert(topEdges().begin(), topEdges().end());
  return fill("(mcz[{zone}]&&{cond})", {{"zone", dec(zones_.back())}, {"cond", *current}});
}

namespace {

// The evaluations of an edge contact where it stands: once into bit {b} of edge[{B}] with the
// device's routine, or with a memory of its own, bit {c} of edgm[{C}], which holds the device's
// state at the last scan. Bits, since every byte they took would come from the stack; and no
// condition's value is stored as such, since SDCC would keep it in a bit variable, which the full
// internal RAM has no room for.
constexpr std::string_view kEdgeOnce[] = {
    "if({call})edge[{B}]|=(0x01<<{b});",
    "else",
    "edge[{B}]&=(0xff-(0x01<<{b}));",
};
constexpr std::string_view kEdgeOwnRising[] = {
    "edge[{B}]&=(0xff-(0x01<<{b}));",
    "if({on}){if(!(edgm[{C}]&(0x01<<{c})))edge[{B}]|=(0x01<<{b});edgm[{C}]|=(0x01<<{c});}",
    "else",
    "edgm[{C}]&=(0xff-(0x01<<{c}));",
};
constexpr std::string_view kEdgeOwnFalling[] = {
    "edge[{B}]&=(0xff-(0x01<<{b}));",
    "if(!{on}){if(edgm[{C}]&(0x01<<{c}))edge[{B}]|=(0x01<<{b});edgm[{C}]&=(0xff-(0x01<<{c}));}",
    "else",
    "edgm[{C}]|=(0x01<<{c});",
};
// How a condition reads the result.
constexpr std::string_view kEdgeRead = "(edge[{B}]&(0x01<<{b}))";

}  // namespace

std::string TranslatorRun::edgeResult(const EdgeContact& contact, bool trailing) {
  edgeMemories_[scan_] = contact.memory;
  if (trailing) trailingEdges_.insert(scan_);
  const auto planned = plan_.edges.find(scan_);
  if (planned == plan_.edges.end() || planned->second == EdgeForm::Inline) return contact.call;
  const int k = result_.edgeTemps++;
  std::vector<Field> fields = {
      {"B", dec(k / 8)}, {"b", dec(k % 8)}, {"call", contact.call}, {"on", contact.on}};
  std::span<const std::string_view> statement = kEdgeOnce;
  if (planned->second == EdgeForm::OwnMemory) {
    const int j = result_.edgeMemories++;
    fields.insert(fields.end(), {{"C", dec(j / 8)}, {"c", dec(j % 8)}});
    statement = contact.rising ? std::span(kEdgeOwnRising) : std::span(kEdgeOwnFalling);
  }
  appendStatement(writerWith(fields).lines(statement));
  return fill(kEdgeRead, {{"B", dec(k / 8)}, {"b", dec(k % 8)}});
}

std::map<int, EdgeForm> TranslatorRun::edgeForms() const {
  std::map<std::string, int> perMemory;
  for (const auto& [edge, memory] : edgeMemories_) ++perMemory[memory];
  std::map<int, EdgeForm> forms;
  for (const auto& [edge, memory] : edgeMemories_) {
    const auto uses = edgeUses_.find(edge);
    const int read = uses == edgeUses_.end() ? 0 : uses->second;
    if (memory.empty() || perMemory[memory] > 1) {
      forms[edge] = EdgeForm::OwnMemory;
    } else if (read > 1 || (read == 1 && trailingEdges_.contains(edge))) {
      forms[edge] = EdgeForm::Once;
    }
  }
  return forms;
}

namespace {

// A contact's result held where it stands, a bit of held[].
constexpr std::string_view kHoldContact[] = {
    "if({atom})held[{B}]|=(0x01<<{b});",
    "else",
    "held[{B}]&=(0xff-(0x01<<{b}));",
};
constexpr std::string_view kHeldRead = "(held[{B}]&(0x01<<{b}))";

}  // namespace

std::string TranslatorRun::contactResult(const std::string& text,
                                         std::vector<std::string> devices) {
  contactDevices_[scan_] = std::move(devices);
  if (!plan_.heldContacts.contains(scan_)) return text;
  const int k = result_.heldContacts++;
  const Fields bit = {{"B", dec(k / 8)}, {"b", dec(k % 8)}};
  appendStatement(writerWith(bit).set("atom", text).lines(kHoldContact));
  return fill(kHeldRead, bit);
}

std::set<std::string> TranslatorRun::writtenDevices() const {
  // Every device the output step names may be written (sources too: holding a contact more
  // than needed costs a bit, not a fault); a ZRST range names each device in it.
  std::set<std::string> written;
  auto add = [&written](char letter, long long n) {
    written.insert(std::string(1, letter) + std::to_string(n));
  };
  if (step_.device) add(step_.device->letter, step_.device->number);
  if (!step_.instruction) return written;
  if (step_.instruction->layout == fx::Layout::WordOperands) {
    const std::string_view name = step_.instruction->name;
    // Words a word operand may write: the pair of a 32-bit one, MUL's and DIV's second word
    // (DDIV's remainder pair), and bits a bit operand may write (CMP's and ZCP's three).
    int words = name == "DIV" && operandSize() == 32                    ? 4
                : operandSize() == 32 || name == "MUL" || name == "DIV" ? 2
                                                                        : 1;
    int bits = name == "CMP" || name == "ZCP" ? 3 : 1;
    // Blocks and strings: the words or bits their constant count names.
    const std::optional<fx::Operand> count = appliedOperand(2);
    if (count && count->format->payload == fx::Payload::Value && count->number > 0 &&
        count->number <= 1024) {
      const int n = static_cast<int>(count->number);
      if (name == "FMOV" || name == "BMOV" || name == "WSFR" || name == "WSFL") words *= n;
      if (name == "SFTR" || name == "SFTL") bits = n;
      if (name == "DECO" && n <= 8) bits = 1 << n;
    }
    std::vector<fx::Operand> operands;
    for (int k = 0; k < static_cast<int>(step_.instruction->operands.size()); ++k) {
      if (auto operand = appliedOperand(k)) operands.push_back(*operand);
    }
    for (const fx::Operand& operand : operands) {
      const char letter = operand.format->letter;
      switch (operand.format->payload) {
        case fx::Payload::Value:
          break;
        case fx::Payload::Offset:
          for (int j = 0; j < words; ++j) add(letter, operand.number + j);
          break;
        case fx::Payload::Group:
          for (int j = 0; j < 4 * operand.digits; ++j) add(letter, operand.number + j);
          break;
        case fx::Payload::Address:
          for (int j = 0; j < bits; ++j) add(letter, operand.number + j);
          break;
      }
    }
    if (name == "ZRST" && operands.size() == 2 &&
        operands[0].format->letter == operands[1].format->letter) {
      for (long long n = operands[0].number;
           n <= operands[1].number && n - operands[0].number < 4096; ++n) {
        add(operands[0].format->letter, n);
      }
    }
    if (flagsRead_) {
      for (int flag = 8020; flag <= 8022; ++flag) add('M', flag);
    }
  } else {
    for (int k = 1; k <= 2; ++k) {
      if (auto device = operandDevice(k)) add(device->letter, device->number);
    }
  }
  return written;
}

EvaluationPlan TranslatorRun::evaluationPlan() const {
  EvaluationPlan plan{edgeForms(), {}, outputsOff_};
  for (const auto& [contact, readers] : contactReaders_) {
    const auto devices = contactDevices_.find(contact);
    if (devices == contactDevices_.end() || readers.empty()) continue;
    const int last = *std::max_element(readers.begin(), readers.end());
    // An output after the contact and before its last reader that writes what it reads.
    for (auto w = outputWrites_.upper_bound(contact); w != outputWrites_.end() && w->first < last;
         ++w) {
      const bool writes = std::any_of(devices->second.begin(), devices->second.end(),
                                      [&](const std::string& d) { return w->second.contains(d); });
      if (writes) {
        plan.heldContacts.insert(contact);
        break;
      }
    }
  }
  return plan;
}

int TranslatorRun::closeZones(int level) {
  int closed = 0;
  while (!zones_.empty() && zones_.back() >= level) {
    zones_.pop_back();
    ++closed;
  }
  return closed;
}

std::optional<CodeWriter> TranslatorRun::guarded(std::string_view instruction,
                                                 std::span<const Field> fields) {
  const std::optional<std::string> acting = condition(instruction);
  if (!acting) return std::nullopt;
  CodeWriter statement = writerWith(fields);
  if (!step_.variant.pulse) {
    statement.set("cond", *acting);
    return statement;
  }
  // A pulse form acts once when its condition rises: a statement before it keeps the condition
  // of the last scan in a bit of pfm[] and sets pfr in the scan it rose.
  const int k = result_.pulseForms++;
  CodeWriter edge;
  edge.set("cond", *acting).set("B", dec(k / 8)).set("mask", "0x" + hex(1u << (k % 8), 2));
  appendStatement(edge.lines(kPulseEdge));
  statement.set("cond", "pfr");
  return statement;
}

void TranslatorRun::appendGuarded(std::string_view instruction,
                                  std::span<const std::string_view> lines,
                                  std::span<const Field> fields) {
  std::optional<CodeWriter> statement = guarded(instruction, fields);
  if (!statement) return;
  appendStatement(statement->lines(lines));
}

}  // namespace detail
}  // namespace ladder51
