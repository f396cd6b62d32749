// Contacts on X, Y, M, T, C and the special relays, and the block and branch instructions.
// Contacts build the rung's condition on the condition stack; nothing is written here.
#include <array>

#include "core/translator/translator_run.h"

namespace ladder51::detail {
namespace {

// The six contact instructions, by the high nibble of the step's high byte (2 to 7).
constexpr std::array<std::string_view, 8> kContactNames = {"",    "",    "LD", "LDI",
                                                           "AND", "ANI", "OR", "ORI"};

// Applies contact instruction `row` (2 LD, 3 LDI, 4 AND, 5 ANI, 6 OR, 7 ORI) with the
// contact's positive and negative atoms.
void applyContact(TranslatorRun& t, int row, const std::string& positive,
                  const std::string& negative) {
  const bool negated = row % 2 == 1;
  const std::string& atom = negated ? negative : positive;
  if (row <= 3) {
    t.push(atom);
    return;
  }
  std::string* top = t.top(kContactNames[static_cast<std::size_t>(row)]);
  if (!top) return;
  *top = "(" + *top + (row <= 5 ? "&&" : "||") + atom + ")";
}

// The contact row (2..7) when the high byte is a contact code of device class `cls`, else 0.
int contactRow(int high, int cls) {
  if (high < 0x20 || high > 0x7F || (high & 0x0F) != cls) return 0;
  return high >> 4;
}

// "(arr[B]&(0x01<<b))": bit n of a device image.
std::string bitAtom(std::string_view array, int n) {
  return "(" + std::string(array) + "[" + dec(n / 8) + "]&(0x01<<" + dec(n % 8) + "))";
}

struct ImageClass {
  int cls;
  std::string_view array;
  int limit;
  std::string_view message;
};

// M, Y, C and T contacts read their device images, in this order of the tests.
constexpr ImageClass kImageClasses[] = {
    {0x8, "m", kMaxRelay, kMRange},
    {0x5, "y", kMaxPoint, kYRange},
    {0xE, "c", kMaxCounter, kCRange},
    {0x6, "t", kMaxTimerContact, kTContactRange},
};

struct SpecialRelay {
  int low;
  std::string_view mask;
};

// M8000, M8002, M8011..M8014: bits of m8000 kept by the runtime.
constexpr SpecialRelay kSpecialRelays[] = {{0x0, "0x01"}, {0x2, "0x02"}, {0xB, "0x10"},
                                           {0xC, "0x20"}, {0xD, "0x40"}, {0xE, "0x80"}};

bool inRange(int v, int first, int last) {
  return v >= first && v <= last;
}

}  // namespace

void translateXContacts(TranslatorRun& t) {
  const int row = contactRow(t.at(1), 0x4);
  if (row == 0) return;
  const int n = t.value(0);
  if (t.refuseAbove(n, kMaxPoint, kXRange)) return;
  applyContact(t, row, "(!inx(" + dec(n) + "))", "(inx(" + dec(n) + "))");
}

void refuseHighMRelayContacts(TranslatorRun& t) {
  if (inRange(t.at(1), 0x29, 0x2D)) t.refuse(kMRange);
}

void translateSpecialRelayContacts(TranslatorRun& t) {
  const int row = contactRow(t.at(1), 0xF);
  if (row == 0) return;
  for (const SpecialRelay& relay : kSpecialRelays) {
    if (t.at(0) != relay.low) continue;
    const std::string bit = "m8000&" + std::string(relay.mask);
    applyContact(t, row, "(" + bit + ")", "(!(" + bit + "))");
    return;
  }
}

void refuseHighMRelayOtherContacts(TranslatorRun& t) {
  const int high = t.at(1);
  if (high >= 0x39 && high <= 0x7D && inRange(high & 0x0F, 0x9, 0xD)) t.refuse(kMRange);
}

void checkFollowingOperandClass(TranslatorRun& t) {
  const int operandClass = t.at(3);
  if (operandClass == 0x89) {
    t.notice(kMRange);
  } else if (inRange(operandClass, 0x8A, 0x8D) || operandClass == 0x8F) {
    t.refuse(kMRange);
  }
}

void refuseHighMRelayCoils(TranslatorRun& t) {
  const int high = t.at(1);
  const int nibble = high & 0x0F;
  if ((inRange(high, 0xC9, 0xEF)) && (inRange(high >> 4, 0xC, 0xE)) &&
      (inRange(nibble, 0x9, 0xD) || nibble == 0xF)) {
    t.refuse(kMRange);
  }
}

void translateDeviceContacts(TranslatorRun& t) {
  for (const ImageClass& image : kImageClasses) {
    const int row = contactRow(t.at(1), image.cls);
    if (row == 0) continue;
    const int n = t.value(0);
    if (t.refuseAbove(n, image.limit, image.message)) return;
    const std::string positive = bitAtom(image.array, n);
    applyContact(t, row, positive, "(!" + positive + ")");
    return;
  }
}

void translateBlockInstructions(TranslatorRun& t) {
  if (t.at(1) != 0xFF) return;
  switch (t.at(0)) {
    case 0xFD:  // INV
      if (std::string* top = t.top("INV")) *top = "(!(" + *top + "))";
      break;
    case 0xF8:
      t.mergeTopTwo("ANB", "&&(");
      break;
    case 0xF9:
      t.mergeTopTwo("ORB", "||(");
      break;
    case 0xFA:
      t.saveBranch();
      break;
    case 0xFC:
      t.restoreBranch(true, "MPP");
      break;
    case 0xFB:
      t.restoreBranch(false, "MRD");
      break;
    default:
      break;
  }
}

}  // namespace ladder51::detail
