// One step of a program as reported to the user: where it stands and its words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ladder51 {

inline constexpr int kFirstStepByte = 348;  // byte index of step 0 in a .pmw file

struct StepRef {
  int byteAddress = 0;               // file index of the step's low byte (348, 350, ...)
  std::vector<std::uint16_t> words;  // the instruction word and its operand words

  // PLC step number: (byteAddress - 348) / 2.
  int stepNumber() const { return (byteAddress - kFirstStepByte) / 2; }
  // "step N (byte B: 2400 8005)"
  std::string describe() const;

  bool operator==(const StepRef&) const = default;
};

}  // namespace ladder51
