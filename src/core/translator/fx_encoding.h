// The FX step encoding, in one place: how a Mitsubishi FX program stores its instructions as
// 16-bit step words. One table each for the bit-device address space, the two-word operands of
// applied instructions and the instructions themselves; the assembler, the disassembler and the
// translator's step tests all read them, so that an instruction or a device range is added once.
//
// These are the numbers a step word can name (X0..X377, M0..M1535, T0..T255, ...). What the
// generated firmware's tables hold (M0..M79, T0..T15, ...) is the translator's business
// (translator_run.h), not the encoding's.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

// A block of the 12-bit bit-device address that basic instruction words and operand words carry
// (the "ppp" field): device numbers first..last lie at addresses address..address+last-first.
struct BitDeviceBlock {
  char letter;
  int first;
  int last;
  int address;
};

inline constexpr BitDeviceBlock kBitDevices[] = {
    {'X', 0, 0377, 0x400}, {'Y', 0, 0377, 0x500}, {'T', 0, 255, 0x600},
    {'M', 0, 1535, 0x800}, {'C', 0, 255, 0xE00},  {'M', 8000, 8255, 0xF00},  // special relays
};

// True for the letters of bit devices (those of kBitDevices).
bool isBitDeviceLetter(char letter);
// The device at a bit-device address, or nothing where no block lies.
std::optional<Device> deviceAt(int address);
// The bit-device address of a device, or nothing when no block holds it.
std::optional<int> addressOf(const Device& device);
// The blocks of a letter as text: "X0 to X377 (octal)", "M0 to M1535 or M8000 to M8255".
std::string bitDeviceRange(char letter);

// --- One-word operands ------------------------------------------------------------------------
// PLS, PLF, the edge contacts, RST T/C and MC name their device in one operand word,
// 8000 + address. MC and MCR carry their nesting level N0..N255 in a word 8000 + N.

inline constexpr std::uint16_t kOperandWordBase = 0x8000;
inline constexpr int kLastNestingLevel = 255;

// True for the words that only follow an instruction word: high byte 80..8F. (Index-register
// forms, high bytes 90..AF, are not read yet.)
constexpr bool isOperandWord(std::uint16_t word) {
  return (word & 0xF000) == kOperandWordBase;
}
// The device of an operand word, or nothing.
std::optional<Device> deviceOfOperandWord(std::uint16_t word);
// The nesting level of a nesting word, or nothing.
std::optional<int> nestingLevelOf(std::uint16_t word);
constexpr std::uint16_t operandWord(int address) {
  return static_cast<std::uint16_t>(kOperandWordBase | address);
}
constexpr std::uint16_t nestingWord(int level) {
  return static_cast<std::uint16_t>(kOperandWordBase | level);
}

// --- Two-word operands of applied instructions ------------------------------------------------
// (T1 << 8 | payload low byte) then (T2 << 8 | payload high byte); the type bytes T1 and T2 say
// what the 16-bit payload is.

enum class Payload {
  Value,    // a constant, two's complement
  Offset,   // a register: two offset units per register number
  Address,  // a bit device: its bit-device address
};

struct WordFormat {
  char letter;  // K constant, D register, C counter value, T timer value, Y or M bit device
  Payload payload;
  int type1;
  int type2;
  int first;  // the numbers (K: the values) the format holds
  int last;
};

inline constexpr WordFormat kWordFormats[] = {
    {'K', Payload::Value, 0x80, 0x80, -32768, 65535},
    {'D', Payload::Offset, 0x86, 0x86, 0, 32767},  // one bank: the FX2N's D1000 banks not yet
    {'C', Payload::Offset, 0x86, 0x84, 0, 32767},
    {'T', Payload::Offset, 0x86, 0x82, 0, 32767},
    {'Y', Payload::Address, 0x84, 0x80, 0, 0377},
    {'M', Payload::Address, 0x84, 0x80, 0, 255},  // M256 and up are not read as operands yet
};

// A two-word operand as stored.
struct WordOperand {
  const WordFormat* format = nullptr;
  int payload = 0;  // 0..65535

  char letter() const { return format->letter; }
  // A register's offset that names no register (odd): only a damaged file holds one.
  bool oddOffset() const { return format->payload == Payload::Offset && payload % 2 != 0; }
  // The constant's value (0..65535), the register number, or the bit device's number.
  int number() const;
};

// The operand in two words, when a format of `letters` reads them (a bit device also only when
// its address is one of the format's devices).
std::optional<WordOperand> readWordOperand(std::uint16_t first, std::uint16_t second,
                                           std::string_view letters);
// The format of device letter `letter` that holds number n, or nullptr.
const WordFormat* wordFormatFor(char letter, long long n);
// The numbers the formats of a letter hold, as text: "D0 to D32767"; "Y0 to Y377 (octal)".
std::string wordOperandRange(char letter);
// The two words of number n (within f's numbers) in format f.
std::array<std::uint16_t, 2> wordOperandWords(const WordFormat& f, int n);

// --- Instructions -----------------------------------------------------------------------------

enum class Layout {
  Alone,          // the instruction word alone
  DeviceInWord,   // one word, code * 1000 hex + device address: LD..ORI, OUT/SET/RST on Y and M
  NumberInWord,   // code + device number, then the set value as a two-word operand: OUT T, C
  DeviceWord,     // the instruction word, then the device's operand word
  MasterControl,  // the instruction word, the nesting word, then the device's operand word
  Nesting,        // the instruction word and the nesting word
  WordOperands,   // the instruction word, then `operands` two-word operands
};

struct Instruction {
  std::string_view name;
  Layout layout;
  std::uint16_t code;
  // The letters of the devices its operands may name; for NumberInWord the letter of its own
  // device, its set value taking kSetValueLetters.
  std::string_view letters;
  int operands;  // WordOperands only
};

inline constexpr std::string_view kSetValueLetters = "KDCT";

// Mnemonics of several rows (OUT, RST) are told apart by their operand's letter.
inline constexpr Instruction kInstructions[] = {
    {"LD", Layout::DeviceInWord, 0x2, "XYMTC", 0},
    {"LDI", Layout::DeviceInWord, 0x3, "XYMTC", 0},
    {"AND", Layout::DeviceInWord, 0x4, "XYMTC", 0},
    {"ANI", Layout::DeviceInWord, 0x5, "XYMTC", 0},
    {"OR", Layout::DeviceInWord, 0x6, "XYMTC", 0},
    {"ORI", Layout::DeviceInWord, 0x7, "XYMTC", 0},
    {"OUT", Layout::DeviceInWord, 0xC, "YM", 0},
    {"OUT", Layout::NumberInWord, 0x0600, "T", 0},
    {"OUT", Layout::NumberInWord, 0x0E00, "C", 0},
    {"SET", Layout::DeviceInWord, 0xD, "YM", 0},
    {"RST", Layout::DeviceInWord, 0xE, "YM", 0},
    {"RST", Layout::DeviceWord, 0x000C, "TC", 0},
    {"RST", Layout::WordOperands, 0x000D, "D", 1},
    {"ANB", Layout::Alone, 0xFFF8, "", 0},
    {"ORB", Layout::Alone, 0xFFF9, "", 0},
    {"MPS", Layout::Alone, 0xFFFA, "", 0},
    {"MRD", Layout::Alone, 0xFFFB, "", 0},
    {"MPP", Layout::Alone, 0xFFFC, "", 0},
    {"INV", Layout::Alone, 0xFFFD, "", 0},
    {"NOP", Layout::Alone, 0xFFFF, "", 0},
    {"END", Layout::Alone, 0x000F, "", 0},
    {"PLS", Layout::DeviceWord, 0x0008, "YM", 0},
    {"PLF", Layout::DeviceWord, 0x0009, "YM", 0},
    {"MC", Layout::MasterControl, 0x000A, "YM", 0},
    {"MCR", Layout::Nesting, 0x000B, "", 0},
    {"LDP", Layout::DeviceWord, 0x01CA, "XYMTC", 0},
    {"LDF", Layout::DeviceWord, 0x01CB, "XYMTC", 0},
    {"ANDP", Layout::DeviceWord, 0x01CC, "XYMTC", 0},
    {"ANDF", Layout::DeviceWord, 0x01CD, "XYMTC", 0},
    {"ORP", Layout::DeviceWord, 0x01CE, "XYMTC", 0},
    {"ORF", Layout::DeviceWord, 0x01CF, "XYMTC", 0},
    {"ALT", Layout::WordOperands, 0x0094, "YMKDCT", 1},
    {"ZRST", Layout::WordOperands, 0x0060, "YMKDCT", 2},
    {"INC", Layout::WordOperands, 0x0040, "YMKDCT", 1},
    {"DEC", Layout::WordOperands, 0x0042, "YMKDCT", 1},
    {"MOV", Layout::WordOperands, 0x0028, "YMKDCT", 2},
    {"ADD", Layout::WordOperands, 0x0038, "YMKDCT", 3},
    {"SUB", Layout::WordOperands, 0x003A, "YMKDCT", 3},
    {"MUL", Layout::WordOperands, 0x003C, "YMKDCT", 3},
    {"DIV", Layout::WordOperands, 0x003E, "YMKDCT", 3},
    {"LD=", Layout::WordOperands, 0x01D0, "YMKDCT", 2},
    {"LD>=", Layout::WordOperands, 0x01DC, "YMKDCT", 2},
    {"LD>", Layout::WordOperands, 0x01D2, "YMKDCT", 2},
    {"LD<", Layout::WordOperands, 0x01D4, "YMKDCT", 2},
    {"LD<=", Layout::WordOperands, 0x01DA, "YMKDCT", 2},
    {"AND=", Layout::WordOperands, 0x01E0, "YMKDCT", 2},
    {"AND>=", Layout::WordOperands, 0x01EC, "YMKDCT", 2},
    {"AND>", Layout::WordOperands, 0x01E2, "YMKDCT", 2},
    {"AND<", Layout::WordOperands, 0x01E4, "YMKDCT", 2},
    {"AND<=", Layout::WordOperands, 0x01EA, "YMKDCT", 2},
    {"OR=", Layout::WordOperands, 0x01F0, "YMKDCT", 2},
    {"OR>=", Layout::WordOperands, 0x01FC, "YMKDCT", 2},
    {"OR>", Layout::WordOperands, 0x01F2, "YMKDCT", 2},
    {"OR<", Layout::WordOperands, 0x01F4, "YMKDCT", 2},
    {"OR<=", Layout::WordOperands, 0x01FA, "YMKDCT", 2},
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
};

// The row that begins with `word`, and the device it names in itself (DeviceInWord and
// NumberInWord), when the row takes that device.
StepWord readStepWord(std::uint16_t word);

}  // namespace ladder51::fx
