// What the translator says about a step that did not stop it: a kind, the step, and the values
// the kind names. The command line prints the English text made from them; the window renders
// each kind in its own words, so that nothing identifies a notice by its text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/reason.h"
#include "core/step_ref.h"

namespace ladder51 {

// The kinds, with the values each carries, by name and in this order.
enum class StepNoticeKind {
  NotTranslated,        // a step no code is generated for (an instruction, or operands, unknown)
  SpecialRelayLeftOut,  // a contact on a special relay the firmware does not keep: relay
  EepromTooSmall,       // a register beyond a 24C32's bytes: register, low, high, size
  IndexedReach,         // an operand an index register moves past what is kept: operand, index,
                        // first, last (the devices kept: "D0", "D15")
  IndexedReachNamed,    // the same where the program's highest device bounds the table: operand,
                        // index, letter
};

struct Notice {
  StepNoticeKind kind = StepNoticeKind::NotTranslated;
  StepRef step;
  std::vector<NoticeValue> values;

  // The value of that name, or "".
  const std::string& value(std::string_view name) const;
  // The English text, as the command line prints it.
  std::string message() const;
  bool operator==(const Notice&) const = default;
};

}  // namespace ladder51
