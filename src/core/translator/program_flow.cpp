// Program flow: the jumps CJ Pn and CJP Pn, the subroutines (CALL Pn, CALLP Pn, a label Pn after
// FEND up to SRET) and the loops FOR n ... NEXT.
//
// A jump is a C goto to the statement of its label, "jumpP10:;", and a loop's NEXT a goto back
// to the label in its FOR statement: SDCC's unit cuts the scan's statements into functions at
// their marks, so the marks between a goto and its label are dropped and both stay in one
// function. Each subroutine becomes a function "void subP33(void)" that fx1n.c places before
// main, called where its CALL stands.
//
// Code a scan may pass over (jumped over, or in a subroutine not called) holds its outputs, and
// its timers stop: they keep their count and contact, but a timer counts only after a scan in
// which its coil ran. The scan therefore begins by taking those timers out of the time base's
// count (their to[] bits), and their OUT T puts them back when it runs with the coil on.
//
// A backward jump repeats the steps from its label while its condition holds. When the repeated
// steps write nothing that condition reads (it reads only inputs, special relays and devices they
// leave alone, and no edge), the loop, once entered, never ends: the PLC's watchdog would stop it
// in the first such scan, so the program is refused. Other backward jumps are translated as they
// stand; one that repeats too long is cut short by the chip's watchdog, as the PLC's would.
#include <algorithm>
#include <functional>

#include "core/translator/instruction_list.h"
#include "core/translator/operands.h"

namespace ladder51::detail {
namespace {

// The PLC nests subroutine calls and FOR loops 5 deep.
constexpr int kDeepestNesting = 5;
// P63 is no label: CJ P63 jumps to the end of the main program.
constexpr int kEndPointer = 63;

constexpr std::string_view kLabel[] = {"jumpP{n}:;", ""};
constexpr std::string_view kJump[] = {"if({cond})goto jumpP{n};", ""};
// CJP and CALLP act in the scan their condition turns on: bit {c} of edgm[{C}] holds the
// condition of the last scan in which the instruction ran.
constexpr std::string_view kPulseJump[] = {
    "if({cond}){if(!(edgm[{C}]&(0x01<<{c}))){edgm[{C}]|=(0x01<<{c});goto jumpP{n};}}",
    "else",
    "edgm[{C}]&=(0xff-(0x01<<{c}));",
    "",
};
constexpr std::string_view kCall[] = {"if({cond})subP{n}();", ""};
constexpr std::string_view kPulseCall[] = {
    "if({cond}){if(!(edgm[{C}]&(0x01<<{c}))){edgm[{C}]|=(0x01<<{c});subP{n}();}}",
    "else",
    "edgm[{C}]&=(0xff-(0x01<<{c}));",
    "",
};
// FOR runs the steps up to NEXT {count} times, once for a count below 1 (as unsigned, 0 or above
// 32767).
constexpr std::string_view kFor[] = {
    "loopc[{k}]={count};if(loopc[{k}]==0||loopc[{k}]>32767)loopc[{k}]=1;",
    "loop{k}:;",
    "",
};
constexpr std::string_view kNext[] = {"if(--loopc[{k}])goto loop{k};", ""};
// A subroutine's function, declared before all of them so that any may call any other; the
// loops of ZRST need the index main declares for the scan.
constexpr std::string_view kSubroutineDeclaration = "void subP{n}(void);";
constexpr std::string_view kSubroutineHead = "void subP{n}(void)";
constexpr std::string_view kSubroutineOpen = "{";
constexpr std::string_view kSubroutineIndex = "unsigned int i;";
constexpr std::string_view kSubroutineClose = "}";
// At the start of the scan: the timers whose coils a scan may pass over stop counting.
constexpr std::string_view kStopTimer = "to[{B}]&=0xff-(0x01<<{b});";

std::string stepOf(int address) {
  return dec((address - kFirstStep) / 2);
}

// "P1 -> P2 -> P3"
std::string chainOf(const std::vector<int>& labels) {
  std::string chain;
  for (int n : labels) chain += (chain.empty() ? "P" : " -> P") + dec(n);
  return chain;
}

constexpr fx::Layout kApplied = fx::Layout::WordOperands;
constexpr const fx::Instruction* kCj = &fx::row("CJ", kApplied);
constexpr const fx::Instruction* kCallRow = &fx::row("CALL", kApplied);
constexpr const fx::Instruction* kSret = &fx::row("SRET", kApplied);
constexpr const fx::Instruction* kFend = &fx::row("FEND", kApplied);
constexpr const fx::Instruction* kForRow = &fx::row("FOR", kApplied);
constexpr const fx::Instruction* kNextRow = &fx::row("NEXT", kApplied);
constexpr const fx::Instruction* kLabelRow = &fx::row("P", fx::Layout::Label);

// The flow instruction or label a word begins, any form; nothing for the other words.
fx::StepWord flowStepOf(std::uint16_t word) {
  const std::uint16_t code = word & 0xEFFF;  // the pulse form adds 1000 hex
  const bool label = word >= kLabelRow->code && word <= kLabelRow->code + 127;
  const bool flow = label || code == kCj->code || code == kCallRow->code || code == kSret->code ||
                    code == kFend->code || code == kForRow->code || code == kNextRow->code;
  return flow ? fx::decodeStepWord(word, false) : fx::StepWord{};
}

// True when `text` names the identifier i, the loop index of main.
bool usesIndex(std::string_view text) {
  auto identifier = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  };
  for (std::size_t at = text.find('i'); at != std::string_view::npos; at = text.find('i', at + 1)) {
    if ((at == 0 || !identifier(text[at - 1])) &&
        (at + 1 == text.size() || !identifier(text[at + 1]))) {
      return true;
    }
  }
  return false;
}

}  // namespace

struct TranslatorRun::ProgramFlow {
  // Where a step stands: in the main program (-1) or a subroutine, inside FOR loops.
  struct Place {
    int subroutine = -1;
    std::vector<int> loops;  // the loops' steps' addresses, outermost first
  };
  struct Jump {
    int address;
    int n;
    std::size_t offset;  // where its statement begins
    Place place;
  };
  struct Label {
    int address;
    std::size_t offset;
    Place place;
  };
  struct Loop {
    int k;
    int address;
    std::size_t offset;
  };
  struct Subroutine {
    int address;
    int end = -1;  // its SRET
    std::string body;
  };
  struct Call {
    int address;
    int n;
    int caller;  // the subroutine it stands in, or -1
  };
  enum class Part { Main, AfterFend, Subroutine };

  // From a look over the program's words before the walk.
  std::map<int, int> labels;  // P n: the address of its first label
  std::set<int> jumpTargets;  // the labels some CJ names
  int fend = -1;
  int end = -1;
  // The walk.
  Part part = Part::Main;
  int subroutine = -1;  // the open one
  std::vector<Jump> pending;
  std::map<int, Label> walked;
  std::vector<Loop> loops;
  std::map<int, Subroutine> subroutines;
  std::vector<Call> calls;
  int forwardEnd = -1;  // the main program's steps before it may be jumped over
  std::set<int> passedTimers;
  std::vector<std::pair<std::size_t, std::size_t>> together;  // spans of the main statements
  std::optional<std::pair<std::string, std::vector<StatementMark>>> main;  // kept after FEND

  // Looks over the program for labels and flow instructions: nothing when it has none.
  static std::shared_ptr<ProgramFlow> lookOver(const TranslatorRun& t) {
    auto flow = std::make_shared<ProgramFlow>();
    bool any = false;
    for (int k = 0; kFirstStep + 2 * k <= kLastStep; ++k) {
      const std::optional<std::uint16_t> w = t.word(k);
      if (!w || *w == fx::row("END", fx::Layout::Alone).code) {
        flow->end = kFirstStep + 2 * k;
        break;
      }
      const fx::StepWord step = flowStepOf(*w);
      if (!step.instruction) continue;
      any = true;
      if (step.instruction == kLabelRow)
        flow->labels.emplace(step.device->number, kFirstStep + 2 * k);
      if (step.instruction == kFend && flow->fend < 0) flow->fend = kFirstStep + 2 * k;
      if (step.instruction == kCj) {
        if (const std::optional<int> n = pointer(t, k + 1)) flow->jumpTargets.insert(*n);
      }
    }
    return any ? flow : nullptr;
  }

  // The pointer P n in words k and k+1.
  static std::optional<int> pointer(const TranslatorRun& t, int k) {
    const std::optional<std::uint16_t> first = t.word(k);
    const std::optional<std::uint16_t> second = t.word(k + 1);
    if (!first || !second) return std::nullopt;
    const std::uint16_t words[] = {*first, *second};
    const std::optional<fx::Operand> operand = fx::readOperand(words, 16, false);
    if (!operand || operand->format->letter != 'P' || operand->index != 0) return std::nullopt;
    return static_cast<int>(operand->number);
  }

  Place place() const {
    Place here{part == Part::Subroutine ? subroutine : -1, {}};
    for (const Loop& loop : loops) here.loops.push_back(loop.address);
    return here;
  }

  int labelAddress(int n) const {
    if (n == kEndPointer) return fend >= 0 ? fend : end;
    const auto label = labels.find(n);
    return label == labels.end() ? -1 : label->second;
  }

  // Refuses `jump` to a label that stands at `to` when it leaves its part of the program or enters
  // a loop; returns true when it refused.
  static bool refuseJump(TranslatorRun& t, const Jump& jump, const Place& to) {
    if (jump.place.subroutine != to.subroutine) {
      // The main program's "subroutine" is -1.
      std::vector<NoticeValue> values = {{"n", dec(jump.n)}, {"step", stepOf(jump.address)}};
      if (jump.place.subroutine >= 0) values.push_back({"from", dec(jump.place.subroutine)});
      if (to.subroutine >= 0) values.push_back({"to", dec(to.subroutine)});
      t.refuse(jump.place.subroutine < 0 ? ReasonKind::JumpIntoSubroutine
               : to.subroutine < 0       ? ReasonKind::JumpOutOfSubroutine
                                         : ReasonKind::JumpBetweenSubroutines,
               std::move(values));
      return true;
    }
    const auto& outer = jump.place.loops;
    const auto& inner = to.loops;
    const auto mismatch =
        std::mismatch(inner.begin(), inner.end(), outer.begin(), outer.end()).first;
    if (mismatch == inner.end()) return false;
    t.refuse(ReasonKind::JumpIntoLoop,
             {{"n", dec(jump.n)}, {"step", stepOf(jump.address)}, {"loop", stepOf(*mismatch)}});
    return true;
  }

  // The label statement of a walked label (or of the end of the main program) and the jumps
  // to it waiting for it.
  void placeLabel(TranslatorRun& t, int n) {
    const std::size_t offset = t.result_.statements.size();
    if (jumpTargets.contains(n)) t.appendStatement(CodeWriter().set("n", dec(n)).lines(kLabel));
    walked[n] = {t.scan_, offset, place()};
    for (auto jump = pending.begin(); jump != pending.end();) {
      if (jump->n != n) {
        ++jump;
        continue;
      }
      if (refuseJump(t, *jump, walked[n].place)) return;
      if (part == Part::Main) together.push_back({jump->offset, offset});
      jump = pending.erase(jump);
    }
  }

  // True when a backward jump's condition may change while the steps from its label repeat.
  bool conditionMayChange(TranslatorRun& t, int from, bool pulse) {
    if (t.conditionDepth_ == 0) return true;  // no rung: the jump's statement faults
    if (pulse || !t.topEdges().empty() || t.zone() >= 0) return true;
    for (const Call& call : calls) {
      if (call.address >= from) return true;
    }
    std::set<std::string> written;
    for (auto w = t.outputWrites_.lower_bound(from);
         w != t.outputWrites_.end() && w->first < t.scan_; ++w) {
      written.insert(w->second.begin(), w->second.end());
    }
    for (int contact : t.topReads()) {
      const auto devices = t.contactDevices_.find(contact);
      if (devices == t.contactDevices_.end()) continue;
      for (const std::string& device : devices->second) {
        if (written.contains(device)) return true;
      }
    }
    return false;
  }

  // The statement of CJ, CJP, CALL or CALLP under the rung's condition; nothing after a stop.
  std::optional<std::size_t> appendUnderCondition(TranslatorRun& t, std::string_view name, int n,
                                                  bool pulse,
                                                  std::span<const std::string_view> plain,
                                                  std::span<const std::string_view> pulsed) {
    std::vector<Field> fields = {{"n", dec(n)}};
    if (pulse) {
      const int j = t.result_.edgeMemories++;
      fields.insert(fields.end(), {{"C", dec(j / 8)}, {"c", dec(j % 8)}});
    }
    std::optional<CodeWriter> statement = t.guarded(name, fields);
    if (!statement) return std::nullopt;
    const std::size_t offset = t.result_.statements.size();
    t.appendStatement(statement->lines(pulse ? pulsed : plain));
    return offset;
  }

  void jump(TranslatorRun& t, int n, bool pulse) {
    if (n != kEndPointer && !labels.contains(n)) {
      t.refuse(ReasonKind::NoLabel, {{"n", dec(n)}});
      return;
    }
    if (n == kEndPointer && part == Part::Subroutine) {
      t.refuse(ReasonKind::EndFromSubroutine, {{"owner", dec(subroutine)}});
      return;
    }
    const int target = labelAddress(n);
    const Jump here{t.scan_, n, 0, place()};
    const auto label = walked.find(n);
    const bool backward = target < t.scan_ && label != walked.end();
    if (backward) {
      if (refuseJump(t, here, label->second.place)) return;
      if (!conditionMayChange(t, target, pulse)) {
        t.refuse(ReasonKind::EndlessJump, {{"n", dec(n)}, {"label", stepOf(target)}});
        return;
      }
    }
    const std::optional<std::size_t> offset =
        appendUnderCondition(t, "CJ", n, pulse, kJump, kPulseJump);
    if (!offset) return;
    if (backward) {
      if (part == Part::Main) together.push_back({label->second.offset, *offset});
      return;
    }
    pending.push_back({t.scan_, n, *offset, here.place});
    if (part == Part::Main) forwardEnd = std::max(forwardEnd, target);
  }

  void call(TranslatorRun& t, int n, bool pulse) {
    const int label = labelAddress(n);
    if (label < 0) {
      t.refuse(ReasonKind::NoSubroutine, {{"n", dec(n)}});
      return;
    }
    if (fend < 0 || label < fend) {
      t.refuse(ReasonKind::LabelInMain, {{"n", dec(n)}});
      return;
    }
    if (!appendUnderCondition(t, "CALL", n, pulse, kCall, kPulseCall)) return;
    calls.push_back({t.scan_, n, part == Part::Subroutine ? subroutine : -1});
  }

  void label(TranslatorRun& t, int n) {
    if (n == kEndPointer) {
      t.refuse(ReasonKind::EndLabel);
      return;
    }
    if (const auto first = walked.find(n); first != walked.end()) {
      t.refuse(
          ReasonKind::DoubleLabel,
          {{"n", dec(n)}, {"first", stepOf(first->second.address)}, {"second", stepOf(t.scan_)}});
      return;
    }
    if (part == Part::AfterFend) {
      part = Part::Subroutine;
      subroutine = n;
      subroutines[n] = {t.scan_, -1, {}};
    }
    placeLabel(t, n);
  }

  void loop(TranslatorRun& t) {
    if (static_cast<int>(loops.size()) >= kDeepestNesting) {
      std::string steps;
      for (const Loop& outer : loops) steps += (steps.empty() ? "" : ", ") + stepOf(outer.address);
      t.refuse(ReasonKind::LoopTooDeep, {{"steps", steps}});
      return;
    }
    const std::optional<std::string> count = sourceText(t, decodeWordOperand(t, 1), "FOR", "count");
    if (!count) return;
    const int k = t.result_.loops++;
    const std::size_t offset = t.result_.statements.size();
    t.appendStatement(CodeWriter().set("k", dec(k)).set("count", *count).lines(kFor));
    loops.push_back({k, t.scan_, offset});
  }

  void next(TranslatorRun& t) {
    if (loops.empty()) {
      t.fault(ReasonKind::NextWithoutFor);
      return;
    }
    const Loop loop = loops.back();
    loops.pop_back();
    const std::size_t offset = t.result_.statements.size();
    t.appendStatement(CodeWriter().set("k", dec(loop.k)).lines(kNext));
    if (part == Part::Main) together.push_back({loop.offset, offset});
  }

  // The checks at the end of a part (at FEND, SRET or END); returns true when the walk stopped.
  bool closePart(TranslatorRun& t, std::string_view endName) {
    if (!loops.empty()) {
      t.fault(ReasonKind::ForWithoutNext,
              {{"step", stepOf(loops.back().address)}, {"end", std::string(endName)}});
      return true;
    }
    if (!t.zones_.empty() && endName != "END") {
      t.fault(ReasonKind::ZoneOpenAtPartEnd, {{"end", std::string(endName)}});
      return true;
    }
    if (part == Part::Main && std::any_of(pending.begin(), pending.end(),
                                          [](const Jump& j) { return j.n == kEndPointer; })) {
      jumpTargets.insert(kEndPointer);
      placeLabel(t, kEndPointer);
    }
    return t.stopped();
  }

  void endMain(TranslatorRun& t) {
    if (part != Part::Main) {
      t.refuse(ReasonKind::SecondFend, {{"first", stepOf(fend)}});
      return;
    }
    if (closePart(t, "FEND")) return;
    closeStepLadder(t);
    main.emplace(std::move(t.result_.statements), std::move(t.result_.marks));
    t.mainClosed_ = true;
    t.result_.statements.clear();
    t.result_.marks.clear();
    part = Part::AfterFend;
  }

  void endSubroutine(TranslatorRun& t) {
    if (part != Part::Subroutine) {
      t.refuse(ReasonKind::ReturnOutside);
      return;
    }
    if (closePart(t, "SRET")) return;
    Subroutine& open = subroutines[subroutine];
    open.body = std::move(t.result_.statements);
    open.end = t.scan_;
    t.result_.statements.clear();
    t.result_.marks.clear();
    part = Part::AfterFend;
  }

  void endProgram(TranslatorRun& t) {
    if (part == Part::Subroutine) {
      t.fault(ReasonKind::NoReturn, {{"n", dec(subroutine)}});
      return;
    }
    if (part == Part::Main && closePart(t, "END")) return;
    restoreMain(t);
  }

  void restoreMain(TranslatorRun& t) {
    if (!main) return;
    t.result_.statements = std::move(main->first);
    t.result_.marks = std::move(main->second);
    main.reset();
  }

  // The step at `address` refused after the walk.
  static void refuseAt(TranslatorRun& t, int address, ReasonKind kind,
                       std::vector<NoticeValue> values) {
    t.scan_ = address;
    t.refuse(kind, std::move(values));
  }

  // Refuses a call of a label that begins no subroutine; returns false when it refused.
  bool checkCall(TranslatorRun& t, const Call& c) {
    if (subroutines.contains(c.n)) return true;
    int owner = -1;
    for (const auto& [n, sub] : subroutines) {
      if (sub.address < labelAddress(c.n) && sub.end > labelAddress(c.n)) owner = n;
    }
    if (owner < 0) {
      refuseAt(t, c.address, ReasonKind::NoSubroutine, {{"n", dec(c.n)}});
    } else {
      refuseAt(t, c.address, ReasonKind::LabelInsideSubroutine,
               {{"n", dec(c.n)}, {"step", stepOf(c.address)}, {"owner", dec(owner)}});
    }
    return false;
  }

  // The longest chain of calls that subroutine n begins, n first (`known` keeps those found,
  // `path` the subroutines on the way to n); refuses a subroutine that calls itself, through
  // others or not. Nothing when it refused.
  std::optional<std::vector<int>> deepestChain(TranslatorRun& t, int n, std::vector<int>& path,
                                               std::map<int, std::vector<int>>& known) {
    if (const auto found = known.find(n); found != known.end()) return found->second;
    path.push_back(n);
    std::vector<int> deepest;
    for (const Call& c : calls) {
      if (c.caller != n) continue;
      if (!checkCall(t, c)) return std::nullopt;
      if (const auto again = std::find(path.begin(), path.end(), c.n); again != path.end()) {
        std::vector<int> loop(again, path.end());
        loop.push_back(c.n);
        refuseAt(t, c.address, ReasonKind::Recursion, {{"n", dec(c.n)}, {"chain", chainOf(loop)}});
        return std::nullopt;
      }
      const std::optional<std::vector<int>> below = deepestChain(t, c.n, path, known);
      if (!below) return std::nullopt;
      if (below->size() > deepest.size()) deepest = *below;
    }
    path.pop_back();
    deepest.insert(deepest.begin(), n);
    known[n] = deepest;
    return deepest;
  }

  // The devices a subroutine's steps may write, with those of the subroutines it calls.
  const std::set<std::string>& writesOf(const TranslatorRun& t, int n,
                                        std::map<int, std::set<std::string>>& known) const {
    if (const auto found = known.find(n); found != known.end()) return found->second;
    const Subroutine& sub = subroutines.at(n);
    std::set<std::string> written;
    for (auto w = t.outputWrites_.lower_bound(sub.address);
         w != t.outputWrites_.end() && w->first < sub.end; ++w) {
      written.insert(w->second.begin(), w->second.end());
    }
    for (const Call& c : calls) {
      if (c.caller != n) continue;
      const std::set<std::string>& inner = writesOf(t, c.n, known);
      written.insert(inner.begin(), inner.end());
    }
    return known[n] = std::move(written);
  }

  void finish(TranslatorRun& t) {
    restoreMain(t);
    if (t.stopped_) return;
    std::map<int, std::vector<int>> known;
    std::vector<int> path;
    for (const Call& c : calls) {
      if (c.caller >= 0) continue;
      if (!checkCall(t, c)) return;
      const std::optional<std::vector<int>> chain = deepestChain(t, c.n, path, known);
      if (!chain) return;
      if (static_cast<int>(chain->size()) > kDeepestNesting) {
        refuseAt(t, c.address, ReasonKind::CallsTooDeep, {{"chain", chainOf(*chain)}});
        return;
      }
    }
    std::set<int> reached;
    for (const auto& [n, chain] : known) reached.insert(n);
    // Subroutines the main program does not call still must not call themselves.
    for (const auto& [n, sub] : subroutines) {
      if (!deepestChain(t, n, path, known)) return;
    }
    // A contact read after a CALL in the same rung is read as the rung read it before the call.
    std::map<int, std::set<std::string>> writes;
    for (const Call& c : calls) {
      const std::set<std::string>& written = writesOf(t, c.n, writes);
      t.outputWrites_[c.address].insert(written.begin(), written.end());
    }
    writeSubroutines(t, reached);
    keepJumpsTogether(t);
    stopPassedTimers(t);
  }

  void writeSubroutines(TranslatorRun& t, const std::set<int>& reached) {
    CodeWriter text;
    for (int n : reached) text.set("n", dec(n)).line(kSubroutineDeclaration);
    for (int n : reached) {
      const std::string& body = subroutines.at(n).body;
      text.set("n", dec(n)).line(kSubroutineHead).line(kSubroutineOpen);
      if (usesIndex(body)) text.join(kSubroutineIndex);
      t.result_.subroutines += text.take();
      t.result_.subroutines += body;
      text.line(kSubroutineClose);
    }
    t.result_.subroutines += text.take();
  }

  // Drops the marks between each goto and its label, so that SDCC's unit keeps them in one
  // function.
  void keepJumpsTogether(TranslatorRun& t) {
    std::vector<StatementMark>& marks = t.result_.marks;
    std::erase_if(marks, [this](const StatementMark& mark) {
      return std::any_of(together.begin(), together.end(), [&](const auto& span) {
        const auto [low, high] = std::minmax(span.first, span.second);
        return mark.offset > low && mark.offset <= high;
      });
    });
  }

  // (The FX time base's timers count only where their coils run: they need no stopping.)
  void stopPassedTimers(TranslatorRun& t) {
    if (passedTimers.empty() || t.options().timeBase == TimeBaseChoice::Fx) return;
    CodeWriter statement;
    for (int n : passedTimers) {
      for (const Field& field : bitFields(n)) statement.set(field.name, field.value);
      statement.line(kStopTimer);
    }
    const std::string text = statement.line("").take();
    for (StatementMark& mark : t.result_.marks) mark.offset += text.size();
    for (StepStatements& span : t.result_.stepStatements) {
      span.begin += text.size();
      span.end += text.size();
    }
    t.result_.marks.insert(t.result_.marks.begin(), StatementMark{0});
    t.result_.statements.insert(0, text);
  }
};

void TranslatorRun::translateProgramFlow() {
  if (scan_ == kFirstStep) flow_ = ProgramFlow::lookOver(*this);
  if (!flow_) return;
  ProgramFlow& flow = *flow_;
  const std::uint16_t w = *word(0);
  const fx::StepWord step = flowStepOf(w);
  const fx::Instruction* row = step.instruction;
  const bool end = stepIs(fx::row("END", fx::Layout::Alone));
  if (end) {
    flow.endProgram(*this);
    return;
  }
  if (flow.part == ProgramFlow::Part::AfterFend && row != kLabelRow && row != kSret &&
      row != kFend && !fx::isOperandWord(w) && !stepIs(fx::row("NOP", fx::Layout::Alone))) {
    const std::string text = describeInstruction(currentStep().words);
    if (text.empty()) {
      refuse(ReasonKind::StepAfterFend);
    } else {
      refuse(ReasonKind::InstructionAfterFend, {{"instruction", text}});
    }
    return;
  }
  if (flow.part == ProgramFlow::Part::Subroutine &&
      stepIs(fx::row("STL", fx::Layout::DeviceInWord))) {
    refuse(ReasonKind::StepLadderInSubroutine, {{"owner", dec(flow.subroutine)}});
    return;
  }
  if (!row) return;
  recognise();
  const bool pulse = step.variant.pulse;
  std::optional<int> n;
  if (row == kCj || row == kCallRow) {
    n = ProgramFlow::pointer(*this, 1);
    if (!n) {
      recognised_ = false;  // an operand the translator does not read: listed as such
      return;
    }
  }
  if (ladderStep_ && row != kFend && row != kSret) {
    const std::string text = describeInstruction(currentStep().words);
    refuse(ReasonKind::FlowInStepLadder,
           {{"instruction", text.empty() ? std::string(row->name) : text}});
    return;
  }
  if (row == kLabelRow) {
    flow.label(*this, step.device->number);
  } else if (row == kCj) {
    flow.jump(*this, *n, pulse);
  } else if (row == kCallRow) {
    flow.call(*this, *n, pulse);
  } else if (row == kSret) {
    flow.endSubroutine(*this);
  } else if (row == kFend) {
    flow.endMain(*this);
  } else if (row == kForRow) {
    flow.loop(*this);
  } else if (row == kNextRow) {
    flow.next(*this);
  }
}

void TranslatorRun::finishProgramFlow() {
  if (flow_) flow_->finish(*this);
}

void TranslatorRun::noteTimerInFlow(int n) {
  if (!flow_) return;
  if (flow_->part == ProgramFlow::Part::Subroutine || scan_ < flow_->forwardEnd) {
    flow_->passedTimers.insert(n);
  }
}

}  // namespace ladder51::detail
