// A reference interpreter of the FX PLC's scan: it runs a program's steps as the PLC does, scan
// by scan, with no knowledge of the 8051 or of the generated C. It is the oracle that the
// firmware built from the same program is checked against (core/reference/differential.h), so
// it follows the PLC's rules wherever the firmware may differ from them.
//
// The rules it follows, for the instructions the translator supports:
//
// Scan. Inputs are read into the X image at the start of a scan and stay fixed during it; the
// steps run in order up to END; contacts read the device images as the earlier steps of the same
// scan left them. (The PLC writes the Y image to its outputs at END; the images are what this
// interpreter shows.) M8000 is on in every scan, M8002 only in the first.
//
// Rungs. LD, LDI, LDP, LDF and the LD comparisons start a block: after an output they open a new
// rung, otherwise they push the result so far for ANB or ORB. AND/ANI/ANDP/ANDF and OR/ORI/ORP/
// ORF join the result; INV inverts it; MPS pushes it, MRD reads the pushed value, MPP pops it.
// Every output of a rung (OUT, SET, RST, PLS, PLF, applied instructions, MC) sees the same
// result, whatever outputs came before it in the rung.
//
// Edge contacts (LDP/LDF/ANDP/ANDF/ORP/ORF). Each instruction has its own edge memory: the state
// of its device when the instruction last ran. It runs, and its memory is updated, every scan in
// which the instruction is reached, whatever the contacts before it gave (an ANDP after an off
// contact still updates its memory). So two LDP X0 in different rungs both see the same edge.
// All memories are off at power-on: a device already on in the first scan is a rising edge in
// that scan (LDP fires; LDF needs the device on and then off).
//
// PLS/PLF. Each instruction remembers its condition of the last scan, off at power-on: PLS whose
// condition is on in the first scan fires in the first scan. Its target is on for exactly one
// scan: each run of the instruction writes the target on (edge) or off (no edge).
//
// Master control (MC N dev ... MCR N). While the MC condition is off, the steps up to MCR N run
// with their rung bus off: OUT on Y and M switches its device off, OUT T resets the timer (count
// and contact), OUT C does not count (its edge memory sees its input off), SET, RST, the PLS/PLF
// targets and applied instructions do nothing (the PLS/PLF memories see the condition off), and
// contacts and edge memories run as usual. The MC device follows the MC condition. Zones nest: a
// zone is on only if all enclosing zones are on (an MC inside an off zone sees its condition
// off); MCR N closes zone N and every deeper zone still open.
//
// Counters (OUT C n K/D, 16-bit up counters). A counter counts rising edges of its input (its
// own edge memory, off at power-on) up to the set value, where the count stops; its contact is
// on while the count is at least the set value. RST C clears count and contact but keeps the
// edge memory: an input still on after the reset does not count again until it has been off.
// ZRST on counters resets each as RST C does.
//
// Step ladder (STL Sn ... RET). STL opens a step on the bus of its state (consecutive STLs: all
// their states); the step's rungs run while it is active, and once more, with the bus off, in the
// scan after it went off (OUT coils off, timers reset); otherwise they are skipped, so several
// steps may drive one output. SET or OUT on a state in a step sets it and resets the step's own
// states at the step's end (the next STL, RET or END). Outside steps S coils act like M coils.
//
// Timers (OUT T n K/D; T0..T199 count units, T200..T245 tenths of a unit). Time is counted in
// units of the timer's base (TimeBase):
// a timer whose OUT T ran in a scan with its coil on adds every unit boundary passed before the
// next scan (one whose coil a scan passed over stops, keeping its count and contact); OUT T with
// the coil on closes the contact when the count reaches the set value (the count stops there); coil
// off (or its bus off) clears count and contact. RST T clears count and contact and stops the
// counting until OUT T runs with the coil on again.
//
// Clocks. M8011, M8012, M8013 and M8014 are the 10 ms, 100 ms, 1 s and 1 min clocks: on and off
// for half a period each, periods 1/10, 1, 10 and 600 timer units, from the unit boundaries'
// phase.
//
// Program flow. CJ Pn (CJP Pn: in the scan its condition turns on) goes on at label Pn while its
// condition is on; P63 is the end of the main program, which FEND ends when it has one. The
// steps jumped over do not run: outputs hold, timers stop (see Timers), counters and edge
// memories keep theirs. A jump may leave FOR loops; it leaves them then. CALL Pn (CALLP Pn) runs
// the subroutine that begins at label Pn (after FEND) up to its SRET, then goes on after the CALL
// with the rung as it was before the call. FOR n runs the steps up to its NEXT n times, once for
// n below 1. A scan longer than the PLC's watchdog allows (a jump back whose condition stays on)
// stops the PLC: its outputs go off, and it scans no more.
//
// Applied instructions run in every scan their condition is on (the non-pulse forms): ALT
// inverts its bit, ZRST clears a range of Y, M, T, C or D, INC/DEC add or take one, MOV copies,
// ADD/SUB/MUL/DIV compute in signed 16-bit values. MUL writes the 32-bit product to the target
// and the register after it (low word first); DIV writes the quotient to the target and the
// remainder to the register after it, and a division by zero is an operation error that changes
// nothing. Registers wrap in 16 bits. Comparisons (LD=, AND>, ...) compare signed 16-bit values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "core/step_ref.h"
#include "core/translator/fx_encoding.h"
#include "core/translator/program_image.h"

namespace ladder51::reference {

// One step of the program, decoded with the FX encoding table.
struct Step {
  const fx::Instruction* row = nullptr;
  fx::Device device;                      // the step's own device (not for applied instructions)
  int nesting = 0;                        // MC and MCR
  std::vector<fx::WordOperand> operands;  // set value (OUT T, OUT C) or applied operands
  StepRef ref;                            // where it stands, with its words
  // "OUT T5 K100", as the instruction list writes it.
  std::string text() const;
};

// The steps of the program from its first step up to END (NOPs left out). Fails with
// ProgramUnsupported at a step the interpreter does not run, ProgramFault when the steps end
// without END or a word cannot be read.
Result<std::vector<Step>> decodeSteps(const ProgramImage& image);

// A device by its name: "X17" (octal, as the PLC numbers X and Y), "M8002", "T3", "C0", "D5".
std::optional<fx::Device> parseDevice(std::string_view name);

// The flow instruction (CJ, CALL, SRET, FEND, FOR, NEXT, any form) or label a word begins, for
// decodeSteps; nothing for other words.
fx::StepWord flowStepWord(std::uint16_t word);
// The label P n that the operand words of CJ or CALL name.
std::optional<int> pointerOf(std::uint16_t first, std::uint16_t second);

// How time is counted: the length of one timer unit (100 ms on the PLC), and where the first
// unit boundary falls after power-on (0 <= phase < unit). Units and clocks derive from these
// alone, so a change of the unit's length changes nothing else.
struct TimeBase {
  std::int64_t unitMicros = 100'000;
  std::int64_t phaseMicros = 0;
};

// The PLC running one program.
class Interpreter {
 public:
  Interpreter(std::vector<Step> steps, TimeBase timeBase);

  // Sets an input point (X, numbered as fx::Device does) for the following scans.
  void setInput(int point, bool on);
  // Runs one scan at `timeMicros` after power-on (never earlier than the scan before).
  void scan(std::int64_t timeMicros);

  // A bit device as the last scan left it: X, Y, M (and M8000..), T and C contacts.
  bool bit(const fx::Device& device) const;
  // A word as the last scan left it: the current value of T or C, or D; as 16 bits.
  std::uint16_t word(const fx::Device& device) const;
  // The index in steps() of the step that last changed the device (bit or word), if any did.
  std::optional<std::size_t> lastWriter(const fx::Device& device) const;
  // False when the device changed more than once in the last scan (OUT Y0 then ALT Y0): the PLC
  // shows only the last value, at the end of the scan; a device read in the middle of a scan
  // may show the passing one.
  bool settled(const fx::Device& device) const;
  long scanCount() const { return scans_; }
  // True once a scan ran longer than the PLC's watchdog allows: the PLC stopped.
  bool stoppedByWatchdog() const { return watchdog_; }
  const std::vector<Step>& steps() const { return steps_; }

 private:
  struct Timer {
    std::int16_t count = 0;
    bool contact = false;
    bool running = false;
  };
  struct Counter {
    std::int16_t count = 0;
    bool contact = false;
  };
  struct Zone {
    int level = 0;
    bool on = false;
  };
  struct LadderStep {
    std::vector<int> states;
    bool active = false;    // all its states were on at its STL
    bool runs = false;      // active, or active in the scan before
    bool transfer = false;  // a SET or OUT on a state in it had its condition on
    std::size_t first = 0;  // the index of its first STL
  };

  void run(std::size_t index);
  bool contactValue(const Step& step, std::size_t index);
  bool compare(const Step& step) const;
  void applied(const Step& step, std::size_t index);
  bool bus() const;
  void setContact(const fx::Device& device, bool on, std::size_t index);
  void writeBit(const fx::Device& device, bool on, std::size_t index);
  std::int16_t operandValue(const fx::WordOperand& operand) const;
  void writeWord(const fx::WordOperand& target, std::int16_t value, std::size_t index);
  void writeRegister(char letter, int n, std::int16_t value, std::size_t index);
  void noteChange(const fx::Device& device, std::size_t index);
  void stepLadder(const Step& step, std::size_t index);
  void endLadderStep();
  // Unit boundaries (`parts` of a unit each) passed from the phase to `timeMicros`.
  std::int64_t unitsAt(std::int64_t timeMicros, int parts) const;
  // Program flow (program_flow.cpp).
  enum class Flow { None, Label, Jump, Call, Return, EndOfMain, Loop, Next };
  struct Call {
    std::size_t back;  // the step after the CALL
    bool result;       // the CALL's rung
    std::vector<bool> blocks, branches;
    std::size_t loops;  // the loops open at the CALL
  };
  struct Loop {
    std::size_t head;  // its FOR
    long left;         // runs left, this one included
  };
  void prepareFlow();
  // The scan's steps, from the first to the end of the main program.
  void runSteps();
  // The step that follows a flow step (the end of the steps: none), or nothing for other steps.
  std::optional<std::size_t> flow(std::size_t index);
  bool fires(const Step& step, std::size_t index);
  bool encloses(std::size_t loop, std::size_t index) const;
  bool clockAt(std::int64_t timeMicros, std::int64_t halfPeriodTenths) const;

  std::vector<Step> steps_;
  TimeBase time_;
  std::vector<bool> xInputs_;
  std::vector<bool> x_, y_, m_, s_, special_;
  std::vector<Timer> timers_;
  std::vector<Counter> counters_;
  std::vector<std::int16_t> d_;
  std::vector<bool> edgeMemory_;   // per step: edge contacts, PLS/PLF, OUT C
  std::vector<int> writer_;        // per device cell: index of the step that last changed it
  std::vector<long> changedIn_;    // per device cell: the scan that last changed it
  std::vector<long> unsettledIn_;  // per device cell: the last scan that changed it twice
  // The scan's evaluation state.
  bool result_ = false;
  bool afterOutput_ = true;
  std::vector<bool> blocks_;
  std::vector<bool> branches_;
  std::vector<Zone> zones_;
  std::optional<LadderStep> ladder_;
  long scans_ = 0;
  std::int64_t lastTime_ = 0;
  // Program flow: per step its kind and the FOR around it (npos: none); each label's step.
  std::vector<Flow> flows_;
  std::vector<std::size_t> loopOf_;
  std::vector<std::optional<std::size_t>> labels_;
  std::size_t mainEnd_ = 0;  // FEND, or the end of the steps
  std::vector<Call> calls_;
  std::vector<Loop> loops_;
  bool watchdog_ = false;
};

}  // namespace ladder51::reference
