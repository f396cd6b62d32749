// Results as values: every fallible core operation returns either its value or an Error.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "core/reason.h"
#include "core/step_ref.h"

namespace ladder51 {

// What went wrong, for the front ends to decide how to show it and for callers to react to;
// nothing identifies an error by its text.
enum class ErrorKind {
  Internal,  // a fault of ladder51 itself
  // Files
  CannotOpen,    // missing, a folder, or no permission
  CannotRead,    // opened, but reading failed
  FileTooLarge,  // over the limit of what is read
  CannotWrite,   // creating, writing or replacing a file failed
  BadEncoding,   // text the chosen encoding cannot hold, or bytes that are not text
  BadProgram,    // a .pmw file that cannot be a program (too long, ...)
  BadSource,     // instruction-list text that does not assemble
  BadArgument,   // a request's own values: a stimulus, a pin list, a device to show, ...
  // Settings
  BadSettingsFile,    // a settings file that cannot be read as one
  BadPinName,         // a pin's text is no point name
  DuplicatePoint,     // two pins carry the same point
  BadFilter,          // the input filter setting
  BadDisplayPins,     // the MAX7219 pins
  BadI2cPins,         // the EEPROM's I2C pins
  BadCrystal,         // the crystal frequency
  BadChip,            // a chip name ladder51 does not know
  BadTimeBase,        // a time base other than fx and classic
  BadSettingText,     // a text field that the settings files cannot hold
  SettingsNotLoaded,  // the work directory's settings are not loaded or not valid
  // Translation (the error's step says where)
  ProgramRefused,      // a device or operand outside the supported ranges
  ProgramFault,        // a program the translator cannot follow
  ProgramUnsupported,  // steps the translator does not translate; the message lists them all
  // Build
  BuildBusy,    // another build of the same folder is running
  ToolMissing,  // a tool of the toolchain is not installed or cannot start
  WineMissing,  // the Keil tools are there, but wine, which runs them, is not installed
  ToolFailed,   // a tool failed or left no output (the stage is in `where`)
  DoesNotFit,   // the firmware is too big for the chip
  // Simulation
  SimulatorFailed,  // the simulator could not be started or driven
  ChipStopped,      // the simulated chip stopped on its own
};

// A refusal or fault as the user sees it: its kind, the exact message, and where it happened
// (a file, a settings field, a build stage; may be empty) or the program step. Where the message
// is made from a reason, the error carries it too, for a front end to say it in other words.
struct Error {
  ErrorKind kind = ErrorKind::Internal;
  std::string message;
  std::string where;
  std::optional<StepRef> step;
  std::optional<Reason> reason;

  Error() = default;
  Error(ErrorKind kind, std::string message, std::string where = {})
      : kind(kind), message(std::move(message)), where(std::move(where)) {}
  Error(ErrorKind kind, std::string message, StepRef step)
      : kind(kind), message(std::move(message)), where(step.describe()), step(std::move(step)) {}
  // An error whose message is the reason's English text.
  Error(ErrorKind kind, Reason reason, std::string where = {})
      : kind(kind), message(reason.message()), where(std::move(where)), reason(std::move(reason)) {}

  // "message (where)", or the message alone when there is no location.
  std::string describe() const { return where.empty() ? message : message + " (" + where + ")"; }
};

// Either a value of T or an Error.
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::move(value)) {}
  Result(Error error) : state_(std::move(error)) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }
  T& value() { return std::get<0>(state_); }
  const T& value() const { return std::get<0>(state_); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() { return value(); }
  const T& operator*() const { return value(); }
  const Error& error() const { return std::get<1>(state_); }

 private:
  std::variant<T, Error> state_;
};

// The result of an operation that yields nothing but may fail.
struct Done {};
using Status = Result<Done>;
inline Status success() {
  return Done{};
}

}  // namespace ladder51
