#include "core/config/pin_map.h"

namespace ladder51 {
namespace {

constexpr std::uint8_t kPortBase[] = {0x80, 0x90, 0xA0, 0xB0, 0xE8};

constexpr std::array<Pin, kPinCount> makePins() {
  std::array<Pin, kPinCount> table{};
  for (int k = 0; k < kPinCount; ++k) {
    const int port = k / 8;
    const int bit = k % 8;
    table[static_cast<std::size_t>(k)] = {port, bit,
                                          static_cast<std::uint8_t>(kPortBase[port] + bit)};
  }
  return table;
}

constexpr std::array<Pin, kPinCount> kPins = makePins();

}  // namespace

std::string Pin::label() const {
  return "P" + std::to_string(port) + "." + std::to_string(bit);
}

const std::array<Pin, kPinCount>& pins() {
  return kPins;
}

std::optional<int> findPin(std::string_view label) {
  for (int k = 0; k < kPinCount; ++k) {
    if (kPins[static_cast<std::size_t>(k)].label() == label) return k;
  }
  return std::nullopt;
}

std::optional<Point> parsePointName(std::string_view name) {
  if (name.size() < 2 || name.size() > 3) return std::nullopt;
  Point point;
  if (name[0] == 'X') {
    point.kind = PointKind::Input;
  } else if (name[0] == 'Y') {
    point.kind = PointKind::Output;
  } else {
    return std::nullopt;
  }
  const std::string_view digits = name.substr(1);
  for (char c : digits) {
    if (c < '0' || c > '7') return std::nullopt;
  }
  if (digits.size() == 2 && digits[0] == '0') return std::nullopt;
  point.index = digits.size() == 1 ? digits[0] - '0' : (digits[0] - '0') * 10 + (digits[1] - '0');
  if (point.index > 43) return std::nullopt;
  return point;
}

bool isAcceptedPointName(std::string_view name) {
  return name.empty() || parsePointName(name).has_value();
}

}  // namespace ladder51
