// The scan time of a firmware built with SDCC, measured on the simulated chip: the simulator
// stops at each start of the scan loop's first function, with every input off, and the time
// between two stops is one scan.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/result.h"

namespace ladder51 {

struct ScanTime {
  double minMicros = 0;
  double maxMicros = 0;
};

// Above this a scan is longer than the 10 ms units of T200-T245 and M8011's half period.
inline constexpr double kLongScanMicros = 10'000;

// The code address of a function in an SDCC linker map (fx1n.map), "C:   00000779  _tmscan".
std::optional<unsigned> codeAddressOf(std::string_view mapText, std::string_view function);

// The shortest and longest of `scans` scans of `hexFile`, at the crystal's frequency, after the
// first. Fails when the firmware has no scan functions (`mapFile` names none), or the simulator
// cannot be run or never reaches a scan.
Result<ScanTime> measureScanTime(const std::filesystem::path& hexFile,
                                 const std::filesystem::path& mapFile, double crystalMHz,
                                 int scans = 20);

// "scan time 0.07 to 0.09 ms on the simulated chip"
std::string describeScanTime(const ScanTime& scan);
// The warning for a scan longer than kLongScanMicros: "a scan takes up to 12.4 ms: ...".
std::string longScanWarning(const ScanTime& scan);

}  // namespace ladder51
