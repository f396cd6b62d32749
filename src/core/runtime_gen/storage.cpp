#include "core/runtime_gen/storage.h"

#include <algorithm>

#include "core/text/code_writer.h"

namespace ladder51 {
namespace {

// The runtime's fixed tables of each class: how many bit images move with it (m; t and to; c and
// cflag), the bytes of each, and the 16-bit values (tc, ct, d). A class grows when the program
// uses a bit beyond the images or a value beyond the values.
struct FixedTables {
  char letter;
  int images;
  int imageBytes;
  int values;

  int lastBit() const { return 8 * imageBytes - 1; }
  int lastValue() const { return values - 1; }
  int bytes() const { return images * imageBytes + 2 * values; }
};
constexpr FixedTables kFixed[] = {
    {'M', 1, 11, 0},  // m[11]
    {'S', 1, 0, 0},   // none
    {'T', 2, 4, 16},  // t[4], to[4], tc[16]
    {'C', 2, 2, 11},  // c[2], cflag[2], ct[11]
    {'D', 0, 0, 17},  // d[17]
};

const FixedTables& fixedOf(char letter) {
  for (const FixedTables& fixed : kFixed) {
    if (fixed.letter == letter) return fixed;
  }
  return kFixed[0];
}

constexpr std::string_view kNoXram =
    "{devices} need {bytes} bytes of XRAM; {chip} has none: choose a chip with XRAM";
constexpr std::string_view kSmallXram =
    "{devices} need {bytes} bytes of XRAM; {chip} has {xram}: choose a chip with more XRAM";
constexpr std::string_view kLargestXram =
    "{devices} need {bytes} bytes of XRAM; {chip} has {xram}, as much as any chip ladder51 "
    "builds for: the program must use fewer devices";

// "M0-M455", "M0-M455 and T0-T31", "M0-M455, T0-T31 and D0-D100"
std::string rangesText(const std::vector<const GrownTables*>& tables) {
  std::string text;
  for (std::size_t k = 0; k < tables.size(); ++k) {
    if (k > 0) text += k + 1 == tables.size() ? " and " : ", ";
    text += tables[k]->range();
  }
  return text;
}

}  // namespace

int GrownTables::bitBytes() const {
  const FixedTables& fixed = fixedOf(letter);
  return fixed.images > 0 ? std::max(last / 8 + 1, fixed.imageBytes) : 0;
}

int GrownTables::valueCount() const {
  const FixedTables& fixed = fixedOf(letter);
  return fixed.values > 0 ? std::max(last + 1, fixed.values) : 0;
}

int GrownTables::bytes() const {
  return fixedOf(letter).images * bitBytes() + 2 * valueCount();
}

std::string GrownTables::range() const {
  const std::string name(1, letter);
  return name + "0-" + name + dec(last);
}

const GrownTables* StoragePlan::of(char letter) const {
  for (const GrownTables& tables : grown) {
    if (tables.letter == letter) return &tables;
  }
  return nullptr;
}

int StoragePlan::xramBytes() const {
  int bytes = 0;
  for (const GrownTables& tables : grown) {
    if (tables.space == Space::Xdata) bytes += tables.bytes();
  }
  return bytes;
}

std::vector<GrownTables> grownTables(const DeviceUse& devices) {
  // The highest bit and value each class uses (-1: none): timer contacts read only the images.
  const struct {
    char letter;
    int bit;
    int value;
  } uses[] = {
      {'M', devices.relay, -1},
      {'S', devices.state, -1},
      {'T', devices.timerContact, devices.timer},
      {'C', devices.counter, devices.counter},
      {'D', -1, devices.dataRegister},
  };
  std::vector<GrownTables> grown;
  for (const auto& use : uses) {
    const FixedTables& fixed = fixedOf(use.letter);
    if (use.bit > fixed.lastBit() || use.value > fixed.lastValue()) {
      grown.push_back({use.letter, std::max(use.bit, use.value), Space::Idata});
    }
  }
  return grown;
}

Result<StoragePlan> planStorage(const DeviceUse& devices, int extensionBytes,
                                const ChipProfile& chip) {
  StoragePlan plan;
  plan.lastSlowTimer = devices.lastSlowTimer;
  plan.firstFastTimer = devices.firstFastTimer;
  plan.lastFastTimer = devices.lastFastTimer;
  plan.timerPhases = devices.timerPhases;
  plan.grown = grownTables(devices);
  if (plan.grown.empty()) return plan;

  // Internal RAM first, the smallest growth first; what does not fit goes to XRAM, where the
  // class's fixed tables no longer take internal RAM.
  auto growth = [](const GrownTables& tables) {
    return tables.bytes() - fixedOf(tables.letter).bytes();
  };
  std::vector<GrownTables*> order;
  for (GrownTables& tables : plan.grown) order.push_back(&tables);
  std::stable_sort(order.begin(), order.end(), [&](const GrownTables* a, const GrownTables* b) {
    return growth(*a) < growth(*b);
  });
  int spare = kSpareInternalRam - extensionBytes;
  for (GrownTables* tables : order) {
    tables->space = Space::Xdata;
    spare += fixedOf(tables->letter).bytes();
  }
  for (GrownTables* tables : order) {
    if (tables->bytes() > spare) break;
    tables->space = Space::Idata;
    spare -= tables->bytes();
  }

  std::vector<const GrownTables*> inXram;
  for (const GrownTables& tables : plan.grown) {
    if (tables.space == Space::Xdata) inXram.push_back(&tables);
  }
  if (inXram.empty() || plan.xramBytes() <= chip.memory.xramBytes) return plan;
  const int xram = chip.memory.xramBytes;
  const bool largest = std::ranges::none_of(
      chipProfiles(), [&](const ChipProfile& other) { return other.memory.xramBytes > xram; });
  return Error{ErrorKind::DoesNotFit, fill(xram == 0 ? kNoXram
                                           : largest ? kLargestXram
                                                     : kSmallXram,
                                           {{"devices", rangesText(inXram)},
                                            {"bytes", dec(plan.xramBytes())},
                                            {"chip", std::string(chip.model)},
                                            {"xram", dec(xram)}})};
}

}  // namespace ladder51
