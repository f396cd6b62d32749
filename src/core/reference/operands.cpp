// The operands of applied instructions: where an operand lies once its index register is applied,
// and its value read and written at the instruction's width.
#include <algorithm>
#include <cstdint>

#include "core/reference/interpreter.h"

namespace ladder51::reference {
namespace {

// Device numbers past these name nothing: an index that points there reads 0 and writes nothing.
constexpr long long kLastDeviceNumber = 32767;

bool isBitLetter(char letter) {
  return letter == 'X' || letter == 'Y' || letter == 'M' || letter == 'S';
}
bool isRegisterLetter(char letter) {
  return letter == 'D' || letter == 'T' || letter == 'C';
}

// The D register that index register V0..V7 or Z0..Z7 is, where the encoding table places it in
// the D8000 bank (Z0 D8028, V0 D8029, Z1 D8182, ...).
long long registerOf(char letter, long long n) {
  const fx::WordFormat* format = fx::formatFor(letter, n, false, 16, false);
  if (!format) return -1;
  return 8000 + (format->base + format->unit * (n - format->first)) / 2;
}

// The low `width` bits of `bits` as a signed number.
std::int64_t signedIn(std::uint64_t bits, int width) {
  const std::uint64_t sign = std::uint64_t{1} << (width - 1);
  const std::uint64_t low = width >= 64 ? bits : bits & ((sign << 1) - 1);
  return static_cast<std::int64_t>((low ^ sign) - sign);
}

}  // namespace

Interpreter::Place Interpreter::place(const Step& step, std::size_t k) const {
  const fx::Operand& operand = step.operands[k];
  const fx::WordFormat& format = *operand.format;
  Place at{format.letter, operand.number, operand.digits};
  if (format.payload == fx::Payload::Value) at.letter = 'K';
  if (format.letter == 'V' || format.letter == 'Z')
    at = {'D', registerOf(format.letter, at.number)};
  if (operand.index != 0) {
    const Place index{'D', registerOf(operand.index, operand.indexNumber)};
    // In a D form Zn indexes with the pair Vn:Zn (Vn is the register after Zn).
    at.number += read(index, step.size() == 32 && operand.index == 'Z' ? 32 : 16);
  }
  return at;
}

Interpreter::Place Interpreter::element(const Place& place, long long k, int size) {
  Place next = place;
  if (isRegisterLetter(place.letter)) {
    const bool wide = place.letter == 'C' && place.number >= kFirstWideCounter;
    next.number += wide ? k : k * (size / 16);
  } else if (isBitLetter(place.letter)) {
    next.number += place.digits == 0 ? k : 4LL * place.digits * k;
  }
  return next;
}

int Interpreter::widthOf(const Place& place, int size) {
  if (!isBitLetter(place.letter)) return size;
  return place.digits == 0 ? 1 : std::min(4 * place.digits, size);
}

bool Interpreter::bitAt(const Place& place, long long k) const {
  const long long n = place.number + k;
  if (!isBitLetter(place.letter) || n < 0 || n > kLastDeviceNumber) return false;
  return bit({place.letter, static_cast<int>(n)});
}

void Interpreter::writeBitAt(const Place& place, long long k, bool on, std::size_t index) {
  const long long n = place.number + k;
  if (!isBitLetter(place.letter) || n < 0 || n > kLastDeviceNumber) return;
  writeBit({place.letter, static_cast<int>(n)}, on, index);
}

std::int64_t Interpreter::read(const Place& place, int size) const {
  if (place.letter == 'K') return signedIn(static_cast<std::uint64_t>(place.number), size);
  if (isBitLetter(place.letter)) {
    const int width = widthOf(place, size);
    std::uint64_t bits = 0;
    for (int k = 0; k < width; ++k) bits |= std::uint64_t{bitAt(place, k)} << k;
    // A group narrower than the width is a positive number; one that fills it carries a sign.
    return width == size ? signedIn(bits, size) : static_cast<std::int64_t>(bits);
  }
  if (!isRegisterLetter(place.letter)) return 0;  // a pointer
  const long long n = place.number;
  if (n < 0 || n > kLastDeviceNumber) return 0;
  if (place.letter == 'C' && n >= kFirstWideCounter) {
    const auto at = static_cast<std::size_t>(n);
    const std::int32_t count = at < counters_.size() ? counters_[at].count : 0;
    return signedIn(static_cast<std::uint32_t>(count), size);
  }
  std::uint64_t bits = 0;
  for (int w = 0; w < size / 16 && n + w <= kLastDeviceNumber; ++w) {
    bits |= std::uint64_t{word({place.letter, static_cast<int>(n + w)})} << (16 * w);
  }
  return signedIn(bits, size);
}

void Interpreter::write(const Place& place, int size, std::int64_t value, std::size_t index) {
  const auto bits = static_cast<std::uint64_t>(value);
  if (isBitLetter(place.letter)) {
    for (int k = 0; k < widthOf(place, size); ++k)
      writeBitAt(place, k, (bits >> k & 1) != 0, index);
    return;
  }
  if (!isRegisterLetter(place.letter) || place.number < 0) return;
  if (place.letter == 'C' && place.number >= kFirstWideCounter) {
    writeRegister('C', place.number, static_cast<std::int32_t>(signedIn(bits, std::min(size, 32))),
                  index);
    return;
  }
  for (int w = 0; w < size / 16; ++w) {
    writeRegister(place.letter, place.number + w,
                  static_cast<std::int32_t>(bits >> (16 * w) & 0xFFFF), index);
  }
}

std::int64_t Interpreter::value(const Step& step, std::size_t k) const {
  return read(place(step, k), step.size());
}

void Interpreter::store(const Step& step, std::size_t k, std::int64_t value, std::size_t index) {
  write(place(step, k), step.size(), value, index);
}

void Interpreter::setFlag(int flag, bool on, std::size_t index) {
  writeBit({'M', 8000 + flag}, on, index);
}

}  // namespace ladder51::reference
