// The FX step encoding, in one place: how a Mitsubishi FX1N/FX2N program stores its instructions
// as 16-bit step words. One table each for the bit-device address space, the operand formats of
// applied instructions and the instructions themselves; the assembler, the disassembler and the
// translator's step tests all read them, so that an instruction, an operand format or a device
// range is added once, as a row.
//
// These are the numbers a step word can name (X0..X377, M0..M3071, D0..D8255, ...). What the
// generated firmware's tables hold (M0..M79, T0..T15, ...) is the translator's business
// (translator_run.h), not the encoding's. The translator reads only part of the table for now:
// the rows and formats marked for it, through readStepWord, readWordOperand and
// deviceOfOperandWord; the assembler and the disassembler read all of it.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ladder51::fx {

// --- X and Y point numbering ------------------------------------------------------------------
// X and Y points are numbered in octal, as on the PLC: point n is named by the octal digits of n
// (X17 is point 15). Read as a decimal number, the digits (17) index the pin tables of the
// settings and the runtime.

// 15 -> 17: the octal digits of point n, read as a decimal number.
constexpr int octalDigits(int point) {
  int digits = 0;
  for (int scale = 1; point > 0; point /= 8, scale *= 10) digits += point % 8 * scale;
  return digits;
}
// 17 -> 15: the point whose octal digits, read as a decimal number, are `digits` (0..7 each).
constexpr int pointOfOctalDigits(int digits) {
  int point = 0;
  for (int scale = 1; digits > 0; digits /= 10, scale *= 8) point += digits % 10 * scale;
  return point;
}
constexpr bool isPointLetter(char letter) {
  return letter == 'X' || letter == 'Y';
}

// --- Devices --------------------------------------------------------------------------------

// A device as the PLC names it: X17 is {'X', 15}, M8002 is {'M', 8002}, D5 is {'D', 5}.
struct Device {
  char letter = 0;
  int number = 0;

  // "X17", "M8002"
  std::string name() const;
  bool operator==(const Device&) const = default;
};

// Blocks of the bit-device address space, as a set: an instruction row names the blocks its
// device may lie in.
using Areas = unsigned;
namespace area {
inline constexpr Areas S = 1 << 0;
inline constexpr Areas X = 1 << 1;
inline constexpr Areas Y = 1 << 2;
inline constexpr Areas T = 1 << 3;
inline constexpr Areas M = 1 << 4;         // M0..M1535
inline constexpr Areas C16 = 1 << 5;       // 16-bit counters C0..C199
inline constexpr Areas C32 = 1 << 6;       // 32-bit counters C200..C255 (C235 up: high-speed)
inline constexpr Areas Special = 1 << 7;   // special relays M8000..M8255
inline constexpr Areas Extended = 1 << 8;  // the FX2N's M1536..M3071
}  // namespace area

// A block of the bit-device address (the "ppp" field) that instruction words and operand words
// carry: device numbers first..last lie at addresses address..address+last-first. Basic
// instruction words hold 12 bits of it; M1536 and up need bit 13, so only operand words reach it.
struct BitDeviceBlock {
  char letter;
  int first;
  int last;
  int address;
  Areas area;
};

inline constexpr BitDeviceBlock kBitDevices[] = {
    {'S', 0, 999, 0x000, area::S},
    {'X', 0, 0377, 0x400, area::X},
    {'Y', 0, 0377, 0x500, area::Y},
    {'T', 0, 255, 0x600, area::T},
    {'M', 0, 1535, 0x800, area::M},
    {'C', 0, 199, 0xE00, area::C16},
    {'C', 200, 255, 0xEC8, area::C32},
    {'M', 8000, 8255, 0xF00, area::Special},
    {'M', 1536, 3071, 0x2800, area::Extended},
};

// The blocks the translator's lookups read (no M1536 and up).
inline constexpr Areas kTranslatorAreas =
    area::S | area::X | area::Y | area::T | area::M | area::C16 | area::C32 | area::Special;

// True for the letters of bit devices (those of kBitDevices).
bool isBitDeviceLetter(char letter);
// The block a bit-device address lies in, or nullptr.
const BitDeviceBlock* blockAt(int address);
// The device at a bit-device address, or nothing where no block lies.
std::optional<Device> deviceAt(int address);
// The bit-device address of a device, or nothing when no block holds it.
std::optional<int> addressOf(const Device& device);
// The block of a device (area::S, ...), or 0 when no block holds it.
Areas areaOf(const Device& device);
// The blocks of a letter as text, neighbouring blocks joined: "X0 to X377 (octal)",
// "M0 to M3071 or M8000 to M8255".
std::string bitDeviceRange(char letter);

// --- One-word operands ------------------------------------------------------------------------
// PLS, PLF, the edge contacts, the two-word coils and contacts, RST T/C and MC name their device
// in one device word, 8000 + address (A800.. for M1536 and up). MC and MCR carry their nesting
// level N0..N255 in a word 8000 + N.

inline constexpr std::uint16_t kOperandWordBase = 0x8000;
inline constexpr int kLastNestingLevel = 255;

// True for the operand words the translator reads: high byte 80..8F. (Operand words with index
// registers and M1536 and up, high bytes 90..AF, are not read there yet.)
constexpr bool isOperandWord(std::uint16_t word) {
  return (word & 0xF000) == kOperandWordBase;
}
// True for every word that can only follow an instruction word: high byte 80..AF (digit groups
// K5..K8, index registers and M1536 and up included). No instruction word lies there.
constexpr bool inOperandWordRange(std::uint16_t word) {
  return word >= kOperandWordBase && word <= 0xAFFF;
}
// The device of an operand word, for the translator: high byte 80..8F, a block it reads.
std::optional<Device> deviceOfOperandWord(std::uint16_t word);
// The device of a device word, any block.
std::optional<Device> deviceOfDeviceWord(std::uint16_t word);
// The nesting level of a nesting word, or nothing.
std::optional<int> nestingLevelOf(std::uint16_t word);
constexpr std::uint16_t operandWord(int address) {
  return static_cast<std::uint16_t>(kOperandWordBase | address);
}
constexpr std::uint16_t nestingWord(int level) {
  return static_cast<std::uint16_t>(kOperandWordBase | level);
}

// --- Operands of applied instructions -----------------------------------------------------------
// A 16-bit operand is two words: (T1 << 8 | payload low byte), (T2 << 8 | payload high byte);
// the type bytes T1 and T2 say what the 16-bit payload is. In a 32-bit (D) instruction every
// operand is four words: a constant's four bytes, low first, each under type byte 80 (the first
// under T1); any other operand its two words, then 8000 8000.

enum class Payload {
  Value,    // a constant, two's complement
  Offset,   // a register or pointer: base + unit x (n - first)
  Address,  // a bit device: its bit-device address
  Group,    // a digit group KnX..KnS: the address of its first bit; T2 = type2 + 2 (n - 1)
};

// Where a format may stand: in 16-bit operands, in 32-bit operands, or in both.
enum class Size { Bits16, Bits32, Both };

// Standard formats are the ones Mitsubishi's tools write. Flat ones hold D, T and C as 2n in
// their first bank for any n up to 32767; other tools, and this assembler before the banks, wrote
// D1000 and up that way. They are written and listed only under the ".flat" directive.
enum class Form { Standard, Flat };

inline constexpr long long kNotTranslated = std::numeric_limits<long long>::min();

struct WordFormat {
  char letter;  // K, H constants; D, T, C, V, Z registers; P pointer; X, Y, M, S bits or groups
  Payload payload;
  int type1;
  int type2;
  long long first;  // the numbers (K, H: the values) the format holds
  long long last;
  int base;  // Offset: the payload of `first`
  int unit;  // Offset: payload units per number
  Size size;
  Form form;
  // The highest number the translator's reader (readWordOperand) takes in this format, or
  // kNotTranslated.
  long long translatorLast;
};

inline constexpr int kIndexV = 0x10;          // T1 flag of a V-indexed operand
inline constexpr int kIndexZ = 0x20;          // T1 flag of a Z-indexed operand
inline constexpr int kLastIndexRegister = 7;  // V0..V7, Z0..Z7

// clang-format off
namespace formats {
// A constant: the value under T1 = `type1`, T2 = 80.
constexpr WordFormat constant(char letter, int type1, long long first, long long last, Size size,
                              long long translatorLast = kNotTranslated) {
  return {letter, Payload::Value, type1, 0x80, first, last, 0, 0, size, Form::Standard,
          translatorLast};
}
// A register under T1 = 86 and `type2`: numbers first..last at payloads base, base + unit, ...
constexpr WordFormat registers(char letter, int type2, long long first, long long last, int base,
                               int unit, long long translatorLast = kNotTranslated) {
  return {letter, Payload::Offset, 0x86, type2, first, last, base, unit, Size::Both,
          Form::Standard, translatorLast};
}
// D, T or C flat: 2n under 86 and `type2` for every n up to 32767.
constexpr WordFormat flat(char letter, int type2) {
  return {letter, Payload::Offset, 0x86, type2, 0, 32767, 0, 2, Size::Both, Form::Flat, 32767};
}
// A bit device (`payload` Address) or a digit group (Group) under 84, 80 (a group: 82 to 90).
constexpr WordFormat bits(char letter, Payload payload, long long last,
                          long long translatorLast = kNotTranslated) {
  return {letter, payload, 0x84, payload == Payload::Group ? 0x82 : 0x80, 0, last, 0, 0,
          Size::Both, Form::Standard, translatorLast};
}
}  // namespace formats
// clang-format on

// One row per operand format. A register letter may have several rows (D's three banks); rows
// of the same type bytes are read in order, so V and Z name their registers before D8000 does.
// The translator reads K, D in its three banks, the flat D, T and C, Y, M0..M1535 and S.
inline constexpr WordFormat kWordFormats[] = {
    formats::constant('K', 0x80, -32768, 65535, Size::Bits16, 65535),
    formats::constant('K', 0x80, -2147483648LL, 4294967295LL, Size::Bits32),
    formats::constant('H', 0x82, 0, 0xFFFF, Size::Bits16),
    formats::constant('H', 0x82, 0, 0xFFFFFFFFLL, Size::Bits32),
    formats::registers('D', 0x86, 0, 999, 0, 2, 999),
    formats::registers('D', 0x88, 1000, 7999, 0, 2, 7999),
    formats::registers('Z', 0x80, 0, 0, 0x38, 2),   // D8028
    formats::registers('V', 0x80, 0, 0, 0x3A, 2),   // D8029
    formats::registers('Z', 0x80, 1, 7, 0x16C, 4),  // D8182, D8184, ..
    formats::registers('V', 0x80, 1, 7, 0x16E, 4),  // D8183, D8185, ..
    formats::registers('D', 0x80, 8000, 8255, 0, 2, 8255),
    formats::registers('T', 0x82, 0, 255, 0, 2),
    formats::registers('C', 0x84, 0, 199, 0, 2),
    formats::registers('C', 0x84, 200, 255, 0x200, 4),  // 32-bit counters, four bytes each
    {'P', Payload::Offset, 0x88, 0x80, 0, 127, 0, 2, Size::Both, Form::Standard, kNotTranslated},
    formats::bits('X', Payload::Address, 0377),
    formats::bits('Y', Payload::Address, 0377, 0377),
    formats::bits('M', Payload::Address, 8255, 1535),  // the blocks of kBitDevices
    formats::bits('S', Payload::Address, 999, 999),
    formats::bits('X', Payload::Group, 0377),
    formats::bits('Y', Payload::Group, 0377),
    formats::bits('M', Payload::Group, 8255),
    formats::bits('S', Payload::Group, 999),
    formats::flat('D', 0x86),
    formats::flat('T', 0x82),
    formats::flat('C', 0x84),
};

inline constexpr int kLastGroupDigits = 8;  // K1X0 .. K8X0

// A two-word operand as the translator reads it.
struct WordOperand {
  const WordFormat* format = nullptr;
  int payload = 0;  // 0..65535

  char letter() const { return format->letter; }
  // A register's offset that names no register (odd): only a damaged file holds one.
  bool oddOffset() const;
  // The constant's value (0..65535), the register number, or the bit device's number.
  int number() const;
};

// The translator's reader: the operand in two words, when a format of `letters` that the
// translator reads holds it (K constants, D registers in their banks, D, C and T registers in
// the flat form, Y, M0..M1535 and S bits).
std::optional<WordOperand> readWordOperand(std::uint16_t first, std::uint16_t second,
                                           std::string_view letters);

// An operand of an applied instruction, a comparison, a set value or RST D, by what it names.
struct Operand {
  const WordFormat* format = nullptr;
  long long number = 0;  // a constant's value (signed), or the device, register or pointer number
  int digits = 0;        // a digit group's digits, 1..8
  char index = 0;        // 'V' or 'Z' when an index register modifies the operand
  int indexNumber = 0;

  bool operator==(const Operand&) const = default;
};

// The format of `letter` (a digit group's bit letter when `group`) that holds `number` in an
// operand of `size` bits (16 or 32), or nullptr; `flat`: the flat formats first.
const WordFormat* formatFor(char letter, long long number, bool group, int size, bool flat);
// The numbers the standard formats (and the flat ones when `flat`) of a letter hold in operands
// of `size` bits, neighbouring rows joined: "D0 to D8255"; "K-32768 to K65535"; "H0 to HFFFF";
// "X0 to X377 (octal)".
std::string operandRange(char letter, bool group, int size, bool flat);
// Why an index register cannot modify the operand, or an empty text when it can: constants of
// 16 bits, registers D, T and C, bit devices and digit groups take one.
std::string_view whyNotIndexed(const Operand& operand, int size);
// The words of an operand in an instruction of `size` bits: 2 or 4. Its number lies in its
// format; an index only where whyNotIndexed allows it.
std::vector<std::uint16_t> operandWords(const Operand& operand, int size);
// The operand in the first 2 (size 32: 4) words, or nothing; `flat`: the flat formats first.
std::optional<Operand> readOperand(std::span<const std::uint16_t> words, int size, bool flat);

// --- Instructions -----------------------------------------------------------------------------

enum class Layout {
  Alone,          // the instruction word alone
  DeviceInWord,   // one word, code * 1000 hex + device address: LD..ORI, OUT/SET/RST, STL
  NumberInWord,   // code + device number, then the set value: OUT T, OUT C
  DeviceWord,     // the instruction word, then the device's device word
  MasterControl,  // the instruction word, the nesting word, then the device's device word
  Nesting,        // the instruction word and the nesting word
  WordOperands,   // the instruction word, then its operands (applied instructions, comparisons)
  Label,          // code + number: a pointer label P0..P127 on a line of its own
};

// The forms of an applied instruction: 16-bit, 32-bit (D, word + 1) and pulse (P, word + 1000
// hex), as a set. For OUT C the size of the set value.
using Forms = unsigned;
namespace form {
inline constexpr Forms Bits16 = 1;
inline constexpr Forms Bits32 = 2;
inline constexpr Forms Pulse = 4;
inline constexpr Forms All = Bits16 | Bits32 | Pulse;
}  // namespace form

// Operand kinds of WordOperands rows, one letter per operand.
//   w  a source: K, H, X, Y, M, S, KnX..KnS, T, C, D, V, Z
//   d  a destination: the same but constants
//   b  a bit device: X, Y, M, S
//   p  a pointer P
//   r  a data register: D, V, Z (RST D)
//   v  the set value of OUT T and OUT C: K, D, V, Z
// The device lists behind them follow the FX programming manual as remembered, not re-read, and
// real programs hold more than it allows (GX Works2 writes MOV K4M1469Z0 M1467, a bit where a
// word is read), so the kinds only refuse what cannot be meant: a constant result, a word where a
// bit is read, anything but a pointer where one is.
struct OperandKind {
  char kind;
  std::string_view letters;  // the letters of the operands it takes
  bool groups;               // and digit groups KnX, KnY, KnM, KnS
};
inline constexpr OperandKind kOperandKinds[] = {
    {'w', "KHXYMSTCDVZ", true}, {'d', "XYMSTCDVZ", true}, {'b', "XYMS", false},
    {'p', "P", false},          {'r', "DVZ", false},      {'v', "KDVZ", false},
};

struct Instruction {
  std::string_view name;
  Layout layout;
  std::uint16_t code;  // the 16-bit form's word; DeviceInWord: the top nibble
  // Device layouts: the blocks the device may lie in (NumberInWord: its timer or counter).
  Areas areas;
  // DeviceInWord: more blocks the flat form takes (OUT, SET, RST on M8000..M8255 in one word,
  // CFnn, DFnn, EFnn, which Mitsubishi's tools never write).
  Areas flatAreas;
  std::string_view operands;  // WordOperands: one kind a operand; NumberInWord: the set value's
  Forms forms;                // WordOperands: its forms; NumberInWord: the set value's size
  bool translator;            // readStepWord, the translator's lookup, finds the row
};

// The word of FNC n's 16-bit form.
constexpr std::uint16_t appliedWord(int fnc) {
  return static_cast<std::uint16_t>(0x10 + 2 * fnc);
}

namespace rows {
inline constexpr Areas kContact =
    area::S | area::X | area::Y | area::T | area::M | area::C16 | area::C32 | area::Special;
inline constexpr Areas kEdge = kContact | area::Extended;
inline constexpr Areas kPulse = area::Y | area::M | area::Extended | area::Special;
inline constexpr Areas kTwoWordCoil = area::Extended | area::Special;

constexpr Instruction alone(std::string_view name, std::uint16_t code, bool translator) {
  return {name, Layout::Alone, code, 0, 0, "", 0, translator};
}
constexpr Instruction inWord(std::string_view name, std::uint16_t nibble, Areas areas,
                             bool translator, Areas flatAreas = 0) {
  return {name, Layout::DeviceInWord, nibble, areas, flatAreas, "", 0, translator};
}
constexpr Instruction withDevice(std::string_view name, std::uint16_t code, Areas areas,
                                 bool translator) {
  return {name, Layout::DeviceWord, code, areas, 0, "", 0, translator};
}
constexpr Instruction coilWithSetValue(std::uint16_t code, Areas areas, Forms size) {
  return {"OUT", Layout::NumberInWord, code, areas, 0, "v", size, true};
}
constexpr Instruction applied(std::string_view name, int fnc, std::string_view operands,
                              Forms forms, bool translator = false) {
  return {name, Layout::WordOperands, appliedWord(fnc), 0, 0, operands, forms, translator};
}
}  // namespace rows

// Mnemonics of several rows (OUT, RST, LD ...) are told apart by their first operand: its block
// or, for RST D, its letter. Where the translator names a row (row(name, layout)), the row it
// means comes first among those of that name and layout.
inline constexpr Instruction kInstructions[] = {
    // clang-format off
    // Contacts: code x 1000 hex + address; M1536 and up: 01C2..01C7, then the device word.
    rows::inWord("LD", 0x2, rows::kContact, true),
    rows::inWord("LDI", 0x3, rows::kContact, true),
    rows::inWord("AND", 0x4, rows::kContact, true),
    rows::inWord("ANI", 0x5, rows::kContact, true),
    rows::inWord("OR", 0x6, rows::kContact, true),
    rows::inWord("ORI", 0x7, rows::kContact, true),
    rows::withDevice("LD", 0x01C2, area::Extended, false),
    rows::withDevice("LDI", 0x01C3, area::Extended, false),
    rows::withDevice("AND", 0x01C4, area::Extended, false),
    rows::withDevice("ANI", 0x01C5, area::Extended, false),
    rows::withDevice("OR", 0x01C6, area::Extended, false),
    rows::withDevice("ORI", 0x01C7, area::Extended, false),
    // Coils: Y and M0..M1535 in one word; M1536 up, M8000 up and S in two.
    rows::inWord("OUT", 0xC, area::Y | area::M, true, area::Special),
    rows::inWord("SET", 0xD, area::Y | area::M, true, area::Special),
    rows::inWord("RST", 0xE, area::Y | area::M, true, area::Special),
    rows::coilWithSetValue(0x0600, area::T, form::Bits16),
    rows::coilWithSetValue(0x0E00, area::C16, form::Bits16),
    rows::coilWithSetValue(0x0E00, area::C32, form::Bits32),
    rows::withDevice("RST", 0x000C, area::T | area::C16 | area::C32, true),
    {"RST", Layout::WordOperands, 0x000D, 0, 0, "r", form::Bits16, true},
    rows::withDevice("OUT", 0x0002, rows::kTwoWordCoil, true),
    rows::withDevice("SET", 0x0003, rows::kTwoWordCoil, true),
    rows::withDevice("RST", 0x0004, rows::kTwoWordCoil, true),
    rows::withDevice("OUT", 0x0005, area::S, true),
    rows::withDevice("SET", 0x0006, area::S, true),
    rows::withDevice("RST", 0x0007, area::S, true),
    rows::withDevice("PLS", 0x0008, rows::kPulse, true),
    rows::withDevice("PLF", 0x0009, rows::kPulse, true),
    // Blocks, stack, master control, step ladder, labels.
    rows::alone("ANB", 0xFFF8, true),
    rows::alone("ORB", 0xFFF9, true),
    rows::alone("MPS", 0xFFFA, true),
    rows::alone("MRD", 0xFFFB, true),
    rows::alone("MPP", 0xFFFC, true),
    rows::alone("INV", 0xFFFD, true),
    rows::alone("NOP", 0xFFFF, true),
    rows::alone("END", 0x000F, true),
    {"MC", Layout::MasterControl, 0x000A, rows::kPulse, 0, "", 0, true},
    {"MCR", Layout::Nesting, 0x000B, 0, 0, "", 0, true},
    rows::inWord("STL", 0xF, area::S, true),
    rows::alone("RET", 0xF7FF, true),
    {"P", Layout::Label, 0xB000, 0, 0, "", 0, false},
    // Edge contacts.
    rows::withDevice("LDP", 0x01CA, rows::kEdge, true),
    rows::withDevice("LDF", 0x01CB, rows::kEdge, true),
    rows::withDevice("ANDP", 0x01CC, rows::kEdge, true),
    rows::withDevice("ANDF", 0x01CD, rows::kEdge, true),
    rows::withDevice("ORP", 0x01CE, rows::kEdge, true),
    rows::withDevice("ORF", 0x01CF, rows::kEdge, true),
    // Applied instructions: 10 hex + 2 x FNC.
    rows::applied("CJ", 0, "p", form::Bits16 | form::Pulse),
    rows::applied("CALL", 1, "p", form::Bits16 | form::Pulse),
    rows::applied("SRET", 2, "", form::Bits16),
    rows::applied("IRET", 3, "", form::Bits16),
    rows::applied("EI", 4, "", form::Bits16),
    rows::applied("DI", 5, "", form::Bits16),
    rows::applied("FEND", 6, "", form::Bits16),
    rows::applied("WDT", 7, "", form::Bits16 | form::Pulse),
    rows::applied("FOR", 8, "w", form::Bits16),
    rows::applied("NEXT", 9, "", form::Bits16),
    rows::applied("CMP", 10, "wwb", form::All, true),
    rows::applied("ZCP", 11, "wwwb", form::All, true),
    rows::applied("MOV", 12, "wd", form::All, true),
    rows::applied("SMOV", 13, "wwwdw", form::Bits16 | form::Pulse, true),
    rows::applied("CML", 14, "wd", form::All, true),
    rows::applied("BMOV", 15, "wdw", form::Bits16 | form::Pulse, true),
    rows::applied("FMOV", 16, "wdw", form::All, true),
    rows::applied("XCH", 17, "dd", form::All, true),
    rows::applied("BCD", 18, "wd", form::All, true),
    rows::applied("BIN", 19, "wd", form::All, true),
    rows::applied("ADD", 20, "wwd", form::All, true),
    rows::applied("SUB", 21, "wwd", form::All, true),
    rows::applied("MUL", 22, "wwd", form::All, true),
    rows::applied("DIV", 23, "wwd", form::All, true),
    rows::applied("INC", 24, "d", form::All, true),
    rows::applied("DEC", 25, "d", form::All, true),
    rows::applied("WAND", 26, "wwd", form::All, true),
    rows::applied("WOR", 27, "wwd", form::All, true),
    rows::applied("WXOR", 28, "wwd", form::All, true),
    rows::applied("NEG", 29, "d", form::All, true),
    rows::applied("ROR", 30, "dw", form::All, true),
    rows::applied("ROL", 31, "dw", form::All, true),
    rows::applied("RCR", 32, "dw", form::All),
    rows::applied("RCL", 33, "dw", form::All),
    rows::applied("SFTR", 34, "bbww", form::Bits16 | form::Pulse, true),
    rows::applied("SFTL", 35, "bbww", form::Bits16 | form::Pulse, true),
    rows::applied("WSFR", 36, "wdww", form::Bits16 | form::Pulse, true),
    rows::applied("WSFL", 37, "wdww", form::Bits16 | form::Pulse, true),
    rows::applied("ZRST", 40, "dd", form::Bits16 | form::Pulse, true),
    rows::applied("DECO", 41, "wdw", form::Bits16 | form::Pulse, true),
    rows::applied("ENCO", 42, "wdw", form::Bits16 | form::Pulse, true),
    rows::applied("SUM", 43, "wd", form::All, true),
    rows::applied("BON", 44, "wbw", form::All, true),
    rows::applied("MEAN", 45, "wdw", form::All),
    rows::applied("ANS", 46, "wwb", form::Bits16),
    rows::applied("ANR", 47, "", form::Bits16 | form::Pulse),
    rows::applied("SQR", 48, "wd", form::All),
    rows::applied("FLT", 49, "wd", form::All),
    rows::applied("REF", 50, "dw", form::Bits16 | form::Pulse),
    rows::applied("REFF", 51, "w", form::Bits16 | form::Pulse),
    rows::applied("MTR", 52, "bbbw", form::Bits16),
    rows::applied("HSCS", 53, "wwb", form::Bits32),
    rows::applied("PLSY", 57, "wwb", form::Bits16 | form::Bits32),
    rows::applied("PWM", 58, "wwb", form::Bits16),
    rows::applied("IST", 60, "bbb", form::Bits16),
    rows::applied("ABSD", 62, "wwbw", form::Bits16 | form::Bits32),
    rows::applied("STMR", 65, "wwb", form::Bits16),
    rows::applied("ALT", 66, "b", form::Bits16 | form::Pulse, true),
    rows::applied("SEGD", 73, "wd", form::Bits16 | form::Pulse),
    rows::applied("FROM", 78, "wwdw", form::All),
    rows::applied("TO", 79, "wwww", form::All),
    rows::applied("ASCI", 82, "wdw", form::Bits16 | form::Pulse),
    rows::applied("PID", 88, "wwwd", form::Bits16),
    rows::applied("ECMP", 110, "wwb", form::Bits32 | form::Pulse),
    rows::applied("EADD", 120, "wwd", form::Bits32 | form::Pulse),
    rows::applied("SWAP", 147, "d", form::All),
    rows::applied("TRD", 166, "d", form::Bits16 | form::Pulse),
    rows::applied("TWR", 167, "w", form::Bits16 | form::Pulse),
    // Comparison contacts, FNC 224..246: the 32-bit form puts its D before the comparison.
    rows::applied("LD=", 224, "ww", form::Bits16 | form::Bits32, true),
    rows::applied("LD>", 225, "ww", form::Bits16 | form::Bits32, true),
    rows::applied("LD<", 226, "ww", form::Bits16 | form::Bits32, true),
    rows::applied("LD<>", 228, "ww", form::Bits16 | form::Bits32, true),
    rows::applied("LD<=", 229, "ww", form::Bits16 | form::Bits32, true),
    rows::applied("LD>=", 230, "ww", form::Bits16 | form::Bits32, true),
    rows::applied("AND=", 232, "ww", form::Bits16 | form::Bits32, true),
    rows::applied("AND>", 233, "ww", form::Bits16 | form::Bits32, true),
    rows::applied("AND<", 234, "ww", form::Bits16 | form::Bits32, true),
    rows::applied("AND<>", 236, "ww", form::Bits16 | form::Bits32, true),
    rows::applied("AND<=", 237, "ww", form::Bits16 | form::Bits32, true),
    rows::applied("AND>=", 238, "ww", form::Bits16 | form::Bits32, true),
    rows::applied("OR=", 240, "ww", form::Bits16 | form::Bits32, true),
    rows::applied("OR>", 241, "ww", form::Bits16 | form::Bits32, true),
    rows::applied("OR<", 242, "ww", form::Bits16 | form::Bits32, true),
    rows::applied("OR<>", 244, "ww", form::Bits16 | form::Bits32, true),
    rows::applied("OR<=", 245, "ww", form::Bits16 | form::Bits32, true),
    rows::applied("OR>=", 246, "ww", form::Bits16 | form::Bits32, true),
    // clang-format on
};

// The row `name` with `layout`, found while compiling: naming no row does not compile.
consteval const Instruction& row(std::string_view name, Layout layout) {
  for (const Instruction& row : kInstructions) {
    if (row.name == name && row.layout == layout) return row;
  }
  throw "no row of the table has this name and layout";
}
// The number of operands the assembly text of a row takes.
int operandCount(const Instruction& row);
// Words 0000..01FF: END, the basic instructions followed by operand words, and the applied
// instructions (16 hex + 2 x FNC; the 32-bit forms add 1).
constexpr bool inAppliedCodeRange(std::uint16_t word) {
  return word <= 0x01FF;
}

// One form of a row: the 32-bit (D) and the pulse (P) form of an applied instruction.
struct Variant {
  bool wide = false;
  bool pulse = false;
};
// The four forms; rows have those hasForm() says.
inline constexpr Variant kVariants[] = {{false, false}, {true, false}, {false, true}, {true, true}};
// The mnemonic of a row's form: "MOV", "DMOVP", "LDD=", "ANDD<>".
std::string mnemonic(const Instruction& row, Variant variant);
// True when the row has the form.
bool hasForm(const Instruction& row, Variant variant);
// The first word of a row's form.
std::uint16_t formWord(const Instruction& row, Variant variant);

// The first word of a DeviceInWord or NumberInWord row for a device (at `address`, or numbered n).
constexpr std::uint16_t deviceInWord(const Instruction& row, int address) {
  return static_cast<std::uint16_t>(row.code << 12 | address);
}
constexpr std::uint16_t numberInWord(const Instruction& row, int n) {
  return static_cast<std::uint16_t>(row.code | n);
}

// A word read as the first word of an instruction.
struct StepWord {
  const Instruction* instruction = nullptr;  // nullptr: no row begins with this word
  std::optional<Device> device;              // the device the word itself names
  Variant variant;                           // decodeStepWord only
};

// The translator's lookup: the row the translator reads that begins with `word` in its 16-bit
// form, and the device it names in itself (DeviceInWord and NumberInWord) in a block the
// translator reads, when the row takes that device (or the flat form does); `variants`: the
// 32-bit and pulse forms of applied instructions too.
StepWord readStepWord(std::uint16_t word, bool variants = false);
// The row that begins with `word` in any of its forms, and the device it names in itself;
// `flat`: the flat forms too.
StepWord decodeStepWord(std::uint16_t word, bool flat);

}  // namespace ladder51::fx
