// Where the firmware keeps the device tables a program needs. The runtime's fixed tables (m[11],
// t[4], tc[16], c[2], ct[11], d[17]) hold the devices most programs use; a program that uses
// higher numbers, or S states, gets tables sized to the highest number it uses, placed in
// internal RAM while they fit beside the stack, and in the chip's XRAM otherwise.
#pragma once

#include <string>
#include <vector>

#include "core/config/chip.h"
#include "core/result.h"
#include "core/translator/translator.h"

namespace ladder51 {

// Where a grown table is declared: idata (internal RAM, read through a pointer register) or
// xdata (the chip's XRAM, read with MOVX).
enum class Space { Idata, Xdata };

// The tables of one device class that grew past the runtime's fixed size, or that the fixed
// runtime has not (S). All tables of a class move together.
struct GrownTables {
  char letter = 0;  // 'M' (m), 'S' (s), 'T' (t, to, tc), 'C' (c, cflag, ct), 'D' (d)
  int last = 0;     // the highest device number they hold
  Space space = Space::Idata;

  // The bytes of the bit images (m, s, t and to, c and cflag) and the values (tc, ct, d), each.
  int bitBytes() const;
  int valueCount() const;
  // All the class's tables take, in bytes.
  int bytes() const;
  // "M0-M455"
  std::string range() const;
};

// The storage of one translation's firmware.
struct StoragePlan {
  std::vector<GrownTables> grown;  // in the order M, S, T, C, D
  // The timers with a coil above T15 (counted in a loop of their own) and the 10 ms timers
  // (T200 up, in another): the last, first and last, or -1.
  int lastSlowTimer = -1;
  int firstFastTimer = -1;
  int lastFastTimer = -1;
  // The FX time base's units begun, tph[0 .. timerPhases - 1] (DeviceUse::timerPhases).
  int timerPhases = 0;

  // True when the runtime's fixed tables hold everything: fx1n.c is as it always was.
  bool fixed() const { return grown.empty(); }
  // The class's grown tables, or nullptr when the fixed ones hold it.
  const GrownTables* of(char letter) const;
  // Bytes of XRAM the tables placed there take.
  int xramBytes() const;
};

// The tables that must grow for `devices`, sized, all in idata (before placement).
std::vector<GrownTables> grownTables(const DeviceUse& devices);

// Internal RAM the tables may grow into beside the fixed runtime: the runtime leaves 27 to 33
// bytes for the stack, which needs 16 (the deepest call chain with the interrupt on top).
inline constexpr int kSpareInternalRam = 10;

// Sizes the tables to `translation`'s devices and places them on `chip`: in internal RAM while
// the growth, with the bytes the program's own state tables take (`extensionBytes`), stays within
// kSpareInternalRam, the smallest growth first; the rest in XRAM. An Error (DoesNotFit) names the
// devices that need more XRAM than the chip has.
Result<StoragePlan> planStorage(const DeviceUse& devices, int extensionBytes,
                                const ChipProfile& chip);

}  // namespace ladder51
