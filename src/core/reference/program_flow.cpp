// The reference interpreter's program flow: jumps, subroutine calls and FOR loops, and the
// watchdog that stops a scan that does not end.
#include <algorithm>

#include "core/reference/interpreter.h"

namespace ladder51::reference {
namespace {

constexpr int kEndPointer = 63;  // CJ P63: to the end of the main program
constexpr int kLabels = 128;     // P0..P127
// The PLC nests subroutine calls 5 deep; a deeper one is an operation error, not run.
constexpr std::size_t kDeepestCalls = 5;
// The PLC's watchdog stops a scan after 200 ms, some 300 000 steps of a FX1N.
constexpr long kWatchdogSteps = 300'000;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

constexpr fx::Layout kApplied = fx::Layout::WordOperands;

}  // namespace

fx::StepWord flowStepWord(std::uint16_t word) {
  const fx::StepWord read = fx::decodeStepWord(word, false);
  for (const fx::Instruction* row :
       {&fx::row("CJ", kApplied), &fx::row("CALL", kApplied), &fx::row("SRET", kApplied),
        &fx::row("FEND", kApplied), &fx::row("FOR", kApplied), &fx::row("NEXT", kApplied),
        &fx::row("P", fx::Layout::Label)}) {
    if (read.instruction == row) return read;
  }
  return {};
}

std::optional<int> pointerOf(std::uint16_t first, std::uint16_t second) {
  const std::uint16_t words[] = {first, second};
  const std::optional<fx::Operand> operand = fx::readOperand(words, 16, false);
  if (!operand || operand->format->letter != 'P' || operand->index != 0) return std::nullopt;
  return static_cast<int>(operand->number);
}

void Interpreter::prepareFlow() {
  static constexpr std::pair<std::string_view, Flow> kKinds[] = {
      {"P", Flow::Label},        {"CJ", Flow::Jump},  {"CALL", Flow::Call}, {"SRET", Flow::Return},
      {"FEND", Flow::EndOfMain}, {"FOR", Flow::Loop}, {"NEXT", Flow::Next},
  };
  flows_.assign(steps_.size(), Flow::None);
  loopOf_.assign(steps_.size(), kNone);
  labels_.assign(kLabels, std::nullopt);
  mainEnd_ = steps_.size();
  std::vector<std::size_t> open;  // the FOR loops around the step
  for (std::size_t i = 0; i < steps_.size(); ++i) {
    const Step& step = steps_[i];
    for (const auto& [name, kind] : kKinds) {
      if (step.row->name == name) flows_[i] = kind;
    }
    loopOf_[i] = open.empty() ? kNone : open.back();
    const auto n = static_cast<std::size_t>(step.device.number);
    if (flows_[i] == Flow::Label && n < labels_.size() && !labels_[n]) labels_[n] = i;
    if (flows_[i] == Flow::EndOfMain && mainEnd_ == steps_.size()) mainEnd_ = i;
    if (flows_[i] == Flow::Loop) open.push_back(i);
    if (flows_[i] == Flow::Next && !open.empty()) open.pop_back();
  }
}

void Interpreter::runSteps() {
  calls_.clear();
  loops_.clear();
  long budget = kWatchdogSteps;
  for (std::size_t i = 0; i < steps_.size();) {
    if (--budget < 0) {
      // The PLC stops: its outputs go off.
      watchdog_ = true;
      std::fill(y_.begin(), y_.end(), false);
      return;
    }
    if (const std::optional<std::size_t> next = flow(i)) {
      i = *next;
      continue;
    }
    run(i);
    ++i;
  }
}

// True when CJ or CALL acts: its rung on (CJP, CALLP: on now, off when it last ran).
bool Interpreter::fires(const Step& step, std::size_t index) {
  const bool on = bus() && result_;
  if ((step.ref.words.front() & 0x1000) == 0) return on;
  const bool before = edgeMemory_[index];
  edgeMemory_[index] = on;
  return on && !before;
}

bool Interpreter::encloses(std::size_t loop, std::size_t index) const {
  for (std::size_t around = loopOf_[index]; around != kNone; around = loopOf_[around]) {
    if (around == loop) return true;
  }
  return false;
}

std::optional<std::size_t> Interpreter::flow(std::size_t index) {
  const Flow kind = flows_[index];
  if (kind == Flow::None) return std::nullopt;
  const Step& step = steps_[index];
  // A flow step ends the rung before it: the next LD opens a new one.
  afterOutput_ = true;
  const auto n = static_cast<std::size_t>(step.device.number);
  const std::size_t label = n < labels_.size() && labels_[n] ? *labels_[n] : kNone;
  switch (kind) {
    case Flow::Jump: {
      if (!fires(step, index)) return index + 1;
      if (step.device.number == kEndPointer) return mainEnd_;
      if (label == kNone) return index + 1;
      while (!loops_.empty() && !encloses(loops_.back().head, label)) loops_.pop_back();
      return label;
    }
    case Flow::Call:
      if (!fires(step, index) || label == kNone || calls_.size() >= kDeepestCalls) return index + 1;
      calls_.push_back({index + 1, result_, blocks_, branches_, loops_.size()});
      return label;
    case Flow::Return: {
      if (calls_.empty()) return steps_.size();
      Call call = std::move(calls_.back());
      calls_.pop_back();
      result_ = call.result;
      blocks_ = std::move(call.blocks);
      branches_ = std::move(call.branches);
      loops_.resize(std::min(loops_.size(), call.loops));
      return call.back;
    }
    case Flow::EndOfMain:
      return steps_.size();
    case Flow::Loop:
      loops_.push_back({index, std::max<long>(1, static_cast<long>(value(step, 0)))});
      return index + 1;
    case Flow::Next:
      if (loops_.empty()) return index + 1;
      if (--loops_.back().left > 0) return loops_.back().head + 1;
      loops_.pop_back();
      return index + 1;
    case Flow::Label:
    case Flow::None:
      break;
  }
  return index + 1;
}

}  // namespace ladder51::reference
