#include "core/reference/interpreter.h"

#include <algorithm>
#include <span>

#include "core/translator/instruction_list.h"

namespace ladder51::reference {
namespace {

constexpr int kPoints = 256;          // X0..X377, Y0..Y377
constexpr int kRelays = 3072;         // M0..M3071
constexpr int kStates = 1000;         // S0..S999
constexpr int kSpecialRelays = 256;   // M8000..M8255
constexpr int kTimersCounters = 256;  // T0..T255, C0..C255
constexpr int kRegisters = 32768;     // D0..D32767

// Each device's cell in the table of last writers.
constexpr int kYCells = 0;
constexpr int kMCells = kYCells + kPoints;
constexpr int kSpecialCells = kMCells + kRelays;
constexpr int kTCells = kSpecialCells + kSpecialRelays;
constexpr int kCCells = kTCells + kTimersCounters;
constexpr int kDCells = kCCells + kTimersCounters;
constexpr int kSCells = kDCells + kRegisters;
constexpr int kCells = kSCells + kStates;
// Timers from T200 count units of a tenth of the others'.
constexpr int kFirstTenthTimer = 200;
// M8034 holds the outputs off; D8010..D8012 are the scan times.
constexpr std::size_t kOutputsOff = 34;
constexpr std::size_t kScanTimes = 8010;

std::optional<int> cellOf(const fx::Device& device) {
  switch (device.letter) {
    case 'Y':
      return kYCells + device.number;
    case 'M':
      return device.number >= 8000 ? kSpecialCells + device.number - 8000 : kMCells + device.number;
    case 'T':
      return kTCells + device.number;
    case 'C':
      return kCCells + device.number;
    case 'D':
      return kDCells + device.number;
    case 'S':
      return kSCells + device.number;
    default:
      return std::nullopt;
  }
}

bool is(const Step& step, std::string_view name) {
  return step.row->name == name;
}
bool isAny(const Step& step, std::initializer_list<std::string_view> names) {
  return std::any_of(names.begin(), names.end(), [&](std::string_view n) { return is(step, n); });
}

// The number of words of an instruction in one of its forms, its own included.
int wordCount(const fx::Instruction& row, fx::Variant variant) {
  switch (row.layout) {
    case fx::Layout::Alone:
    case fx::Layout::DeviceInWord:
    case fx::Layout::Label:
      return 1;
    case fx::Layout::DeviceWord:
    case fx::Layout::Nesting:
      return 2;
    case fx::Layout::NumberInWord:
      return row.forms == fx::form::Bits32 ? 5 : 3;
    case fx::Layout::MasterControl:
      return 3;
    case fx::Layout::WordOperands:
      return 1 + (variant.wide ? 4 : 2) * static_cast<int>(row.operands.size());
  }
  return 1;
}

// Whether an operand may stand where the row's operand kind is: bits where a bit is read,
// pointers where a pointer is, anything that names a value elsewhere (constants only where a
// value is read). Set values take T and C values too, as the translator reads them.
bool fitsKind(const fx::Operand& operand, char kind) {
  const char letter = operand.format->letter;
  const bool group = operand.format->payload == fx::Payload::Group;
  for (const fx::OperandKind& known : fx::kOperandKinds) {
    if (known.kind != kind) continue;
    if (group) return known.groups;
    return known.letters.find(letter) != std::string_view::npos ||
           (kind == 'v' && (letter == 'T' || letter == 'C'));
  }
  return false;
}

// The operand in the words at `words`, in the standard formats, else in the flat ones.
std::optional<fx::Operand> operandAt(std::span<const std::uint16_t> words, int size) {
  if (auto standard = fx::readOperand(words, size, false)) return standard;
  return fx::readOperand(words, size, true);
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

// The half periods of M8011..M8014 in hundredths of a timer unit.
constexpr std::int64_t kClockHalfPeriods[] = {5, 50, 500, 30000};

}  // namespace

int Step::size() const {
  return variant.wide ||
                 (row && row->layout == fx::Layout::NumberInWord && row->forms == fx::form::Bits32)
             ? 32
             : 16;
}

std::string Step::text() const {
  const std::string listed = describeInstruction(ref.words);
  return listed.empty() ? std::string(row->name) : listed;
}

std::optional<fx::Device> parseDevice(std::string_view name) {
  if (name.size() < 2 || name.size() > 6) return std::nullopt;
  const char letter = name[0];
  if (std::string_view("XYMSTCD").find(letter) == std::string_view::npos) return std::nullopt;
  int number = 0;
  for (char c : name.substr(1)) {
    if (c < '0' || c > (fx::isPointLetter(letter) ? '7' : '9')) return std::nullopt;
    number = number * (fx::isPointLetter(letter) ? 8 : 10) + (c - '0');
  }
  return fx::Device{letter, number};
}

Result<std::vector<Step>> decodeSteps(const ProgramImage& image) {
  std::vector<Step> steps;
  for (int at = kFirstStep; at + 1 <= kLastStep + 1;) {
    auto wordAt = [&image](int byte) -> std::optional<std::uint16_t> {
      if (image.at(byte) == ProgramImage::kEmpty || image.at(byte + 1) == ProgramImage::kEmpty) {
        return std::nullopt;
      }
      return static_cast<std::uint16_t>(image.at(byte + 1) << 8 | image.at(byte));
    };
    const std::optional<std::uint16_t> first = wordAt(at);
    if (!first) break;
    const fx::StepWord read = fx::decodeStepWord(*first, true);
    Step step;
    step.ref.byteAddress = at;
    step.ref.words.push_back(*first);
    // OUT C235 up: a high-speed counter counts its input's pulses, not the scan's.
    const bool highSpeed =
        read.instruction && read.instruction->layout == fx::Layout::NumberInWord &&
        read.device->letter == 'C' && read.device->number >= Interpreter::kFirstHighSpeed;
    if (!read.instruction || !Interpreter::runs(*read.instruction) || highSpeed) {
      return Error{ErrorKind::ProgramUnsupported,
                   "the reference interpreter does not run this step", step.ref};
    }
    step.row = read.instruction;
    step.variant = read.variant;
    const int count = wordCount(*step.row, step.variant);
    for (int k = 1; k < count; ++k) {
      const std::optional<std::uint16_t> w = wordAt(at + 2 * k);
      if (!w) return Error{ErrorKind::ProgramFault, "the program ends inside a step", step.ref};
      step.ref.words.push_back(*w);
    }
    const std::span<const std::uint16_t> w = step.ref.words;
    // A device word's device, in a block the row takes.
    const auto deviceIn = [&](std::uint16_t word) {
      const auto device = fx::deviceOfDeviceWord(word);
      return device && (fx::areaOf(*device) & step.row->areas) != 0 ? device : std::nullopt;
    };
    bool readable = true;
    switch (step.row->layout) {
      case fx::Layout::Alone:
        break;
      case fx::Layout::Label:
        step.device = *read.device;
        break;
      case fx::Layout::DeviceInWord:
        step.device = *read.device;
        break;
      case fx::Layout::NumberInWord: {
        step.device = *read.device;
        const auto setValue = operandAt(w.subspan(1), step.size());
        readable = setValue && fitsKind(*setValue, step.row->operands[0]);
        if (setValue) step.operands.push_back(*setValue);
        break;
      }
      case fx::Layout::DeviceWord: {
        const auto device = deviceIn(w[1]);
        readable = device.has_value();
        if (device) step.device = *device;
        break;
      }
      case fx::Layout::MasterControl: {
        const auto level = fx::nestingLevelOf(w[1]);
        const auto device = deviceIn(w[2]);
        readable = level && device && (device->letter == 'Y' || device->letter == 'M');
        if (readable) step.nesting = *level, step.device = *device;
        break;
      }
      case fx::Layout::Nesting: {
        const auto level = fx::nestingLevelOf(w[1]);
        readable = level.has_value();
        if (level) step.nesting = *level;
        break;
      }
      case fx::Layout::WordOperands: {
        const std::size_t length = step.variant.wide ? 4 : 2;
        for (std::size_t k = 0; k < step.row->operands.size() && readable; ++k) {
          if (step.row->operands[k] == 'p') {  // CJ, CALL: the label is the step's device
            const std::optional<int> label = pointerOf(w[1 + length * k], w[2 + length * k]);
            readable = label.has_value();
            if (label) step.device = {'P', *label};
            continue;
          }
          const auto operand = operandAt(w.subspan(1 + length * k), step.size());
          readable = operand && fitsKind(*operand, step.row->operands[k]);
          if (operand) step.operands.push_back(*operand);
        }
        break;
      }
    }
    if (!readable) {
      return Error{ErrorKind::ProgramUnsupported,
                   "the reference interpreter cannot read the operands of this step", step.ref};
    }
    at += 2 * count;
    if (is(step, "NOP")) continue;
    if (is(step, "END")) return steps;
    steps.push_back(std::move(step));
  }
  return Error{ErrorKind::ProgramFault, "the program has no END",
               StepRef{kFirstStep + 2 * static_cast<int>(steps.size()), {}}};
}

Interpreter::Interpreter(std::vector<Step> steps, TimeBase timeBase)
    : steps_(std::move(steps)),
      time_(timeBase),
      xInputs_(kPoints),
      x_(kPoints),
      y_(kPoints),
      m_(kRelays),
      s_(kStates),
      special_(kSpecialRelays),
      timers_(kTimersCounters),
      counters_(kTimersCounters),
      d_(kRegisters),
      routines_(steps_.size()),
      edgeMemory_(steps_.size()),
      writer_(kCells, -1),
      changedIn_(kCells, -1),
      unsettledIn_(kCells, -1) {
  for (std::size_t i = 0; i < steps_.size(); ++i) {
    if (steps_[i].row->layout == fx::Layout::WordOperands) {
      routines_[i] = routineOf(steps_[i].row->name);
    }
  }
  prepareFlow();
}

void Interpreter::setInput(int point, bool on) {
  if (point >= 0 && point < kPoints) xInputs_[static_cast<std::size_t>(point)] = on;
}

std::int64_t Interpreter::unitsAt(std::int64_t timeMicros, int parts) const {
  return floorDiv((timeMicros - time_.phaseMicros) * parts, time_.unitMicros);
}

bool Interpreter::clockAt(std::int64_t timeMicros, std::int64_t halfHundredths) const {
  return floorDiv((timeMicros - time_.phaseMicros) * 100, time_.unitMicros * halfHundredths) % 2 !=
         0;
}

void Interpreter::scan(std::int64_t timeMicros) {
  if (watchdog_) return;
  // Timers whose coil was on count the shared unit boundaries passed since the last scan.
  sinceLastScan_ = scans_ > 0 ? timeMicros - lastTime_ : 0;
  if (scans_ > 0 && !time_.ownUnits) {
    const std::int64_t ticks = unitsAt(timeMicros, 1) - unitsAt(lastTime_, 1);
    const std::int64_t tenths = unitsAt(timeMicros, 10) - unitsAt(lastTime_, 10);
    for (std::size_t n = 0; n < timers_.size(); ++n) {
      Timer& timer = timers_[n];
      const std::int64_t passed = n >= kFirstTenthTimer ? tenths : ticks;
      if (timer.running)
        timer.count =
            static_cast<std::int16_t>(std::min<std::int64_t>(32767, timer.count + passed));
      timer.running = false;  // until its coil runs, on, in this scan
    }
  }
  // The scan before this one lasted until now.
  if (scans_ > 0) {
    const auto tenths =
        static_cast<std::int16_t>(std::min<std::int64_t>(32767, (timeMicros - lastTime_) / 100));
    d_[kScanTimes] = tenths;
    if (scans_ == 1 || tenths < d_[kScanTimes + 1]) d_[kScanTimes + 1] = tenths;
    if (scans_ == 1 || tenths > d_[kScanTimes + 2]) d_[kScanTimes + 2] = tenths;
  }
  lastTime_ = timeMicros;
  x_ = xInputs_;
  special_[0] = true;         // M8000
  special_[1] = false;        // M8001
  special_[2] = scans_ == 0;  // M8002
  special_[3] = scans_ > 0;   // M8003
  for (int k = 0; k < 4; ++k)
    special_[static_cast<std::size_t>(11 + k)] = clockAt(timeMicros, kClockHalfPeriods[k]);
  result_ = false;
  afterOutput_ = true;
  blocks_.clear();
  branches_.clear();
  zones_.clear();
  ladder_.reset();
  runSteps();
  endLadderStep();
  ++scans_;
}

bool Interpreter::bus() const {
  return std::all_of(zones_.begin(), zones_.end(), [](const Zone& z) { return z.on; }) &&
         (!ladder_ || ladder_->active);
}

void Interpreter::endLadderStep() {
  if (!ladder_) return;
  if (ladder_->transfer) {
    for (int state : ladder_->states) writeBit({'S', state}, false, ladder_->first);
  }
  ladder_.reset();
}

bool Interpreter::bit(const fx::Device& device) const {
  const auto n = static_cast<std::size_t>(device.number);
  switch (device.letter) {
    case 'X':
      return n < x_.size() && x_[n];
    case 'Y':
      return n < y_.size() && y_[n];
    case 'M':
      if (device.number >= 8000) return n - 8000 < special_.size() && special_[n - 8000];
      return n < m_.size() && m_[n];
    case 'S':
      return n < s_.size() && s_[n];
    case 'T':
      return n < timers_.size() && timers_[n].contact;
    case 'C':
      return n < counters_.size() && counters_[n].contact;
    default:
      return false;
  }
}

bool Interpreter::output(int point) const {
  return bit({'Y', point}) && !special_[kOutputsOff];
}

std::uint16_t Interpreter::word(const fx::Device& device) const {
  const auto n = static_cast<std::size_t>(device.number);
  std::int16_t value = 0;
  if (device.letter == 'T' && n < timers_.size()) value = timers_[n].count;
  if (device.letter == 'C' && n < counters_.size()) {
    value = static_cast<std::int16_t>(static_cast<std::uint16_t>(counters_[n].count));
  }
  if (device.letter == 'D' && n < d_.size()) value = d_[n];
  return static_cast<std::uint16_t>(value);
}

std::optional<std::size_t> Interpreter::lastWriter(const fx::Device& device) const {
  const std::optional<int> cell = cellOf(device);
  if (!cell || *cell < 0 || *cell >= kCells) return std::nullopt;
  const int index = writer_[static_cast<std::size_t>(*cell)];
  if (index < 0) return std::nullopt;
  return static_cast<std::size_t>(index);
}

void Interpreter::writeBit(const fx::Device& device, bool on, std::size_t index) {
  const auto n = static_cast<std::size_t>(device.number);
  std::vector<bool>* image = nullptr;
  std::size_t at = n;
  if (device.letter == 'Y') image = &y_;
  if (device.letter == 'S') image = &s_;
  if (device.letter == 'M' && device.number < 8000) image = &m_;
  if (device.letter == 'M' && device.number >= 8000) image = &special_, at = n - 8000;
  if (!image || at >= image->size() || (*image)[at] == on) return;
  (*image)[at] = on;
  noteChange(device, index);
}

void Interpreter::setContact(const fx::Device& device, bool on, std::size_t index) {
  const auto n = static_cast<std::size_t>(device.number);
  bool* contact = nullptr;
  if (device.letter == 'T' && n < timers_.size()) contact = &timers_[n].contact;
  if (device.letter == 'C' && n < counters_.size()) contact = &counters_[n].contact;
  if (!contact || *contact == on) return;
  *contact = on;
  noteChange(device, index);
}

void Interpreter::writeRegister(char letter, long long n, std::int32_t value, std::size_t index) {
  if (n < 0) return;
  const auto at = static_cast<std::size_t>(n);
  const auto low = static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
  bool changed = false;
  auto assign = [&changed](auto& cell, auto v) {
    changed = cell != v;
    cell = v;
  };
  if (letter == 'D' && at < d_.size()) assign(d_[at], low);
  if (letter == 'T' && at < timers_.size()) assign(timers_[at].count, low);
  if (letter == 'C' && at < counters_.size()) {
    assign(counters_[at].count, n >= kFirstWideCounter ? value : std::int32_t{low});
  }
  if (changed) noteChange({letter, static_cast<int>(n)}, index);
}

void Interpreter::resetTimerCounter(char letter, long long n, std::size_t index) {
  writeRegister(letter, n, 0, index);
  setContact({letter, static_cast<int>(n)}, false, index);
  if (letter == 'T' && n >= 0 && n < static_cast<long long>(timers_.size())) {
    timers_[static_cast<std::size_t>(n)].running = false;
    timers_[static_cast<std::size_t>(n)].begun = 0;
  }
}

void Interpreter::noteChange(const fx::Device& device, std::size_t index) {
  const auto cell = static_cast<std::size_t>(*cellOf(device));
  writer_[cell] = static_cast<int>(index);
  if (changedIn_[cell] == scans_) unsettledIn_[cell] = scans_;
  changedIn_[cell] = scans_;
}

bool Interpreter::settled(const fx::Device& device) const {
  const std::optional<int> cell = cellOf(device);
  // scans_ counts the scans run: the last one is scans_ - 1.
  return !cell || unsettledIn_[static_cast<std::size_t>(*cell)] != scans_ - 1;
}

bool Interpreter::compare(const Step& step) const {
  const std::int64_t a = value(step, 0);
  const std::int64_t b = value(step, 1);
  const std::string_view name = step.row->name;
  const std::string_view op = name.substr(name.find_first_of("=<>"));
  if (op == "=") return a == b;
  if (op == "<>") return a != b;
  if (op == ">=") return a >= b;
  if (op == ">") return a > b;
  if (op == "<") return a < b;
  return a <= b;  // "<="
}

// The value a contact instruction contributes; edge contacts update their memory.
bool Interpreter::contactValue(const Step& step, std::size_t index) {
  if (step.row->layout == fx::Layout::WordOperands) return compare(step);
  const bool on = bit(step.device);
  if (isAny(step, {"LDI", "ANI", "ORI"})) return !on;
  if (isAny(step, {"LDP", "ANDP", "ORP", "LDF", "ANDF", "ORF"})) {
    const bool before = edgeMemory_[index];
    edgeMemory_[index] = on;
    return isAny(step, {"LDP", "ANDP", "ORP"}) ? on && !before : !on && before;
  }
  return on;
}

void Interpreter::run(std::size_t index) {
  const Step& step = steps_[index];
  const std::string_view name = step.row->name;
  if (name == "STL") {
    stepLadder(step, index);
    return;
  }
  if (name == "RET") {
    endLadderStep();
    return;
  }
  // The steps of an inactive step are not run, but for the scan after it went off.
  if (ladder_ && !ladder_->runs) return;
  if (name.starts_with("LD")) {
    if (!afterOutput_) blocks_.push_back(result_);
    if (afterOutput_) blocks_.clear();
    afterOutput_ = false;
    result_ = contactValue(step, index);
    return;
  }
  if (name.starts_with("AND") || name == "ANI") {
    const bool value = contactValue(step, index);
    result_ = result_ && value;
    return;
  }
  if (name.starts_with("OR") && name != "ORB") {
    const bool value = contactValue(step, index);
    result_ = result_ || value;
    return;
  }
  if (name == "ANB" || name == "ORB") {
    if (blocks_.empty()) return;
    const bool first = blocks_.back();
    blocks_.pop_back();
    result_ = name == "ANB" ? first && result_ : first || result_;
    return;
  }
  if (name == "INV") {
    result_ = !result_;
    return;
  }
  if (name == "MPS") {
    branches_.push_back(result_);
    return;
  }
  if (name == "MRD" || name == "MPP") {
    if (branches_.empty()) return;
    result_ = branches_.back();
    if (name == "MPP") branches_.pop_back();
    return;
  }
  afterOutput_ = true;
  const bool on = bus() && result_;
  if (name == "MC") {
    zones_.push_back({step.nesting, on});
    writeBit(step.device, on, index);
    return;
  }
  if (name == "MCR") {
    while (!zones_.empty() && zones_.back().level >= step.nesting) zones_.pop_back();
    return;
  }
  if (name == "PLS" || name == "PLF") {
    const bool before = edgeMemory_[index];
    edgeMemory_[index] = on;
    if (bus()) writeBit(step.device, name == "PLS" ? on && !before : !on && before, index);
    return;
  }
  if (step.row->layout == fx::Layout::NumberInWord && step.device.letter == 'T') {
    Timer& timer = timers_[static_cast<std::size_t>(step.device.number)];
    const std::int64_t setValue = value(step, 0);
    if (on) {
      timer.running = true;
      if (time_.ownUnits) {
        const std::int64_t unit =
            step.device.number >= kFirstTenthTimer ? time_.unitMicros / 10 : time_.unitMicros;
        timer.begun += sinceLastScan_;
        std::int64_t count = std::min<std::int64_t>(32767, timer.count + timer.begun / unit);
        timer.begun %= unit;
        if (count >= setValue) count = setValue;  // one change: the count stops there
        writeRegister('T', step.device.number, static_cast<std::int32_t>(count), index);
      }
      if (timer.count >= setValue) {
        writeRegister('T', step.device.number, static_cast<std::int32_t>(setValue), index);
        timer.running = false;
      }
      setContact(step.device, timer.count >= setValue, index);
    } else {
      writeRegister('T', step.device.number, 0, index);
      setContact(step.device, false, index);
      timer.running = false;
      timer.begun = 0;
    }
    return;
  }
  if (step.row->layout == fx::Layout::NumberInWord && step.device.letter == 'C') {
    countUp(step, on, index);
    return;
  }
  const bool transfer = step.device.letter == 'S' && ladder_ && (name == "OUT" || name == "SET");
  if (transfer) {
    if (!on) return;
    writeBit(step.device, true, index);
    ladder_->transfer = true;
    return;
  }
  if (name == "OUT") {
    writeBit(step.device, on, index);
    return;
  }
  if (step.row->layout == fx::Layout::WordOperands) {
    // A P form runs on the rise of its condition only; its memory follows every scan it is
    // reached in.
    if (step.variant.pulse) {
      const bool before = edgeMemory_[index];
      edgeMemory_[index] = on;
      if (!before && on) (this->*routines_[index])(step, index);
    } else if (on) {
      (this->*routines_[index])(step, index);
    }
    return;
  }
  if (!on) return;
  if (name == "SET") {
    writeBit(step.device, true, index);
  } else if (step.device.letter == 'T' || step.device.letter == 'C') {  // RST T, RST C
    resetTimerCounter(step.device.letter, step.device.number, index);
  } else {  // RST on a bit
    writeBit(step.device, false, index);
  }
}

// OUT C: counts the rises of its input (C0..C199 up to the set value, C200 up in 32 bits, up or
// down as M8200.. says), then sets the contact from the count.
void Interpreter::countUp(const Step& step, bool on, std::size_t index) {
  const int n = step.device.number;
  const std::int32_t count = counters_[static_cast<std::size_t>(n)].count;
  const std::int64_t setValue = value(step, 0);
  const bool rise = on && !edgeMemory_[index];
  edgeMemory_[index] = on;
  if (n >= kFirstWideCounter) {
    if (rise) {
      const bool down = bit({'M', 8000 + n});
      const auto next = static_cast<std::uint32_t>(count) + (down ? 0xFFFF'FFFFu : 1u);
      writeRegister('C', n, static_cast<std::int32_t>(next), index);
    }
  } else if (rise && count < setValue) {
    writeRegister('C', n, count + 1, index);
  }
  setContact(step.device, counters_[static_cast<std::size_t>(n)].count >= setValue, index);
}

// STL Sn: a step whose rungs run on the bus of its state, right after STL like after an output;
// an STL right after another joins its state to that step. A step runs while active and in the
// scan after it went off (its bus off then), and is skipped otherwise; its first STL's memory
// holds whether it was active.
void Interpreter::stepLadder(const Step& step, std::size_t index) {
  const bool state = bit(step.device);
  const bool joining = ladder_ && index > 0 && is(steps_[index - 1], "STL");
  if (joining) {
    ladder_->states.push_back(step.device.number);
    ladder_->active = ladder_->active && state;
  } else {
    endLadderStep();
    ladder_ = LadderStep{{step.device.number}, state, false, false, index};
  }
  const bool wasActive = edgeMemory_[ladder_->first];
  edgeMemory_[ladder_->first] = ladder_->active;
  ladder_->runs = ladder_->active || wasActive;
  result_ = true;
  afterOutput_ = true;
  blocks_.clear();
}

}  // namespace ladder51::reference
