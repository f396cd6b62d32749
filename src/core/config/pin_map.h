// The 36 microcontroller pins that can carry PLC points, and the PLC point names they accept.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/translator/fx_encoding.h"

namespace ladder51 {

inline constexpr int kPinCount = 36;
// Size of the tables indexed by a point's digits read as decimal (X43 -> 43).
inline constexpr int kPointTableSize = 46;
// Number of X (or Y) points: X0..X7, X10..X17, ... X40..X43.
inline constexpr int kPointCount = 36;

// One port pin: P0.0 .. P3.7 and P4.0 .. P4.3.
struct Pin {
  int port = 0;
  int bit = 0;
  std::uint8_t bitAddress = 0;  // 8051 bit address: port base (0x80 .. 0xB0, 0xE8) plus the bit

  // "P3.2"
  std::string label() const;
};

// The pins in PinMap order: port 0 bits 0..7, ports 1..3 likewise, port 4 bits 0..3.
const std::array<Pin, kPinCount>& pins();

// PinMap position of a pin label such as "P3.2"; nothing for any other text.
std::optional<int> findPin(std::string_view label);

// The point name each pin carries, in PinMap order; an empty text means no point.
using PinMap = std::array<std::string, kPinCount>;

enum class PointKind { Input, Output };

// An accepted non-empty point name.
struct Point {
  PointKind kind = PointKind::Input;
  int index = 0;  // the name's digits read as decimal: X17 -> 17

  // Sequential number of the point in the runtime's bit images: X17 -> 15, X43 -> 35.
  int inputIndex() const { return fx::pointOfOctalDigits(index); }
};

// The point named exactly X0..X7, X10..X17, .. X40..X43 or Y likewise (octal digits, no
// leading zero, upper case, no blanks); nothing for any other text, the empty text included.
std::optional<Point> parsePointName(std::string_view name);

// Whether a pin may carry `name`: the empty text or one of the 72 point names.
bool isAcceptedPointName(std::string_view name);

// Point index (digits read as decimal) of the point with sequential number `inputIndex`.
inline int pointIndexOf(int inputIndex) {
  return fx::octalDigits(inputIndex);
}

}  // namespace ladder51
