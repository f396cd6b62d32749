// SDCC's unit with the runtime's calls replaced in place against the unit built from the
// statements as the translation writes them: seeded random programs of plain and edge contacts,
// comparisons, counters and pulse forms, run scan by scan on the simulated chip with the same
// inputs at the same scans, must leave the same output pins and the same devices after every
// scan. Timers are left out: their counts follow time, and the two scans take different times.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "core/config/settings_files.h"
#include "core/sim/ram_symbols.h"
#include "core/sim/s51_answer.h"
#include "core/sim/s51_script.h"
#include "core/sim/scan_time.h"
#include "core/toolchain/process.h"
#include "core/toolchain/sdcc_pipeline.h"
#include "core/workspace.h"
#include "tests/support/fixtures.h"

namespace ladder51::test {
namespace {

constexpr long kPort1Tag = 0x5E000000;
constexpr int kScans = 160;

// Rungs of what the unit rewrites: inputs, edge contacts of X, M, Y and C, comparisons with a
// constant, under outputs that the later rungs read again (Y, M, S, counters, pulses, registers).
// Most contacts are inputs, so that the outputs follow them instead of latching for good.
std::string randomProgram(unsigned seed) {
  std::mt19937 random(seed);
  auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  auto device = [&pick]() {
    static const char* kLetters[] = {"X", "X", "X", "X", "M", "M", "Y", "C", "S"};
    static const int kCounts[] = {6, 6, 6, 6, 8, 8, 8, 4, 4};
    const int k = pick(9);
    return kLetters[k] + std::to_string(pick(kCounts[k]));
  };
  auto comparison = [&pick]() {
    static const char* kOperators[] = {"=", ">=", ">", "<", "<=", "<>"};
    return std::string(kOperators[pick(6)]) + " D" + std::to_string(pick(4)) + " K" +
           std::to_string(pick(6));
  };
  std::string il;
  for (int r = 0; r < 32; ++r) {
    static const char* kLoads[] = {"LD ", "LDI ", "LDP ", "LDF "};
    static const char* kJoins[] = {"AND ", "ANI ", "OR ", "ORI ", "ANDP ", "ANDF ", "ORP ", "ORF "};
    il += pick(6) == 0 ? "LD" + comparison() : kLoads[pick(4)] + device();
    for (int k = pick(3); k > 0; --k) {
      il += "\n" +
            (pick(6) == 0 ? (pick(2) ? "AND" : "OR") + comparison() : kJoins[pick(8)] + device());
    }
    switch (pick(12)) {
      case 0:
      case 1:
      case 2:
        il += "\nOUT Y" + std::to_string(pick(8));
        break;
      case 3:
      case 4:
        il += "\nOUT M" + std::to_string(pick(8));
        break;
      case 5:
        il += std::string(pick(2) ? "\nSET " : "\nRST ") +
              (pick(2) ? "S" + std::to_string(pick(4)) : "M" + std::to_string(pick(8)));
        break;
      case 6:
        il += std::string(pick(2) ? "\nPLS M" : "\nPLF M") + std::to_string(pick(8));
        break;
      case 7:
        il += "\nOUT C" + std::to_string(pick(4)) + " K" + std::to_string(1 + pick(4));
        break;
      case 8:
        il += "\nRST C" + std::to_string(pick(4));
        break;
      case 9:
        il += "\nINCP D" + std::to_string(pick(4));
        break;
      case 10:
        il += "\nDECP D" + std::to_string(pick(4));
        break;
      default:
        il += "\nMOV K" + std::to_string(pick(6)) + " D" + std::to_string(pick(4));
    }
    il += "\n";
  }
  return il + "END\n";
}

// Port 3's level before each scan: X0..X5 on P3.2..P3.7 (active low), each pattern held for a
// few scans so that the input filter passes some changes and not others.
std::vector<int> inputLevels(unsigned seed) {
  std::mt19937 random(seed * 7919u);
  std::vector<int> levels;
  int level = 0xFF;
  while (levels.size() < kScans) {
    const int hold = 1 + static_cast<int>(random() % 6);
    for (int k = 0; k < hold; ++k) levels.push_back(level);
    level = 0x03 | static_cast<int>(random() & 0xFC);
  }
  levels.resize(kScans);
  return levels;
}

// What one build does scan by scan: port 1's level and the watched devices' values after each
// scan, in the order printed.
struct ScanRecord {
  std::vector<unsigned long> port1;
  std::vector<unsigned long> devices;
};

Result<ScanRecord> runScans(const std::filesystem::path& buildDir, const std::string& devices,
                            const std::vector<int>& levels) {
  const std::string map = readFile(buildDir / "fx1n.map");
  const std::optional<unsigned> start = codeAddressOf(map, "_scanpart1");
  if (!start) return Error{ErrorKind::SimulatorFailed, "no scan functions in " + buildDir.string()};
  Result<std::vector<RamWatch>> watches = watchesFor(devices, parseSdccMap(map));
  if (!watches) return watches.error();
  char breakpoint[32];
  std::snprintf(breakpoint, sizeof breakpoint, "break 0x%04x\nrun\n", *start);
  std::string script = loadCommands(buildDir / "fx1n.hex", /*powerOn=*/true) + breakpoint;
  for (int level : levels) {
    script += "set hw port[3] " + std::to_string(level) + "\nrun\n";
    script += "expression /X " + std::to_string(kPort1Tag) + "|sfr[0x90]\n";
    script += watchCommands(*watches);
  }
  script += "quit\n";
  SimulationOptions simulation;
  const ProcessOutcome outcome =
      runProcess({simulation.simulator, s51Arguments(simulation), buildDir, {}},
                 std::chrono::seconds(60), script);
  if (!outcome.exitedWith(0)) return Error{ErrorKind::SimulatorFailed, outcome.describe()};
  return ScanRecord{taggedValues(outcome.output, kPort1Tag),
                    taggedValues(outcome.output, kWatchTag)};
}

TEST(CallsInPlace, RandomProgramsScanAsTheUnitBuiltFromTheStatements) {
  if (!haveProgram("sdcc") || !haveProgram("s51")) GTEST_SKIP() << "SDCC or s51 is not installed";
  const ScratchDir dir("calls-in-place");
  ASSERT_TRUE(saveSettings(dir.path(), portsBoard("stc89c516")));

  int changes = 0;  // scans after which port 1 differs from the scan before
  for (unsigned seed = 1; seed <= 6; ++seed) {
    const std::string il = randomProgram(seed);
    SCOPED_TRACE("seed " + std::to_string(seed) + "\n" + il);
    Workspace workspace(dir.path());
    ASSERT_TRUE(workspace.startUp());
    Result<AssembledFile> file = workspace.translateAndAssemble(imageOf(il));
    ASSERT_TRUE(file) << file.error().describe();
    std::string devices;
    for (const std::string& device : devicesUsed(workspace.translation().devices)) {
      devices += device + ",";
    }

    ScanRecord records[2];
    for (int inPlace = 0; inPlace < 2; ++inPlace) {
      SdccOptions options;
      options.callsInPlace = inPlace != 0;
      options.buildDirectory = dir / (inPlace ? "in-place" : "as-written");
      Result<BuildReport> built = SdccToolchain(options).build(buildJobFor(workspace, *file), {});
      ASSERT_TRUE(built) << built.error().describe();
      Result<ScanRecord> record = runScans(options.buildDirectory, devices, inputLevels(seed));
      ASSERT_TRUE(record) << record.error().describe();
      records[inPlace] = std::move(*record);
    }
    const ScanRecord& asWritten = records[0];
    const ScanRecord& inPlace = records[1];
    ASSERT_EQ(asWritten.port1.size(), static_cast<std::size_t>(kScans));
    ASSERT_EQ(inPlace.port1.size(), asWritten.port1.size());
    ASSERT_EQ(inPlace.devices.size(), asWritten.devices.size());
    const std::size_t perScan = asWritten.devices.size() / kScans;
    for (std::size_t scan = 0; scan < kScans; ++scan) {
      ASSERT_EQ(inPlace.port1[scan], asWritten.port1[scan]) << "P1 after scan " << scan + 1;
      if (scan > 0 && asWritten.port1[scan] != asWritten.port1[scan - 1]) ++changes;
      for (std::size_t k = scan * perScan; k < (scan + 1) * perScan; ++k) {
        ASSERT_EQ(inPlace.devices[k], asWritten.devices[k])
            << "value " << k - scan * perScan << " of " << devices << " after scan " << scan + 1;
      }
    }
  }
  // The programs must drive their outputs, or the comparison would hold for any two units.
  EXPECT_GT(changes, 100);
}

}  // namespace
}  // namespace ladder51::test
