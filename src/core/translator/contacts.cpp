// Contacts on X, Y, M, T, C and the special relays, and the block and branch instructions.
// Contacts build the rung's condition on the condition stack; nothing is written here.
#include "core/translator/special_devices.h"

namespace ladder51::detail {
namespace {

// How a contact instruction joins the rung's condition: LD and LDI push their atom, the others
// fill `join` with the condition {top} and their {atom}. LDI, ANI and ORI read the device
// inverted.
struct Contact {
  const fx::Instruction* row;
  std::string_view join;  // empty: a new condition
  bool negated;
};

constexpr fx::Layout kContact = fx::Layout::DeviceInWord;
constexpr Contact kContacts[] = {
    {&fx::row("LD", kContact), "", false},
    {&fx::row("LDI", kContact), "", true},
    {&fx::row("AND", kContact), "({top}&&{atom})", false},
    {&fx::row("ANI", kContact), "({top}&&{atom})", true},
    {&fx::row("OR", kContact), "({top}||{atom})", false},
    {&fx::row("ORI", kContact), "({top}||{atom})", true},
};

const Contact* contactOf(const fx::StepWord& step) {
  for (const Contact& contact : kContacts) {
    if (step.instruction == contact.row) return &contact;
  }
  return nullptr;
}

// The atoms of a contact, read as it is and inverted.
struct Atom {
  std::string_view positive;
  std::string_view negative;
};

constexpr Atom kXAtom = {"(!inx({n}))", "(inx({n}))"};
constexpr Atom kBitAtom = {"({array}[{B}]&(0x01<<{b}))", "(!({array}[{B}]&(0x01<<{b})))"};
constexpr Atom kSpecialAtom = {"(m8000&{mask})", "(!(m8000&{mask}))"};
constexpr Atom kFlagAtom = {"(m8020&{mask})", "(!(m8020&{mask}))"};

// Applies the step's contact instruction to the atom filled with `fields`. A contact on a device
// the program writes (`device`, "M5"; none for inputs and the special relays) may be held where
// it stands (TranslatorRun::contactResult).
void applyContact(TranslatorRun& t, const Contact& contact, const Atom& atom, Fields fields,
                  const std::string& device = {}) {
  std::string text = fill(contact.negated ? atom.negative : atom.positive, fields);
  if (!device.empty()) text = t.contactResult(text, {device});
  if (contact.join.empty()) {
    t.push(std::move(text));
  } else {
    std::string* top = t.top(contact.row->name);
    if (!top) return;
    *top = fill(contact.join, {{"top", *top}, {"atom", std::move(text)}});
  }
  if (!device.empty()) t.noteRead();
}

struct ImageClass {
  char letter;
  std::string_view array;
};

// M, Y, C, T and S contacts read their device images.
constexpr ImageClass kImageClasses[] = {
    {'M', "m"}, {'Y', "y"}, {'C', "c"}, {'T', "t"}, {'S', "s"},
};

// M8001 and M8003 read their bits inverted.
constexpr Atom kInvertedSpecialAtom = {kSpecialAtom.negative, kSpecialAtom.positive};

const Atom& specialAtom(const SpecialRelay& relay) {
  return relay.inverted ? kInvertedSpecialAtom : kSpecialAtom;
}

// M8020 (zero), M8021 (borrow), M8022 (carry): bits of m8020, which the arithmetic sets.
struct Flag {
  int number;
  std::string_view mask;
};
constexpr Flag kFlags[] = {{8020, "0x01"}, {8021, "0x02"}, {8022, "0x04"}};

}  // namespace

std::string deviceState(const fx::Device& device) {
  if (device.letter == 'X') return fill(kXAtom.positive, {{"n", dec(device.number)}});
  if (const SpecialRelay* relay = isSpecialRelay(device) ? specialRelay(device.number) : nullptr) {
    return fill(specialAtom(*relay).positive, {{"mask", std::string(relay->mask)}});
  }
  for (const ImageClass& image : kImageClasses) {
    if (device.letter != image.letter) continue;
    const int n = device.number;
    return fill(kBitAtom.positive,
                {{"array", std::string(image.array)}, {"B", dec(n / 8)}, {"b", dec(n % 8)}});
  }
  return "0";
}

bool isContact(const fx::StepWord& step) {
  return contactOf(step) != nullptr;
}

void translateXContacts(TranslatorRun& t) {
  const Contact* contact = contactOf(t.step());
  if (!contact || t.step().device->letter != 'X') return;
  const int n = t.step().device->number;
  if (t.refuseAbove(n, kFirmwareLastPoint, ReasonKind::InputBeyondPins)) return;
  t.noteInputRead(n);
  applyContact(t, *contact, kXAtom, {{"n", dec(n)}});
}

void translateSpecialRelayContacts(TranslatorRun& t) {
  const Contact* contact = contactOf(t.step());
  if (!contact || !isSpecialRelay(*t.step().device)) return;
  const int number = t.step().device->number;
  for (const Flag& flag : kFlags) {
    if (flag.number != number) continue;
    t.useFeature(RuntimeFeature::Flags);
    applyContact(t, *contact, kFlagAtom, {{"mask", std::string(flag.mask)}}, "M" + dec(number));
    return;
  }
  const SpecialRelay* relay = specialRelay(t.step().device->number);
  if (!relay) return;
  // M8034, which the program writes, may be held like a relay (TranslatorRun::contactResult).
  std::string device;
  if (relay->writable) device = t.step().device->name();
  if (relay->number == kOutputsOffRelay) t.noteOutputsOff();
  applyContact(t, *contact, specialAtom(*relay), {{"mask", std::string(relay->mask)}}, device);
}

void translateDeviceContacts(TranslatorRun& t) {
  const Contact* contact = contactOf(t.step());
  if (!contact || isSpecialRelay(*t.step().device)) return;
  const fx::Device& device = *t.step().device;
  for (const ImageClass& image : kImageClasses) {
    if (device.letter != image.letter) continue;
    if (t.refuseDevice(device.letter, device.number, /*contact=*/true)) return;
    const int n = device.number;
    applyContact(t, *contact, kBitAtom,
                 {{"array", std::string(image.array)}, {"B", dec(n / 8)}, {"b", dec(n % 8)}},
                 std::string(1, device.letter) + dec(n));
    return;
  }
}

void translateBlockInstructions(TranslatorRun& t) {
  if (t.stepIs(fx::row("INV", fx::Layout::Alone))) {
    if (std::string* top = t.top("INV")) *top = fill("(!({top}))", {{"top", *top}});
  } else if (t.stepIs(fx::row("ANB", fx::Layout::Alone))) {
    t.mergeTopTwo("ANB", "({first}&&({last}))");
  } else if (t.stepIs(fx::row("ORB", fx::Layout::Alone))) {
    t.mergeTopTwo("ORB", "({first}||({last}))");
  } else if (t.stepIs(fx::row("MPS", fx::Layout::Alone))) {
    t.saveBranch();
  } else if (t.stepIs(fx::row("MPP", fx::Layout::Alone))) {
    t.restoreBranch(true, "MPP");
  } else if (t.stepIs(fx::row("MRD", fx::Layout::Alone))) {
    t.restoreBranch(false, "MRD");
  }
}

}  // namespace ladder51::detail
