// The ladder translator: walks the steps of a ProgramImage and produces the C statements of
// the scan loop (the body that fx1n.c places after the display refresh of main).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/config/settings.h"
#include "core/result.h"
#include "core/step_notice.h"
#include "core/step_ref.h"
#include "core/translator/program_image.h"

namespace ladder51 {

// The options the translation depends on.
struct TranslateOptions {
  // The external 24Cxx EEPROM that holds D16 and up, register n at its bytes 2n and 2n+1:
  // without one such registers are refused, and so are those a 24C16 has no bytes for; above
  // what a 24C32 holds each step draws a notice naming the size it needs.
  EepromChoice eeprom = EepromChoice::None;
  // With no EEPROM, registers from D16 up live in the chip's XRAM (when it has some), lost at
  // power-off; without this they are refused as before.
  bool registersInXram = false;
  // The time base of the firmware: the scan times D8010..D8012 are measured with the FX one only.
  TimeBaseChoice timeBase = TimeBaseChoice::Fx;
  // Translate a program with steps the translator does not know, leaving them out (with a
  // warning each) instead of refusing it: the firmware then differs from the program.
  bool skipUnsupported = false;
};

enum class TranslationOutcome {
  Completed,  // END reached
  Refused,    // a device or operand outside the supported ranges; `message` is the refusal
  // A program the translator cannot follow (a contact with no rung open, ...), or a file with
  // no END before its stored bytes or the walk end: one cut short, or longer than the walk.
  Fault,
  // Steps the translator does not translate (without skipUnsupported): `message` lists every one,
  // and `step` is the first.
  Unsupported,
};

// Runtime routines a program needs beyond those every fx1n.c holds; the file gets each one only
// when a translation uses it, so that other programs' files stay as they were.
enum class RuntimeFeature {
  SpecialRelayEdges,  // ldps/ldfs: rising and falling edges of the special relays in m8000
  ScanTime,           // scantime(): the scan times D8010..D8012, measured with the FX time base
  Scratch,            // lv, lw: the scratch values of 32-bit results and of the arithmetic
  WordPairs,          // dw: the 32-bit value of two words of a table
  OutputGroups,       // gry/gwy: digit groups KnY and bit ranges of Y
  RelayGroups,        // grm/gwm: the same of M
  StateGroups,        // grs/gws: the same of S
  Flags,              // m8020: the flags M8020 (zero), M8021 (borrow), M8022 (carry)
  FlaggedWordSums,    // flw: 16-bit ADD and SUB setting the flags
  FlaggedWideSums,    // addl/subl: 32-bit ADD and SUB setting the flags
  Division,           // divl: quotient and remainder
  // Registers an index register moves: ixd (D0..D15 in RAM, or the table in XRAM), ixt, ixc.
  IndexedRamRegisters,
  IndexedXramRegisters,
  IndexedTimers,
  IndexedCounters,
  IndexPairs,     // ixl: the pair Vn:Zn that indexes in a 32-bit instruction
  IndexedGroups,  // digit groups an index register moves: gr/gw keep to their image
};

// The highest number of each device table the statements use, or -1 for a table they do not
// use (M, S, T, C; D for the registers kept in RAM). The runtime's tables are sized to them.
struct DeviceUse {
  int relay = -1;         // m[]: M0..M1535
  int state = -1;         // s[]: S0..S999
  int timer = -1;         // tc[] and t[], to[]: T0..T245 as coils, resets and operands
  int timerContact = -1;  // t[]: T0..T245 as contacts
  int counter = -1;       // c[], cflag[], ct[]: C0..C199
  int dataRegister = -1;  // d[]: D0..D15, and D16 up when they live in XRAM
  // The last 100 ms timer with a coil (T0..T199), and the first and last 10 ms timers with one
  // (T200..T245), or -1: the timers the time base advances.
  int lastSlowTimer = -1;
  int firstFastTimer = -1;
  int lastFastTimer = -1;
  // With the FX time base, the timers with a coil keep the milliseconds of the unit they have
  // begun in tph[0 .. timerPhases - 1], in the order of their numbers.
  int timerPhases = 0;
  int slowTimerPhases = 0;  // those of T0..T199, which come first
  // Every device of those tables the statements name, by letter ('M', 'S', 'T', 'C', 'D').
  std::map<char, std::set<int>> named;

  bool operator==(const DeviceUse&) const = default;
};

// Where a statement begins in `statements`: the scan loop may be cut into functions there.
struct StatementMark {
  std::size_t offset = 0;
};

// The statements of the steps firstStep .. lastStep (byte addresses): the text [begin, end) of
// `statements` that one step wrote, with the contacts and the other steps before it that wrote
// nothing (a rung's contacts land in its output's statement).
struct StepStatements {
  int firstStep = 0;
  int lastStep = 0;
  std::size_t begin = 0;
  std::size_t end = 0;
  bool operator==(const StepStatements&) const = default;
};

// Everything a translation produces.
struct Translation {
  TranslationOutcome outcome = TranslationOutcome::Completed;
  std::string statements;  // the scan-loop statements, CR LF line ends
  int risingPulseCount = 0;
  int fallingPulseCount = 0;
  std::string message;  // refusal or fault message; empty when completed
  // Why it stopped, as a kind and values: the message, or for Unsupported its head line.
  std::optional<Reason> reason;
  StepRef step;  // the step that refused or faulted
  // Messages shown to the user while the translation went on (the M-range notice for an
  // operand class 89).
  std::vector<Notice> notices;
  // Words passed over without output: instructions or operand combinations not supported.
  std::vector<Notice> warnings;
  std::vector<StatementMark> marks;
  // Where each step's statements stand in `statements`, in the order they were written; the
  // steps of subroutines have none.
  std::vector<StepStatements> stepStatements;
  // Output points (sequential numbers 0..35) whose pin symbol the statements write.
  std::set<int> drivenOutputs;
  // Input points (sequential numbers 0..35) whose pins the statements read.
  std::set<int> readInputs;
  std::set<RuntimeFeature> features;
  // Edge contacts that are not simply called in the one condition that reads them are evaluated
  // once a scan where they stand, into bits 0 .. edgeTemps - 1 of edge[].
  int edgeTemps = 0;
  // Edge contacts on a device that several edge contacts watch keep their own memories, bits
  // 0 .. edgeMemories - 1 of edgm[].
  int edgeMemories = 0;
  // Contacts whose result is held where they stand, since an output before a later reader writes
  // their device: bits 0 .. heldContacts - 1 of held[].
  int heldContacts = 0;
  // MC zones N0 .. N(zones - 1) may be open: their states are mcz[0] .. mcz[zones - 1].
  int zones = 0;
  // Steps of the step ladder (STL): each keeps whether it ran in the last scan, bits
  // 0 .. ladderSteps - 1 of stlw[].
  int ladderSteps = 0;
  // Pulse (P) forms of applied instructions: each keeps its condition of the last scan, bits
  // 0 .. pulseForms - 1 of pfm[].
  int pulseForms = 0;
  // Index registers the statements use as operands: Z0 .. Z(zRegisters - 1) in ixz[], V0 ..
  // V(vRegisters - 1) in ixv[].
  int zRegisters = 0;
  int vRegisters = 0;
  // FOR loops: each keeps the repetitions it has left in its element of loopc[0 .. loops - 1].
  int loops = 0;
  // The subroutines the scan calls (a P label after FEND, its steps, SRET), each a C function
  // "void subP33(void)" after their prototypes, CR LF line ends: fx1n.c places them before main.
  // Empty for a program without CALL.
  std::string subroutines;
  DeviceUse devices;

  bool completed() const { return outcome == TranslationOutcome::Completed; }
  // The refusal or fault as an error (ProgramRefused or ProgramFault, with the step).
  Error error() const;
};

// Translates the program. Never throws for any image content.
Translation translate(const ProgramImage& image, const TranslateOptions& options);

// Pin symbol of output point n (0..35): "Y" followed by the point's octal digits.
std::string outputPinName(int n);
// Octal point digits of point n: 8 -> "10", 35 -> "43".
std::string pointDigits(int n);

}  // namespace ladder51
