// Applied instructions that compute: ADD, SUB, MUL, DIV, INC, DEC, NEG, WAND, WOR, WXOR, and the
// comparisons into bits CMP and ZCP.
#include "core/reference/interpreter.h"

namespace ladder51::reference {
namespace {

constexpr int kZeroFlag = 20;    // M8020
constexpr int kBorrowFlag = 21;  // M8021
constexpr int kCarryFlag = 22;   // M8022

}  // namespace

// ADD S1 S2 D, SUB S1 S2 D: the result wraps in the width; M8020 says it was written as 0, M8021
// and M8022 that the exact result lay below or above the width's range.
void Interpreter::addSubtract(const Step& step, std::size_t index) {
  const int size = step.size();
  const std::int64_t a = value(step, 0);
  const std::int64_t b = value(step, 1);
  const std::int64_t exact = step.row->name == "ADD" ? a + b : a - b;
  const std::int64_t greatest = (std::int64_t{1} << (size - 1)) - 1;
  const std::uint64_t mask = (std::uint64_t{1} << size) - 1;
  store(step, 2, exact, index);
  setFlag(kZeroFlag, (static_cast<std::uint64_t>(exact) & mask) == 0, index);
  setFlag(kBorrowFlag, exact < -greatest - 1, index);
  setFlag(kCarryFlag, exact > greatest, index);
}

// MUL S1 S2 D: the product at twice the width, from D on (D, D+1; in the D form D..D+3).
void Interpreter::multiply(const Step& step, std::size_t index) {
  write(place(step, 2), 2 * step.size(), value(step, 0) * value(step, 1), index);
}

// DIV S1 S2 D: the quotient into D and, when D is a register, the remainder into the next one
// (pair), both rounded towards zero as the dividend's sign says; a divisor of 0 is an operation
// error.
void Interpreter::divide(const Step& step, std::size_t index) {
  const std::int64_t dividend = value(step, 0);
  const std::int64_t divisor = value(step, 1);
  if (divisor == 0) return;
  const Place target = place(step, 2);
  write(target, step.size(), dividend / divisor, index);
  if (target.letter == 'D' || target.letter == 'T' || target.letter == 'C') {
    write(element(target, 1, step.size()), step.size(), dividend % divisor, index);
  }
}

// INC D, DEC D: one up or down, wrapping, without flags.
void Interpreter::increment(const Step& step, std::size_t index) {
  store(step, 0, value(step, 0) + (step.row->name == "INC" ? 1 : -1), index);
}

// NEG D: the two's complement (the least value stays itself).
void Interpreter::negate(const Step& step, std::size_t index) {
  store(step, 0, -value(step, 0), index);
}

// WAND, WOR, WXOR S1 S2 D.
void Interpreter::logic(const Step& step, std::size_t index) {
  const std::int64_t a = value(step, 0);
  const std::int64_t b = value(step, 1);
  const std::string_view name = step.row->name;
  store(step, 2, name == "WAND" ? (a & b) : name == "WOR" ? (a | b) : (a ^ b), index);
}

// CMP S1 S2 D: D on when S1 > S2, D+1 when equal, D+2 when S1 < S2.
void Interpreter::compareInto(const Step& step, std::size_t index) {
  const std::int64_t a = value(step, 0);
  const std::int64_t b = value(step, 1);
  const Place bits = place(step, 2);
  writeBitAt(bits, 0, a > b, index);
  writeBitAt(bits, 1, a == b, index);
  writeBitAt(bits, 2, a < b, index);
}

// ZCP S1 S2 S D: D on when S < S1, D+1 when S1 <= S <= S2, D+2 when S > S2; an S2 below S1 is
// taken as S1.
void Interpreter::zoneCompare(const Step& step, std::size_t index) {
  const std::int64_t low = value(step, 0);
  const std::int64_t high = std::max(low, value(step, 1));
  const std::int64_t s = value(step, 2);
  const Place bits = place(step, 3);
  writeBitAt(bits, 0, s < low, index);
  writeBitAt(bits, 1, s >= low && s <= high, index);
  writeBitAt(bits, 2, s > high, index);
}

}  // namespace ladder51::reference
