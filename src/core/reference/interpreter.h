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
// interpreter shows.) M8000 is on in every scan, M8002 only in the first; M8001 and M8003 are
// their inverses.
//
// Outputs off (M8034). A program may drive M8034 like a relay. While it is on the Y images are
// computed as always, and bit() shows them, but the PLC holds every output off at END: output()
// gives what its output terminals show.
//
// Scan times (D8010, D8011, D8012: the last, shortest and longest scan, in 0.1 ms). A scan lasts
// from its start to the next scan's; its time is known when it ends, so all three are 0 in the
// first scan. They follow the times scan() is given, which the differential check varies (its
// scan lengths differ among its timing variants): what depends on them is left undecided there.
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
// Counters (OUT C n K/D). A counter counts rising edges of its input (its own edge memory, off at
// power-on): C0..C199 up to the set value, where the count stops, in 16 bits; C200..C234 in 32
// bits, up, or down while M8200..M8234 is on, without stopping. Its contact is on while the count
// is at least the set value. RST C clears count and contact but keeps the edge memory: an input
// still on after the reset does not count again until it has been off. ZRST on counters resets
// each as RST C does. The high-speed counters C235 up are not run.
//
// Step ladder (STL Sn ... RET). STL opens a step on the bus of its state (consecutive STLs: all
// their states); the step's rungs run while it is active, and once more, with the bus off, in the
// scan after it went off (OUT coils off, timers reset); otherwise they are skipped, so several
// steps may drive one output. SET or OUT on a state in a step sets it and resets the step's own
// states at the step's end (the next STL, RET or END). Outside steps S coils act like M coils.
//
// Timers (OUT T n K/D; T0..T199 count units, T200..T245 tenths of a unit). Time is counted in
// units of the timer's base (TimeBase), in one of two ways. With units shared by all timers, a
// timer whose OUT T ran in a scan with its coil on adds every unit boundary passed before the
// next scan (one whose coil a scan passed over stops, keeping its count and contact). With units
// of its own (the PLC's), OUT T with the coil on adds the time since the scan before to the part
// of a unit the timer has begun and counts each unit completed, so its units begin when it
// starts; where a scan passes over its coil, it stops. OUT T with the coil on closes the contact
// when the count reaches the set value (the count stops there); coil off (or its bus off) clears
// count and contact. RST T clears count and contact (and the unit begun) and stops the counting
// until OUT T runs with the coil on again.
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
// Applied instructions run in every scan their rung's result is on; a P form (MOVP, ALTP) runs
// once on each rise of it: each P step remembers the result of the last scan it was reached in,
// off at power-on, with a bus off (MC, a step going off) counting as off. A D form works on 32-bit
// values where the plain form works on 16.
//
// Operands. K and H constants are values of the instruction's width. D, T and C (their current
// values) are 16-bit registers, taken as the pair n, n+1 (low word first) in a D form; C200 up are
// 32-bit registers of their own. V0 and Z0 are D8029 and D8028, V1 and Z1 D8183 and D8182, and so
// on, where the encoding table places them. A digit group KnX..KnS is the 4n bits from its first
// device: read, it is a positive number unless it fills the width (K4 in 16 bits, K8 in 32), where
// its top bit is the sign; written, only its own bits change. A lone bit device where a word is
// read or written is a group of one bit. An index register adds its value to the operand's number
// (D10Z0 is D10+Z0, K4M0Z1 starts at M0+Z1, X and Y count points, K10V0 is 10+V0); in a D form a
// Z index is the 32-bit pair Vn:Zn. Where an instruction reaches past its operand (BMOV, CMP's
// three bits), it takes the next registers (pairs in a D form), the next points or relays, or the
// next groups (K1M0, K1M4, ...).
//
// Results wrap in the width of the instruction. An operation error (a division by zero, BCD of a
// value above 9999 or 99999999, BIN of a digit above 9, a count out of its range) changes nothing.
//
// Flags. ADD and SUB set M8020 when the written result is 0, M8021 when the exact result is below
// the width's least value, M8022 when it is above its greatest; each flag off otherwise. ROR and
// ROL leave in M8022 the last bit rotated out; RCR and RCL rotate through it. SUM sets M8020 when
// it counts no bit. No other instruction touches them; they are read as contacts.
//
// The instructions: comparisons (LD, AND, OR with =, >, <, <>, <=, >=) are contacts; CMP S1 S2 D
// sets D, D+1, D+2 for S1 > S2, =, <; ZCP S1 S2 S D sets D for S < S1, D+1 for S1 <= S <= S2, D+2
// for S > S2 (an S2 below S1 counts as S1). MOV, CML (the bits inverted), XCH, NEG; BMOV S D n
// copies n words as if all were read before any is written; FMOV S D n fills n words. BCD and BIN
// convert; SMOV S m1 m2 D n puts the m2 decimal digits of S from digit m1 down into D from digit n
// down (hexadecimal digits, without conversion, while M8168 is on). ADD, SUB; MUL writes the
// product at twice the width (a pair, four registers in the D form; a group keeps its own bits);
// DIV writes the quotient and, for a register target, the remainder in the next register (pair),
// both rounded towards zero; INC and DEC wrap without flags. WAND, WOR, WXOR. ROR, ROL, RCR, RCL
// rotate n bits within the width (within a group's own bits). SFTR/SFTL S D n1 n2 shift the n1
// bits from D by n2 towards D (right) or away from it (left), the n2 bits from S filling the
// vacated end; WSFR/WSFL do the same with words. DECO S D n sets the bit numbered by the low n
// bits of S among the 2^n bits from D (n <= 8), or in the word D (n <= 4, the others cleared);
// ENCO S D n writes the number of the highest bit on among the 2^n from S (none on: an operation
// error). SUM counts the bits on, BON S D n copies bit n of S to D. ALT inverts its bit; ZRST D1 D2
// clears the devices from D1 to D2 (only D1 when D2 is below it), timers and counters as RST
// does; RST D clears a register.
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
  fx::Variant variant;                // an applied instruction's D (wide) and P (pulse) form
  fx::Device device;                  // the step's own device (not for applied instructions)
  int nesting = 0;                    // MC and MCR
  std::vector<fx::Operand> operands;  // set value (OUT T, OUT C) or applied operands
  StepRef ref;                        // where it stands, with its words

  // The width of its values: 32 for the D forms and the set values of C200 up, else 16.
  int size() const;
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
  bool ownUnits = false;  // each timer's units begin when it starts (see Timers)
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
  // Output point Y n as the PLC's terminal shows it after the last scan: its image, off while
  // M8034 is on.
  bool output(int point) const;
  // A word as the last scan left it: the current value of T or C, or D; as 16 bits (the low half
  // of C200 up).
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

  // True when the interpreter runs the row's instruction.
  static bool runs(const fx::Instruction& row);

  // Counters from C200 count in 32 bits, up or down; from C235 they count inputs at high speed.
  static constexpr int kFirstWideCounter = 200;
  static constexpr int kFirstHighSpeed = 235;

 private:
  struct Timer {
    std::int16_t count = 0;
    bool contact = false;
    bool running = false;
    std::int64_t begun = 0;  // own units: the microseconds of the unit begun
  };
  struct Counter {
    std::int32_t count = 0;  // 16 bits below C200
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
  // What an operand names once its index register is applied.
  struct Place {
    char letter = 'K';     // K: a constant; D, T, C: registers; X, Y, M, S: bits; P: a pointer
    long long number = 0;  // the constant, or the (first) device's number
    int digits = 0;        // bits: 1..8 for a digit group, 0 for a lone bit
  };
  // An applied instruction's routine; several instructions may share one.
  using Routine = void (Interpreter::*)(const Step&, std::size_t);

  void run(std::size_t index);
  bool contactValue(const Step& step, std::size_t index);
  bool compare(const Step& step) const;
  bool bus() const;
  void setContact(const fx::Device& device, bool on, std::size_t index);
  void writeBit(const fx::Device& device, bool on, std::size_t index);
  void writeRegister(char letter, long long n, std::int32_t value, std::size_t index);
  void noteChange(const fx::Device& device, std::size_t index);
  void stepLadder(const Step& step, std::size_t index);
  void endLadderStep();
  void countUp(const Step& step, bool on, std::size_t index);
  // Resets a timer or counter as RST does: count and contact cleared, a timer stopped.
  void resetTimerCounter(char letter, long long n, std::size_t index);
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

  // Operands (operands.cpp).
  // Operand k of the step, its index register applied.
  Place place(const Step& step, std::size_t k) const;
  // The k-th of the words (of `size` bits) that follow one another from `place`.
  static Place element(const Place& place, long long k, int size);
  // The place's value in `size` bits (16 or 32), signed.
  std::int64_t read(const Place& place, int size) const;
  // Writes the low `size` bits (16, 32 or 64) of `value` to the place; a group keeps its own.
  void write(const Place& place, int size, std::int64_t value, std::size_t index);
  // The number of bits the place holds in an instruction of `size` bits.
  static int widthOf(const Place& place, int size);
  // Bit k counted from the place's first bit device.
  bool bitAt(const Place& place, long long k) const;
  void writeBitAt(const Place& place, long long k, bool on, std::size_t index);
  std::int64_t value(const Step& step, std::size_t k) const;
  void store(const Step& step, std::size_t k, std::int64_t value, std::size_t index);
  void setFlag(int flag, bool on, std::size_t index);  // M8000 + flag

  // Applied instructions. The one table of what runs them (applied.cpp).
  static Routine routineOf(std::string_view name);
  // Transfers and conversions (applied_data.cpp).
  void move(const Step& step, std::size_t index);
  void blockMove(const Step& step, std::size_t index);
  void fillMove(const Step& step, std::size_t index);
  void exchange(const Step& step, std::size_t index);
  void toBcd(const Step& step, std::size_t index);
  void fromBcd(const Step& step, std::size_t index);
  void shiftMove(const Step& step, std::size_t index);
  void zoneReset(const Step& step, std::size_t index);
  void resetRegister(const Step& step, std::size_t index);
  // Arithmetic, logic and comparison (applied_math.cpp).
  void addSubtract(const Step& step, std::size_t index);
  void multiply(const Step& step, std::size_t index);
  void divide(const Step& step, std::size_t index);
  void increment(const Step& step, std::size_t index);
  void negate(const Step& step, std::size_t index);
  void logic(const Step& step, std::size_t index);
  void compareInto(const Step& step, std::size_t index);
  void zoneCompare(const Step& step, std::size_t index);
  // Bits: rotations, shifts, codes, counts (applied_bits.cpp).
  void rotate(const Step& step, std::size_t index);
  void shiftBits(const Step& step, std::size_t index);
  void shiftWords(const Step& step, std::size_t index);
  void decode(const Step& step, std::size_t index);
  void encode(const Step& step, std::size_t index);
  void sumBits(const Step& step, std::size_t index);
  void bitOn(const Step& step, std::size_t index);
  void alternate(const Step& step, std::size_t index);

  std::vector<Step> steps_;
  TimeBase time_;
  std::vector<bool> xInputs_;
  std::vector<bool> x_, y_, m_, s_, special_;
  std::vector<Timer> timers_;
  std::vector<Counter> counters_;
  std::vector<std::int16_t> d_;
  std::vector<Routine> routines_;  // per step: its applied instruction's routine, if any
  std::vector<bool> edgeMemory_;   // per step: edge contacts, PLS/PLF, OUT C, P forms
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
  std::int64_t sinceLastScan_ = 0;  // microseconds from the scan before to this one
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
