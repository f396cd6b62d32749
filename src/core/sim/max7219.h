// The MAX7219 display as the firmware drives it, decoded from the changes of its DIN, LOAD and
// CLK pins: the simulator has no model of the chip, so this follows its serial protocol (DIN
// shifted in on each rise of CLK, the last 16 bits latched on the rise of LOAD: a register
// address in bits 11..8 and its data in bits 7..0) and its registers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/config/settings.h"
#include "core/sim/s51_answer.h"
#include "core/sim/stimulus.h"

namespace ladder51 {

struct Max7219Pins {
  PortPin din, load, clk;
};

// The pins a settings set gives the display; nothing when no display is fitted.
std::optional<Max7219Pins> max7219PinsOf(const Settings& settings);

// The chip's registers as last written. Digit 0 (register 1) is the rightmost.
struct Max7219Display {
  std::array<std::uint8_t, 8> digits{};  // registers 1..8
  std::uint8_t decodeMode = 0;           // bit k: Code B on digit k
  std::uint8_t intensity = 0;            // 0..15
  std::uint8_t scanLimit = 0;            // digits 0..scanLimit are shown
  bool shutdown = true;                  // the chip powers up shut down
  bool displayTest = false;

  // The segments lit on digit k (0..7) as the chip shows them: bit 7 the decimal point, bits 6..0
  // the segments A..G.
  std::uint8_t segments(int k) const;
  // The eight digits as text, leftmost (digit 7) first: Code B characters "0".."9", "-", "E",
  // "H", "L", "P" and " "; a raw pattern shows as the character it draws, or '?' when it draws
  // none; a lit decimal point adds '.' after its digit.
  std::string text() const;

  bool operator==(const Max7219Display&) const = default;
};

class Max7219Decoder {
 public:
  explicit Max7219Decoder(const Max7219Pins& pins);
  // Follows the ports' changes, in time order; true when a register changed.
  bool take(const std::vector<PortChange>& changes);
  const Max7219Display& display() const { return display_; }

 private:
  bool level(const PortPin& pin) const;
  bool latch(std::uint16_t word);

  Max7219Pins pins_;
  std::array<int, 5> ports_{0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  std::uint16_t shift_ = 0;
  Max7219Display display_;
};

}  // namespace ladder51
