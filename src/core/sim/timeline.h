// A simulation's result as text: the timeline of output switchings (with the watched values
// merged in), and a VCD waveform of the inputs and outputs for a waveform viewer.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/result.h"
#include "core/sim/simulator.h"
#include "core/sim/stimulus.h"

namespace ladder51 {

// The Y changes as lines "Y0 on at 120 ms" (times rounded to whole milliseconds).
std::string formatTimeline(const SimulationResult& result);
std::string formatTimeline(const std::vector<PointChange>& changes);

// The watched values' changes merged into the output timeline by time ("M5 on at 120 ms",
// "D3 = 7 at 120 ms"), then one line with every watched value at the end
// ("at 1000 ms: M5 on, T0 value = 29, D3 = 7").
std::string formatTimelineWithValues(const SimulationResult& result,
                                     const std::vector<RamWatch>& watches);

// The inputs as they were switched, as a stimulus text that `ladder51 sim` replays: one line per
// change, "3120ms X0 on" ("3120.25ms X1 off" off the millisecond).
std::string formatStimulus(const std::vector<PointChange>& inputs);

// The inputs and outputs as a VCD waveform (time unit 1 us), one wire per mapped point.
std::string formatVcd(const SimulationResult& result, const SimPinMap& pins);

// Writes formatVcd's text as the whole file at `path`.
Status writeVcdFile(const std::filesystem::path& path, const SimulationResult& result,
                    const SimPinMap& pins);

}  // namespace ladder51
