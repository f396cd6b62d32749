#include "gui/report_texts.h"

#include <QLocale>
#include <QStringList>

#include "core/translator/instruction_list.h"
#include "core/translator/translator.h"

namespace ladder51::gui {
namespace {

QString fromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

// The value of that name among a notice's values, or "".
QString valueOf(const std::vector<NoticeValue>& values, std::string_view name) {
  for (const NoticeValue& v : values) {
    if (v.name == name) return fromUtf8(v.value);
  }
  return {};
}

QString milliseconds(double micros) {
  return QString::number(micros / 1000.0, 'f', 2);
}

// A settings refusal: the core's message is already the PLC tool's Chinese text.
ErrorText settingsRefusal(const Error& error) {
  return {fromUtf8(error.message) + ReportTexts::tr(" Correct the marked field, then save."), {}};
}

// The stage a build failure names in `where`, in the user's words.
QString stageOf(const std::string& where) {
  for (const BuildStage stage : {BuildStage::Compile, BuildStage::AssembleStartup, BuildStage::Link,
                                 BuildStage::HexConvert, BuildStage::Finish}) {
    if (stageName(stage) != where) continue;
    switch (stage) {
      case BuildStage::Compile:
        return ReportTexts::tr("compiler");
      case BuildStage::AssembleStartup:
        return ReportTexts::tr("start-up assembler");
      case BuildStage::Link:
        return ReportTexts::tr("linker");
      case BuildStage::HexConvert:
        return ReportTexts::tr("hex converter");
      case BuildStage::Finish:
        return ReportTexts::tr("copy of fx1n.hex");
    }
  }
  return fromUtf8(where);
}

QString stepOf(const Error& error) {
  if (!error.step) return fromUtf8(error.where);
  return stepText(*error.step, describeInstruction(error.step->words));
}

// Why firmware of this measured size does not fit, with what to do.
QString doesNotFit(const MemoryUsage& used, const MemoryLimits& limits) {
  if (used.codeBytes > limits.flashBytes) {
    return ReportTexts::tr(
               "The program does not fit: its code needs %1 bytes and the chip has %2 bytes of "
               "flash. Choose a chip with more flash in the chip menu, save, then build again.")
        .arg(used.codeBytes)
        .arg(limits.flashBytes);
  }
  if (used.xramBytes > limits.xramBytes) {
    return ReportTexts::tr(
               "The program does not fit: it needs %1 bytes of XRAM and the chip has %2. Choose "
               "a chip with more XRAM in the chip menu, save, then build again.")
        .arg(used.xramBytes)
        .arg(limits.xramBytes);
  }
  return ReportTexts::tr(
             "The program does not fit: only %1 bytes of internal RAM are left for the stack. "
             "Use fewer devices, or choose a chip with XRAM in the chip menu.")
      .arg(used.stackBytes);
}

}  // namespace

QString ErrorText::full() const {
  return detail.isEmpty() ? headline : headline + QLatin1Char('\n') + detail;
}

QString stepText(const StepRef& step, const std::string& instruction) {
  return instruction.empty()
             ? ReportTexts::tr("step %1").arg(step.stepNumber())
             : ReportTexts::tr("step %1 (%2)").arg(step.stepNumber()).arg(fromUtf8(instruction));
}

ErrorText errorText(const Error& error, const ErrorContext& context) {
  const QString where = fromUtf8(error.where);
  const QString message = fromUtf8(error.message);
  switch (error.kind) {
    case ErrorKind::Internal:
      return {ReportTexts::tr("ladder51 met a fault of its own. Please report it together with "
                              "the program and the settings."),
              message};
    case ErrorKind::CannotOpen:
      return {ReportTexts::tr("Cannot open %1: check that it exists and that you may read it.")
                  .arg(where),
              {}};
    case ErrorKind::CannotRead:
      return {ReportTexts::tr("Cannot read %1: the disk or the folder may be at fault.").arg(where),
              {}};
    case ErrorKind::FileTooLarge:
      return {ReportTexts::tr("%1 is too large to be a program or a settings file.").arg(where),
              {}};
    case ErrorKind::CannotWrite:
      return {ReportTexts::tr("Cannot write %1: check that the folder is writable and has room.")
                  .arg(where),
              {}};
    case ErrorKind::BadEncoding:
      return {ReportTexts::tr("%1 holds text that its encoding cannot write.").arg(where), message};
    case ErrorKind::BadProgram:
      return {ReportTexts::tr("%1 is not a PLC program (.pmw) that ladder51 can read.").arg(where),
              message};
    case ErrorKind::BadSource:
      return {ReportTexts::tr("The instruction list does not assemble."), message};
    case ErrorKind::BadArgument:
      return {ReportTexts::tr("A value given to the command is not valid."), message};
    case ErrorKind::BadSettingsFile:
      return {ReportTexts::tr("%1 is not a settings file that ladder51 can read.").arg(where),
              message};
    case ErrorKind::BadPinName:
    case ErrorKind::DuplicatePoint:
    case ErrorKind::BadFilter:
    case ErrorKind::BadDisplayPins:
    case ErrorKind::BadI2cPins:
    case ErrorKind::BadCrystal:
    case ErrorKind::BadSettingText:
      return settingsRefusal(error);
    case ErrorKind::BadChip:
      return {ReportTexts::tr("The chip of the settings is unknown: choose one in the chip menu, "
                              "then save."),
              {}};
    case ErrorKind::BadTimeBase:
      return {ReportTexts::tr("The time base of the settings is unknown: check or clear the FX "
                              "timing box, then save."),
              {}};
    case ErrorKind::SettingsNotLoaded:
      return {ReportTexts::tr("The settings are not valid yet: correct them and save before "
                              "opening a program."),
              {}};
    case ErrorKind::ProgramRefused:
      return {ReportTexts::tr("The program is refused at %1: a device or an operand outside what "
                              "the firmware supports. Nothing was written.")
                  .arg(stepOf(error)),
              message};
    case ErrorKind::ProgramFault:
      return {ReportTexts::tr("The program cannot be followed at %1. Nothing was written.")
                  .arg(stepOf(error)),
              message};
    case ErrorKind::ProgramUnsupported:
      return {ReportTexts::tr("The program has steps that ladder51 does not translate. Nothing "
                              "was written."),
              message};
    case ErrorKind::BuildBusy:
      return {ReportTexts::tr("Another build of this work directory is running: wait until it "
                              "ends, then build again."),
              {}};
    case ErrorKind::ToolMissing:
      return {ReportTexts::tr("The %1 cannot be started: it is not installed. Install SDCC with: "
                              "sudo apt-get install sdcc sdcc-ucsim")
                  .arg(stageOf(error.where)),
              {}};
    case ErrorKind::WineMissing:
      return {ReportTexts::tr("The Keil tools cannot be started: wine, which runs them, is not "
                              "installed. Install it with: sudo apt-get install wine"),
              {}};
    case ErrorKind::ToolFailed:
      return {ReportTexts::tr("The %1 failed; its output follows.").arg(stageOf(error.where)),
              message};
    case ErrorKind::DoesNotFit:
      if (context.measured) return {doesNotFit(*context.measured, context.limits), {}};
      return {ReportTexts::tr("The program does not fit the chosen chip: choose a larger chip in "
                              "the chip menu, save, then build again."),
              message};
    case ErrorKind::SimulatorFailed:
      return {ReportTexts::tr("The simulator could not run the firmware."), message};
    case ErrorKind::ChipStopped:
      return {ReportTexts::tr("The simulated chip stopped on its own."), message};
  }
  return {message, {}};
}

QString stepNoticeText(StepNoticeKind kind, const std::vector<NoticeValue>& values) {
  const auto value = [&values](std::string_view name) { return valueOf(values, name); };
  switch (kind) {
    case StepNoticeKind::NotTranslated:
      return ReportTexts::tr(
          "its instruction or operands are not supported: no code is generated "
          "for it");
    case StepNoticeKind::SpecialRelayLeftOut:
      return ReportTexts::tr("special relay %1 is not supported: the contact is left out")
          .arg(value("relay"));
    case StepNoticeKind::EepromTooSmall:
      return ReportTexts::tr(
                 "%1 is kept at EEPROM bytes %2 and %3: the EEPROM must be a %4 or larger")
          .arg(value("register"), value("low"), value("high"), value("size"));
    case StepNoticeKind::IndexedReach:
      return ReportTexts::tr(
                 "%1%2 moves with %2: where it reaches beyond %3, which the firmware keeps, it "
                 "reads 0 and writes nothing")
          .arg(value("operand"), value("index"), value("kept"));
  }
  return {};
}

QString noticeText(const UserNotice& notice) {
  const QString message = fromUtf8(notice.message);
  const QString step = notice.step ? stepText(*notice.step, notice.instruction) : QString();
  switch (notice.kind) {
    case NoticeKind::SettingsDefaulted:
      return ReportTexts::tr(
                 "A settings file could not be used; its settings are the defaults: "
                 "%1")
          .arg(message);
    case NoticeKind::StepNotice:
      return ReportTexts::tr("Note on %1: %2")
          .arg(step, stepNoticeText(notice.about, notice.values));
    case NoticeKind::StepPassedOver:
      return ReportTexts::tr("%1 is left out of the firmware: %2")
          .arg(step, stepNoticeText(notice.about, notice.values));
    case NoticeKind::OutputWithoutPin:
    case NoticeKind::RegistersInXram:
      return message;
    case NoticeKind::TimeBaseRounding: {
      const auto value = [&notice](std::string_view name) { return valueOf(notice.values, name); };
      const QString way =
          value("way") == QLatin1String("slow") ? ReportTexts::tr("slow") : ReportTexts::tr("fast");
      return ReportTexts::tr("The timers run off the PLC's times with this crystal: %1")
          .arg(ReportTexts::tr("with a %1 MHz crystal the firmware's 5 ms are %2 machine cycles: "
                               "its timers run %3% %4")
                   .arg(value("crystal"), value("cycles"), value("error"), way));
    }
  }
  return message;
}

QString firstStartText() {
  return ReportTexts::tr("No settings saved here yet: the default settings are in use.");
}

QString undeclaredOutputsText(const std::vector<int>& outputs) {
  QStringList names;
  for (int output : outputs) names << fromUtf8(outputPinName(output));
  return ReportTexts::tr(
             "%1: driven by the program but carried by no pin, so they work as "
             "internal relays only. Give them a pin if they should switch outputs.")
      .arg(names.join(QStringLiteral(", ")));
}

QString undeclaredInputsText(const std::vector<int>& inputs) {
  QStringList names;
  for (int input : inputs) names << QLatin1Char('X') + fromUtf8(pointDigits(input));
  return ReportTexts::tr(
             "%1: read by the program but carried by no pin, so they always read off on the "
             "board. Give them a pin if they should read inputs.")
      .arg(names.join(QStringLiteral(", ")));
}

QString registersInXramText(int last) {
  return ReportTexts::tr(
             "D16 to D%1 live in the chip's XRAM and lose their values at power-off; "
             "choose an EEPROM to keep them.")
      .arg(last);
}

QString stageText(BuildStage stage) {
  switch (stage) {
    case BuildStage::Compile:
      return ReportTexts::tr("Compiling fx1n.c…");
    case BuildStage::AssembleStartup:
      return ReportTexts::tr("Assembling the start-up code…");
    case BuildStage::Link:
      return ReportTexts::tr("Linking…");
    case BuildStage::HexConvert:
      return ReportTexts::tr("Writing fx1n.hex…");
    case BuildStage::Finish:
      return ReportTexts::tr("fx1n.hex done");
  }
  return {};
}

QString memoryText(const MemoryUsage& usage, const MemoryLimits& limits) {
  QString text = ReportTexts::tr(
                     "internal RAM %1 of %2 bytes, %3 bytes left for the stack; code "
                     "%4 of %5 bytes")
                     .arg(usage.internalRamUsed)
                     .arg(limits.internalRamBytes)
                     .arg(usage.stackBytes)
                     .arg(usage.codeBytes)
                     .arg(limits.flashBytes);
  if (usage.xramBytes > 0) {
    text += ReportTexts::tr("; XRAM %1 of %2 bytes").arg(usage.xramBytes).arg(limits.xramBytes);
  }
  return text;
}

QString scanTimeText(const ScanTime& scan) {
  return ReportTexts::tr("scan time %1 to %2 ms on the simulated chip, inputs off")
      .arg(milliseconds(scan.minMicros), milliseconds(scan.maxMicros));
}

QString longScanText(const ScanTime& scan) {
  return ReportTexts::tr(
             "A scan takes up to %1 ms: the 10 ms timers T200-T245 and M8011 cannot "
             "keep up with scans longer than 10 ms.")
      .arg(milliseconds(scan.maxMicros));
}

}  // namespace ladder51::gui
