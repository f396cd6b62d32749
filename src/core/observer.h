// What the user hears while ladder51 works: messages that do not stop the work, and the build's
// stages as they start. The core reports both through one observer; the command line prints
// them, the window shows them.
#pragma once

#include <optional>
#include <string>

#include "core/step_notice.h"
#include "core/step_ref.h"
#include "core/toolchain/build.h"

namespace ladder51 {

enum class NoticeKind {
  SettingsDefaulted,    // a settings file could not be used: its settings are a new installation's
  SettingsLineIgnored,  // a line of ladder51.ini could not be used and is ignored
  StepNotice,           // a message about a step that did not stop the translation
  StepPassedOver,       // a step the translator generated nothing for
  OutputWithoutPin,     // outputs the program drives but no pin carries
  RegistersInXram,      // data registers kept in the chip's XRAM, lost at power-off
  TimeBaseRounding,     // the crystal's time base is off by more than 0.1%: crystal, cycles,
                        // error, way ("slow" or "fast")
};

// One message for the user: its English text, and what a front end needs to say it otherwise.
struct UserNotice {
  NoticeKind kind = NoticeKind::SettingsDefaulted;
  std::string message;
  std::optional<StepRef> step;  // for the step notices
  std::string instruction;      // the step's instruction-list text, when it has one ("LD X0")
  // What a step notice says, and the values of it, of TimeBaseRounding, OutputWithoutPin
  // (outputs), RegistersInXram (last) and of the reason.
  StepNoticeKind about = StepNoticeKind::NotTranslated;
  std::vector<NoticeValue> values;
  // Why a settings file, or a line of one, was not used.
  std::optional<ReasonKind> reason;

  // A notice about no step.
  static UserNotice plain(NoticeKind kind, std::string message) {
    return {kind, std::move(message), std::nullopt, {}, {}, {}, std::nullopt};
  }
  // A settings notice: the English text is the reason's, and for a whole file what follows.
  static UserNotice settings(Reason reason, bool wholeFile);
  bool operator==(const UserNotice&) const = default;
};

class Observer {
 public:
  virtual ~Observer() = default;
  virtual void notice(const UserNotice& notice) = 0;
  // A build stage starting (the default ignores it).
  virtual void stage(const BuildProgress& progress);

  // An observer that drops everything (benchmarks, tests that do not look).
  static Observer& none();
};

}  // namespace ladder51
