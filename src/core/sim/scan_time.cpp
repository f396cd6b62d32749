#include "core/sim/scan_time.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "core/file_io.h"
#include "core/sim/s51_script.h"
#include "core/toolchain/process.h"

namespace ladder51 {
namespace {

// Where the scan loop's statements begin: the first of the functions SDCC's unit cuts them into.
constexpr std::string_view kFirstScanFunction = "_scanpart1";

std::string milliseconds(double micros) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", micros / 1000);
  return text;
}

}  // namespace

std::optional<unsigned> codeAddressOf(std::string_view mapText, std::string_view function) {
  std::istringstream lines{std::string(mapText)};
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string area, address, name;
    if (!(words >> area >> address >> name) || area != "C:" || name != function) continue;
    return static_cast<unsigned>(std::stoul(address, nullptr, 16));
  }
  return std::nullopt;
}

Result<ScanTime> measureScanTime(const std::filesystem::path& hexFile,
                                 const std::filesystem::path& mapFile, double crystalMHz,
                                 int scans) {
  Result<std::string> map = readWholeFile(mapFile);
  if (!map) return map.error();
  const std::optional<unsigned> start = codeAddressOf(*map, kFirstScanFunction);
  if (!start) return Error{ErrorKind::SimulatorFailed, "the firmware has no scan functions"};
  char breakpoint[32];
  std::snprintf(breakpoint, sizeof breakpoint, "break 0x%04x\n", *start);
  std::string script = loadCommands(hexFile, /*powerOn=*/true) + breakpoint;
  for (int k = 0; k <= scans; ++k) script += "run\n";
  script += "quit\n";
  SimulationOptions simulation;
  simulation.crystalMHz = crystalMHz;
  const ProcessOutcome outcome =
      runProcess({simulation.simulator, s51Arguments(simulation), hexFile.parent_path(), {}},
                 std::chrono::seconds(30), script);
  if (!outcome.exitedWith(0)) {
    return Error{ErrorKind::SimulatorFailed,
                 "the 8051 simulator failed (" + outcome.describe() + ")", "s51"};
  }
  // After each stop at the breakpoint: "Simulated 888 ticks (7.400e-05 sec)"; the first run
  // is the start-up.
  std::vector<double> times;
  std::istringstream lines(outcome.output);
  for (std::string line; std::getline(lines, line);) {
    double seconds = 0;
    if (std::sscanf(line.c_str(), "Simulated %*u ticks (%le sec)", &seconds) == 1) {
      times.push_back(seconds * 1e6);
    }
  }
  if (times.size() < 2) {
    return Error{ErrorKind::SimulatorFailed, "the simulated firmware did not scan", "s51"};
  }
  const auto [shortest, longest] = std::minmax_element(times.begin() + 1, times.end());
  return ScanTime{*shortest, *longest};
}

std::string describeScanTime(const ScanTime& scan) {
  return "scan time " + milliseconds(scan.minMicros) + " to " + milliseconds(scan.maxMicros) +
         " ms on the simulated chip, inputs off";
}

std::string longScanWarning(const ScanTime& scan) {
  return "a scan takes up to " + milliseconds(scan.maxMicros) +
         " ms: the 10 ms timers T200-T245 and M8011 cannot keep up with scans longer than 10 ms";
}

}  // namespace ladder51
