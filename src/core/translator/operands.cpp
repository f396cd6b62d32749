#include "core/translator/operands.h"

#include "core/translator/special_devices.h"

namespace ladder51::detail {
namespace {

// The smallest EEPROM from the 24C32 up that has byte `high`: "24C64".
std::string eepromWith(long high) {
  long bytes = kLargeEepromBytes;
  while (bytes <= high) bytes *= 2;
  return "24C" + dec(bytes / 128);  // its size in kilobits
}

}  // namespace

std::optional<fx::WordOperand> decodeWordOperand(const TranslatorRun& t, int k) {
  return t.wordOperand(k, "KDCT");
}

bool isCompact(const TranslatorRun& t, int k) {
  const std::optional<fx::WordOperand> operand = decodeWordOperand(t, k);
  return operand && !(is(operand, 'D') && operand->number() >= kFirstSpecialRegister);
}

std::optional<fx::Device> decodeBitOperand(const TranslatorRun& t, int k) {
  const std::optional<fx::WordOperand> operand = t.wordOperand(k, "YMS");
  if (!operand) return std::nullopt;
  return fx::Device{operand->letter(), operand->number()};
}

std::optional<long> registerOf(TranslatorRun& t, const fx::WordOperand& operand,
                               std::string_view instruction) {
  if (operand.oddOffset()) {
    t.refuse(ReasonKind::OddRegisterOffset,
             {{"offset", dec(operand.payload)}, {"instruction", std::string(instruction)}});
    return std::nullopt;
  }
  const long r = operand.number();
  if (operand.letter() == 'D' && r >= kFirstSpecialRegister && r <= kLastSpecialRegister) {
    // Reads of those the runtime keeps come through specialSourceText: this is a write.
    if (!refuseSpecialRegisterWrite(t, r)) {
      t.refuse(ReasonKind::SpecialRegister, {{"register", "D" + dec(r)}});
    }
    return std::nullopt;
  }
  if (t.refuseDevice(operand.letter(), r)) return std::nullopt;
  if (operand.letter() == 'D' && inRam(t, r)) t.noteRamRegister(r);
  return r;
}

bool inRam(const TranslatorRun& t, long r) {
  return r <= kFirmwareLastRamRegister || t.options().registersInXram;
}

bool refuseBeyondEeprom(TranslatorRun& t, long r) {
  if (inRam(t, r)) return false;
  const long low = 2 * r;
  const long high = low + 1;
  const std::string name = "D" + dec(r);
  switch (t.options().eeprom) {
    case EepromChoice::None:
      t.refuse(ReasonKind::NoEeprom, {{"register", name}});
      return true;
    case EepromChoice::Upto24C16:
      if (high < kSmallEepromBytes) return false;
      t.refuse(ReasonKind::BeyondSmallEeprom,
               {{"register", name}, {"last", dec(kSmallEepromBytes / 2 - 1)}});
      return true;
    case EepromChoice::From24C32:
      if (high < kLargeEepromBytes) return false;
      t.notice(
          StepNoticeKind::EepromTooSmall,
          {{"register", name}, {"low", dec(low)}, {"high", dec(high)}, {"size", eepromWith(high)}});
      return false;
  }
  return false;
}

std::optional<std::string> sourceText(TranslatorRun& t,
                                      const std::optional<fx::WordOperand>& operand,
                                      std::string_view instruction, std::string_view which) {
  if (!operand) {
    t.refuse(ReasonKind::NotConstantOrRegister,
             {{"which", std::string(which)}, {"instruction", std::string(instruction)}});
    return std::nullopt;
  }
  if (operand->letter() == 'K') return dec(operand->number());
  if (std::optional<std::string> special = specialSourceText(t, *operand)) return special;
  if (t.stopped()) return std::nullopt;
  const std::optional<long> r = registerOf(t, *operand, instruction);
  if (!r) return std::nullopt;
  const Fields fields = {{"r", dec(*r)}};
  switch (operand->letter()) {
    case 'C':
      return fill("ct[{r}]", fields);
    case 'T':
      return fill("tc[{r}]", fields);
    default:
      if (inRam(t, *r)) return fill("d[{r}]", fields);
      if (refuseBeyondEeprom(t, *r)) return std::nullopt;
      return fill("(ReData({r}*2)+256*ReData({r}*2+1))", fields);
  }
}

}  // namespace ladder51::detail

namespace ladder51::detail {
namespace {

// The bit images of the devices digit groups and bit destinations take.
struct BitImage {
  char letter;
  std::string_view image;
  RuntimeFeature groups;  // the routines of its groups
};
constexpr BitImage kBitImages[] = {{'Y', "y", RuntimeFeature::OutputGroups},
                                   {'M', "m", RuntimeFeature::RelayGroups},
                                   {'S', "s", RuntimeFeature::StateGroups}};

// Reads and writes of the operand kinds, {n} the device's number.
constexpr std::string_view kRamRegister = "d[{n}]";
constexpr std::string_view kEepromRegister = "(ReData({n}*2)+256*ReData({n}*2+1))";
constexpr std::string_view kTimerValue = "tc[{n}]";
constexpr std::string_view kCounterValue = "ct[{n}]";
constexpr std::string_view kIndexRegister = "ix{letter}[{n}]";
constexpr std::string_view kStoreWord = "{target}={v};";
// An EEPROM register is written a byte at a time, from the scratch register d[16], so that a
// value that reads the register itself is computed once.
constexpr std::string_view kStoreEeprom =
    "{d[16]={v};WrData({n}*2,d[16]%256);WrData({n}*2+1,d[16]/256);}";
// Digit groups: {count} bits from bit {n} of an image, or of the inputs.
constexpr std::string_view kGetBits = "gr{image}({n},{count})";
constexpr std::string_view kPutBits = "lv={v};gw{image}({n},{count});";
// KnX: each input as its contact reads it, at its bit of the value (32 bits: as unsigned long).
constexpr std::string_view kInputBit = "(inx({n})?0:0x{bit})";
// 32 bits: the pair's words, low first.
constexpr std::string_view kWide = "(long)((unsigned long){high}<<16|{low})";
// A pair in a table, through dw: the expression above costs each scan function of SDCC four
// bytes of the direct RAM.
constexpr std::string_view kTablePair = "dw(&{low})";
constexpr std::string_view kWideLow = "{v}";
constexpr std::string_view kWideHigh = "{v}>>16";
// Indexed operands: the index's value, the place of a register through ix{table}, see the
// runtime's routines.
constexpr std::string_view kIndexValue = "(int)ix{letter}[{n}]";
constexpr std::string_view kIndexPair = "ixl({n})";
constexpr std::string_view kIndexedStart = "{n}+{index}";
// The start of an indexed device: device 0 is the index itself.
std::string indexedStart(long n, const std::string& index) {
  return n == 0 ? index : fill(kIndexedStart, {{"n", dec(n)}, {"index", index}});
}
constexpr std::string_view kIndexedConstant = "({value}+{index})";
constexpr std::string_view kIndexedWord = "*ix{table}({start},1)";
constexpr std::string_view kIndexedPairValue = "dw(ix{table}({start},2))";
constexpr std::string_view kIndexedPairStore =
    "ix{table}({start},2)[0]={v};ix{table}({start},2)[1]={v}>>16;";
// A group's value as an operand of `size` bits takes: 16 bits of a K4 group are signed.
constexpr std::string_view kSigned16 = "(int){value}";
constexpr std::string_view kSigned32 = "(long){value}";

// The values of a refusal that names operand `which` of `instruction`, then `more`.
std::vector<NoticeValue> operandValues(std::string_view which, std::string_view instruction,
                                       std::vector<NoticeValue> more = {}) {
  std::vector<NoticeValue> values = {{"which", std::string(which)},
                                     {"instruction", std::string(instruction)}};
  values.insert(values.end(), more.begin(), more.end());
  return values;
}

std::string operandName(const fx::Operand& operand) {
  const char letter = operand.format->letter;
  const long long n = operand.number;
  if (letter == 'H') return "H" + hex(static_cast<unsigned long long>(n) & 0xFFFFFFFFull);
  const std::string group =
      operand.format->payload == fx::Payload::Group ? "K" + dec(operand.digits) : "";
  if (letter == 'X' || letter == 'Y') return group + letter + pointDigits(static_cast<int>(n));
  return group + letter + dec(n);
}

// The read and write of one 16-bit word device, or nothing after a refusal.
std::optional<WordAccess> wordDevice(TranslatorRun& t, char letter, long n) {
  if (letter == 'D' && n >= kFirstSpecialRegister && n <= kLastSpecialRegister) {
    // The scan times the runtime measures are read only: no store.
    if (std::optional<std::string> value = specialRegisterText(t, n))
      return WordAccess{*value, {}, {}};
    if (!t.stopped()) t.refuse(ReasonKind::SpecialRegister, {{"register", "D" + dec(n)}});
    return std::nullopt;
  }
  if (t.refuseDevice(letter, n)) return std::nullopt;
  const Fields fields = {{"n", dec(n)}};
  WordAccess access;
  if (letter == 'T' || letter == 'C') {
    access.value = fill(letter == 'T' ? kTimerValue : kCounterValue, fields);
    access.inTable = true;
  } else if (inRam(t, n)) {
    t.noteRamRegister(n);
    access.value = fill(kRamRegister, fields);
    access.inTable = true;
  } else {
    if (refuseBeyondEeprom(t, n)) return std::nullopt;
    access.value = fill(kEepromRegister, fields);
    access.store = fill(kStoreEeprom, {{"n", dec(n)}, {"v", "{v}"}});
    return access;
  }
  access.store = fill(kStoreWord, {{"target", access.value}, {"v", "{v}"}});
  return access;
}

// The value of the index register that modifies `operand` in an instruction of `size` bits: in a
// 32-bit one Zn is the pair Vn:Zn, as on the PLC.
std::string indexText(TranslatorRun& t, const fx::Operand& operand, int size) {
  const int n = operand.indexNumber;
  t.noteIndexRegister(operand.index, n);
  if (size == 32 && operand.index == 'Z') {
    t.noteIndexRegister('V', n);
    t.useFeature(RuntimeFeature::IndexPairs);
    return fill(kIndexPair, {{"n", dec(n)}});
  }
  return fill(kIndexValue, {{"letter", operand.index == 'V' ? "v" : "z"}, {"n", dec(n)}});
}

// The read and write of register n of D, T or C moved by `index`, at `size` bits.
std::optional<WordAccess> indexedRegister(TranslatorRun& t, char letter, long n, int size,
                                          const std::string& index) {
  if (t.refuseDevice(letter, n)) return std::nullopt;
  RuntimeFeature feature = RuntimeFeature::IndexedTimers;
  if (letter == 'C') feature = RuntimeFeature::IndexedCounters;
  if (letter == 'D') {
    t.noteRamRegister(n);
    feature = t.options().registersInXram ? RuntimeFeature::IndexedXramRegisters
                                          : RuntimeFeature::IndexedRamRegisters;
  }
  t.useFeature(feature);
  const Fields fields = {{"table", std::string(1, static_cast<char>(std::tolower(letter)))},
                         {"start", indexedStart(n, index)},
                         {"v", "{v}"}};
  WordAccess access;
  if (size == 32) {
    t.useFeature(RuntimeFeature::WordPairs);
    access.value = fill(kIndexedPairValue, fields);
    access.store = fill(kIndexedPairStore, fields);
  } else {
    access.value = fill(kIndexedWord, fields);
    access.store = fill(kStoreWord, {{"target", access.value}, {"v", "{v}"}});
  }
  return access;
}

// The notice for an operand an index moves: what the firmware keeps of its device, D0 to D15
// and Y0 to Y43; the tables of the others have the size the program's highest device gives them.
void noticeIndexedReach(TranslatorRun& t, const fx::Operand& operand) {
  const char letter = operand.format->letter;
  std::vector<NoticeValue> values = {
      {"operand", operandName(operand)},
      {"index", std::string(1, operand.index) + dec(operand.indexNumber)}};
  const char* last = letter == 'Y'                                   ? "Y43"
                     : letter == 'D' && !t.options().registersInXram ? "D15"
                                                                     : nullptr;
  if (last == nullptr) {
    values.push_back({"letter", std::string(1, letter)});
    t.noticeOnce(StepNoticeKind::IndexedReachNamed, std::move(values));
    return;
  }
  values.push_back({"first", std::string(1, letter) + "0"});
  values.push_back({"last", last});
  t.noticeOnce(StepNoticeKind::IndexedReach, std::move(values));
}

std::optional<WordAccess> digitGroup(TranslatorRun& t, const fx::Operand& operand, int size,
                                     std::string_view instruction, std::string_view which,
                                     const std::string& index) {
  const char letter = operand.format->letter;
  const int first = static_cast<int>(operand.number);
  const int count = 4 * operand.digits;
  const int last = first + count - 1;
  const std::string name = operandName(operand);
  if (count > size) {
    t.refuse(ReasonKind::GroupTooWide, operandValues(which, instruction, {{"operand", name}}));
    return std::nullopt;
  }
  if ((letter == 'X' || letter == 'Y') && last > kFirmwareLastPoint) {
    t.refuse(
        ReasonKind::GroupBeyondPins,
        operandValues(which, instruction,
                      {{"operand", name}, {"last", std::string(1, letter) + pointDigits(last)}}));
    return std::nullopt;
  }
  if (t.refuseDevices(letter, first, last)) return std::nullopt;
  const Fields fields = {{"n", dec(first)}, {"count", dec(count)}};
  WordAccess access;
  if (letter == 'X') {
    // Read in place: a routine would need more of the direct RAM the runtime has filled.
    std::string bits;
    for (int k = 0; k < count; ++k) {
      t.noteInputRead(first + k);
      bits +=
          (k == 0 ? "(" : "|") +
          fill(kInputBit, {{"n", dec(first + k)},
                           {"bit", hex(1ull << k, count > 16 ? 8 : 4) + (count > 16 ? "UL" : "")}});
    }
    access.value = bits + ")";
  } else {
    const auto image = std::find_if(std::begin(kBitImages), std::end(kBitImages),
                                    [&](const BitImage& i) { return i.letter == letter; });
    t.useFeature(image->groups);
    std::vector<Field> imageFields(fields.begin(), fields.end());
    imageFields.push_back({"image", std::string(image->image)});
    imageFields.push_back({"v", "{v}"});
    if (!index.empty()) {
      t.useFeature(RuntimeFeature::IndexedGroups);
      imageFields[0].value = indexedStart(first, index);
    }
    access.value = fill(kGetBits, imageFields);
    access.store = fill(kPutBits, imageFields);
    if (letter == 'Y') {
      // An index may move the group onto any of the outputs.
      const int from = index.empty() ? first : 0;
      const int to = index.empty() ? last : kFirmwareLastPoint;
      for (int n = from; n <= to; ++n) access.outputs.push_back(n);
      access.store += pinRefresh(access.outputs);
    }
  }
  // The group's bits as a value of the operand's size: only a group of all its bits has a sign.
  access.value = fill(size == 16 ? kSigned16 : kSigned32, {{"value", access.value}});
  return access;
}

}  // namespace

std::optional<WordAccess> wordAccess(TranslatorRun& t, int k, std::string_view instruction,
                                     std::string_view which, Use use, int size, int offset) {
  const std::optional<fx::Operand> operand = t.appliedOperand(k);
  if (!operand) {
    t.refuse(ReasonKind::NotReadable, operandValues(which, instruction));
    return std::nullopt;
  }
  const NoticeValue named{"operand", operandName(*operand)};
  if (size == 0) size = t.operandSize();
  const char letter = operand->format->letter;
  const fx::Payload payload = operand->format->payload;
  if (offset != 0 &&
      (payload != fx::Payload::Offset || letter == 'V' || letter == 'Z' || letter == 'P')) {
    t.refuse(ReasonKind::NoNextWord, operandValues(which, instruction, {named}));
    return std::nullopt;
  }
  std::string index;  // the value of the index register that modifies the operand
  if (operand->index != 0) {
    const NoticeValue indexed{"index", std::string(1, operand->index) + dec(operand->indexNumber)};
    const bool word = payload == fx::Payload::Offset &&
                      (letter == 'T' || letter == 'C' ||
                       (letter == 'D' && operand->number < kFirstSpecialRegister));
    if (payload != fx::Payload::Value && payload != fx::Payload::Group && !word) {
      t.refuse(ReasonKind::IndexedNotTranslated, operandValues(which, instruction, {indexed}));
      return std::nullopt;
    }
    if (payload == fx::Payload::Group && letter == 'X') {
      t.refuse(ReasonKind::IndexedInputs, operandValues(which, instruction, {named, indexed}));
      return std::nullopt;
    }
    if (letter == 'D' && !inRam(t, static_cast<long>(operand->number) + offset)) {
      t.refuse(ReasonKind::IndexedEeprom, operandValues(which, instruction, {named, indexed}));
      return std::nullopt;
    }
    index = indexText(t, *operand, size);
  }
  std::optional<WordAccess> access;
  if (payload == fx::Payload::Value) {
    access = WordAccess{};
    const long long n = operand->number;
    if (letter == 'H') {
      access->value =
          "0x" + hex(static_cast<unsigned long long>(n), size / 4) + (size == 32 ? "L" : "");
    } else {
      access->value = size == 32 ? dec(n) + "L" : dec(n & 0xFFFF);
    }
    if (!index.empty())
      access->value = fill(kIndexedConstant, {{"value", access->value}, {"index", index}});
  } else if (payload == fx::Payload::Group) {
    access = digitGroup(t, *operand, size, instruction, which, index);
  } else if (payload == fx::Payload::Address) {
    t.refuse(ReasonKind::BitNotWord, operandValues(which, instruction, {named}));
    return std::nullopt;
  } else if (letter == 'V' || letter == 'Z') {
    const int n = static_cast<int>(operand->number);
    t.noteIndexRegister(letter, n);
    access = WordAccess{};
    access->value = fill(kIndexRegister,
                         {{"letter", std::string(1, letter == 'V' ? 'v' : 'z')}, {"n", dec(n)}});
    access->store = fill(kStoreWord, {{"target", access->value}, {"v", "{v}"}});
    if (size == 32) {
      // A 32-bit index register is the pair Vn (high) and Zn (low).
      const std::string high = fill(kIndexRegister, {{"letter", "v"}, {"n", dec(n)}});
      t.noteIndexRegister('V', n);
      access->value = fill(kWide, {{"low", access->value}, {"high", high}});
      access->store =
          fill(kStoreWord, {{"target", fill(kIndexRegister, {{"letter", "z"}, {"n", dec(n)}})},
                            {"v", std::string(kWideLow)}}) +
          fill(kStoreWord, {{"target", high}, {"v", std::string(kWideHigh)}});
    }
  } else if (letter == 'P') {
    t.refuse(ReasonKind::NotReadable, operandValues(which, instruction));
    return std::nullopt;
  } else if (!index.empty()) {
    access = indexedRegister(t, letter, static_cast<long>(operand->number) + offset, size, index);
  } else {
    const long n = static_cast<long>(operand->number) + offset;
    access = wordDevice(t, letter, n);
    if (access && size == 32) {
      const std::optional<WordAccess> high = wordDevice(t, letter, n + 1);
      if (!high) return std::nullopt;
      if (access->inTable && high->inTable) {
        t.useFeature(RuntimeFeature::WordPairs);
        access->value = fill(kTablePair, {{"low", access->value}});
      } else {
        access->value = fill(kWide, {{"low", access->value}, {"high", high->value}});
      }
      access->store = fill(access->store, {{"v", std::string(kWideLow)}}) +
                      fill(high->store, {{"v", std::string(kWideHigh)}});
    }
  }
  if (!access) return std::nullopt;
  if (use == Use::Target && access->store.empty()) {
    t.refuse(ReasonKind::NotWritable, operandValues(which, instruction, {named}));
    return std::nullopt;
  }
  if (!index.empty() && payload != fx::Payload::Value) {
    noticeIndexedReach(t, *operand);
  }
  return access;
}

std::string signedWord(const std::string& value) {
  const bool digits =
      !value.empty() && value.size() <= 5 &&
      std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
  if ((digits && std::stol(value) <= 32767) || value.starts_with("(int)")) return value;
  return "(int)" + value;
}

std::string storeText(const WordAccess& access, std::string_view value) {
  return fill(access.store, {{"v", std::string(value)}});
}

std::string pinRefresh(const std::vector<int>& outputs) {
  std::string text;
  for (int n : outputs) text += fill(kOutputRefresh, outputFields(n));
  return text;
}

std::optional<BitRange> bitRange(TranslatorRun& t, int k, int count, std::string_view instruction,
                                 std::string_view which) {
  const std::optional<fx::Operand> operand = t.appliedOperand(k);
  if (operand && operand->index != 0) {
    t.refuse(
        ReasonKind::IndexedBits,
        operandValues(which, instruction,
                      {{"index", std::string(1, operand->index) + dec(operand->indexNumber)}}));
    return std::nullopt;
  }
  if (!operand || operand->format->payload != fx::Payload::Address ||
      operand->format->letter == 'X') {
    t.refuse(ReasonKind::NotBitOperand, operandValues(which, instruction));
    return std::nullopt;
  }
  const char letter = operand->format->letter;
  const int first = static_cast<int>(operand->number);
  const int last = first + count - 1;
  if (t.refuseDevices(letter, first, last)) return std::nullopt;
  BitRange range;
  range.first = first;
  range.count = count;
  for (const BitImage& image : kBitImages) {
    if (image.letter != letter) continue;
    range.image = image.image;
    t.useFeature(image.groups);
  }
  if (letter == 'Y') {
    for (int n = first; n <= last; ++n) range.outputs.push_back(n);
  }
  return range;
}

std::string bitWrite(const BitRange& range, int j, std::string_view test) {
  std::vector<Field> fields = bitFields(range.first + j);
  fields.push_back({"image", range.image});
  fields.push_back({"test", std::string(test)});
  return fill("if({test}){image}[{B}]|=(0x01<<{b});else {image}[{B}]&=(0xff-(0x01<<{b}));", fields);
}

std::optional<long long> constantOf(TranslatorRun& t, int k, std::string_view instruction,
                                    std::string_view which, long long low, long long high) {
  const std::optional<fx::Operand> operand = t.appliedOperand(k);
  if (!operand || operand->format->payload != fx::Payload::Value) {
    t.refuse(ReasonKind::NotConstant,
             operandValues(which, instruction, {{"low", dec(low)}, {"high", dec(high)}}));
    return std::nullopt;
  }
  if (operand->number < low || operand->number > high) {
    t.refuse(
        ReasonKind::ConstantOutside,
        operandValues(which, instruction,
                      {{"value", operandName(*operand)}, {"low", dec(low)}, {"high", dec(high)}}));
    return std::nullopt;
  }
  return operand->number;
}

}  // namespace ladder51::detail
