// The differential check on the simulated chip: seeded random programs of the supported
// instruction set must agree with the PLC's rules; a deliberately broken translation must not;
// and each difference of the firmware known today is kept as data (tests/reference/differences),
// so that its case fails, and is moved to agreeing, when the firmware is mended.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>
#include <thread>
#include <utility>

#include "core/config/settings_files.h"
#include "core/reference/differential.h"
#include "core/sequence.h"
#include "tests/support/fixtures.h"

namespace ladder51::test {
namespace {

const std::filesystem::path kDifferenceDir = sourcePath("tests/reference/differences");

bool haveChipTools() {
  return haveProgram("sdcc") && haveProgram("s51");
}

// X0..X5 on P3.2..P3.7, Y0..Y7 on P1.0..P1.7.
void saveCheckBoard(const std::filesystem::path& dir, const std::string& chip = "") {
  ASSERT_TRUE(saveSettings(dir, portsBoard(chip)));
}

Result<reference::CheckReport> check(const std::filesystem::path& dir, std::string_view il,
                                     const Stimulus& stimulus, std::uint64_t tailMicros = 0) {
  writeProgram(dir / "program.pmw", il);
  RecordingObserver observer;
  reference::CheckRequest request;
  request.workDirectory = dir;
  request.program = dir / "program.pmw";
  request.stimulus = stimulus;
  if (tailMicros != 0) request.untilMicros = stimulus.lastTimeMicros() + tailMicros;
  return reference::checkProgram(request, observer);
}

std::string describe(const reference::CheckReport& report) {
  std::ostringstream out;
  out << report.agreed << " of " << report.compared << " agree, " << report.undecided
      << " undecided";
  for (const reference::Disagreement& d : report.disagreements) {
    out << "\n  " << d.timeMicros / 1000 << " ms " << d.device << ": firmware " << d.firmware
        << ", PLC " << d.plc;
    if (d.step) out << " (" << d.step->describe() << " " << d.instruction << ")";
  }
  return out.str();
}

// The devices watched in the firmware's RAM include those the applied instructions write past
// their operands: a D form's pairs, CMP's three bits, a group's bits, MUL's and DIV's second
// register (pair), a ZRST range; an indexed operand is not known before running.
TEST(DifferentialCheck, WatchesWhatAppliedInstructionsWrite) {
  const char* il =
      "LD X0\nDMOV K1 D2\nCMP D0 K5 M10\nMOV K1 K2M20\nMUL D0 D1 D4\nDDIV D0 D2 D6\n"
      "ZRST M0 M3\nMOV K1 D12Z0\nEND\n";
  Result<std::vector<reference::Step>> steps = reference::decodeSteps(imageOf(il));
  ASSERT_TRUE(steps) << steps.error().describe();
  EXPECT_EQ(reference::watchedDevicesOf(*steps),
            "D0,D1,D2,D3,D4,D5,D6,D7,D8,D9,M0,M1,M2,M3,M10,M11,M12,M20,M21,M22,M23,M24,M25,M26,"
            "M27");
}

// --- random programs -------------------------------------------------------------------------
//
// The programs use the supported set with the patterns where the firmware once differed from the
// PLC: edge contacts anywhere, on repeated devices and under several outputs and branches, PLS,
// RST C, MC zones. They leave out what the firmware still does differently (each has a case in
// tests/reference/differences): M8011..M8014, whose clocks run 20 times slower than the PLC's in
// timer units, and MUL and DIV (the firmware keeps the low word of a product, no remainder, and
// divides without sign). They also leave out writes to timer and counter values (the PLC's
// contact rules for such writes are not modelled) and D set values of counters (the firmware
// compares only when it counts).
class RandomProgram {
 public:
  // `flow`: the program jumps over rungs, calls a subroutine and loops (flowProgram()).
  RandomProgram(unsigned seed, bool flow) : random_(seed), flow_(flow) {}

  std::string program() {
    if (flow_) return flowProgram();
    std::string il;
    const int rungs = pick(4, 10);
    for (int r = 0; r < rungs; ++r) il += rungInZone();
    if (zoneRungs_ > 0) il += "MCR N0\n";
    return il + "END\n";
  }

  // Rungs in turn: plain, jumped over by CJ (to P10, P11, ...), calling P1 with CALL or CALLP,
  // or looping with FOR; then FEND and subroutine P1. No MC zone, and no timer in code a scan
  // may pass over: where a stopped timer's count ends depends on the phase of the unit
  // boundaries, which the timing variants do not span.
  std::string flowProgram() {
    std::string il;
    const int rungs = pick(3, 6);
    for (int r = 0; r < rungs; ++r) {
      const std::string label = "P" + std::to_string(10 + r);
      switch (pick(0, 3)) {
        case 0:
          il += block(1) + "CJ " + label + "\n" + passedRungs() + label + "\n";
          break;
        case 1:
          il += block(1) + (pick(0, 1) ? "CALL P1\n" : "CALLP P1\n");
          break;
        case 2:
          il += "FOR K" + std::to_string(pick(1, 3)) + "\n" + rung() + "NEXT\n";
          break;
        default:
          il += rung();
      }
    }
    return il + "FEND\nP1\n" + passedRungs() + "SRET\nEND\n";
  }

  std::string passedRungs() {
    const int timers = std::exchange(timers_, 4);  // coil() then gives counters only
    std::string il;
    for (int r = pick(1, 2); r > 0; --r) il += rung();
    timers_ = timers;
    return il;
  }

  // Input phases of 2 to 5 time-base units from 350 ms on, each input on or off at random. (The
  // simulated time is what CI pays for: s51 runs about twice as slow as the chip.) The inputs of
  // a phase change one after another, 5 ms apart: the chip samples its pins one at a time, so
  // two inputs changing at the same instant may be seen a scan apart, an order the PLC's model
  // cannot know.
  Stimulus stimulus(std::int64_t unitMicros) {
    Stimulus stimulus;
    std::uint64_t time = 350'000;
    const int phases = pick(6, 9);
    for (int p = 0; p < phases; ++p) {
      std::uint64_t at = time;
      for (int x = 0; x < 6; ++x) {
        if (pick(0, 2) == 0) continue;
        stimulus.events.push_back({at, "X" + std::to_string(x), pick(0, 1) == 1});
        at += 5'000;
      }
      time += static_cast<std::uint64_t>(unitMicros * pick(2, 5));
    }
    stimulus.events.push_back({time, "X0", false});
    return stimulus;
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  template <class T>
  const T& any(const std::vector<T>& items) {
    return items[static_cast<std::size_t>(pick(0, static_cast<int>(items.size()) - 1))];
  }

  std::string contactDevice() {
    switch (pick(0, 9)) {
      case 0:
        return "Y" + std::to_string(pick(0, 7));
      case 1:
      case 2:
        return "M" + std::to_string(pick(0, 15));
      case 3:
        return "T" + std::to_string(pick(0, 3));
      case 4:
        return "C" + std::to_string(pick(0, 3));
      case 5:
        return pick(0, 3) == 0 ? "M8002" : "M8000";
      default:
        return "X" + std::to_string(pick(0, 5));
    }
  }

  // One contact joining the rung with `how` ("LD", "AND" or "OR").
  std::string contact(const std::string& how) {
    const int kind = pick(0, 9);
    if (kind == 0) {
      const std::string op = any<std::string>({"=", ">=", ">", "<", "<="});
      return how + op + " D" + std::to_string(pick(0, 3)) + " K" + std::to_string(pick(0, 4)) +
             "\n";
    }
    if (kind == 1) {
      const std::string device = pick(0, 2) ? "X" + std::to_string(pick(0, 5)) : contactDevice();
      const std::string suffix = pick(0, 1) ? "P" : "F";
      return how + suffix + " " + device + "\n";
    }
    const bool inverted = pick(0, 3) == 0;
    const std::string name = how == "LD"    ? (inverted ? "LDI" : "LD")
                             : how == "AND" ? (inverted ? "ANI" : "AND")
                                            : (inverted ? "ORI" : "OR");
    return name + " " + contactDevice() + "\n";
  }

  std::string block(int depth) {
    std::string il = contact("LD");
    const int joins = pick(0, 2);
    for (int j = 0; j < joins; ++j) il += contact(pick(0, 1) ? "AND" : "OR");
    if (depth > 0 && pick(0, 3) == 0) il += block(depth - 1) + (pick(0, 1) ? "ANB\n" : "ORB\n");
    if (pick(0, 9) == 0) il += "INV\n";
    return il;
  }

  std::string output() {
    const std::string bit =
        pick(0, 1) ? "Y" + std::to_string(pick(0, 7)) : "M" + std::to_string(pick(0, 15));
    const std::string d = "D" + std::to_string(pick(0, 3));
    switch (pick(0, 13)) {
      case 0:
      case 1:
      case 2:
        return "OUT " + bit + "\n";
      case 3:
        return "SET " + bit + "\n";
      case 4:
        return "RST " + bit + "\n";
      case 5:
        return "ALT " + bit + "\n";
      case 6:
        return "INC " + d + "\n";
      case 7:
        return "DEC " + d + "\n";
      case 8:
        return "MOV K" + std::to_string(pick(0, 5)) + " " + d + "\n";
      case 9:
        return (pick(0, 1) ? "ADD " : "SUB ") + d + " K" + std::to_string(pick(1, 3)) + " " + d +
               "\n";
      case 10:
        return "ZRST M" + std::to_string(pick(0, 7)) + " M" + std::to_string(pick(8, 15)) + "\n";
      case 11:
        return (pick(0, 1) ? "RST T" : "RST C") + std::to_string(pick(0, 3)) + "\n";
      default:
        if (pick(0, 1))
          return (pick(0, 1) ? "PLF M" : "PLS M") + std::to_string(pick(0, 15)) + "\n";
        return coil();
    }
  }

  // OUT T or OUT C, each timer and counter driven by one coil only.
  std::string coil() {
    if (pick(0, 1) && timers_ < 4) {
      return "OUT T" + std::to_string(timers_++) + " K" + std::to_string(pick(1, 8)) + "\n";
    }
    if (counters_ < 4) {
      return "OUT C" + std::to_string(counters_++) + " K" + std::to_string(pick(1, 4)) + "\n";
    }
    return "OUT Y" + std::to_string(pick(0, 7)) + "\n";
  }

  std::string rung() {
    std::string il = block(2);
    // An MC zone around the next rungs, closed a few rungs on (or by END's check, never: the
    // program closes every zone it opens).
    if (!flow_ && zoneRungs_ == 0 && pick(0, 7) == 0) {
      zoneRungs_ = pick(1, 3);
      return il + "MC N0 M" + std::to_string(pick(16, 19)) + "\n";
    }
    const int outputs = pick(1, 3);
    if (outputs > 1 && pick(0, 1)) {
      // Branches: MPS, MRD..., MPP, each with a contact of its own.
      auto branch = [this](const std::string& head) {
        const std::string join = contact("AND");
        return head + join + output();
      };
      il += branch("MPS\n");
      for (int k = 1; k + 1 < outputs; ++k) il += branch("MRD\n");
      return il + branch("MPP\n");
    }
    for (int k = 0; k < outputs; ++k) il += output();
    return il;
  }

  // The rung and, in an open MC zone, its MCR when the zone's rungs are done.
  std::string rungInZone() {
    std::string il = rung();
    if (zoneRungs_ > 0 && il.find("MC N0") == std::string::npos && --zoneRungs_ == 0) {
      il += "MCR N0\n";
    }
    return il;
  }

  std::mt19937 random_;
  bool flow_ = false;
  int zoneRungs_ = 0;
  int timers_ = 0;
  int counters_ = 0;
};

// The number of random programs (LADDER51_RANDOM_PROGRAMS overrides).
int randomProgramCount() {
  const char* count = std::getenv("LADDER51_RANDOM_PROGRAMS");
  return count ? std::atoi(count) : 100;
}

// The programs run on two workers, each in a work folder of its own.
TEST(DifferentialCheck, RandomProgramsAgreeWithThePlc) {
  if (!haveChipTools()) GTEST_SKIP() << "SDCC or s51 is not installed";
  struct Outcome {
    std::string il;
    Result<reference::CheckReport> report = Error{};
  };
  const int plain = randomProgramCount();
  const int programs = plain + plain / 5;  // and a fifth as many with program flow
  std::vector<Outcome> outcomes(static_cast<std::size_t>(programs));
  auto worker = [&](int first) {
    const ScratchDir dir("differential");
    saveCheckBoard(dir.path());
    for (int seed = first; seed <= programs; seed += 2) {
      RandomProgram random(static_cast<unsigned>(seed), seed > plain);
      Outcome& outcome = outcomes[static_cast<std::size_t>(seed - 1)];
      outcome.il = random.program();
      const Stimulus stimulus = random.stimulus(reference::FirmwareTiming{}.unitMicros);
      outcome.report = check(dir.path(), outcome.il, stimulus, 150'000);
    }
  };
  std::thread second(worker, 2);
  worker(1);
  second.join();

  long compared = 0, agreed = 0, undecided = 0;
  int failing = 0;
  for (std::size_t k = 0; k < outcomes.size(); ++k) {
    const Outcome& outcome = outcomes[k];
    ASSERT_TRUE(outcome.report) << "seed " << k + 1 << ": " << outcome.report.error().describe()
                                << "\n"
                                << outcome.il;
    compared += outcome.report->compared;
    agreed += outcome.report->agreed;
    undecided += outcome.report->undecided;
    if (!outcome.report->agrees() && ++failing <= 3) {
      std::printf("seed %zu: %s\n%s\n", k + 1, describe(*outcome.report).c_str(),
                  outcome.il.c_str());
    }
  }
  // Every decided value agrees; the first programs that differ are printed above.
  EXPECT_EQ(agreed, compared) << failing << " programs differ";
  // Most samples must be decided, or the check would pass by comparing nothing.
  EXPECT_GT(compared, 4 * undecided);
  std::printf("%d programs: %ld of %ld values agree, %ld undecided, %d programs differ\n", programs,
              agreed, compared, undecided, failing);
}

// An AND translated as an OR: the firmware is built from fx1n.c with the rung's && made ||.
TEST(DifferentialCheck, CatchesAnAndTranslatedAsOr) {
  if (!haveChipTools()) GTEST_SKIP() << "SDCC or s51 is not installed";
  const ScratchDir dir("differential");
  saveCheckBoard(dir.path());
  writeProgram(dir / "program.pmw", "LD X0\nAND X1\nOUT Y0\nLD X2\nOUT Y1\nEND\n");
  RecordingObserver observer;
  SequenceRequest request;
  request.workDirectory = dir.path();
  request.program = dir / "program.pmw";
  request.end = SequenceEnd::Translated;
  Result<SequenceResult> translated = runSequence(request, observer);
  ASSERT_TRUE(translated) << translated.error().describe();
  std::string source = readFile(translated->file.path);
  const std::size_t and_ = source.find("&&(!inx(1))");  // the rung's AND X1
  ASSERT_NE(and_, std::string::npos);
  source.replace(and_, 2, "||");
  writeFile(translated->file.path, source);
  FirmwareBuildOptions sdcc;
  sdcc.toolchain = ToolchainChoice::Sdcc;
  Result<FirmwareBuild> built =
      buildFirmware(buildJobForSource(dir.path(), translated->file.path, observer), sdcc, observer);
  ASSERT_TRUE(built) << built.error().describe();

  Result<ProgramImage> image = ProgramImage::readFile(dir / "program.pmw");
  Result<std::vector<reference::Step>> steps = reference::decodeSteps(*image);
  ASSERT_TRUE(steps);
  const Stimulus stimulus = *parseStimulus("400ms X0 on\n600ms X2 on\n800ms X1 on\n");
  Result<reference::FirmwareRun> run = reference::runFirmware(
      dir.path(), translated->settings, built->report.hexFile, *steps, stimulus, 1'000'000);
  ASSERT_TRUE(run) << run.error().describe();
  const reference::CheckReport report = reference::compareWithPlc(
      *steps, stimulus, *run, reference::firmwareTiming(translated->settings));
  // While X0 is on without X1 (the phases ending at 590 and 790 ms) the OR is on, the AND off.
  ASSERT_EQ(report.disagreements.size(), 2u) << describe(report);
  EXPECT_EQ(report.disagreements[1].timeMicros, 790'000u);
  const reference::Disagreement& d = report.disagreements.front();
  EXPECT_EQ(d.device, "Y0");
  EXPECT_EQ(d.timeMicros, 590'000u);
  EXPECT_EQ(d.firmware, 1);
  EXPECT_EQ(d.plc, 0);
  EXPECT_FALSE(d.step) << "Y0 never changed on the PLC";
  EXPECT_GT(report.agreed, 0);  // Y1 and Y0 elsewhere
}

// --- known differences -----------------------------------------------------------------------
// Each tests/reference/differences/NAME.il is a program on the board above, its stimulus in lines
// ";> TIME POINT on|off", the chip (the AT89S52 without one) in a line "; chip: NAME". A line
// "; known: WHY" marks a difference of today's firmware: the check must find it. Without that line
// the firmware must agree.

class KnownDifference : public testing::TestWithParam<std::string> {};

TEST_P(KnownDifference, IsFoundUntilMended) {
  if (!haveChipTools()) GTEST_SKIP() << "SDCC or s51 is not installed";
  const std::string il = readFile(kDifferenceDir / (GetParam() + ".il"));
  std::string stimulusText;
  bool known = false;
  std::string chip;
  std::istringstream lines(il);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with(";>")) stimulusText += line.substr(2) + "\n";
    if (line.starts_with("; known:")) known = true;
    if (line.starts_with("; chip: ")) chip = line.substr(8);
  }
  Result<Stimulus> stimulus = parseStimulus(stimulusText);
  ASSERT_TRUE(stimulus) << stimulus.error().describe();
  const ScratchDir dir("difference");
  saveCheckBoard(dir.path(), chip);
  Result<reference::CheckReport> report = check(dir.path(), il, *stimulus);
  ASSERT_TRUE(report) << report.error().describe();
  EXPECT_GT(report->compared, 0);
  if (known) {
    EXPECT_FALSE(report->agrees())
        << "the firmware now agrees with the PLC: drop the \"; known:\" line\n"
        << describe(*report);
  } else {
    EXPECT_TRUE(report->agrees()) << describe(*report);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, KnownDifference, testing::ValuesIn(caseNames(kDifferenceDir)),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

}  // namespace
}  // namespace ladder51::test
