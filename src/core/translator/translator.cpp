#include "core/translator/translator.h"

namespace ladder51 {

Translation translate(const ProgramImage&, const TranslateOptions&) {
  return {};
}

std::string pointDigits(int n) {
  return std::to_string(n / 8 * 2 + n);
}
std::string outputPinName(int n) {
  return "Y" + pointDigits(n);
}
std::string StepRef::describe() const {
  return "step " + std::to_string(stepNumber());
}

}  // namespace ladder51
