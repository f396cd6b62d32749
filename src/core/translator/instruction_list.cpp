#include "core/translator/instruction_list.h"

#include <algorithm>
#include <array>
#include <optional>

#include "core/translator/program_image.h"

namespace ladder51 {
namespace {

using Words = std::vector<std::uint16_t>;

// Device classes are the low nibble of the code byte; contacts (2x..7x), coils (Cx..Ex) and
// single operand words (8x) all use the same nibble for the same class. M relays from 256 up
// move the nibble up by one per 256 relays (M256 is class 9, M1535 the last of class D).
constexpr int kClassX = 0x4;
constexpr int kClassY = 0x5;
constexpr int kClassT = 0x6;
constexpr int kClassM = 0x8;
constexpr int kClassLastM = 0xD;
constexpr int kClassC = 0xE;
constexpr int kClassSpecial = 0xF;  // special relays M8000..M8255
constexpr int kMaxRelay = (kClassLastM - kClassM + 1) * 256 - 1;
constexpr int kFirstSpecial = 8000;
constexpr int kLastSpecial = kFirstSpecial + 255;
constexpr int kMaxByteDevice = 255;  // X/Y (octal 377), T, C: the number is one byte

// High bytes of the words of applied-instruction operands.
constexpr int kOperandHigh = 0x80;       // single operand words: 0x80 | class
constexpr int kConstantHigh = 0x80;      // K: both words
constexpr int kRegisterHigh = 0x86;      // D: both words; first word of C and T values
constexpr int kCounterValueHigh = 0x84;  // second word of a counter's current value
constexpr int kTimerValueHigh = 0x82;    // second word of a timer's current value
constexpr int kBitOperandHigh = 0x84;    // first word of a Y or M bit operand
constexpr int kBitClassY = 0x05;         // low byte of a bit operand's second word
constexpr int kBitClassM = 0x08;
constexpr long long kMinConstant = -32768;
constexpr long long kMaxConstant = 65535;
constexpr long long kMaxRegister = 32767;  // the register offset 2r must fit in 16 bits

constexpr int kOutTimerHigh = 0x06;
constexpr int kOutCounterHigh = 0x0E;
constexpr std::uint16_t kResetTimerCounter = 0x000C;
constexpr std::uint16_t kResetRegister = 0x000D;
constexpr int kContactFirst = 0x2;  // LD; LDI..ORI follow up to 0x7
constexpr int kContactLast = 0x7;
constexpr int kCoilOut = 0xC;
constexpr int kCoilSet = 0xD;
constexpr int kCoilReset = 0xE;

constexpr std::uint16_t kNopWord = 0xFFFF;
constexpr long long kMaxNopCount = 65535;  // per ".nop" line
// Far beyond any PLC's program memory, but it keeps a short text of ".nop" lines from asking
// for gigabytes.
constexpr std::size_t kMaxStepWords = std::size_t{1} << 20;
constexpr std::size_t kCollapseNopsAbove = 1;  // padding after END is one line
constexpr std::size_t kCommentColumn = 21;
constexpr std::size_t kBlockBytes = 16;

enum class Form {
  Plain,    // the instruction word alone
  Contact,  // LD..ORI: code is the high nibble of the high byte
  Out,      // OUT Y/M coil, or OUT T/C with a set value
  Set,      // SET Y/M
  Reset,    // RST Y/M, T, C or D
  Pulse,    // PLS/PLF: instruction word, then a Y or M operand word
  Edge,     // LDP..ORF: instruction word, then an operand word
  Applied,  // instruction word, then `operands` operands of two words each
  MasterControl,
  MasterControlReset,
};

struct Mnemonic {
  std::string_view name;
  Form form;
  std::uint16_t code;
  int operands;
};

constexpr Mnemonic kMnemonics[] = {
    {"LD", Form::Contact, 0x2, 1},
    {"LDI", Form::Contact, 0x3, 1},
    {"AND", Form::Contact, 0x4, 1},
    {"ANI", Form::Contact, 0x5, 1},
    {"OR", Form::Contact, 0x6, 1},
    {"ORI", Form::Contact, 0x7, 1},
    {"OUT", Form::Out, kCoilOut, 1},
    {"SET", Form::Set, kCoilSet, 1},
    {"RST", Form::Reset, kCoilReset, 1},
    {"ANB", Form::Plain, 0xFFF8, 0},
    {"ORB", Form::Plain, 0xFFF9, 0},
    {"MPS", Form::Plain, 0xFFFA, 0},
    {"MRD", Form::Plain, 0xFFFB, 0},
    {"MPP", Form::Plain, 0xFFFC, 0},
    {"INV", Form::Plain, 0xFFFD, 0},
    {"NOP", Form::Plain, kNopWord, 0},
    {"END", Form::Plain, 0x000F, 0},
    {"PLS", Form::Pulse, 0x0008, 1},
    {"PLF", Form::Pulse, 0x0009, 1},
    {"MC", Form::MasterControl, 0x000A, 2},
    {"MCR", Form::MasterControlReset, 0x000B, 1},
    {"LDP", Form::Edge, 0x01CA, 1},
    {"LDF", Form::Edge, 0x01CB, 1},
    {"ANDP", Form::Edge, 0x01CC, 1},
    {"ANDF", Form::Edge, 0x01CD, 1},
    {"ORP", Form::Edge, 0x01CE, 1},
    {"ORF", Form::Edge, 0x01CF, 1},
    {"ALT", Form::Applied, 0x0094, 1},
    {"ZRST", Form::Applied, 0x0060, 2},
    {"INC", Form::Applied, 0x0040, 1},
    {"DEC", Form::Applied, 0x0042, 1},
    {"MOV", Form::Applied, 0x0028, 2},
    {"ADD", Form::Applied, 0x0038, 3},
    {"SUB", Form::Applied, 0x003A, 3},
    {"MUL", Form::Applied, 0x003C, 3},
    {"DIV", Form::Applied, 0x003E, 3},
    {"LD=", Form::Applied, 0x01D0, 2},
    {"LD>=", Form::Applied, 0x01DC, 2},
    {"LD>", Form::Applied, 0x01D2, 2},
    {"LD<", Form::Applied, 0x01D4, 2},
    {"LD<=", Form::Applied, 0x01DA, 2},
    {"AND=", Form::Applied, 0x01E0, 2},
    {"AND>=", Form::Applied, 0x01EC, 2},
    {"AND>", Form::Applied, 0x01E2, 2},
    {"AND<", Form::Applied, 0x01E4, 2},
    {"AND<=", Form::Applied, 0x01EA, 2},
    {"OR=", Form::Applied, 0x01F0, 2},
    {"OR>=", Form::Applied, 0x01FC, 2},
    {"OR>", Form::Applied, 0x01F2, 2},
    {"OR<", Form::Applied, 0x01F4, 2},
    {"OR<=", Form::Applied, 0x01FA, 2},
};

// Contact decoding indexes the table by the contact code.
static_assert(kMnemonics[0].name == "LD" && kMnemonics[kContactLast - kContactFirst].name == "ORI");

std::uint16_t makeWord(int high, int low) {
  return static_cast<std::uint16_t>(((high & 0xFF) << 8) | (low & 0xFF));
}
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

std::string octal(long long n) {
  if (n == 0) return "0";
  std::string digits;
  for (; n > 0; n /= 8) digits.insert(digits.begin(), static_cast<char>('0' + n % 8));
  return digits;
}

std::string hex4(std::uint16_t word) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(4, '0');
  for (int k = 3; k >= 0; --k, word = static_cast<std::uint16_t>(word >> 4)) {
    text[static_cast<std::size_t>(k)] = kDigits[word & 0xF];
  }
  return text;
}

// "X, Y, M, T or C" for "XYMTC".
std::string letterList(std::string_view letters) {
  std::string list;
  for (std::size_t k = 0; k < letters.size(); ++k) {
    if (k > 0) list += k + 1 == letters.size() ? " or " : ", ";
    list += letters[k];
  }
  return list;
}

// ---------------------------------------------------------------------------------------------
// Operands

struct Operand {
  char letter = 0;
  long long number = 0;
  std::string text;  // upper case, as written
};

constexpr std::string_view kDeviceLetters = "XYMTCDKN";
constexpr long long kNumberCap = 1'000'000'000;  // larger numbers only need to fail range checks

Result<Operand> parseOperand(std::string_view token) {
  Operand op;
  op.text = upper(token);
  const std::string notOperand = "'" + std::string(token) +
                                 "' is not an operand: expected a device letter and a number, "
                                 "such as X0, D5 or K100";
  if (op.text.size() < 2 || op.text[0] < 'A' || op.text[0] > 'Z')
    return Error{ErrorKind::BadSource, notOperand};
  op.letter = op.text[0];
  if (kDeviceLetters.find(op.letter) == std::string_view::npos) {
    return Error{ErrorKind::BadSource, "unknown device letter '" + std::string(1, op.letter) +
                                           "' in '" + std::string(token) +
                                           "' (expected one of X, Y, M, T, C, D, K, N)"};
  }
  std::size_t pos = 1;
  const bool negative = op.letter == 'K' && op.text[1] == '-';
  if (negative) ++pos;
  std::string_view digits = std::string_view(op.text).substr(pos);
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), isDigit)) {
    return Error{ErrorKind::BadSource, notOperand};
  }
  const bool isPoint = op.letter == 'X' || op.letter == 'Y';
  const int base = isPoint ? 8 : 10;
  for (char digit : digits) {
    if (isPoint && digit > '7') {
      return Error{ErrorKind::BadSource,
                   op.text + " is not a valid point: X and Y points are numbered in octal " +
                       "(digits 0 to 7, so X7 is followed by X10)"};
    }
    op.number = std::min(op.number * base + (digit - '0'), kNumberCap);
  }
  if (negative) op.number = -op.number;
  return op;
}

Status expectLetter(const Operand& op, std::string_view allowed, std::string_view user) {
  if (allowed.find(op.letter) != std::string_view::npos) return success();
  return Error{ErrorKind::BadSource,
               std::string(user) + " cannot take " + op.text + ": expected " + letterList(allowed)};
}

// A bit device as a class nibble and a low byte. The letter must be one of X, Y, M, T, C.
struct BitDevice {
  int cls = 0;
  int low = 0;
};

Result<BitDevice> bitDevice(const Operand& op) {
  const long long n = op.number;
  const std::string letter(1, op.letter);
  switch (op.letter) {
    case 'X':
    case 'Y':
      if (n > kMaxByteDevice) {
        return Error{ErrorKind::BadSource, op.text + " is out of range: " + letter + "0 to " +
                                               letter + octal(kMaxByteDevice) + " (octal)"};
      }
      return BitDevice{op.letter == 'X' ? kClassX : kClassY, static_cast<int>(n)};
    case 'T':
    case 'C':
      if (n > kMaxByteDevice) {
        return Error{ErrorKind::BadSource, op.text + " is out of range: " + letter + "0 to " +
                                               letter + std::to_string(kMaxByteDevice)};
      }
      return BitDevice{op.letter == 'T' ? kClassT : kClassC, static_cast<int>(n)};
    default:  // 'M'
      if (n <= kMaxRelay)
        return BitDevice{kClassM + static_cast<int>(n >> 8), static_cast<int>(n & 0xFF)};
      if (n >= kFirstSpecial && n <= kLastSpecial) {
        return BitDevice{kClassSpecial, static_cast<int>(n - kFirstSpecial)};
      }
      return Error{ErrorKind::BadSource,
                   op.text + " is out of range: M0 to M" + std::to_string(kMaxRelay) + " or M" +
                       std::to_string(kFirstSpecial) + " to M" + std::to_string(kLastSpecial)};
  }
}

// The single operand word of PLS, PLF, MC and the edge contacts: (n, 0x80 | class).
Result<Words> operandWord(const Operand& op) {
  Result<BitDevice> device = bitDevice(op);
  if (!device) return device.error();
  return Words{makeWord(kOperandHigh | device->cls, device->low)};
}

// A constant, register, counter value or timer value: two words.
Result<Words> wordOperand(const Operand& op) {
  if (op.letter == 'K') {
    if (op.number < kMinConstant || op.number > kMaxConstant) {
      return Error{ErrorKind::BadSource, op.text + " is out of range: K" +
                                             std::to_string(kMinConstant) + " to K" +
                                             std::to_string(kMaxConstant)};
    }
    const int value = static_cast<int>(op.number & 0xFFFF);
    return Words{makeWord(kConstantHigh, value), makeWord(kConstantHigh, value >> 8)};
  }
  if (op.number > kMaxRegister) {
    return Error{ErrorKind::BadSource, op.text + " is out of range: " + std::string(1, op.letter) +
                                           "0 to " + std::string(1, op.letter) +
                                           std::to_string(kMaxRegister)};
  }
  const int offset = static_cast<int>(op.number * 2);  // two offset units per register
  const int secondHigh = op.letter == 'D'   ? kRegisterHigh
                         : op.letter == 'C' ? kCounterValueHigh
                                            : kTimerValueHigh;
  return Words{makeWord(kRegisterHigh, offset), makeWord(secondHigh, offset >> 8)};
}

// An operand of an applied instruction or comparison: a Y or M bit operand, or a word operand.
Result<Words> appliedOperand(const Operand& op, std::string_view user) {
  Status letter = expectLetter(op, "YMKDCT", user);
  if (!letter) return letter.error();
  if (op.letter != 'Y' && op.letter != 'M') return wordOperand(op);
  if (op.letter == 'Y') {
    Result<BitDevice> device = bitDevice(op);
    if (!device) return device.error();
  } else if (op.number > kMaxByteDevice) {
    return Error{ErrorKind::BadSource, op.text + " cannot be an operand of " + std::string(user) +
                                           ": only M0 to M255 fit in its operand"};
  }
  return Words{makeWord(kBitOperandHigh, static_cast<int>(op.number)),
               makeWord(kConstantHigh, op.letter == 'Y' ? kBitClassY : kBitClassM)};
}

Result<long long> nestingLevel(const Operand& op, std::string_view user) {
  Status letter = expectLetter(op, "N", user);
  if (!letter) return letter.error();
  if (op.number > 255) return Error{ErrorKind::BadSource, op.text + " is out of range: N0 to N255"};
  return op.number;
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
                           std::all_of(text.begin() + 2, text.end(),
                                       [](char c) { return isDigit(c) || (c >= 'A' && c <= 'F'); });
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

Result<Words> encodeOut(const std::vector<Operand>& ops) {
  if (ops.empty()) return Error{ErrorKind::BadSource, "OUT takes an operand"};
  const Operand& target = ops[0];
  Status letter = expectLetter(target, "YMTC", "OUT");
  if (!letter) return letter.error();
  Result<BitDevice> device = bitDevice(target);
  if (!device) return device.error();
  if (target.letter == 'Y' || target.letter == 'M') {
    Status count = expectCount("OUT " + target.text, ops.size(), 1);
    if (!count) return count.error();
    return Words{makeWord((kCoilOut << 4) | device->cls, device->low)};
  }
  const std::string user = "OUT " + target.text;
  if (ops.size() == 1)
    return Error{ErrorKind::BadSource, user + " needs a set value, such as K100 or D0"};
  Status count = expectCount(user, ops.size(), 2);
  if (!count) return count.error();
  Status setValue = expectLetter(ops[1], "KDCT", "the set value of " + user);
  if (!setValue) return setValue.error();
  const int high = target.letter == 'T' ? kOutTimerHigh : kOutCounterHigh;
  return append(Words{makeWord(high, device->low)}, wordOperand(ops[1]));
}

Result<Words> encodeSetReset(const Mnemonic& m, const std::vector<Operand>& ops) {
  Status count = expectCount(m.name, ops.size(), 1);
  if (!count) return count.error();
  const Operand& target = ops[0];
  Status letter = expectLetter(target, m.form == Form::Set ? "YM" : "YMTCD", m.name);
  if (!letter) return letter.error();
  if (target.letter == 'D') return append(Words{kResetRegister}, wordOperand(target));
  Result<BitDevice> device = bitDevice(target);
  if (!device) return device.error();
  if (target.letter == 'T' || target.letter == 'C') {
    return Words{kResetTimerCounter, makeWord(kOperandHigh | device->cls, device->low)};
  }
  return Words{makeWord((m.code << 4) | device->cls, device->low)};
}

Result<Words> encodeMnemonic(const Mnemonic& m, const std::vector<Operand>& ops) {
  const std::string name(m.name);
  if (m.form == Form::Out) return encodeOut(ops);
  if (m.form == Form::Set || m.form == Form::Reset) return encodeSetReset(m, ops);
  Status count = expectCount(name, ops.size(), static_cast<std::size_t>(m.operands));
  if (!count) return count.error();
  switch (m.form) {
    case Form::Plain:
      return Words{m.code};
    case Form::Contact: {
      Status letter = expectLetter(ops[0], "XYMTC", name);
      if (!letter) return letter.error();
      Result<BitDevice> device = bitDevice(ops[0]);
      if (!device) return device.error();
      return Words{makeWord((m.code << 4) | device->cls, device->low)};
    }
    case Form::Pulse:
    case Form::Edge: {
      Status letter = expectLetter(ops[0], m.form == Form::Pulse ? "YM" : "XYMTC", name);
      if (!letter) return letter.error();
      return append(Words{m.code}, operandWord(ops[0]));
    }
    case Form::MasterControl: {
      Result<long long> level = nestingLevel(ops[0], name);
      if (!level) return level.error();
      Status letter = expectLetter(ops[1], "YM", name);
      if (!letter) return letter.error();
      return append(Words{m.code, makeWord(kConstantHigh, static_cast<int>(*level))},
                    operandWord(ops[1]));
    }
    case Form::MasterControlReset: {
      Result<long long> level = nestingLevel(ops[0], name);
      if (!level) return level.error();
      return Words{m.code, makeWord(kConstantHigh, static_cast<int>(*level))};
    }
    case Form::Applied: {
      Words words{m.code};
      for (const Operand& op : ops) {
        Result<Words> more = append(std::move(words), appliedOperand(op, name));
        if (!more) return more.error();
        words = std::move(*more);
      }
      return words;
    }
    case Form::Out:
    case Form::Set:
    case Form::Reset:
      break;  // encoded above: their operand count depends on the operand
  }
  return Error{ErrorKind::BadSource, "no encoding for " + name};
}

// The words of one line that holds an instruction or directive (no comment, not blank).
Result<Words> encodeLine(std::string_view line) {
  const std::vector<std::string_view> tokens = splitTokens(line);
  if (tokens.empty()) return Words{};
  const std::string name = upper(tokens[0]);
  const std::span<const std::string_view> rest = std::span(tokens).subspan(1);
  if (name == ".WORD") return encodeRawWords(rest);
  if (name == ".NOP") return encodeNops(rest);
  const Mnemonic* mnemonic = nullptr;
  for (const Mnemonic& m : kMnemonics) {
    if (m.name == name) mnemonic = &m;
  }
  if (mnemonic == nullptr) {
    return Error{ErrorKind::BadSource, "unknown instruction '" + std::string(tokens[0]) + "'"};
  }
  std::vector<Operand> ops;
  for (std::string_view token : rest) {
    Result<Operand> op = parseOperand(token);
    if (!op) return op.error();
    ops.push_back(std::move(*op));
  }
  return encodeMnemonic(*mnemonic, ops);
}

// ---------------------------------------------------------------------------------------------
// Decoding

// Name of a bit device from its class nibble and low byte, when the class is one of `allowed`
// kinds: 'X', 'Y', 'T', 'M' (including M256..M1535), 'C', 'S' (special relay).
std::optional<std::string> bitDeviceName(int cls, int low, std::string_view allowed) {
  auto allows = [&](char kind) { return allowed.find(kind) != std::string_view::npos; };
  if (cls == kClassX && allows('X')) return "X" + octal(low);
  if (cls == kClassY && allows('Y')) return "Y" + octal(low);
  if (cls == kClassT && allows('T')) return "T" + std::to_string(low);
  if (cls >= kClassM && cls <= kClassLastM && allows('M')) {
    return "M" + std::to_string((cls - kClassM) * 256 + low);
  }
  if (cls == kClassC && allows('C')) return "C" + std::to_string(low);
  if (cls == kClassSpecial && allows('S')) return "M" + std::to_string(kFirstSpecial + low);
  return std::nullopt;
}

std::optional<std::string> operandWordName(std::uint16_t word, std::string_view allowed) {
  if ((highOf(word) & 0xF0) != kOperandHigh) return std::nullopt;
  return bitDeviceName(highOf(word) & 0x0F, lowOf(word), allowed);
}

// A two-word operand: K, D, C or T, and also a Y or M bit operand when `bitKinds`.
std::optional<std::string> twoWordOperandName(std::uint16_t first, std::uint16_t second,
                                              bool bitKinds) {
  const int value = lowOf(second) << 8 | lowOf(first);
  if (highOf(first) == kConstantHigh && highOf(second) == kConstantHigh) {
    return "K" + std::to_string(value);
  }
  if (highOf(first) == kRegisterHigh && value % 2 == 0) {
    const std::string number = std::to_string(value / 2);
    if (highOf(second) == kRegisterHigh) return "D" + number;
    if (highOf(second) == kCounterValueHigh) return "C" + number;
    if (highOf(second) == kTimerValueHigh) return "T" + number;
  }
  if (bitKinds && highOf(first) == kBitOperandHigh && highOf(second) == kConstantHigh) {
    if (lowOf(second) == kBitClassY) return "Y" + octal(lowOf(first));
    if (lowOf(second) == kBitClassM) return "M" + std::to_string(lowOf(first));
  }
  return std::nullopt;
}

struct Decoded {
  std::string text;
  std::size_t length = 0;
};

std::optional<Decoded> decodeTable(std::span<const std::uint16_t> w) {
  const std::uint16_t first = w[0];
  for (const Mnemonic& m : kMnemonics) {
    const bool listedByCode = m.form != Form::Contact && m.form != Form::Out &&
                              m.form != Form::Set && m.form != Form::Reset;
    if (m.code != first || !listedByCode) continue;
    const std::string name(m.name);
    switch (m.form) {
      case Form::Plain:
        return Decoded{name, 1};
      case Form::Pulse:
      case Form::Edge: {
        if (w.size() < 2) return std::nullopt;
        auto device = operandWordName(w[1], m.form == Form::Pulse ? "YMS" : "XYMTCS");
        if (!device) return std::nullopt;
        return Decoded{name + " " + *device, 2};
      }
      case Form::MasterControl: {
        if (w.size() < 3 || highOf(w[1]) != kConstantHigh) return std::nullopt;
        auto device = operandWordName(w[2], "YMS");
        if (!device) return std::nullopt;
        return Decoded{name + " N" + std::to_string(lowOf(w[1])) + " " + *device, 3};
      }
      case Form::MasterControlReset:
        if (w.size() < 2 || highOf(w[1]) != kConstantHigh) return std::nullopt;
        return Decoded{name + " N" + std::to_string(lowOf(w[1])), 2};
      case Form::Applied: {
        const std::size_t length = 1 + 2 * static_cast<std::size_t>(m.operands);
        if (w.size() < length) return std::nullopt;
        std::string text = name;
        for (std::size_t k = 1; k < length; k += 2) {
          auto operand = twoWordOperandName(w[k], w[k + 1], true);
          if (!operand) return std::nullopt;
          text += " " + *operand;
        }
        return Decoded{text, length};
      }
      default:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<Decoded> decodeCandidate(std::span<const std::uint16_t> w) {
  if (w.empty()) return std::nullopt;
  const std::uint16_t first = w[0];
  const int high = highOf(first);
  const int low = lowOf(first);
  const int op = high >> 4;
  const int cls = high & 0x0F;
  if (op >= kContactFirst && op <= kContactLast) {
    auto device = bitDeviceName(cls, low, "XYTMCS");
    if (!device) return std::nullopt;
    return Decoded{std::string(kMnemonics[op - kContactFirst].name) + " " + *device, 1};
  }
  if (op == kCoilOut || op == kCoilSet || op == kCoilReset) {
    auto device = bitDeviceName(cls, low, "YMS");
    if (!device) return std::nullopt;
    const std::string_view name = op == kCoilOut ? "OUT" : op == kCoilSet ? "SET" : "RST";
    return Decoded{std::string(name) + " " + *device, 1};
  }
  if (high == kOutTimerHigh || high == kOutCounterHigh) {
    if (w.size() < 3) return std::nullopt;
    auto setValue = twoWordOperandName(w[1], w[2], false);
    if (!setValue) return std::nullopt;
    return Decoded{std::string(high == kOutTimerHigh ? "OUT T" : "OUT C") + std::to_string(low) +
                       " " + *setValue,
                   3};
  }
  if (first == kResetTimerCounter) {
    if (w.size() < 2) return std::nullopt;
    auto device = operandWordName(w[1], "TC");
    if (!device) return std::nullopt;
    return Decoded{"RST " + *device, 2};
  }
  if (first == kResetRegister) {
    if (w.size() < 3) return std::nullopt;
    auto reg = twoWordOperandName(w[1], w[2], false);
    if (!reg || !reg->starts_with("D")) return std::nullopt;
    return Decoded{"RST " + *reg, 3};
  }
  return decodeTable(w);
}

// The instruction at the start of `words`, only when its text assembles back to the very same
// words: a listing must never change a program.
std::optional<Decoded> decode(std::span<const std::uint16_t> words) {
  std::optional<Decoded> candidate = decodeCandidate(words);
  if (!candidate) return std::nullopt;
  Result<Words> again = encodeLine(candidate->text);
  if (!again || again->size() != candidate->length ||
      !std::equal(again->begin(), again->end(), words.begin())) {
    return std::nullopt;
  }
  return candidate;
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
  for (std::uint16_t word : words) text += (text.empty() ? "" : " ") + hex4(word);
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
      listing += listingLine(".word 0x" + hex4(words[k]), addressOf(k), hex4(words[k]));
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
               hex4(file.back()).substr(2) + ", not part of a step\n";
  }
  return listing;
}

std::string describeInstruction(std::span<const std::uint16_t> words) {
  std::optional<Decoded> decoded = decode(words);
  return decoded ? decoded->text : std::string{};
}

}  // namespace ladder51
