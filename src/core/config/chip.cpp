#include "core/config/chip.h"

#include "core/text/encoding.h"

#include <algorithm>
#include <array>

namespace ladder51 {
namespace {

// Internal RAM is the 8052's 256 bytes on all of them; the STC89 parts add XRAM on the chip.
constexpr std::array<ChipProfile, 5> kChips = {{
    {"at89s52", "AT89S52", {256, 0, 8 * 1024}, 12},
    {"stc89c52", "STC89C52RC", {256, 256, 8 * 1024}, 12},
    {"stc89c54", "STC89C54RD+", {256, 1024, 16 * 1024}, 12},
    {"stc89c58", "STC89C58RD+", {256, 1024, 32 * 1024}, 12},
    {"stc89c516", "STC89C516RD+", {256, 1024, 62 * 1024}, 12},
}};

}  // namespace

std::span<const ChipProfile> chipProfiles() {
  return kChips;
}

const ChipProfile& defaultChip() {
  return kChips.front();
}

Result<ChipProfile> chipNamed(std::string_view name) {
  for (const ChipProfile& chip : kChips) {
    if (sameIgnoringCase(chip.name, name)) return chip;
  }
  return Error{ErrorKind::BadChip,
               "unknown chip \"" + std::string(name) + "\": choose " + chipNameList()};
}

std::string chipNameList() {
  std::string list;
  for (std::size_t k = 0; k < kChips.size(); ++k) {
    if (k > 0) list += k + 1 == kChips.size() ? " or " : ", ";
    list += kChips[k].name;
  }
  return list;
}

}  // namespace ladder51
