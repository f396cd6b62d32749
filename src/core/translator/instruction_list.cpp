#include "core/translator/instruction_list.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <utility>

#include "core/text/code_writer.h"
#include "core/translator/fx_encoding.h"
#include "core/translator/program_image.h"

namespace ladder51 {
namespace {

using Words = std::vector<std::uint16_t>;
using fx::Instruction;
using fx::Layout;

constexpr std::uint16_t kNopWord = fx::row("NOP", Layout::Alone).code;
constexpr long long kMaxNopCount = 65535;  // per ".nop" line
// Far beyond any PLC's program memory, but it keeps a short text of ".nop" lines from asking
// for gigabytes.
constexpr std::size_t kMaxStepWords = std::size_t{1} << 20;
constexpr std::size_t kCollapseNopsAbove = 1;  // padding after END is one line
constexpr std::size_t kCommentColumn = 21;
constexpr std::size_t kBlockBytes = 16;

int highOf(std::uint16_t word) {
  return word >> 8;
}
int lowOf(std::uint16_t word) {
  return word & 0xFF;
}

char upperChar(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
std::string upper(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), upperChar);
  return result;
}
bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

std::vector<std::string_view> splitTokens(std::string_view line) {
  std::vector<std::string_view> tokens;
  std::size_t k = 0;
  while (k < line.size()) {
    while (k < line.size() && isSpace(line[k])) ++k;
    std::size_t start = k;
    while (k < line.size() && !isSpace(line[k])) ++k;
    if (k > start) tokens.push_back(line.substr(start, k - start));
  }
  return tokens;
}

// ---------------------------------------------------------------------------------------------
// Operands

struct Operand {
  char letter = 0;       // the device letter; a digit group's: the letter of its bits
  long long number = 0;  // K, H: the value; X, Y: the point; others: the number
  int digits = 0;        // K1..K8 of a digit group, 0 otherwise
  char index = 0;        // 'V' or 'Z' after the number: an index register modifies it
  int indexNumber = 0;
  std::string text;  // upper case, as written
};

constexpr std::string_view kDeviceLetters = "XYMSTCDVZKHPN";
// Larger numbers only need to fail range checks (32-bit constants reach 4294967295).
constexpr long long kNumberCap = 1'000'000'000'000;
constexpr long long kDeviceCap = 777'777'777;  // octal digits too, far beyond every device
constexpr std::string_view kGroupLetters = "XYMS";

bool isLetter(char c) {
  return c >= 'A' && c <= 'Z';
}
bool isHexDigit(char c) {
  return isDigit(c) || (c >= 'A' && c <= 'F');
}

// The digits of `text` from `pos` on (hex: 0-9 and A-F), as a number capped at kNumberCap, and
// where they end.
std::pair<long long, std::size_t> readNumber(std::string_view text, std::size_t pos, bool hex) {
  long long number = 0;
  for (; pos < text.size() && (hex ? isHexDigit(text[pos]) : isDigit(text[pos])); ++pos) {
    const int digit = isDigit(text[pos]) ? text[pos] - '0' : text[pos] - 'A' + 10;
    number = std::min(number * (hex ? 16 : 10) + digit, kNumberCap);
  }
  return {number, pos};
}

Result<Operand> parseOperand(std::string_view token) {
  Operand op;
  op.text = upper(token);
  const std::string_view text = op.text;
  const std::string notOperand = "'" + std::string(token) +
                                 "' is not an operand: expected a device letter and a number, "
                                 "such as X0, D5 or K100";
  if (text.size() < 2 || !isLetter(text[0])) return Error{ErrorKind::BadSource, notOperand};
  op.letter = text[0];
  if (kDeviceLetters.find(op.letter) == std::string_view::npos) {
    return Error{ErrorKind::BadSource, "unknown device letter '" + std::string(1, op.letter) +
                                           "' in '" + std::string(token) +
                                           "' (expected one of X, Y, M, S, T, C, D, V, Z, K, H, "
                                           "P, N)"};
  }
  std::size_t pos = 1;
  // K4M0: a digit group of 4 digits from M0.
  if (op.letter == 'K') {
    const auto [digits, end] = readNumber(text, 1, false);
    const bool indexed = end < text.size() && (text[end] == 'V' || text[end] == 'Z');
    if (end > 1 && end < text.size() && isLetter(text[end]) && !indexed) {
      if (kGroupLetters.find(text[end]) == std::string_view::npos)
        return Error{ErrorKind::BadSource,
                     op.text + " is not a digit group: expected KnX, KnY, KnM or KnS"};
      if (digits < 1 || digits > fx::kLastGroupDigits) {
        return Error{ErrorKind::BadSource,
                     op.text + " is not a digit group: it has 1 to 8 digits, K1 to K8"};
      }
      op.digits = static_cast<int>(digits);
      op.letter = text[end];
      pos = end + 1;
    }
  }
  const bool negative = op.letter == 'K' && op.digits == 0 && pos < text.size() && text[pos] == '-';
  if (negative) ++pos;
  const bool hex = op.letter == 'H';
  const auto [number, end] = readNumber(text, pos, hex);
  if (end == pos) return Error{ErrorKind::BadSource, notOperand};
  if (fx::isPointLetter(op.letter)) {
    for (std::size_t k = pos; k < end; ++k) {
      if (text[k] > '7') {
        return Error{ErrorKind::BadSource,
                     std::string(text.substr(0, end)) + " is not a valid point: X and Y points " +
                         "are numbered in octal (digits 0 to 7, so X7 is followed by X10)"};
      }
    }
  }
  // Devices far out of range stay out of range as an int: X77777777777 must not wrap to X0.
  const bool constant = op.digits == 0 && (op.letter == 'K' || op.letter == 'H');
  op.number = constant ? number : std::min(number, kDeviceCap);
  if (fx::isPointLetter(op.letter)) op.number = fx::pointOfOctalDigits(static_cast<int>(op.number));
  if (negative) op.number = -op.number;
  pos = end;
  // D10Z1: an index register after the number.
  if (pos < text.size() && (text[pos] == 'V' || text[pos] == 'Z')) {
    const auto [indexNumber, indexEnd] = readNumber(text, pos + 1, false);
    if (indexEnd == pos + 1 || indexEnd != text.size()) {
      return Error{ErrorKind::BadSource, notOperand};
    }
    if (indexNumber > fx::kLastIndexRegister) {
      return Error{ErrorKind::BadSource, std::string(text.substr(pos)) + " is out of range: " +
                                             fx::operandRange(text[pos], false, 16, false)};
    }
    op.index = text[pos];
    op.indexNumber = static_cast<int>(indexNumber);
    pos = text.size();
  }
  if (pos != text.size()) return Error{ErrorKind::BadSource, notOperand};
  return op;
}

// The order letters are named in messages.
constexpr std::string_view kLetterOrder = "KHXYMSTCDVZP";

// "X, Y, M, T or C" for the letters and digit groups a position takes.
std::string letterList(std::string_view letters, bool groups = false) {
  std::vector<std::string> names;
  for (char letter : kLetterOrder) {
    if (letters.find(letter) != std::string_view::npos) names.emplace_back(1, letter);
  }
  for (char letter : groups ? kGroupLetters : std::string_view{}) {
    names.push_back(std::string("Kn") + letter);
  }
  std::string list;
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (k > 0) list += k + 1 == names.size() ? " or " : ", ";
    list += names[k];
  }
  return list;
}

// The letters of the blocks in `areas`.
std::string lettersOf(fx::Areas areas) {
  std::string letters;
  for (const fx::BitDeviceBlock& block : fx::kBitDevices) {
    if ((block.area & areas) != 0 && letters.find(block.letter) == std::string::npos) {
      letters += block.letter;
    }
  }
  return letters;
}

Error cannotTake(std::string_view user, const Operand& op, std::string_view expected) {
  return Error{ErrorKind::BadSource, std::string(user) + " cannot take " + op.text + ": expected " +
                                         std::string(expected)};
}

// The device of a plain X, Y, M, S, T or C operand, in one of `areas`.
Result<fx::Device> bitDevice(const Operand& op, fx::Areas areas, std::string_view user) {
  const std::string letters = lettersOf(areas);
  if (op.digits != 0 || op.index != 0 || letters.find(op.letter) == std::string::npos) {
    return cannotTake(user, op, letterList(letters));
  }
  const fx::Device device{op.letter, static_cast<int>(op.number)};
  if ((fx::areaOf(device) & areas) == 0) {
    return Error{ErrorKind::BadSource,
                 op.text + " is out of range: " + fx::bitDeviceRange(op.letter)};
  }
  return device;
}

const fx::OperandKind& kindOf(char kind) {
  for (const fx::OperandKind& row : fx::kOperandKinds) {
    if (row.kind == kind) return row;
  }
  return fx::kOperandKinds[0];
}

bool takes(const fx::OperandKind& kind, const Operand& op) {
  return op.digits != 0 ? kind.groups && kGroupLetters.find(op.letter) != std::string_view::npos
                        : kind.letters.find(op.letter) != std::string_view::npos;
}

// The words of an operand of kind `kind` in an instruction of `size` bits.
Result<Words> operandWords(const Operand& op, char kind, std::string_view user, int size,
                           bool flat) {
  const fx::OperandKind& accepted = kindOf(kind);
  if (!takes(accepted, op))
    return cannotTake(user, op, letterList(accepted.letters, accepted.groups));
  const bool group = op.digits != 0;
  const fx::WordFormat* format = fx::formatFor(op.letter, op.number, group, size, flat);
  if (!format) {
    return Error{ErrorKind::BadSource,
                 op.text + " is out of range: " + fx::operandRange(op.letter, group, size, flat)};
  }
  const fx::Operand operand{format, op.number, op.digits, op.index, op.indexNumber};
  if (op.index != 0) {
    const std::string_view why = fx::whyNotIndexed(operand, size);
    if (!why.empty()) {
      return Error{ErrorKind::BadSource, op.text + " cannot be indexed: " + std::string(why)};
    }
  }
  return fx::operandWords(operand, size);
}

// ---------------------------------------------------------------------------------------------
// Encoding one line

Status expectCount(std::string_view name, std::size_t got, std::size_t wanted) {
  if (got == wanted) return success();
  if (wanted == 0) return Error{ErrorKind::BadSource, std::string(name) + " takes no operand"};
  return Error{ErrorKind::BadSource, std::string(name) + " takes " + std::to_string(wanted) +
                                         " operand" + (wanted == 1 ? "" : "s") + ", got " +
                                         std::to_string(got)};
}

Result<Words> append(Words words, const Result<Words>& more) {
  if (!more) return more.error();
  words.insert(words.end(), more->begin(), more->end());
  return words;
}

Result<Words> encodeRawWords(std::span<const std::string_view> values) {
  if (values.empty())
    return Error{ErrorKind::BadSource, ".word needs at least one value, such as 0x2400"};
  Words words;
  for (std::string_view value : values) {
    const std::string text = upper(value);
    const bool hexDigits = text.size() > 2 && text.size() <= 6 && text.starts_with("0X") &&
                           std::all_of(text.begin() + 2, text.end(), isHexDigit);
    if (!hexDigits) {
      return Error{ErrorKind::BadSource, ".word takes hexadecimal words from 0x0 to 0xFFFF, got '" +
                                             std::string(value) + "'"};
    }
    words.push_back(static_cast<std::uint16_t>(std::stoul(text.substr(2), nullptr, 16)));
  }
  return words;
}

Result<Words> encodeNops(std::span<const std::string_view> values) {
  if (values.size() != 1)
    return Error{ErrorKind::BadSource, ".nop takes one count, such as .nop 10"};
  const std::string_view count = values[0];
  if (count.empty() || count.size() > 9 || !std::all_of(count.begin(), count.end(), isDigit) ||
      std::stoll(std::string(count)) < 1 || std::stoll(std::string(count)) > kMaxNopCount) {
    return Error{ErrorKind::BadSource, ".nop takes a count from 1 to " +
                                           std::to_string(kMaxNopCount) + ", got '" +
                                           std::string(count) + "'"};
  }
  return Words(static_cast<std::size_t>(std::stoll(std::string(count))), kNopWord);
}

// One form of a row: the instruction a mnemonic names.
struct InstructionForm {
  const Instruction* row;
  fx::Variant variant;
};

// The blocks a device of the row may lie in, with the flat form's when `flat`.
fx::Areas areasOf(const Instruction& row, bool flat) {
  return row.areas | (flat ? row.flatAreas : 0);
}

// The words of one form. `countChecked`: the operand count was checked for the mnemonic;
// otherwise (OUT, whose count depends on its device) it is checked here, after the device,
// naming it ("OUT Y0 takes 1 operand, got 2").
Result<Words> encodeForm(const InstructionForm& form, const std::vector<Operand>& ops,
                         bool countChecked, bool flat) {
  const Instruction& row = *form.row;
  const std::string name = fx::mnemonic(row, form.variant);
  const std::string user = ops.empty() ? name : name + " " + ops[0].text;
  const fx::Areas areas = areasOf(row, flat);
  switch (row.layout) {
    case Layout::Alone:
      return Words{row.code};
    case Layout::Label:  // a line of its own (encodeLabel)
      break;
    case Layout::DeviceInWord:
    case Layout::DeviceWord: {
      Result<fx::Device> device = bitDevice(ops[0], areas, name);
      if (!device) return device.error();
      Status count = countChecked ? success() : expectCount(user, ops.size(), 1);
      if (!count) return count.error();
      const int address = *fx::addressOf(*device);
      if (row.layout == Layout::DeviceInWord) return Words{fx::deviceInWord(row, address)};
      return Words{row.code, fx::operandWord(address)};
    }
    case Layout::NumberInWord: {
      Result<fx::Device> device = bitDevice(ops[0], areas, name);
      if (!device) return device.error();
      if (ops.size() == 1)
        return Error{ErrorKind::BadSource, user + " needs a set value, such as K100 or D0"};
      Status count = expectCount(user, ops.size(), 2);
      if (!count) return count.error();
      const int size = (row.forms & fx::form::Bits32) != 0 ? 32 : 16;
      return append(Words{fx::numberInWord(row, device->number)},
                    operandWords(ops[1], row.operands[0], "the set value of " + user, size, flat));
    }
    case Layout::MasterControl:
    case Layout::Nesting: {
      const Operand& level = ops[0];
      if (level.letter != 'N' || level.digits != 0 || level.index != 0)
        return cannotTake(name, level, "N");
      if (level.number > fx::kLastNestingLevel) {
        return Error{ErrorKind::BadSource, level.text + " is out of range: N0 to N" +
                                               std::to_string(fx::kLastNestingLevel)};
      }
      const Words words{row.code, fx::nestingWord(static_cast<int>(level.number))};
      if (row.layout == Layout::Nesting) return words;
      Result<fx::Device> device = bitDevice(ops[1], areas, name);
      if (!device) return device.error();
      return append(words, Words{fx::operandWord(*fx::addressOf(*device))});
    }
    case Layout::WordOperands: {
      const int size = form.variant.wide ? 32 : 16;
      Words words{fx::formWord(row, form.variant)};
      for (std::size_t k = 0; k < ops.size(); ++k) {
        Result<Words> more =
            append(std::move(words), operandWords(ops[k], row.operands[k], name, size, flat));
        if (!more) return more.error();
        words = std::move(*more);
      }
      return words;
    }
  }
  return Error{ErrorKind::BadSource, "no encoding for " + name};
}

// True when the row's first operand can be `op`: a device in its blocks, or an operand of its
// first kind.
bool takesFirst(const Instruction& row, const Operand& op, bool flat) {
  if (row.layout == Layout::WordOperands) return takes(kindOf(row.operands[0]), op);
  const fx::Device device{op.letter, static_cast<int>(op.number)};
  return op.digits == 0 && op.index == 0 && (fx::areaOf(device) & areasOf(row, flat)) != 0;
}

// The words of a mnemonic: its forms (rows) are told apart by the first operand.
Result<Words> encodeMnemonic(std::span<const InstructionForm> forms,
                             const std::vector<Operand>& ops, bool flat) {
  const std::string name = fx::mnemonic(*forms[0].row, forms[0].variant);
  const int count = fx::operandCount(*forms[0].row);
  const bool sameCount = std::all_of(forms.begin(), forms.end(), [&](const InstructionForm& form) {
    return fx::operandCount(*form.row) == count;
  });
  if (sameCount) {
    Status counted = expectCount(name, ops.size(), static_cast<std::size_t>(count));
    if (!counted) return counted.error();
  } else if (ops.empty()) {
    return Error{ErrorKind::BadSource, name + " takes an operand"};
  }
  if (forms.size() == 1) return encodeForm(forms[0], ops, sameCount, flat);
  std::string letters;
  for (const InstructionForm& form : forms) {
    if (takesFirst(*form.row, ops[0], flat)) return encodeForm(form, ops, sameCount, flat);
    letters += form.row->layout == Layout::WordOperands ? kindOf(form.row->operands[0]).letters
                                                        : lettersOf(form.row->areas);
  }
  if (ops[0].digits == 0 && ops[0].index == 0 && fx::isBitDeviceLetter(ops[0].letter) &&
      letters.find(ops[0].letter) != std::string::npos) {
    return Error{ErrorKind::BadSource,
                 ops[0].text + " is out of range: " + fx::bitDeviceRange(ops[0].letter)};
  }
  return cannotTake(name, ops[0], letterList(letters));
}

// Every mnemonic and the forms it names, in the table's order.
const std::multimap<std::string, InstructionForm>& mnemonics() {
  static const std::multimap<std::string, InstructionForm> forms = [] {
    std::multimap<std::string, InstructionForm> named;
    for (const Instruction& row : fx::kInstructions) {
      for (fx::Variant variant : fx::kVariants) {
        if (row.layout != Layout::Label && fx::hasForm(row, variant)) {
          named.emplace(fx::mnemonic(row, variant), InstructionForm{&row, variant});
        }
      }
    }
    return named;
  }();
  return forms;
}

// Why no form has the mnemonic `name`: a form its row lacks ("DZRST"), or an unknown name.
Error unknownMnemonic(const std::string& name, std::string_view written) {
  for (const Instruction& row : fx::kInstructions) {
    for (fx::Variant variant : fx::kVariants) {
      if (row.layout == Layout::Label || fx::mnemonic(row, variant) != name) continue;
      const std::string base(row.name);
      if (variant.wide && !fx::hasForm(row, {true, false})) {
        return Error{ErrorKind::BadSource, base + " has no 32-bit (D) form"};
      }
      if (variant.pulse && (row.forms & fx::form::Pulse) == 0) {
        return Error{ErrorKind::BadSource, base + " has no pulse (P) form"};
      }
      return Error{ErrorKind::BadSource,
                   base + " has only a 32-bit form: " + fx::mnemonic(row, {true, variant.pulse})};
    }
  }
  return Error{ErrorKind::BadSource, "unknown instruction '" + std::string(written) + "'"};
}

// The words of a pointer label line, "P10", or nothing when the line is no label.
std::optional<Result<Words>> encodeLabel(const std::string& name, std::size_t operands) {
  const Instruction& row = fx::row("P", Layout::Label);
  if (!name.starts_with(row.name) || name.size() == row.name.size() ||
      !std::all_of(name.begin() + 1, name.end(), isDigit)) {
    return std::nullopt;
  }
  Result<Operand> label = parseOperand(name);
  if (!label) return label.error();
  if (operands != 0) return Error{ErrorKind::BadSource, "a label " + name + " takes no operand"};
  if (!fx::formatFor('P', label->number, false, 16, false)) {
    return Error{ErrorKind::BadSource,
                 name + " is out of range: " + fx::operandRange('P', false, 16, false)};
  }
  return Words{static_cast<std::uint16_t>(row.code + label->number)};
}

// The words of an instruction line (no directive but ".flat"), its tokens split.
Result<Words> encodeInstruction(std::span<const std::string_view> tokens, bool flat) {
  const std::string name = upper(tokens[0]);
  const std::span<const std::string_view> rest = tokens.subspan(1);
  const auto [first, last] = mnemonics().equal_range(name);
  std::vector<InstructionForm> forms;
  for (auto named = first; named != last; ++named) forms.push_back(named->second);
  if (forms.empty()) {
    if (std::optional<Result<Words>> label = encodeLabel(name, rest.size())) return *label;
    return unknownMnemonic(name, tokens[0]);
  }
  std::vector<Operand> ops;
  for (std::string_view token : rest) {
    Result<Operand> op = parseOperand(token);
    if (!op) return op.error();
    ops.push_back(std::move(*op));
  }
  return encodeMnemonic(forms, ops, flat);
}

// The words of one line that holds an instruction or directive (no comment, not blank).
Result<Words> encodeLine(std::string_view line) {
  const std::vector<std::string_view> tokens = splitTokens(line);
  if (tokens.empty()) return Words{};
  const std::string name = upper(tokens[0]);
  const std::span<const std::string_view> rest = std::span(tokens).subspan(1);
  if (name == ".WORD") return encodeRawWords(rest);
  if (name == ".NOP") return encodeNops(rest);
  if (name == ".FLAT") {
    if (rest.empty()) {
      return Error{ErrorKind::BadSource, ".flat needs an instruction, such as .flat OUT M8034"};
    }
    return encodeInstruction(rest, true);
  }
  return encodeInstruction(tokens, false);
}

// ---------------------------------------------------------------------------------------------
// Decoding

// The IL text of an operand.
std::string operandText(const fx::Operand& operand) {
  const fx::WordFormat& format = *operand.format;
  std::string text;
  switch (format.payload) {
    case fx::Payload::Value:
      if (format.letter == 'H') {
        text = "H" + hex(static_cast<unsigned long long>(operand.number));
      } else {
        text = "K" + std::to_string(operand.number);
      }
      break;
    case fx::Payload::Offset:
      text = std::string(1, format.letter) + std::to_string(operand.number);
      break;
    case fx::Payload::Group:
      text = "K" + std::to_string(operand.digits);
      [[fallthrough]];
    case fx::Payload::Address:
      text += fx::Device{format.letter, static_cast<int>(operand.number)}.name();
      break;
  }
  if (operand.index != 0) text += operand.index + std::to_string(operand.indexNumber);
  return text;
}

// The IL text of the operand at the start of `words` in an instruction of `size` bits.
std::optional<std::string> operandTextAt(std::span<const std::uint16_t> words, int size,
                                         bool flat) {
  const std::optional<fx::Operand> operand = fx::readOperand(words, size, flat);
  if (!operand) return std::nullopt;
  return operandText(*operand);
}

// The IL text of a device word naming a device of `areas`, or nothing.
std::optional<std::string> deviceWordText(std::uint16_t word, fx::Areas areas) {
  const std::optional<fx::Device> device = fx::deviceOfDeviceWord(word);
  if (!device || (fx::areaOf(*device) & areas) == 0) return std::nullopt;
  return device->name();
}

struct Decoded {
  std::string text;
  std::size_t length = 0;
};

std::optional<Decoded> decodeCandidate(std::span<const std::uint16_t> w, bool flat) {
  if (w.empty()) return std::nullopt;
  const fx::StepWord step = fx::decodeStepWord(w[0], flat);
  if (step.instruction == nullptr) return std::nullopt;
  const Instruction& row = *step.instruction;
  const std::string name = (flat ? ".flat " : "") + fx::mnemonic(row, step.variant);
  switch (row.layout) {
    case Layout::Alone:
      return Decoded{name, 1};
    case Layout::Label:
      return Decoded{step.device->name(), 1};
    case Layout::DeviceInWord:
      return Decoded{name + " " + step.device->name(), 1};
    case Layout::NumberInWord: {
      const int size = (row.forms & fx::form::Bits32) != 0 ? 32 : 16;
      auto setValue = operandTextAt(w.subspan(1), size, flat);
      if (!setValue) return std::nullopt;
      return Decoded{name + " " + step.device->name() + " " + *setValue,
                     1 + static_cast<std::size_t>(size / 8)};
    }
    case Layout::DeviceWord: {
      if (w.size() < 2) return std::nullopt;
      auto device = deviceWordText(w[1], row.areas);
      if (!device) return std::nullopt;
      return Decoded{name + " " + *device, 2};
    }
    case Layout::MasterControl:
    case Layout::Nesting: {
      const std::size_t length = row.layout == Layout::Nesting ? 2 : 3;
      if (w.size() < length) return std::nullopt;
      const std::optional<int> level = fx::nestingLevelOf(w[1]);
      if (!level) return std::nullopt;
      std::string text = name + " N" + std::to_string(*level);
      if (row.layout == Layout::Nesting) return Decoded{text, length};
      auto device = deviceWordText(w[2], row.areas);
      if (!device) return std::nullopt;
      return Decoded{text + " " + *device, length};
    }
    case Layout::WordOperands: {
      const int size = step.variant.wide ? 32 : 16;
      const std::size_t operandWords = static_cast<std::size_t>(size / 8);
      std::string text = name;
      std::size_t length = 1;
      for (std::size_t k = 0; k < row.operands.size(); ++k, length += operandWords) {
        if (w.size() < length + operandWords) return std::nullopt;
        auto operand = operandTextAt(w.subspan(length), size, flat);
        if (!operand) return std::nullopt;
        text += " " + *operand;
      }
      return Decoded{text, length};
    }
  }
  return std::nullopt;
}

// The instruction at the start of `words`, only when its text assembles back to the very same
// words: a listing must never change a program. The standard forms are tried first, then the
// flat ones (listed with ".flat").
std::optional<Decoded> decode(std::span<const std::uint16_t> words) {
  for (bool flat : {false, true}) {
    std::optional<Decoded> candidate = decodeCandidate(words, flat);
    if (!candidate) continue;
    Result<Words> again = encodeLine(candidate->text);
    if (again && again->size() == candidate->length &&
        std::equal(again->begin(), again->end(), words.begin())) {
      return candidate;
    }
  }
  return std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// Listing

// "TEXT                 ; ADDRESS: WORDS"
std::string listingLine(const std::string& text, std::size_t address, const std::string& words) {
  std::string line = text;
  line.append(text.size() < kCommentColumn ? kCommentColumn - text.size() : 1, ' ');
  return line + "; " + std::to_string(address) + ": " + words + "\n";
}

std::string hexWords(std::span<const std::uint16_t> words) {
  std::string text;
  for (std::uint16_t word : words) text += (text.empty() ? "" : " ") + hex(word, 4);
  return text;
}

std::string listingHeader(std::size_t fileSize, std::size_t wordCount) {
  std::string header = "; " + std::to_string(fileSize) + " bytes";
  if (fileSize < static_cast<std::size_t>(kHeaderBytes)) {
    return header + ", shorter than the " + std::to_string(kHeaderBytes) +
           "-byte header: no steps\n";
  }
  header += ", " + std::to_string(wordCount) + " words of steps from byte " +
            std::to_string(kFirstStep) + "\n";
  const auto stored =
      static_cast<std::size_t>(storedBlocks(static_cast<long long>(fileSize))) * kBlockBytes;
  if (stored > static_cast<std::size_t>(kImageEntries)) {
    header += "; note: too long for the translator, which reads at most 20008 bytes\n";
  } else if (stored < fileSize) {
    header += "; note: the translator reads whole 16-byte blocks: bytes from " +
              std::to_string(stored) + " on are not read\n";
  }
  return header;
}

}  // namespace

Result<std::vector<std::uint16_t>> assembleSteps(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // UTF-8 byte order mark
  Words words;
  int lineNumber = 0;
  while (!text.empty() || lineNumber == 0) {
    ++lineNumber;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    line = line.substr(0, line.find(';'));
    Result<Words> encoded = encodeLine(line);
    if (!encoded)
      return Error{ErrorKind::BadSource, encoded.error().message,
                   "line " + std::to_string(lineNumber)};
    if (encoded->size() > kMaxStepWords - words.size()) {
      return Error{
          ErrorKind::BadSource,
          "the program is too long: more than " + std::to_string(kMaxStepWords) + " words of steps",
          "line " + std::to_string(lineNumber)};
    }
    words.insert(words.end(), encoded->begin(), encoded->end());
  }
  return words;
}

Result<std::vector<std::uint8_t>> assembleInstructionList(std::string_view text) {
  Result<Words> words = assembleSteps(text);
  if (!words) return words.error();
  std::vector<std::uint8_t> file(static_cast<std::size_t>(kHeaderBytes), 0);
  file.reserve(file.size() + 2 * words->size() + kBlockBytes);
  for (std::uint16_t word : *words) {
    file.push_back(static_cast<std::uint8_t>(lowOf(word)));
    file.push_back(static_cast<std::uint8_t>(highOf(word)));
  }
  while (file.size() % kBlockBytes != 0) file.push_back(0xFF);
  return file;
}

std::string disassemble(std::span<const std::uint8_t> file) {
  Words words;
  for (std::size_t k = kFirstStep; k + 1 < file.size(); k += 2) {
    words.push_back(static_cast<std::uint16_t>(file[k + 1] << 8 | file[k]));
  }
  std::string listing = listingHeader(file.size(), words.size());

  // A long run of NOPs at the end (padding, an erased tail) is listed as one line.
  std::size_t tail = words.size();
  while (tail > 0 && words[tail - 1] == kNopWord) --tail;
  if (words.size() - tail <= kCollapseNopsAbove) tail = words.size();

  const auto addressOf = [](std::size_t index) { return kFirstStep + 2 * index; };
  bool pastWalk = false;
  std::size_t k = 0;
  while (k < tail) {
    if (!pastWalk && addressOf(k) > static_cast<std::size_t>(kLastStep)) {
      pastWalk = true;
      listing += "; the translator stops at byte " + std::to_string(kLastStep) +
                 ": the steps below are not translated\n";
    }
    const std::span<const std::uint16_t> rest = std::span(words).subspan(k, tail - k);
    if (std::optional<Decoded> decoded = decode(rest)) {
      listing += listingLine(decoded->text, addressOf(k), hexWords(rest.first(decoded->length)));
      k += decoded->length;
    } else {
      listing += listingLine(".word 0x" + hex(words[k], 4), addressOf(k), hex(words[k], 4));
      ++k;
    }
  }
  while (k < words.size()) {
    const std::size_t count = std::min(words.size() - k, static_cast<std::size_t>(kMaxNopCount));
    const std::string countText = std::to_string(count);
    listing += listingLine(".nop " + countText, addressOf(k), countText + " x FFFF");
    k += count;
  }
  if (file.size() > static_cast<std::size_t>(kFirstStep) && (file.size() - kFirstStep) % 2 == 1) {
    listing += "; " + std::to_string(file.size() - 1) + ": odd trailing byte 0x" +
               hex(file.back(), 4).substr(2) + ", not part of a step\n";
  }
  return listing;
}

std::string describeInstruction(std::span<const std::uint16_t> words) {
  std::optional<Decoded> decoded = decode(words);
  return decoded ? decoded->text : std::string{};
}

}  // namespace ladder51
