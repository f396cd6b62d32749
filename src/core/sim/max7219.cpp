#include "core/sim/max7219.h"

#include <algorithm>

namespace ladder51 {
namespace {

// Code B: the segments (A..G in bits 6..0) and the character of each code 0..15.
constexpr std::array<std::uint8_t, 16> kCodeB = {0x7E, 0x30, 0x6D, 0x79, 0x33, 0x5B, 0x5F, 0x70,
                                                 0x7F, 0x7B, 0x01, 0x4F, 0x37, 0x0E, 0x67, 0x00};
constexpr char kCodeBText[] = "0123456789-EHLP ";

// "1.5" -> P1.5
std::optional<PortPin> pinOf(const std::string& text) {
  if (text.size() != 3 || text[1] != '.' || text[0] < '0' || text[0] > '4' || text[2] < '0' ||
      text[2] > '7') {
    return std::nullopt;
  }
  return PortPin{text[0] - '0', text[2] - '0'};
}

}  // namespace

std::optional<Max7219Pins> max7219PinsOf(const Settings& settings) {
  if (!settings.display) return std::nullopt;
  auto din = pinOf(settings.din), load = pinOf(settings.load), clk = pinOf(settings.clk);
  if (!din || !load || !clk) return std::nullopt;
  return Max7219Pins{*din, *load, *clk};
}

std::uint8_t Max7219Display::segments(int k) const {
  if (shutdown && !displayTest) return 0;
  if (displayTest) return 0xFF;
  if (k < 0 || k > 7 || k > scanLimit) return 0;
  const std::uint8_t value = digits[static_cast<std::size_t>(k)];
  if ((decodeMode >> k) & 1)
    return static_cast<std::uint8_t>((value & 0x80) | kCodeB[value & 0x0F]);
  return value;
}

std::string Max7219Display::text() const {
  std::string text;
  for (int k = 7; k >= 0; --k) {
    const std::uint8_t lit = segments(k);
    const auto* drawn = std::find(kCodeB.begin(), kCodeB.end(), lit & 0x7F);
    text += drawn == kCodeB.end() ? '?' : kCodeBText[drawn - kCodeB.begin()];
    if (lit & 0x80) text += '.';
  }
  return text;
}

Max7219Decoder::Max7219Decoder(const Max7219Pins& pins) : pins_(pins) {}

bool Max7219Decoder::level(const PortPin& pin) const {
  return (ports_[static_cast<std::size_t>(pin.port)] >> pin.bit) & 1;
}

bool Max7219Decoder::take(const std::vector<PortChange>& changes) {
  bool changed = false;
  for (const PortChange& change : changes) {
    if (change.port < 0 || change.port >= static_cast<int>(ports_.size())) continue;
    const bool clk = level(pins_.clk), load = level(pins_.load);
    ports_[static_cast<std::size_t>(change.port)] = change.level;
    if (!clk && level(pins_.clk))
      shift_ = static_cast<std::uint16_t>((shift_ << 1) | (level(pins_.din) ? 1 : 0));
    if (!load && level(pins_.load)) changed = latch(shift_) || changed;
  }
  return changed;
}

bool Max7219Decoder::latch(std::uint16_t word) {
  const Max7219Display before = display_;
  const auto data = static_cast<std::uint8_t>(word & 0xFF);
  const int address = (word >> 8) & 0x0F;
  if (address >= 1 && address <= 8) {
    display_.digits[static_cast<std::size_t>(address - 1)] = data;
  } else if (address == 0x9) {
    display_.decodeMode = data;
  } else if (address == 0xA) {
    display_.intensity = data & 0x0F;
  } else if (address == 0xB) {
    display_.scanLimit = data & 0x07;
  } else if (address == 0xC) {
    display_.shutdown = (data & 1) == 0;
  } else if (address == 0xF) {
    display_.displayTest = (data & 1) != 0;
  }
  return !(display_ == before);
}

}  // namespace ladder51
