#include "cli/output.h"

#include <iostream>

namespace ladder51::cli {

void printError(const Error& error) {
  std::cerr << "ladder51: error: " << error.describe() << "\n";
  if (error.kind == ErrorKind::ProgramUnsupported) {
    std::cerr << "ladder51: note: --skip-unsupported translates the program without them\n";
  }
}

void printWarning(const std::string& text) {
  std::cerr << "ladder51: warning: " << text << "\n";
}

void PrintingObserver::notice(const UserNotice& notice) {
  switch (notice.kind) {
    case NoticeKind::StepNotice:
      printWarning(notice.message + " (" + notice.step->describe() + ")");
      return;
    case NoticeKind::StepPassedOver:
      printWarning(notice.step->describe() +
                   (notice.instruction.empty() ? "" : " " + notice.instruction) + ": " +
                   notice.message);
      return;
    case NoticeKind::SettingsDefaulted:
    case NoticeKind::SettingsLineIgnored:
    case NoticeKind::OutputWithoutPin:
    case NoticeKind::RegistersInXram:
    case NoticeKind::TimeBaseRounding:
      printWarning(notice.message);
      return;
  }
}

void PrintingObserver::stage(const BuildProgress& progress) {
  if (!showStages_) return;
  std::cout << progress.status;
  if (!progress.commandLine.empty()) std::cout << "    " << progress.commandLine;
  std::cout << std::endl;
}

}  // namespace ladder51::cli
