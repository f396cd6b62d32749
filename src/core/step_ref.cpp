#include "core/step_ref.h"

#include "core/text/code_writer.h"

namespace ladder51 {

std::string StepRef::describe() const {
  std::string text =
      "step " + std::to_string(stepNumber()) + " (byte " + std::to_string(byteAddress);
  if (!words.empty()) {
    text += ':';
    for (std::uint16_t word : words) text += " " + hex(word, 4);
  }
  return text + ")";
}

}  // namespace ladder51
