// What the simulated board sees from outside: the stimulus text that switches X inputs on and
// off at given times, and the pins the PLC points sit on.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace ladder51 {

// One switching of an input point.
struct StimulusEvent {
  std::uint64_t timeMicros = 0;
  std::string point;  // "X0" .. "X43"
  bool on = false;

  bool operator==(const StimulusEvent&) const = default;
};

// The events of a stimulus in time order (events at the same time keep their text order).
struct Stimulus {
  std::vector<StimulusEvent> events;
  // Time of the last event, 0 when there is none.
  std::uint64_t lastTimeMicros() const { return events.empty() ? 0 : events.back().timeMicros; }
};

// Parses a stimulus text. Each line holds a time and one or more "POINT on|off" pairs:
//   # seal-in test
//   100ms  X0 on
//   150    X0 off          (a bare number is milliseconds)
//   1.5s   X1 on  X2 on
// Times take the units us, ms or s. Blank lines and text after '#' are ignored.
Result<Stimulus> parseStimulus(std::string_view text);

// The switchings of one line without its time, all at `timeMicros`: pairs of an X point and on
// or off ("X0 on X1 off"; on, off, 1 or 0 in any case), or why they cannot be read.
Result<std::vector<StimulusEvent>> parseSwitchings(std::span<const std::string> words,
                                                   std::uint64_t timeMicros);

// Reads and parses a stimulus file; fails when it cannot be read or is larger than any
// stimulus needs to be.
Result<Stimulus> readStimulusFile(const std::filesystem::path& path);

// Parses a time such as "120ms", "1.5s", "250us" or "40" (milliseconds) into microseconds.
Result<std::uint64_t> parseTime(std::string_view text);

// A port pin of the chip: port 0..4 and bit 0..7 (port 4 has bits 0..3).
struct PortPin {
  int port = 0;
  int bit = 0;

  bool operator==(const PortPin&) const = default;
  // "P3.2"
  std::string name() const;
};

// True for "X0".."X43" or "Y0".."Y43" with octal digits.
bool isPointName(std::string_view name);

// Which pin carries each PLC point the simulation drives or watches.
struct SimPinMap {
  std::map<std::string, PortPin> inputs;   // X points
  std::map<std::string, PortPin> outputs;  // Y points
};

// Parses assignments such as "X0=P3.2 Y0=P1.0" (separated by blanks, commas or line breaks).
Result<SimPinMap> parsePinAssignments(std::string_view text);

}  // namespace ladder51
