// Applied instructions on bits: ROR, ROL, RCR, RCL, SFTR, SFTL, WSFR, WSFL, DECO, ENCO, SUM, BON
// and ALT.
#include <bit>
#include <vector>

#include "core/reference/interpreter.h"

namespace ladder51::reference {
namespace {

constexpr int kZeroFlag = 20;   // M8020
constexpr int kCarryFlag = 22;  // M8022
// The longest bit string SFTR/SFTL shift, and the most words of WSFR/WSFL.
constexpr std::int64_t kMostBits = 1024;
constexpr std::int64_t kMostWords = 512;

std::uint64_t maskOf(int width) {
  return width >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << width) - 1;
}

bool isLoneBit(char letter, int digits) {
  return digits == 0 && (letter == 'X' || letter == 'Y' || letter == 'M' || letter == 'S');
}

// The string `now` shifted by `by` places towards its start (right) or its end (left), the
// `fill` entering at the end left free.
template <typename T>
std::vector<T> shifted(const std::vector<T>& now, const std::vector<T>& fill, bool right) {
  const std::size_t length = now.size();
  const std::size_t by = fill.size();
  std::vector<T> next(length);
  for (std::size_t k = 0; k < length; ++k) {
    if (right) {
      next[k] = k + by < length ? now[k + by] : fill[k + by - length];
    } else {
      next[k] = k < by ? fill[k] : now[k - by];
    }
  }
  return next;
}

}  // namespace

// ROR/ROL D n rotate the width's bits (a group's own) n places right or left, the last bit out
// left in M8022; RCR/RCL rotate them with M8022 as one more bit. n outside 1..width (16 or 32)
// is an operation error.
void Interpreter::rotate(const Step& step, std::size_t index) {
  const int size = step.size();
  const std::int64_t count = value(step, 1);
  if (count < 1 || count > size) return;
  const std::string_view name = step.row->name;
  const bool right = name == "ROR" || name == "RCR";
  const bool throughCarry = name == "RCR" || name == "RCL";
  const Place target = place(step, 0);
  const int width = widthOf(target, size);
  std::uint64_t bits = static_cast<std::uint64_t>(read(target, size)) & maskOf(width);
  bool carry = bit({'M', 8000 + kCarryFlag});
  for (std::int64_t k = 0; k < count; ++k) {
    const bool out = right ? (bits & 1) != 0 : (bits >> (width - 1) & 1) != 0;
    const std::uint64_t in = throughCarry ? carry : out;
    bits = right ? bits >> 1 | in << (width - 1) : (bits << 1 | in) & maskOf(width);
    carry = out;
  }
  write(target, size, static_cast<std::int64_t>(bits), index);
  setFlag(kCarryFlag, carry, index);
}

// SFTR/SFTL S D n1 n2: the n1 bits from D move n2 places towards D (right) or away from it (left),
// and the n2 bits from S fill the places left free; 1 <= n2 <= n1 <= 1024, else an operation error.
void Interpreter::shiftBits(const Step& step, std::size_t index) {
  const std::int64_t length = value(step, 2);
  const std::int64_t by = value(step, 3);
  if (by < 1 || by > length || length > kMostBits) return;
  const Place from = place(step, 0);
  const Place to = place(step, 1);
  std::vector<char> now;
  std::vector<char> fill;
  for (std::int64_t k = 0; k < length; ++k) now.push_back(bitAt(to, k));
  for (std::int64_t k = 0; k < by; ++k) fill.push_back(bitAt(from, k));
  const std::vector<char> next = shifted(now, fill, step.row->name == "SFTR");
  for (std::int64_t k = 0; k < length; ++k) {
    writeBitAt(to, k, next[static_cast<std::size_t>(k)] != 0, index);
  }
}

// WSFR/WSFL S D n1 n2: as SFTR/SFTL with words (n1 <= 512).
void Interpreter::shiftWords(const Step& step, std::size_t index) {
  const std::int64_t length = value(step, 2);
  const std::int64_t by = value(step, 3);
  if (by < 1 || by > length || length > kMostWords) return;
  const Place from = place(step, 0);
  const Place to = place(step, 1);
  std::vector<std::int64_t> now;
  std::vector<std::int64_t> fill;
  for (std::int64_t k = 0; k < length; ++k) now.push_back(read(element(to, k, 16), 16));
  for (std::int64_t k = 0; k < by; ++k) fill.push_back(read(element(from, k, 16), 16));
  const std::vector<std::int64_t> next = shifted(now, fill, step.row->name == "WSFR");
  for (std::int64_t k = 0; k < length; ++k) {
    write(element(to, k, 16), 16, next[static_cast<std::size_t>(k)], index);
  }
}

// DECO S D n: the low n bits of S (of the n bits from S when S is a bit) select one of 2^n bits:
// from D on (n <= 8), only it on; or in the word D (n <= 4), all its other bits off.
void Interpreter::decode(const Step& step, std::size_t index) {
  const Place from = place(step, 0);
  const Place to = place(step, 1);
  const std::int64_t n = value(step, 2);
  const bool bits = to.letter == 'X' || to.letter == 'Y' || to.letter == 'M' || to.letter == 'S';
  if (n < 1 || n > (bits ? 8 : 4)) return;
  std::uint64_t code = 0;
  if (isLoneBit(from.letter, from.digits)) {
    for (int k = 0; k < n; ++k) code |= std::uint64_t{bitAt(from, k)} << k;
  } else {
    code = static_cast<std::uint64_t>(read(from, 16)) & maskOf(static_cast<int>(n));
  }
  if (!bits) {
    write(to, 16, std::int64_t{1} << code, index);
    return;
  }
  for (std::int64_t k = 0; k < std::int64_t{1} << n; ++k) {
    writeBitAt(to, k, static_cast<std::uint64_t>(k) == code, index);
  }
}

// ENCO S D n: the number of the highest bit on among the 2^n bits from S (n <= 8), or of the word
// S (n <= 4); none on is an operation error.
void Interpreter::encode(const Step& step, std::size_t index) {
  const Place from = place(step, 0);
  const std::int64_t n = value(step, 2);
  const bool bits = isLoneBit(from.letter, from.digits);
  if (n < 1 || n > (bits ? 8 : 4)) return;
  const auto word = static_cast<std::uint64_t>(read(from, 16));
  for (std::int64_t k = (std::int64_t{1} << n) - 1; k >= 0; --k) {
    if (bits ? bitAt(from, k) : (word >> k & 1) != 0) {
      store(step, 1, k, index);
      return;
    }
  }
}

// SUM S D: the number of S's bits on; M8020 on when there are none.
void Interpreter::sumBits(const Step& step, std::size_t index) {
  const auto bits = static_cast<std::uint64_t>(value(step, 0)) & maskOf(step.size());
  const int count = std::popcount(bits);
  store(step, 1, count, index);
  setFlag(kZeroFlag, count == 0, index);
}

// BON S D n: D takes bit n of S (n below the width, else an operation error).
void Interpreter::bitOn(const Step& step, std::size_t index) {
  const std::int64_t n = value(step, 2);
  if (n < 0 || n >= step.size()) return;
  writeBitAt(place(step, 1), 0, (static_cast<std::uint64_t>(value(step, 0)) >> n & 1) != 0, index);
}

// ALT D: the bit inverted.
void Interpreter::alternate(const Step& step, std::size_t index) {
  const Place target = place(step, 0);
  writeBitAt(target, 0, !bitAt(target, 0), index);
}

}  // namespace ladder51::reference
