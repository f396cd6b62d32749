#include "core/translator/fx_encoding.h"

#include <algorithm>
#include <utility>

#include "core/text/code_writer.h"

namespace ladder51::fx {

std::string Device::name() const {
  return std::string(1, letter) +
         std::to_string(isPointLetter(letter) ? octalDigits(number) : number);
}

bool isBitDeviceLetter(char letter) {
  for (const BitDeviceBlock& block : kBitDevices) {
    if (block.letter == letter) return true;
  }
  return false;
}

const BitDeviceBlock* blockAt(int address) {
  for (const BitDeviceBlock& block : kBitDevices) {
    if (address >= block.address && address <= block.address + block.last - block.first) {
      return &block;
    }
  }
  return nullptr;
}

std::optional<Device> deviceAt(int address) {
  const BitDeviceBlock* block = blockAt(address);
  if (!block) return std::nullopt;
  return Device{block->letter, block->first + address - block->address};
}

namespace {

const BitDeviceBlock* blockOf(const Device& device) {
  for (const BitDeviceBlock& block : kBitDevices) {
    if (block.letter == device.letter && device.number >= block.first &&
        device.number <= block.last) {
      return &block;
    }
  }
  return nullptr;
}

std::string octalNote(char letter) {
  return isPointLetter(letter) ? " (octal)" : "";
}

using Span = std::pair<long long, long long>;

// "X0 to X377 or ...": the spans sorted, neighbours joined, each named by `name`.
template <typename Name>
std::string spansText(std::vector<Span> spans, Name name) {
  std::sort(spans.begin(), spans.end());
  std::vector<Span> joined;
  for (const Span& span : spans) {
    if (!joined.empty() && span.first <= joined.back().second + 1) {
      joined.back().second = std::max(joined.back().second, span.second);
    } else {
      joined.push_back(span);
    }
  }
  std::string text;
  for (const Span& span : joined) {
    if (!text.empty()) text += " or ";
    text += name(span.first) + " to " + name(span.second);
  }
  return text;
}

}  // namespace

std::optional<int> addressOf(const Device& device) {
  const BitDeviceBlock* block = blockOf(device);
  if (!block) return std::nullopt;
  return block->address + device.number - block->first;
}

Areas areaOf(const Device& device) {
  const BitDeviceBlock* block = blockOf(device);
  return block ? block->area : 0;
}

std::string bitDeviceRange(char letter) {
  std::vector<Span> spans;
  for (const BitDeviceBlock& block : kBitDevices) {
    if (block.letter == letter) spans.emplace_back(block.first, block.last);
  }
  return spansText(spans,
                   [&](long long n) {
                     return Device{letter, static_cast<int>(n)}.name();
                   }) +
         octalNote(letter);
}

std::optional<Device> deviceOfOperandWord(std::uint16_t word) {
  if (!isOperandWord(word)) return std::nullopt;
  const BitDeviceBlock* block = blockAt(word & 0x0FFF);
  if (!block || (block->area & kTranslatorAreas) == 0) return std::nullopt;
  return deviceAt(word & 0x0FFF);
}

std::optional<Device> deviceOfDeviceWord(std::uint16_t word) {
  if ((word & kOperandWordBase) == 0) return std::nullopt;
  return deviceAt(word & 0x7FFF);
}

std::optional<int> nestingLevelOf(std::uint16_t word) {
  if ((word & 0xFF00) != kOperandWordBase) return std::nullopt;
  return word & 0xFF;
}

// --- Operands -----------------------------------------------------------------------------------

namespace {

bool fitsSize(const WordFormat& format, int size) {
  return format.size == Size::Both || (format.size == Size::Bits16) == (size == 16);
}

bool isBitFormat(const WordFormat& format) {
  return format.payload == Payload::Address || format.payload == Payload::Group;
}

// The formats in the order a reader tries them: the flat ones first when `flat`, else none.
template <typename Visit>
const WordFormat* firstFormat(bool flat, Visit visit) {
  for (Form form : {Form::Flat, Form::Standard}) {
    if (form == Form::Flat && !flat) continue;
    for (const WordFormat& format : kWordFormats) {
      if (format.form == form && visit(format)) return &format;
    }
  }
  return nullptr;
}

// The number an Offset payload names in a format, or nothing.
std::optional<long long> offsetNumber(const WordFormat& format, int payload) {
  const int relative = payload - format.base;
  if (relative < 0 || relative % format.unit != 0) return std::nullopt;
  const long long n = format.first + relative / format.unit;
  if (n > format.last) return std::nullopt;
  return n;
}

// The device a bit payload names in a format of its letter, or nothing.
std::optional<long long> bitNumber(const WordFormat& format, int payload) {
  const std::optional<Device> device = deviceAt(payload);
  if (!device || device->letter != format.letter || device->number < format.first ||
      device->number > format.last) {
    return std::nullopt;
  }
  return device->number;
}

}  // namespace

bool WordOperand::oddOffset() const {
  return format->payload == Payload::Offset && (payload - format->base) % format->unit != 0;
}

int WordOperand::number() const {
  switch (format->payload) {
    case Payload::Value:
      return payload;
    case Payload::Offset:
      return static_cast<int>(format->first) + (payload - format->base) / format->unit;
    case Payload::Address:
    case Payload::Group:
      break;
  }
  return deviceAt(payload)->number;
}

std::optional<WordOperand> readWordOperand(std::uint16_t first, std::uint16_t second,
                                           std::string_view letters) {
  const int payload = (second & 0xFF) << 8 | (first & 0xFF);
  for (const WordFormat& format : kWordFormats) {
    if (format.translatorLast == kNotTranslated ||
        letters.find(format.letter) == std::string_view::npos || first >> 8 != format.type1 ||
        second >> 8 != format.type2) {
      continue;
    }
    if (format.payload == Payload::Value) return WordOperand{&format, payload};
    const WordOperand operand{&format, payload};
    if (format.payload == Payload::Offset) {
      if (payload >= format.base && operand.number() <= format.translatorLast) return operand;
      continue;
    }
    const std::optional<long long> n = bitNumber(format, payload);
    if (n && *n <= format.translatorLast) return operand;
  }
  return std::nullopt;
}

const WordFormat* formatFor(char letter, long long number, bool group, int size, bool flat) {
  return firstFormat(flat, [&](const WordFormat& format) {
    if (format.letter != letter || (format.payload == Payload::Group) != group ||
        !fitsSize(format, size) || number < format.first || number > format.last) {
      return false;
    }
    return !isBitFormat(format) || addressOf(Device{letter, static_cast<int>(number)}).has_value();
  });
}

std::string operandRange(char letter, bool group, int size, bool flat) {
  if (isBitDeviceLetter(letter) && letter != 'T' && letter != 'C') return bitDeviceRange(letter);
  std::vector<Span> spans;
  for (const WordFormat& format : kWordFormats) {
    if (format.letter == letter && (flat || format.form == Form::Standard) &&
        fitsSize(format, size) && (format.payload == Payload::Group) == group) {
      spans.emplace_back(format.first, format.last);
    }
  }
  return spansText(spans, [&](long long n) {
    return std::string(1, letter) +
           (letter == 'H' ? hex(static_cast<unsigned long long>(n)) : std::to_string(n));
  });
}

std::string_view whyNotIndexed(const Operand& operand, int size) {
  const WordFormat& format = *operand.format;
  switch (format.letter) {
    case 'P':
      return "a pointer takes no index register";
    case 'V':
    case 'Z':
      return "an index register takes no index register";
    default:
      break;
  }
  if (format.payload == Payload::Value && size == 32) {
    return "a 32-bit constant takes no index register";
  }
  if (format.payload == Payload::Offset &&
      format.base + format.unit * (operand.number - format.first) > 0x3FFF) {
    return "its offset leaves no room for an index register";
  }
  return "";
}

std::vector<std::uint16_t> operandWords(const Operand& operand, int size) {
  const WordFormat& format = *operand.format;
  int type1 = format.type1;
  if (operand.index != 0) type1 |= operand.index == 'V' ? kIndexV : kIndexZ;
  const auto word = [](int type, long long low) {
    return static_cast<std::uint16_t>(type << 8 | (low & 0xFF));
  };
  if (format.payload == Payload::Value) {
    const unsigned long long value = static_cast<unsigned long long>(operand.number);
    if (size == 32) {
      return {word(type1, value), word(0x80, value >> 8), word(0x80, value >> 16),
              word(0x80, value >> 24)};
    }
    const int type2 = format.type2 + (operand.index != 0 ? operand.indexNumber : 0);
    return {word(type1, value), word(type2, value >> 8)};
  }
  long long payload = 0;
  int type2 = format.type2;
  if (format.payload == Payload::Offset) {
    payload = format.base + format.unit * (operand.number - format.first);
  } else {
    payload = *addressOf(Device{format.letter, static_cast<int>(operand.number)});
    if (format.payload == Payload::Group) type2 += 2 * (operand.digits - 1);
  }
  if (operand.index != 0) {
    payload |= static_cast<long long>(operand.indexNumber & 3) << 14;
    type2 |= operand.indexNumber >= 4 ? 1 : 0;
  }
  std::vector<std::uint16_t> words = {word(type1, payload), word(type2, payload >> 8)};
  if (size == 32) words.insert(words.end(), {kOperandWordBase, kOperandWordBase});
  return words;
}

std::optional<Operand> readOperand(std::span<const std::uint16_t> words, int size, bool flat) {
  if (words.size() < (size == 32 ? 4u : 2u)) return std::nullopt;
  int type1 = words[0] >> 8;
  int type2 = words[1] >> 8;
  int payload = (words[1] & 0xFF) << 8 | (words[0] & 0xFF);
  Operand operand;
  if ((type1 & (kIndexV | kIndexZ)) == (kIndexV | kIndexZ)) return std::nullopt;
  if ((type1 & (kIndexV | kIndexZ)) != 0) {
    operand.index = (type1 & kIndexV) != 0 ? 'V' : 'Z';
    type1 &= ~(kIndexV | kIndexZ);
  }
  const bool constant = type1 == 0x80 || type1 == 0x82;
  if (constant) {
    long long value = payload;
    if (size == 32) {
      if (operand.index != 0 || type2 != 0x80 || words[2] >> 8 != 0x80 || words[3] >> 8 != 0x80) {
        return std::nullopt;
      }
      const std::uint32_t bits = static_cast<std::uint32_t>(words[3] & 0xFF) << 24 |
                                 static_cast<std::uint32_t>(words[2] & 0xFF) << 16 |
                                 static_cast<std::uint32_t>(payload);
      value = type1 == 0x80 ? static_cast<std::int32_t>(bits) : static_cast<long long>(bits);
    } else {
      if (operand.index != 0) {
        operand.indexNumber = type2 - 0x80;
        type2 = 0x80;
      }
      if (type1 == 0x80) value = static_cast<std::int16_t>(static_cast<std::uint16_t>(payload));
    }
    operand.number = value;
  } else {
    if (operand.index != 0) {
      operand.indexNumber = (payload >> 14) | (type2 & 1) << 2;
      type2 &= ~1;
      payload &= 0x3FFF;
    }
    if (size == 32 && (words[2] != kOperandWordBase || words[3] != kOperandWordBase)) {
      return std::nullopt;
    }
  }
  if (operand.indexNumber < 0 || operand.indexNumber > kLastIndexRegister) return std::nullopt;
  operand.format = firstFormat(flat, [&](const WordFormat& format) {
    if (format.type1 != type1 || !fitsSize(format, size)) return false;
    std::optional<long long> n;
    switch (format.payload) {
      case Payload::Value:
        if (type2 != format.type2 || operand.number < format.first ||
            operand.number > format.last) {
          return false;
        }
        return true;
      case Payload::Offset:
        if (type2 == format.type2) n = offsetNumber(format, payload);
        break;
      case Payload::Address:
        if (type2 == format.type2) n = bitNumber(format, payload);
        break;
      case Payload::Group: {
        const int digits = (type2 - format.type2) / 2 + 1;
        if (type2 % 2 != 0 || digits < 1 || digits > kLastGroupDigits) return false;
        n = bitNumber(format, payload);
        if (n) operand.digits = digits;
        break;
      }
    }
    if (n) operand.number = *n;
    return n.has_value();
  });
  if (!operand.format) return std::nullopt;
  return operand;
}

// --- Instructions -------------------------------------------------------------------------------

int operandCount(const Instruction& row) {
  switch (row.layout) {
    case Layout::Alone:
    case Layout::Label:
      return 0;
    case Layout::NumberInWord:
    case Layout::MasterControl:
      return 2;
    case Layout::WordOperands:
      return static_cast<int>(row.operands.size());
    case Layout::DeviceInWord:
    case Layout::DeviceWord:
    case Layout::Nesting:
      break;
  }
  return 1;
}

std::string mnemonic(const Instruction& row, Variant variant) {
  std::string name(row.name);
  if (variant.wide) {
    const std::size_t comparison = name.find_first_of("=<>");
    name.insert(comparison == std::string::npos ? 0 : comparison, "D");
  }
  if (variant.pulse) name += "P";
  return name;
}

bool hasForm(const Instruction& row, Variant variant) {
  if (row.layout != Layout::WordOperands) return !variant.wide && !variant.pulse;
  const Forms size = variant.wide ? form::Bits32 : form::Bits16;
  return (row.forms & size) != 0 && (!variant.pulse || (row.forms & form::Pulse) != 0);
}

std::uint16_t formWord(const Instruction& row, Variant variant) {
  return static_cast<std::uint16_t>(row.code + (variant.wide ? 1 : 0) +
                                    (variant.pulse ? 0x1000 : 0));
}

namespace {

const WordFormat& pointerFormat() {
  for (const WordFormat& format : kWordFormats) {
    if (format.letter == 'P') return format;
  }
  return kWordFormats[0];
}

// The row's reading of `word`; `areas`: the blocks a device of the word may lie in, on top of the
// row's own; `variants`: whether forms other than the 16-bit one count.
StepWord readWith(const Instruction& row, std::uint16_t word, Areas areas, bool variants) {
  switch (row.layout) {
    case Layout::DeviceInWord: {
      const BitDeviceBlock* block = blockAt(word & 0x0FFF);
      if (word >> 12 != row.code || !block || (block->area & areas) == 0) return {};
      return {&row, deviceAt(word & 0x0FFF), {}};
    }
    case Layout::NumberInWord: {
      if ((word & 0xFF00) != row.code) return {};
      const int n = word & 0xFF;
      for (const BitDeviceBlock& block : kBitDevices) {
        if ((block.area & areas) != 0 && n >= block.first && n <= block.last) {
          return {&row, Device{block.letter, n}, {}};
        }
      }
      return {};
    }
    case Layout::WordOperands:
      for (Variant variant : kVariants) {
        if ((variants || (!variant.wide && !variant.pulse)) && hasForm(row, variant) &&
            formWord(row, variant) == word) {
          return {&row, std::nullopt, variant};
        }
      }
      return {};
    case Layout::Label:
      if (word < row.code || word - row.code > pointerFormat().last) return {};
      return {&row, Device{'P', word - row.code}, {}};
    case Layout::Alone:
    case Layout::DeviceWord:
    case Layout::MasterControl:
    case Layout::Nesting:
      break;
  }
  if (word != row.code) return {};
  return {&row, std::nullopt, {}};
}

}  // namespace

StepWord readStepWord(std::uint16_t word, bool variants) {
  for (const Instruction& row : kInstructions) {
    if (!row.translator) continue;
    const StepWord step =
        readWith(row, word, (row.areas | row.flatAreas) & kTranslatorAreas, variants);
    if (step.instruction) return step;
  }
  return {};
}

StepWord decodeStepWord(std::uint16_t word, bool flat) {
  for (const Instruction& row : kInstructions) {
    const StepWord step = readWith(row, word, row.areas | (flat ? row.flatAreas : 0), true);
    if (step.instruction) return step;
  }
  return {};
}

}  // namespace ladder51::fx
