// The one place the command line prints: errors and notices on standard error, build stages on
// standard output.
#pragma once

#include <string>

#include "core/observer.h"
#include "core/result.h"

namespace ladder51::cli {

// "ladder51: error: <message> (<where>)" on standard error.
void printError(const Error& error);
// "ladder51: warning: <text>" on standard error.
void printWarning(const std::string& text);

// Prints each notice as a warning and, when `showStages`, each build stage with its command
// line as it starts.
class PrintingObserver final : public Observer {
 public:
  explicit PrintingObserver(bool showStages = true) : showStages_(showStages) {}
  void notice(const UserNotice& notice) override;
  void stage(const BuildProgress& progress) override;

 private:
  bool showStages_;
};

}  // namespace ladder51::cli
