// The differential check: one program and one stimulus through the firmware ladder51 builds (run
// in s51) and through the reference interpreter of the PLC's scan, the devices compared at the
// end of every input phase.
//
// Only phase ends are compared: there both sides have seen the phase's inputs through the input
// filter and settled. What the firmware's timing leaves open (where the time base's unit
// boundaries fall, how long a unit lasts with the scan that ends it, how soon an input is seen,
// how many scans a phase holds) the interpreter runs under several timing variants; a device is
// compared only at the phase ends where every variant gives the same value, and is otherwise
// counted as undecided.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/config/settings.h"
#include "core/observer.h"
#include "core/reference/interpreter.h"
#include "core/result.h"
#include "core/sim/simulator.h"
#include "core/sim/stimulus.h"

namespace ladder51::reference {

// One device at one phase end where the firmware and the PLC differ.
struct Disagreement {
  std::uint64_t timeMicros = 0;  // the sample, at the end of a phase
  std::string device;            // "Y3", "M5", "C1 value", "D2"
  bool word = false;             // a count or a register (else a bit: 1 on, 0 off)
  long firmware = 0;             // the firmware's value (0/1 for a bit)
  long plc = 0;                  // the interpreter's value
  // The step that last changed the device in the interpreter, when one did.
  std::optional<StepRef> step;
  std::string instruction;  // that step's instruction-list text
};

struct CheckReport {
  long compared = 0;   // samples (device x phase end) every timing variant agreed on
  long agreed = 0;     // of those, where the firmware gave the same value
  long undecided = 0;  // samples where the variants differ among themselves: not compared
  std::vector<Disagreement> disagreements;  // in time order, then device order
  std::vector<std::uint64_t> phaseEnds;     // the sample times compared

  bool agrees() const { return disagreements.empty(); }
};

// The timing of the firmware that the variants span.
struct FirmwareTiming {
  // The nominal time base unit (100 ms on the PLC): a hundred periods of timer 2 for the FX base;
  // for the classic one the timer interrupt's 1411 machine cycles of 12 oscillator periods,
  // scanThreshold() times.
  std::int64_t unitMicros = 33'864;
  // The FX base's timers count units of their own; the classic base's share theirs.
  bool ownUnits = false;
  // A phase end is compared only when the phase has lasted this long (the input filter and a
  // few scans) ...
  std::uint64_t settleMicros = 20'000;
  // ... and when it lies after the firmware's start (its cold start fills the input filters).
  std::uint64_t startMicros = 300'000;
};

// The nominal unit of the firmware built with `settings`.
FirmwareTiming firmwareTiming(const Settings& settings);

// What the firmware did in one run: the Y outputs it switched and the values it was watched for.
struct FirmwareRun {
  SimulationResult result;
  std::vector<RamWatch> watches;
  SimPinMap pins;
  std::uint64_t sliceMicros = 10'000;  // the watches were read at its multiples and at the end
};

// Compares a firmware run with the interpreter running `steps` on the same stimulus.
CheckReport compareWithPlc(const std::vector<Step>& steps, const Stimulus& stimulus,
                           const FirmwareRun& run, const FirmwareTiming& timing);

// The devices of a program worth watching in the firmware's RAM ("M0,T1,C2,D3"): the M, T, C and
// D devices its steps name or write (a D form's pairs, a group's bits, CMP's three bits, ...),
// within what the firmware's tables hold.
std::string watchedDevicesOf(const std::vector<Step>& steps);

// Runs the firmware `hexFile`, built with SDCC in `workDirectory` (whose linker map tells where
// the devices lie) with `settings`, on the stimulus up to `untilMicros`, sampling the watched
// devices every `sliceMicros`.
Result<FirmwareRun> runFirmware(const std::filesystem::path& workDirectory,
                                const Settings& settings, const std::filesystem::path& hexFile,
                                const std::vector<Step>& steps, const Stimulus& stimulus,
                                std::uint64_t untilMicros, std::uint64_t sliceMicros = 10'000);

struct CheckRequest {
  std::filesystem::path workDirectory;  // its settings give the pins and the crystal
  std::filesystem::path program;        // a .pmw program
  Stimulus stimulus;
  std::uint64_t untilMicros = 0;  // 0: one second after the last input change
};

// The program translated and built with SDCC in the work directory, run in s51 and compared with
// the interpreter. Fails as the sequence does (settings, a refused program, a failed build), when
// the interpreter does not run a step, or when the simulator fails.
Result<CheckReport> checkProgram(const CheckRequest& request, Observer& observer);

}  // namespace ladder51::reference
