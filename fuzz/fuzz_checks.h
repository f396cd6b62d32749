// The properties each fuzz target checks on one input. They are plain functions so that the
// libFuzzer programs (fuzz_main.cpp) and the regression tests that replay the corpus and every
// input that ever broke a property share them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/translator/translator.h"

namespace ladder51::fuzz {

// The properties an input broke, one line each; empty when it passed.
using Findings = std::vector<std::string>;
using Check = Findings (*)(std::span<const std::uint8_t> input);

// A .pmw file: it is read or refused with a message; a translation that completes, is refused
// or faults never writes an index past the firmware's tables, reports its step inside the walk,
// and its statements split into scan functions at safe points only.
Findings checkProgramFile(std::span<const std::uint8_t> input);

// The properties of one translation, whatever its outcome (used by checkProgramFile).
Findings checkTranslation(const Translation& translation);

// A .pmw file: its listing assembles back into the very same step words.
Findings checkListingRoundTrip(std::span<const std::uint8_t> input);

// An instruction-list text: it assembles or names a bad line; an assembled program lists and
// assembles back into the same file, and passes the checks of checkProgramFile.
Findings checkInstructionList(std::span<const std::uint8_t> input);

// The settings files: the input is cut at its first two NUL bytes into 7219.dat, IIC.dat and
// io.dat. Loading never fails; what loads is saved and loaded again unchanged; settings that
// pass the start-up checks generate their sections.
Findings checkSettingsFiles(std::span<const std::uint8_t> input);

// A Keil C51 source: the adaptation to SDCC changes nothing without a Keil keyword, and
// adapting its own output changes nothing more.
Findings checkKeilAdaptation(std::span<const std::uint8_t> input);

struct Target {
  std::string_view name;  // also the folder under fuzz/corpus and fuzz/regressions
  Check check;
};

inline constexpr Target kTargets[] = {
    {"pmw_translate", checkProgramFile},   {"disasm_roundtrip", checkListingRoundTrip},
    {"il_assemble", checkInstructionList}, {"settings_files", checkSettingsFiles},
    {"keil_adapt", checkKeilAdaptation},
};

}  // namespace ladder51::fuzz
