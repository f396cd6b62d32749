// Applied instructions that move and convert data: MOV, CML, BMOV, FMOV, XCH, BCD, BIN, SMOV,
// ZRST and RST D.
#include <optional>
#include <vector>

#include "core/reference/interpreter.h"

namespace ladder51::reference {
namespace {

// The most words BMOV, FMOV and the word shifts move in one go; more is an operation error.
constexpr std::int64_t kMostWords = 512;
// The widest range ZRST clears; a wider one (an index gone astray) is an operation error.
constexpr long long kMostReset = 32768;

// The BCD digits of a value (0 <= value), low digit in the low four bits.
std::uint64_t bcdOf(std::int64_t value) {
  std::uint64_t bcd = 0;
  for (int shift = 0; value > 0; value /= 10, shift += 4) {
    bcd |= static_cast<std::uint64_t>(value % 10) << shift;
  }
  return bcd;
}

// The value of the low `width` bits read as BCD digits, or nothing when a digit is above 9.
std::optional<std::int64_t> valueOfBcd(std::uint64_t bits, int width) {
  std::int64_t value = 0;
  std::int64_t scale = 1;
  for (int shift = 0; shift < width; shift += 4, scale *= 10) {
    const std::uint64_t digit =
        bits >> shift & (width - shift >= 4 ? 0xF : (1u << (width - shift)) - 1);
    if (digit > 9) return std::nullopt;
    value += static_cast<std::int64_t>(digit) * scale;
  }
  return value;
}

}  // namespace

// MOV S D; CML S D writes the bits of S inverted.
void Interpreter::move(const Step& step, std::size_t index) {
  const std::int64_t source = value(step, 0);
  store(step, 1, step.row->name == "CML" ? ~source : source, index);
}

// BMOV S D n: n words from S to D, all read before any is written, so that overlapping ranges
// move whole.
void Interpreter::blockMove(const Step& step, std::size_t index) {
  const std::int64_t count = value(step, 2);
  if (count < 1 || count > kMostWords) return;
  const Place from = place(step, 0);
  const Place to = place(step, 1);
  std::vector<std::int64_t> words;
  for (std::int64_t k = 0; k < count; ++k) words.push_back(read(element(from, k, 16), 16));
  for (std::int64_t k = 0; k < count; ++k) write(element(to, k, 16), 16, words[k], index);
}

// FMOV S D n: S into the n words (pairs in the D form) from D.
void Interpreter::fillMove(const Step& step, std::size_t index) {
  const std::int64_t count = value(step, 2);
  if (count < 1 || count > kMostWords) return;
  const std::int64_t source = value(step, 0);
  const Place to = place(step, 1);
  for (std::int64_t k = 0; k < count; ++k) {
    write(element(to, k, step.size()), step.size(), source, index);
  }
}

// XCH D1 D2.
void Interpreter::exchange(const Step& step, std::size_t index) {
  const std::int64_t first = value(step, 0);
  const std::int64_t second = value(step, 1);
  store(step, 0, second, index);
  store(step, 1, first, index);
}

// BCD S D: S as BCD digits; S above 9999 (99999999 in the D form) or below 0 is an operation error.
void Interpreter::toBcd(const Step& step, std::size_t index) {
  const std::int64_t source = value(step, 0);
  if (source < 0 || source > (step.size() == 32 ? 99'999'999 : 9'999)) return;
  store(step, 1, static_cast<std::int64_t>(bcdOf(source)), index);
}

// BIN S D: S's BCD digits as a number; a digit above 9 is an operation error.
void Interpreter::fromBcd(const Step& step, std::size_t index) {
  const Place from = place(step, 0);
  const int width = widthOf(from, step.size());
  const std::optional<std::int64_t> number =
      valueOfBcd(static_cast<std::uint64_t>(read(from, step.size())), width);
  if (number) store(step, 1, *number, index);
}

// SMOV S m1 m2 D n: S and D as four BCD digits (digit 1 the lowest); the m2 digits of S from
// digit m1 down replace those of D from digit n down, and D is written back as a number. With
// M8168 on the digits are S's and D's own hexadecimal ones, without conversion.
void Interpreter::shiftMove(const Step& step, std::size_t index) {
  const std::int64_t first = value(step, 1);
  const std::int64_t count = value(step, 2);
  const std::int64_t at = value(step, 4);
  if (first < 1 || first > 4 || count < 1 || count > first || at < count || at > 4) return;
  const bool hex = bit({'M', 8168});
  auto digitsOf = [hex](std::int64_t v) -> std::optional<std::uint64_t> {
    if (hex) return static_cast<std::uint64_t>(v) & 0xFFFF;
    if (v < 0 || v > 9999) return std::nullopt;
    return bcdOf(v);
  };
  const std::optional<std::uint64_t> source = digitsOf(value(step, 0));
  std::optional<std::uint64_t> target = digitsOf(value(step, 3));
  if (!source || !target) return;
  for (std::int64_t j = 0; j < count; ++j) {
    const auto from = static_cast<int>(4 * (first - 1 - j));
    const auto to = static_cast<int>(4 * (at - 1 - j));
    *target = (*target & ~(std::uint64_t{0xF} << to)) | (*source >> from & 0xF) << to;
  }
  store(step, 3, hex ? static_cast<std::int64_t>(*target) : *valueOfBcd(*target, 16), index);
}

// ZRST D1 D2: every device from D1 to D2 of one kind cleared (only D1 when D2 lies below it):
// bits off, registers 0, timers and counters as RST resets them.
void Interpreter::zoneReset(const Step& step, std::size_t index) {
  const Place first = place(step, 0);
  const Place last = place(step, 1);
  if (first.letter != last.letter || first.digits != 0 || last.digits != 0) return;
  const long long end = std::max(first.number, last.number);
  if (end - first.number >= kMostReset) return;
  for (long long n = first.number; n <= end; ++n) {
    if (first.letter == 'T' || first.letter == 'C') {
      resetTimerCounter(first.letter, n, index);
    } else {
      write(Place{first.letter, n}, 16, 0, index);
    }
  }
}

// RST D (or V, Z).
void Interpreter::resetRegister(const Step& step, std::size_t index) {
  store(step, 0, 0, index);
}

}  // namespace ladder51::reference
