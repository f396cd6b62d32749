#include "core/translator/fx_encoding.h"

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

std::optional<Device> deviceAt(int address) {
  for (const BitDeviceBlock& block : kBitDevices) {
    const int n = block.first + address - block.address;
    if (address >= block.address && n <= block.last) return Device{block.letter, n};
  }
  return std::nullopt;
}

std::optional<int> addressOf(const Device& device) {
  for (const BitDeviceBlock& block : kBitDevices) {
    if (block.letter == device.letter && device.number >= block.first &&
        device.number <= block.last) {
      return block.address + device.number - block.first;
    }
  }
  return std::nullopt;
}

namespace {

std::string octalNote(char letter) {
  return isPointLetter(letter) ? " (octal)" : "";
}

}  // namespace

std::string bitDeviceRange(char letter) {
  std::string text;
  for (const BitDeviceBlock& block : kBitDevices) {
    if (block.letter != letter) continue;
    if (!text.empty()) text += " or ";
    text += Device{letter, block.first}.name() + " to " + Device{letter, block.last}.name();
  }
  return text + octalNote(letter);
}

std::optional<Device> deviceOfOperandWord(std::uint16_t word) {
  if (!isOperandWord(word)) return std::nullopt;
  return deviceAt(word & 0x0FFF);
}

std::optional<int> nestingLevelOf(std::uint16_t word) {
  if ((word & 0xFF00) != kOperandWordBase) return std::nullopt;
  return word & 0xFF;
}

int WordOperand::number() const {
  switch (format->payload) {
    case Payload::Value:
      return payload;
    case Payload::Offset:
      return format->first + payload / 2;
    case Payload::Address:
      break;
  }
  return deviceAt(payload)->number;
}

std::optional<WordOperand> readWordOperand(std::uint16_t first, std::uint16_t second,
                                           std::string_view letters) {
  const int payload = (second & 0xFF) << 8 | (first & 0xFF);
  for (const WordFormat& format : kWordFormats) {
    if (letters.find(format.letter) == std::string_view::npos || first >> 8 != format.type1 ||
        second >> 8 != format.type2) {
      continue;
    }
    if (format.payload != Payload::Address) return WordOperand{&format, payload};
    const std::optional<Device> device = deviceAt(payload);
    if (device && device->letter == format.letter && device->number >= format.first &&
        device->number <= format.last) {
      return WordOperand{&format, payload};
    }
  }
  return std::nullopt;
}

const WordFormat* wordFormatFor(char letter, long long n) {
  for (const WordFormat& format : kWordFormats) {
    if (format.letter == letter && n >= format.first && n <= format.last) return &format;
  }
  return nullptr;
}

std::string wordOperandRange(char letter) {
  std::string text;
  for (const WordFormat& format : kWordFormats) {
    if (format.letter != letter) continue;
    if (!text.empty()) text += " or ";
    text += Device{letter, format.first}.name() + " to " + Device{letter, format.last}.name();
  }
  return text + octalNote(letter);
}

std::array<std::uint16_t, 2> wordOperandWords(const WordFormat& f, int n) {
  int payload = n;  // a constant: its 16 bits, two's complement
  if (f.payload == Payload::Offset) payload = 2 * (n - f.first);
  if (f.payload == Payload::Address) payload = *addressOf(Device{f.letter, n});
  payload &= 0xFFFF;
  return {static_cast<std::uint16_t>(f.type1 << 8 | (payload & 0xFF)),
          static_cast<std::uint16_t>(f.type2 << 8 | payload >> 8)};
}

int operandCount(const Instruction& row) {
  switch (row.layout) {
    case Layout::Alone:
      return 0;
    case Layout::NumberInWord:
    case Layout::MasterControl:
      return 2;
    case Layout::WordOperands:
      return row.operands;
    case Layout::DeviceInWord:
    case Layout::DeviceWord:
    case Layout::Nesting:
      break;
  }
  return 1;
}

StepWord readStepWord(std::uint16_t word) {
  for (const Instruction& row : kInstructions) {
    if (row.layout == Layout::DeviceInWord) {
      if (word >> 12 != row.code) continue;
      const std::optional<Device> device = deviceAt(word & 0x0FFF);
      if (device && row.letters.find(device->letter) != std::string_view::npos) {
        return {&row, device};
      }
    } else if (row.layout == Layout::NumberInWord) {
      if ((word & 0xFF00) == row.code) return {&row, Device{row.letters[0], word & 0xFF}};
    } else if (word == row.code) {
      return {&row, std::nullopt};
    }
  }
  return {};
}

}  // namespace ladder51::fx
