#include "core/step_notice.h"

#include "core/text/code_writer.h"
#include "core/translator/fx_encoding.h"

namespace ladder51 {
namespace {

constexpr std::string_view kNotTranslated = "not supported: no code generated for it";
constexpr std::string_view kAppliedNotTranslated =
    "instruction or operand combination not supported: no code generated for it";
constexpr std::string_view kSpecialRelayLeftOut =
    "special relay {relay} not supported: contact left out";
constexpr std::string_view kEepromTooSmall =
    "{register} is kept at EEPROM bytes {low} and {high}: the EEPROM must be a {size} or larger";
constexpr std::string_view kIndexedReach =
    "{operand}{index} moves with {index}: where it reaches beyond {first} to {last}, which the "
    "firmware keeps, it reads 0 and writes nothing";
constexpr std::string_view kIndexedReachNamed =
    "{operand}{index} moves with {index}: where it reaches beyond {letter}0 to the highest "
    "{letter} the program names, which the firmware keeps, it reads 0 and writes nothing";

std::string_view englishOf(const Notice& notice) {
  switch (notice.kind) {
    case StepNoticeKind::NotTranslated:
      return !notice.step.words.empty() && fx::inAppliedCodeRange(notice.step.words.front())
                 ? kAppliedNotTranslated
                 : kNotTranslated;
    case StepNoticeKind::SpecialRelayLeftOut:
      return kSpecialRelayLeftOut;
    case StepNoticeKind::EepromTooSmall:
      return kEepromTooSmall;
    case StepNoticeKind::IndexedReach:
      return kIndexedReach;
    case StepNoticeKind::IndexedReachNamed:
      return kIndexedReachNamed;
  }
  return kNotTranslated;
}

}  // namespace

const std::string& Notice::value(std::string_view name) const {
  return valueNamed(values, name);
}

std::string Notice::message() const {
  return filledWith(englishOf(*this), values);
}

}  // namespace ladder51
