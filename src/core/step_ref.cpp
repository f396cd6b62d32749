#include "core/step_ref.h"

#include <cstdio>

namespace ladder51 {

std::string StepRef::describe() const {
  std::string text =
      "step " + std::to_string(stepNumber()) + " (byte " + std::to_string(byteAddress);
  if (!words.empty()) {
    text += ':';
    for (std::uint16_t word : words) {
      char hex[8];
      std::snprintf(hex, sizeof hex, " %04X", word);
      text += hex;
    }
  }
  return text + ")";
}

}  // namespace ladder51
