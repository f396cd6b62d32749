// Internal to the translator: the state of one translation run, shared by the instruction
// families. Each family file defines one `translate...` function that tests the current step
// and, when the step is one of its instructions, rewrites the condition stack or appends
// statements here.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/text/code_writer.h"
#include "core/translator/fx_encoding.h"
#include "core/translator/translator.h"

namespace ladder51::detail {

// The highest point numbers the generated firmware's tables hold; a step naming a higher one is
// refused. (The numbers a step word can name at all are the encoding's, fx_encoding.h.)
inline constexpr int kFirmwareLastPoint = 35;  // X0..X43, Y0..Y43 (octal): the pins
// The FX1N's device ranges, which the firmware's tables grow to as a program needs them
// (runtime_gen/storage.h places them in the chip's RAM).
inline constexpr int kLastRelay = 1535;  // M0..M1535
inline constexpr int kLastState = 999;   // S0..S999
inline constexpr int kLastTimer = 245;   // T0..T199 count 100 ms, T200..T245 10 ms
inline constexpr int kFirstFastTimer = 200;
inline constexpr int kLastCounter = 199;    // C0..C199, 16-bit up counters
inline constexpr int kLastRegister = 7999;  // D0..D7999
// The edge routines (ldpm, ldpt, ldpc) keep one memory per device in mflag[11], tflag[4] and
// cout[2]: edges of higher devices keep memories of their own (EdgeForm::OwnMemory).
inline constexpr int kLastRoutineEdgeRelay = 87;
inline constexpr int kLastRoutineEdgeTimer = 31;
inline constexpr int kLastRoutineEdgeCounter = 15;
inline constexpr int kFirmwareLastRamRegister = 15;  // D0..D15 in RAM; D16 up in EEPROM or XRAM
// D8000..D8255 are the PLC's special registers (V and Z among them), which the firmware does not
// keep; a step naming one is refused.
inline constexpr int kFirstSpecialRegister = 8000;
inline constexpr int kLastSpecialRegister = 8255;
// The firmware keeps register n at EEPROM bytes 2n and 2n+1 (ReData(n*2), WrData(n*2+1)). A 24C16
// has 2048 bytes, and its driver sends address bits 8..10 only, in the device byte: D1024 and up
// would wrap onto the bytes of lower registers. A 24C32 has 4096 bytes, D2047 the last register
// in them; each larger size (24C64 .. 24C512) has twice the bytes of the one before, and the
// driver's two address bytes reach them all.
inline constexpr long kSmallEepromBytes = 2048;  // 24C16
inline constexpr long kLargeEepromBytes = 4096;  // 24C32
inline constexpr int kFirmwarePulseSlots = 16;   // plsm[2] and plfm[2] hold 16 edge bits each
inline constexpr int kFirmwareLastZone = 7;      // MC zones N0..N7, their states in mcz[]

// The special relays M8000..M8255, which the firmware keeps (some of) in the byte m8000
// (special_devices.h).
inline bool isSpecialRelay(const fx::Device& device) {
  return device.letter == 'M' && device.number >= 8000;
}

inline constexpr int kConditionStackSize = 8001;
inline constexpr int kBranchStackSize = 501;

// A writer for one statement, with the fields set.
CodeWriter writerWith(std::span<const Field> fields);
// An output's pin set from its image ({pin} on when bit {b} of y[{B}] is): where the pins follow
// their images at once, after statements that wrote the images only.
inline constexpr std::string_view kOutputRefresh = "if(y[{B}]&(0x01<<{b})){pin}=0;else {pin}=1;";

// The fields of bit n of a device image: {n}, its byte {B} and its bit {b}.
std::vector<Field> bitFields(int n);
// The same for output point n, with its pin symbol {pin} ("Y17").
std::vector<Field> outputFields(int n);

// How an edge contact is evaluated. On the PLC each edge instruction is evaluated once a scan
// where it stands, with an edge memory of its own. The runtime's edge routines keep one memory
// per device and update it on every call, which is the same only while the routine is called
// exactly once a scan for that device: then the call stays in the condition (Inline). A result
// that several outputs use, or that a condition might not reach (after another term, or in an MC
// zone), is evaluated once where the contact stands (Once); a device with several edge
// instructions gives each its own memory in edgm[] (OwnMemory).
enum class EdgeForm { Inline, Once, OwnMemory };

// An edge contact as the condition reads it.
struct EdgeContact {
  std::string call;    // the runtime routine's call, "ldpx(5)"
  std::string on;      // the device's state, "(!inx(5))"
  bool rising = true;  // LDP, ANDP, ORP
  std::string memory;  // the runtime memory the routine keeps for the device; empty: none
};

// How a run evaluates what a first run found out about the program's conditions: the form of
// each edge step (steps not in `edges` are Inline), and the contacts whose result is held where
// they stand because an output between them and a later output that reads them writes their
// device (`LD M0 / RST M0 / SET Y1`: the PLC's SET Y1 sees M0 as LD M0 read it).
// A program that uses M8034 (all outputs off) writes its outputs' images only, and the pins
// follow them at END (outputsAtEnd).
struct EvaluationPlan {
  std::map<int, EdgeForm> edges;
  std::set<int> heldContacts;
  bool outputsAtEnd = false;
  bool empty() const { return edges.empty() && heldContacts.empty() && !outputsAtEnd; }
};

class TranslatorRun {
 public:
  TranslatorRun(const ProgramImage& image, const TranslateOptions& options,
                EvaluationPlan plan = {});

  // Walks the steps from byte 348 to 5000 and returns what the walk produced.
  Translation run();

  // --- the current step -----------------------------------------------------------------
  // The byte address of the step in the file (348, 350, ...).
  int stepAddress() const { return scan_; }
  // The step word as the encoding table reads it: the instruction it begins, if any.
  const fx::StepWord& step() const { return step_; }
  // True when the step word begins `row` of the table (fx::row(name, layout)).
  bool stepIs(const fx::Instruction& row) const { return step_.instruction == &row; }
  // Word k of the step (0 the step word, 1 the word after it, ...), or nothing where the image
  // holds no bytes.
  std::optional<std::uint16_t> word(int k) const;
  // Word k read as a one-word operand: the device it names.
  std::optional<fx::Device> operandDevice(int k) const;
  // Words k and k+1 read as a two-word operand of one of `letters`.
  std::optional<fx::WordOperand> wordOperand(int k, std::string_view letters) const;
  // The operand size of the step: 32 for the D forms of applied instructions, else 16.
  int operandSize() const { return step_.variant.wide ? 32 : 16; }
  // Operand i (0, 1, ...) of an applied instruction, read at the step's size.
  std::optional<fx::Operand> appliedOperand(int i) const;
  const TranslateOptions& options() const { return options_; }
  // True when the program reads the flags M8020..M8022 (contacts, edges): its arithmetic then
  // sets them.
  bool flagsRead() const { return flagsRead_; }
  // With the FX time base, the element of tph[] that keeps the unit begun of timer n, when a coil
  // (OUT T) drives it; and the elements of those from T a to T z, when any does.
  std::optional<int> timerPhase(int n) const;
  std::optional<std::pair<int, int>> timerPhases(int a, int z) const;

  // Marks the step as recognised, so that it draws no "passed over" warning.
  void recognise() { recognised_ = true; }

  // --- stopping -----------------------------------------------------------------------------
  // Refuses the program at this step for a reason of `kind`, with the values its template
  // names; the walk ends.
  void refuse(ReasonKind kind, std::vector<NoticeValue> values = {});
  // Ends the walk at this step because the program cannot be followed.
  void fault(ReasonKind kind, std::vector<NoticeValue> values = {});
  bool stopped() const { return stopped_; }
  // A notice shown to the user; the translation goes on. One the step has given already (a
  // register it names twice) is not repeated.
  void notice(StepNoticeKind kind, std::vector<NoticeValue> values);
  // The same, given at the first step only that gives it.
  void noticeOnce(StepNoticeKind kind, std::vector<NoticeValue> values);
  // Refuses a device the firmware does not keep: X and Y beyond the pins' points, and devices
  // beyond the FX1N's ranges (M1536 up, S1000 up, T246 up, C200 up, D8000 up), each with a
  // message naming the range. Records the others, whose tables the runtime sizes to the highest
  // number used (a `contact` reads a bit image only). Returns true when it refused.
  bool refuseDevice(char letter, long n, bool contact = false);
  // The same for the devices first..last of a range, recording every one of them.
  bool refuseDevices(char letter, long first, long last) {
    if (refuseDevice(letter, first) || refuseDevice(letter, last)) return true;
    for (long n = first + 1; n < last; ++n) refuseDevice(letter, n);
    return false;
  }
  // Records a timer's coil: T200 and up count 10 ms units.
  void noteTimerCoil(int n);
  // Records a register kept in the RAM table d[] (D0..D15, and D16 up in XRAM).
  void noteRamRegister(long r) {
    result_.devices.dataRegister = std::max(result_.devices.dataRegister, static_cast<int>(r));
    result_.devices.named['D'].insert(static_cast<int>(r));
  }
  // Refuses when a device number is above its limit; returns true when it refused.
  bool refuseAbove(int n, int limit, ReasonKind kind) {
    if (n <= limit) return false;
    refuse(kind);
    return true;
  }

  // --- the condition stack ------------------------------------------------------------------
  // Each condition carries the steps of the edge contacts in it.
  void push(std::string condition, std::vector<int> edges = {});
  // The current condition, for a contact to extend, or nullptr after reporting a fault naming
  // `instruction`.
  std::string* top(std::string_view instruction);
  // The edge contacts in the current condition (a contact that adds one records it here).
  std::vector<int>& topEdges() { return edges_[static_cast<std::size_t>(conditionDepth_ - 1)]; }
  // The contacts that may be held (contactResult()) in the current condition, by step.
  std::vector<int>& topReads() { return reads_[static_cast<std::size_t>(conditionDepth_ - 1)]; }
  // The condition an output instruction acts on: the current one, ANDed with the MC zone it
  // stands in; nothing after a fault naming `instruction`. Records that the edge contacts in it
  // are evaluated `uses` more times a scan (the statements that hold the condition).
  std::optional<std::string> condition(std::string_view instruction, int uses = 1);
  // The text the current step's edge contact takes in a condition, as its form says. `trailing`:
  // the contact joins a condition after other terms, which may decide it without calling it.
  std::string edgeResult(const EdgeContact& contact, bool trailing);
  // The text the current step's contact takes in a condition: `text` itself, or the result held
  // where the contact stands when the plan says so. `devices` are the devices it reads ("M5",
  // "D0"); the caller adds the contact to the condition, then calls noteRead().
  std::string contactResult(const std::string& text, std::vector<std::string> devices);
  // Records that the current condition holds the current step's contact.
  void noteRead() { topReads().push_back(scan_); }
  // The form each edge step needs, from what this run saw of them.
  std::map<int, EdgeForm> edgeForms() const;
  // The plan a second run needs, from what this run saw (empty when the text stands as it is).
  EvaluationPlan evaluationPlan() const;
  // The two top entries for ANB/ORB: merges them into one, the template `merge` filled with
  // {first} and {last}.
  void mergeTopTwo(std::string_view instruction, std::string_view merge);
  void saveBranch();                                           // MPS
  void restoreBranch(bool pop, std::string_view instruction);  // MRD, MPP

  // --- the step ladder ------------------------------------------------------------------------
  // A step of the step ladder: STL opens it, with the states of consecutive STL instructions
  // (a joining step needs all of them); the next STL, RET or END closes it. Its statements run
  // while it is active and in the scan after it was left (so that its OUT coils switch off and
  // its timers reset, as on the PLC), and are skipped otherwise; their conditions are ANDed with
  // `on`, the states' text.
  struct LadderStep {
    std::vector<int> states;
    std::string on;
    int index = 0;           // its bit of stlw[]
    bool transfers = false;  // a SET or OUT on a state in it: its states reset at its end
  };
  const LadderStep* ladderStep() const { return ladderStep_ ? &*ladderStep_ : nullptr; }
  LadderStep* ladderStep() { return ladderStep_ ? &*ladderStep_ : nullptr; }
  // Opens a step with `states`.
  void openLadderStep(std::vector<int> states, std::string on) {
    ladderStep_ = LadderStep{std::move(states), std::move(on), result_.ladderSteps++, false};
  }
  // Joins the states of an STL to the step the STL right before it opened: that step's head
  // statement, the last one appended, is taken back, and the joined step takes its place.
  void joinLadderStep(int state, std::string on) {
    result_.statements.resize(result_.marks.back().offset);
    std::erase_if(result_.stepStatements, [this](const StepStatements& span) {
      return span.end > result_.statements.size();
    });
    result_.marks.pop_back();
    ladderStep_->states.push_back(state);
    ladderStep_->on = std::move(on);
  }
  void closeLadderStep() { ladderStep_.reset(); }
  // Outputs that OUT drives in the steps of the open step ladder, by image only: their pins
  // follow when it closes.
  void noteLadderOutput(int n) { ladderOutputs_.insert(n); }
  std::set<int> takeLadderOutputs() { return std::exchange(ladderOutputs_, {}); }
  // The step word before the current one.
  const fx::StepWord& previousStep() const { return previousStep_; }

  // --- output -------------------------------------------------------------------------------
  // Every statement is written through a CodeWriter: each line as CR LF and its template, so a
  // statement begins with CR LF, and an empty last template ends its last line.
  // Appends the statement a writer holds; in a step of the step ladder it runs only while the
  // step runs, unless `ladderGuard` is false (the step's own bookkeeping).
  void appendStatement(const CodeWriter& statement, bool ladderGuard = true);
  // A writer for a statement under the rung's condition, with {cond} and `fields` set; nothing
  // after a fault naming `instruction` when no rung is open.
  std::optional<CodeWriter> guarded(std::string_view instruction, std::span<const Field> fields);
  // Appends the statement `lines` under the rung's condition, as guarded() and lines() do.
  void appendGuarded(std::string_view instruction, std::span<const std::string_view> lines,
                     std::span<const Field> fields);
  void appendGuarded(std::string_view instruction, std::span<const std::string_view> lines,
                     Fields fields = {}) {
    appendGuarded(instruction, lines, std::span<const Field>(fields.begin(), fields.size()));
  }
  // MC N opens zone N, whose state mcz[N] the outputs in it are ANDed with; MCR N closes the
  // zones from N up. The deepest open zone, or -1.
  void openZone(int level) {
    zones_.push_back(level);
    result_.zones = std::max(result_.zones, level + 1);
  }
  int closeZones(int level);  // returns how many it closed
  int zone() const { return zones_.empty() ? -1 : zones_.back(); }
  void useFeature(RuntimeFeature feature) { result_.features.insert(feature); }
  // Records an index register (V or Z) number n as an operand of the statements.
  void noteIndexRegister(char letter, int n) {
    int& count = letter == 'V' ? result_.vRegisters : result_.zRegisters;
    count = std::max(count, n + 1);
  }
  bool usesFeature(RuntimeFeature feature) const { return result_.features.contains(feature); }
  void noteOutputDriven(int n) { result_.drivenOutputs.insert(n); }
  const std::set<int>& drivenOutputs() const { return result_.drivenOutputs; }
  void noteInputRead(int n) { result_.readInputs.insert(n); }
  // Puts a statement before all the others: it runs first in every scan.
  void prependStatement(const CodeWriter& statement);

  // --- outputs held off (M8034) ---------------------------------------------------------------
  // Records that the program names M8034: it is translated again with outputsAtEnd().
  void noteOutputsOff() { outputsOff_ = true; }
  // True when instructions on Y write their images only: the pins follow them at END, where
  // M8034 holds them off (closeSpecialDevices).
  bool outputsAtEnd() const { return plan_.outputsAtEnd; }

  int& risingPulseCount() { return result_.risingPulseCount; }
  int& fallingPulseCount() { return result_.fallingPulseCount; }

  // --- program flow (program_flow.cpp) --------------------------------------------------------
  // CJ, CALL, SRET, FEND, FOR, NEXT and the P labels at the current step; any step after FEND
  // that stands in no subroutine.
  void translateProgramFlow();

 private:
  struct ProgramFlow;
  // After the walk: the checks that need the whole program (the calls' nesting), the
  // subroutines' functions, and the scan's statements in their final form.
  void finishProgramFlow();
  // Records a timer coil that a scan may pass over (jumped over, or in a subroutine).
  void noteTimerInFlow(int n);
  std::shared_ptr<ProgramFlow> flow_;  // made at the first step of a program that uses any
  void testStep();
  void refuseUnsupported();
  StepRef currentStep() const;
  // The devices the current output step may write ("M5", "D0"), for the evaluation plan.
  std::set<std::string> writtenDevices() const;
  void warnIfPassedOver();
  // Image entry at ScanIndex + offset (ProgramImage::kEmpty when it holds no byte).
  int at(int offset) const { return image_.at(scan_ + offset); }

  const ProgramImage& image_;
  TranslateOptions options_;
  int scan_ = kFirstStep;
  fx::StepWord step_;
  fx::StepWord previousStep_;
  std::optional<LadderStep> ladderStep_;
  std::set<int> ladderOutputs_;
  std::vector<std::string> conditions_;
  std::vector<std::vector<int>> edges_;  // the edge steps in each condition
  int conditionDepth_ = 0;
  std::vector<std::string> branches_;
  std::vector<std::vector<int>> branchEdges_;
  int branchDepth_ = 0;
  std::vector<int> zones_;  // open MC zones, by nesting level
  EvaluationPlan plan_;
  std::vector<std::vector<int>> reads_;  // the contacts in each condition, by step
  std::vector<std::vector<int>> branchReads_;
  // What this run saw of the contacts: the devices each reads, the outputs that read it, and
  // the devices each output step may write.
  std::map<int, std::vector<std::string>> contactDevices_;
  std::map<int, std::vector<int>> contactReaders_;
  std::map<int, std::set<std::string>> outputWrites_;
  // What this run saw of the edge steps: how often a scan their result is read, which are not
  // always reached, and which memory each uses.
  std::map<int, int> edgeUses_;
  std::set<int> trailingEdges_;
  std::map<int, std::string> edgeMemories_;
  bool flagsRead_ = false;
  std::vector<int> phasedTimers_;  // tph[k] belongs to timer phasedTimers_[k]
  bool outputsOff_ = false;        // a step names M8034
  bool recognised_ = false;
  bool stopped_ = false;
  bool fileFault_ = false;  // the stop is the file's: cut short, no END, an MC left open
  bool ended_ = false;
  // The first step since the last statement, whose statements are the next one's (-1: none); and
  // whether FEND has closed the scan's statements (later ones are subroutines').
  int unwrittenFrom_ = -1;
  bool mainClosed_ = false;
  Translation result_;
};

// The state of a device the firmware holds, as LD reads it: "(!inx(5))", "(m[1]&(0x01<<2))".
std::string deviceState(const fx::Device& device);

// True when the step is one of the contacts LD..ORI.
bool isContact(const fx::StepWord& step);

// --- instruction families, in the order the walk tries them --------------------------------
void translateXContacts(TranslatorRun& t);
void translateSpecialRelayContacts(TranslatorRun& t);
void refuseExtendedRelays(TranslatorRun& t);     // M1536 up, in the two-word forms
void translateDeviceContacts(TranslatorRun& t);  // M, Y, C, T
void translateCoils(TranslatorRun& t);           // OUT, SET, RST on Y and M
// The statement of OUT, SET or RST (`name`) on bit n of the image `image` ("m", "s").
void appendImageCoil(TranslatorRun& t, std::string_view name, std::string_view image, int n);
void translateBlockInstructions(TranslatorRun& t);  // INV, ANB, ORB, MPS, MPP, MRD
void translatePulses(TranslatorRun& t);             // PLS, PLF
void translateTimersAndCounters(TranslatorRun& t);  // OUT T, OUT C, RST T, RST C, MC, MCR
void translateEdgeContacts(TranslatorRun& t);
void translateAppliedInstructions(TranslatorRun& t);
void translateArithmetic(TranslatorRun& t);  // ADD, SUB, MUL, DIV, INC, DEC
void translateComparisons(TranslatorRun& t);
void translateCompareBits(TranslatorRun& t);  // CMP, ZCP, BON
void translateWordLogic(TranslatorRun& t);    // WAND, WOR, WXOR, CML, NEG, XCH, BCD, BIN, SUM, SMOV
void translateDataMoves(TranslatorRun& t);    // FMOV, BMOV, WSFR, WSFL
void translateBitShifts(TranslatorRun& t);    // ROR, ROL, SFTR, SFTL, DECO, ENCO
void translateStepLadder(TranslatorRun& t);   // STL, RET, and OUT/SET/RST on S
// Closes the step ladder (at RET and END): its open step ends, and the pins of the outputs its
// steps drove follow their images.
void closeStepLadder(TranslatorRun& t);

}  // namespace ladder51::detail
