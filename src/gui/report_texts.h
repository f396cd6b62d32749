// The window's renderings of what the core reports: errors by their kind and values, notices,
// build stages, the chip's memory use and the scan time. The source texts are English and go
// through Qt's translation system; the window installs its Chinese translation (translations.h),
// so that nothing the user reads comes out in the command line's English.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <optional>
#include <vector>

#include "core/observer.h"
#include "core/result.h"
#include "core/sim/scan_time.h"
#include "core/toolchain/build.h"

namespace ladder51::gui {

// The translation contexts of these texts and of the window's own captions.
class ReportTexts {
  Q_DECLARE_TR_FUNCTIONS(ReportTexts)
};
class WindowTexts {
  Q_DECLARE_TR_FUNCTIONS(WindowTexts)
};

// What the window knows beside an error: the memory use the build measured before it refused a
// program that does not fit, and the chip's limits.
struct ErrorContext {
  std::optional<MemoryUsage> measured;
  MemoryLimits limits;
};

// An error as the window shows it: a headline that says what happened and what to do, and the
// core's own account (the tool's output, the refused device) as detail, or "".
struct ErrorText {
  QString headline;
  QString detail;
  // The headline, then the detail on the lines below.
  QString full() const;
};
ErrorText errorText(const Error& error, const ErrorContext& context = {});

// "第 12 步（LD X0）": a step and its instruction text, when it has one.
QString stepText(const StepRef& step, const std::string& instruction);

// Why the core refused a program or did not use a settings file, from the reason's kind and
// values.
QString reasonText(const Reason& reason);
// The operand a refusal names ("source", "first"), as "the source operand of MOV" reads: "源".
QString operandRoleText(const std::string& which);
// What a translator's step notice says, from its kind and values.
QString stepNoticeText(StepNoticeKind kind, const std::vector<NoticeValue>& values);
// A notice that is not about outputs or registers (those the window renders from the file).
QString noticeText(const UserNotice& notice);
// The line shown in place of the notices of settings files that are all missing: a first start.
QString firstStartText();
// Outputs (sequential numbers) the program drives but no pin carries.
QString undeclaredOutputsText(const std::vector<int>& outputs);
// Inputs (sequential numbers) the program reads but no pin carries.
QString undeclaredInputsText(const std::vector<int>& inputs);
// Registers D16 .. D`last` kept in XRAM.
QString registersInXramText(int last);

// The stage starting, as the status line shows it.
QString stageText(BuildStage stage);
// "内部RAM ..." one line of the memory use against the chip's limits.
QString memoryText(const MemoryUsage& usage, const MemoryLimits& limits);
// The shortest and longest scan on the simulated chip; the warning of a scan over 10 ms.
QString scanTimeText(const ScanTime& scan);
QString longScanText(const ScanTime& scan);

}  // namespace ladder51::gui
