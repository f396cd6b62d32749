// Contacts on X, Y, M, T, C and the special relays, and the block and branch instructions.
// Contacts build the rung's condition on the condition stack; nothing is written here.
#include "core/translator/translator_run.h"

namespace ladder51::detail {
namespace {

// How a contact instruction joins the rung's condition, and whether it reads its device inverted.
enum class Join { Load, Series, Parallel };

struct Contact {
  std::string_view name;
  Join join;
  bool negated;
};

constexpr Contact kContacts[] = {
    {"LD", Join::Load, false},   {"LDI", Join::Load, true},     {"AND", Join::Series, false},
    {"ANI", Join::Series, true}, {"OR", Join::Parallel, false}, {"ORI", Join::Parallel, true},
};

const Contact* contactOf(const fx::StepWord& step) {
  if (step.instruction == nullptr || step.instruction->layout != fx::Layout::DeviceInWord) {
    return nullptr;
  }
  for (const Contact& contact : kContacts) {
    if (contact.name == step.instruction->name) return &contact;
  }
  return nullptr;
}

// Applies the step's contact instruction with the contact's positive and negative atoms.
void applyContact(TranslatorRun& t, const Contact& contact, const std::string& positive,
                  const std::string& negative) {
  const std::string& atom = contact.negated ? negative : positive;
  if (contact.join == Join::Load) {
    t.push(atom);
    return;
  }
  std::string* top = t.top(contact.name);
  if (!top) return;
  *top = "(" + *top + (contact.join == Join::Series ? "&&" : "||") + atom + ")";
}

// "(arr[B]&(0x01<<b))": bit n of a device image.
std::string bitAtom(std::string_view array, int n) {
  return "(" + std::string(array) + "[" + dec(n / 8) + "]&(0x01<<" + dec(n % 8) + "))";
}

struct ImageClass {
  char letter;
  std::string_view array;
  int limit;
  std::string_view message;
};

// M, Y, C and T contacts read their device images.
constexpr ImageClass kImageClasses[] = {
    {'M', "m", kFirmwareLastRelay, kMRange},
    {'Y', "y", kFirmwareLastPoint, kYRange},
    {'C', "c", kFirmwareLastCounter, kCRange},
    {'T', "t", kFirmwareLastTimerContact, kTContactRange},
};

struct SpecialRelay {
  int number;
  std::string_view mask;
};

// M8000, M8002, M8011..M8014: bits of m8000 kept by the runtime.
constexpr SpecialRelay kSpecialRelays[] = {{8000, "0x01"}, {8002, "0x02"}, {8011, "0x10"},
                                           {8012, "0x20"}, {8013, "0x40"}, {8014, "0x80"}};

}  // namespace

bool isContact(const fx::StepWord& step) {
  return contactOf(step) != nullptr;
}

void translateXContacts(TranslatorRun& t) {
  const Contact* contact = contactOf(t.step());
  if (!contact || t.step().device->letter != 'X') return;
  const int n = t.step().device->number;
  if (t.refuseAbove(n, kFirmwareLastPoint, kXRange)) return;
  applyContact(t, *contact, "(!inx(" + dec(n) + "))", "(inx(" + dec(n) + "))");
}

// M256 and up are refused before any other test of the step, with the M message.
void refuseHighMRelayContacts(TranslatorRun& t) {
  if (!isContact(t.step())) return;
  const fx::Device& device = *t.step().device;
  if (device.letter == 'M' && device.number > 255 && !isSpecialRelay(device)) t.refuse(kMRange);
}

void translateSpecialRelayContacts(TranslatorRun& t) {
  const Contact* contact = contactOf(t.step());
  if (!contact || !isSpecialRelay(*t.step().device)) return;
  for (const SpecialRelay& relay : kSpecialRelays) {
    if (t.step().device->number != relay.number) continue;
    const std::string bit = "m8000&" + std::string(relay.mask);
    applyContact(t, *contact, "(" + bit + ")", "(!(" + bit + "))");
    return;
  }
}

// The word after the step, read as an operand word, may name M256 and up: M256..M511 draw the M
// message as a notice, M512 and up are refused. The test runs on every step, whatever the step.
void checkFollowingOperandClass(TranslatorRun& t) {
  const std::optional<fx::Device> next = t.operandDevice(1);
  if (!next || next->letter != 'M' || next->number <= 255) return;
  if (next->number <= 511) {
    t.notice(kMRange);
  } else {
    t.refuse(kMRange);
  }
}

void translateDeviceContacts(TranslatorRun& t) {
  const Contact* contact = contactOf(t.step());
  if (!contact || isSpecialRelay(*t.step().device)) return;
  const fx::Device& device = *t.step().device;
  for (const ImageClass& image : kImageClasses) {
    if (device.letter != image.letter) continue;
    if (t.refuseAbove(device.number, image.limit, image.message)) return;
    const std::string positive = bitAtom(image.array, device.number);
    applyContact(t, *contact, positive, "(!" + positive + ")");
    return;
  }
}

void translateBlockInstructions(TranslatorRun& t) {
  if (t.stepIs("INV", fx::Layout::Alone)) {
    if (std::string* top = t.top("INV")) *top = "(!(" + *top + "))";
  } else if (t.stepIs("ANB", fx::Layout::Alone)) {
    t.mergeTopTwo("ANB", "&&(");
  } else if (t.stepIs("ORB", fx::Layout::Alone)) {
    t.mergeTopTwo("ORB", "||(");
  } else if (t.stepIs("MPS", fx::Layout::Alone)) {
    t.saveBranch();
  } else if (t.stepIs("MPP", fx::Layout::Alone)) {
    t.restoreBranch(true, "MPP");
  } else if (t.stepIs("MRD", fx::Layout::Alone)) {
    t.restoreBranch(false, "MRD");
  }
}

}  // namespace ladder51::detail
