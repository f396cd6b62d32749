#include "core/translator/instruction_list.h"

#include <algorithm>
#include <array>
#include <optional>

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
  const bool isPoint = fx::isPointLetter(op.letter);
  for (char digit : digits) {
    if (isPoint && digit > '7') {
      return Error{ErrorKind::BadSource,
                   op.text + " is not a valid point: X and Y points are numbered in octal " +
                       "(digits 0 to 7, so X7 is followed by X10)"};
    }
    op.number = std::min(op.number * 10 + (digit - '0'), kNumberCap);
  }
  if (isPoint) op.number = fx::pointOfOctalDigits(static_cast<int>(op.number));
  if (negative) op.number = -op.number;
  return op;
}

Status expectLetter(const Operand& op, std::string_view allowed, std::string_view user) {
  if (allowed.find(op.letter) != std::string_view::npos) return success();
  return Error{ErrorKind::BadSource,
               std::string(user) + " cannot take " + op.text + ": expected " + letterList(allowed)};
}

// The bit-device address of an X, Y, M, T or C operand.
Result<int> bitDevice(const Operand& op) {
  const std::optional<int> address =
      fx::addressOf(fx::Device{op.letter, static_cast<int>(op.number)});
  if (address) return *address;
  return Error{ErrorKind::BadSource,
               op.text + " is out of range: " + fx::bitDeviceRange(op.letter)};
}

// The single operand word of PLS, PLF, MC, RST T/C and the edge contacts.
Result<Words> operandWord(const Operand& op) {
  Result<int> address = bitDevice(op);
  if (!address) return address.error();
  return Words{fx::operandWord(*address)};
}

// True when the two-word formats of a bit device's letter hold every number its blocks hold.
bool holdsWholeRange(char letter) {
  for (const fx::BitDeviceBlock& block : fx::kBitDevices) {
    for (int n = block.first; block.letter == letter && n <= block.last; ++n) {
      if (!fx::wordFormatFor(letter, n)) return false;
    }
  }
  return true;
}

// A two-word operand of an applied instruction, comparison, set value or RST D; the letter is
// one of the formats'.
Result<Words> wordOperand(const Operand& op, std::string_view user) {
  const fx::WordFormat* format = fx::wordFormatFor(op.letter, op.number);
  if (!format) {
    const bool bitDevice = fx::isBitDeviceLetter(op.letter);
    if (bitDevice && !holdsWholeRange(op.letter)) {
      return Error{ErrorKind::BadSource, op.text + " cannot be an operand of " + std::string(user) +
                                             ": only " + fx::wordOperandRange(op.letter) +
                                             " fit in its operand"};
    }
    return Error{ErrorKind::BadSource,
                 op.text + " is out of range: " + fx::wordOperandRange(op.letter)};
  }
  const std::array<std::uint16_t, 2> words =
      fx::wordOperandWords(*format, static_cast<int>(op.number));
  return Words(words.begin(), words.end());
}

Result<long long> nestingLevel(const Operand& op, std::string_view user) {
  Status letter = expectLetter(op, "N", user);
  if (!letter) return letter.error();
  if (op.number > fx::kLastNestingLevel) {
    return Error{ErrorKind::BadSource,
                 op.text + " is out of range: N0 to N" + std::to_string(fx::kLastNestingLevel)};
  }
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

// The words of one row of the table. `countChecked`: the operand count was checked for the
// mnemonic; otherwise (OUT, whose count depends on its device) it is checked here, after the
// device, naming it ("OUT Y0 takes 1 operand, got 2").
Result<Words> encodeRow(const Instruction& row, const std::vector<Operand>& ops,
                        bool countChecked) {
  const std::string name(row.name);
  const std::string user = ops.empty() ? name : name + " " + ops[0].text;
  switch (row.layout) {
    case Layout::Alone:
      return Words{row.code};
    case Layout::DeviceInWord:
    case Layout::DeviceWord: {
      Status letter = expectLetter(ops[0], row.letters, name);
      if (!letter) return letter.error();
      Result<int> address = bitDevice(ops[0]);
      if (!address) return address.error();
      Status count = countChecked ? success() : expectCount(user, ops.size(), 1);
      if (!count) return count.error();
      if (row.layout == Layout::DeviceInWord) return Words{fx::deviceInWord(row, *address)};
      return Words{row.code, fx::operandWord(*address)};
    }
    case Layout::NumberInWord: {
      Result<int> address = bitDevice(ops[0]);
      if (!address) return address.error();
      if (ops.size() == 1)
        return Error{ErrorKind::BadSource, user + " needs a set value, such as K100 or D0"};
      Status count = expectCount(user, ops.size(), 2);
      if (!count) return count.error();
      Status setValue = expectLetter(ops[1], fx::kSetValueLetters, "the set value of " + user);
      if (!setValue) return setValue.error();
      const int n = static_cast<int>(ops[0].number);
      return append(Words{fx::numberInWord(row, n)}, wordOperand(ops[1], name));
    }
    case Layout::MasterControl:
    case Layout::Nesting: {
      Result<long long> level = nestingLevel(ops[0], name);
      if (!level) return level.error();
      const Words words{row.code, fx::nestingWord(static_cast<int>(*level))};
      if (row.layout == Layout::Nesting) return words;
      Status letter = expectLetter(ops[1], row.letters, name);
      if (!letter) return letter.error();
      return append(words, operandWord(ops[1]));
    }
    case Layout::WordOperands: {
      Words words{row.code};
      for (const Operand& op : ops) {
        Status letter = expectLetter(op, row.letters, name);
        if (!letter) return letter.error();
        Result<Words> more = append(std::move(words), wordOperand(op, name));
        if (!more) return more.error();
        words = std::move(*more);
      }
      return words;
    }
  }
  return Error{ErrorKind::BadSource, "no encoding for " + name};
}

// The words of a mnemonic: its rows are told apart by the letter of the first operand.
Result<Words> encodeMnemonic(std::span<const Instruction* const> rows,
                             const std::vector<Operand>& ops) {
  const std::string name(rows[0]->name);
  const int count = fx::operandCount(*rows[0]);
  const bool sameCount = std::all_of(rows.begin(), rows.end(), [&](const Instruction* row) {
    return fx::operandCount(*row) == count;
  });
  if (sameCount) {
    Status counted = expectCount(name, ops.size(), static_cast<std::size_t>(count));
    if (!counted) return counted.error();
  } else if (ops.empty()) {
    return Error{ErrorKind::BadSource, name + " takes an operand"};
  }
  if (rows.size() == 1) return encodeRow(*rows[0], ops, sameCount);
  std::string letters;
  for (const Instruction* row : rows) letters += row->letters;
  Status letter = expectLetter(ops[0], letters, name);
  if (!letter) return letter.error();
  for (const Instruction* row : rows) {
    if (row->letters.find(ops[0].letter) != std::string_view::npos) {
      return encodeRow(*row, ops, sameCount);
    }
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
  std::vector<const Instruction*> rows;
  for (const Instruction& row : fx::kInstructions) {
    if (row.name == name) rows.push_back(&row);
  }
  if (rows.empty()) {
    return Error{ErrorKind::BadSource, "unknown instruction '" + std::string(tokens[0]) + "'"};
  }
  std::vector<Operand> ops;
  for (std::string_view token : rest) {
    Result<Operand> op = parseOperand(token);
    if (!op) return op.error();
    ops.push_back(std::move(*op));
  }
  return encodeMnemonic(rows, ops);
}

// ---------------------------------------------------------------------------------------------
// Decoding

// The IL text of a two-word operand of one of `letters`, or nothing (also for an odd offset).
std::optional<std::string> wordOperandText(std::uint16_t first, std::uint16_t second,
                                           std::string_view letters) {
  const std::optional<fx::WordOperand> operand = fx::readWordOperand(first, second, letters);
  if (!operand || operand->oddOffset()) return std::nullopt;
  if (operand->format->payload == fx::Payload::Address) {
    return fx::deviceAt(operand->payload)->name();
  }
  return std::string(1, operand->letter()) + std::to_string(operand->number());
}

// The IL text of an operand word naming a device of `letters`, or nothing.
std::optional<std::string> operandWordText(std::uint16_t word, std::string_view letters) {
  const std::optional<fx::Device> device = fx::deviceOfOperandWord(word);
  if (!device || letters.find(device->letter) == std::string_view::npos) return std::nullopt;
  return device->name();
}

struct Decoded {
  std::string text;
  std::size_t length = 0;
};

std::optional<Decoded> decodeCandidate(std::span<const std::uint16_t> w) {
  if (w.empty()) return std::nullopt;
  const fx::StepWord step = fx::readStepWord(w[0]);
  if (step.instruction == nullptr) return std::nullopt;
  const Instruction& row = *step.instruction;
  const std::string name(row.name);
  switch (row.layout) {
    case Layout::Alone:
      return Decoded{name, 1};
    case Layout::DeviceInWord:
      return Decoded{name + " " + step.device->name(), 1};
    case Layout::NumberInWord: {
      if (w.size() < 3) return std::nullopt;
      auto setValue = wordOperandText(w[1], w[2], fx::kSetValueLetters);
      if (!setValue) return std::nullopt;
      return Decoded{name + " " + step.device->name() + " " + *setValue, 3};
    }
    case Layout::DeviceWord: {
      if (w.size() < 2) return std::nullopt;
      auto device = operandWordText(w[1], row.letters);
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
      auto device = operandWordText(w[2], row.letters);
      if (!device) return std::nullopt;
      return Decoded{text + " " + *device, length};
    }
    case Layout::WordOperands: {
      const std::size_t length = 1 + 2 * static_cast<std::size_t>(row.operands);
      if (w.size() < length) return std::nullopt;
      std::string text = name;
      for (std::size_t k = 1; k < length; k += 2) {
        auto operand = wordOperandText(w[k], w[k + 1], row.letters);
        if (!operand) return std::nullopt;
        text += " " + *operand;
      }
      return Decoded{text, length};
    }
  }
  return std::nullopt;
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
