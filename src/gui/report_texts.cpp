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
  return fromUtf8(valueNamed(values, name));
}

// Outputs ("Y5, Y24") the program drives but no pin carries.
QString outputsWithoutPin(const QString& names) {
  return ReportTexts::tr(
             "%1: driven by the program but carried by no pin, so they work as "
             "internal relays only. Give them a pin if they should switch outputs.")
      .arg(names);
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
  // The core's account in the window's words where it gives its reason.
  const QString why = error.reason ? reasonText(*error.reason) : message;
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
              why};
    case ErrorKind::ProgramFault:
      return {ReportTexts::tr("The program cannot be followed at %1. Nothing was written.")
                  .arg(stepOf(error)),
              why};
    case ErrorKind::ProgramUnsupported:
      return {ReportTexts::tr("The program has steps that ladder51 does not translate. Nothing "
                              "was written."),
              why};
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

QString operandRoleText(const std::string& which) {
  static const std::pair<std::string_view, const char*> kRoles[] = {
      {"first", QT_TRANSLATE_NOOP("ReportTexts", "first")},
      {"second", QT_TRANSLATE_NOOP("ReportTexts", "second")},
      {"third", QT_TRANSLATE_NOOP("ReportTexts", "third")},
      {"source", QT_TRANSLATE_NOOP("ReportTexts", "source")},
      {"destination", QT_TRANSLATE_NOOP("ReportTexts", "destination")},
      {"result", QT_TRANSLATE_NOOP("ReportTexts", "result")},
      {"count", QT_TRANSLATE_NOOP("ReportTexts", "count")},
      {"destination digit", QT_TRANSLATE_NOOP("ReportTexts", "destination digit")},
  };
  for (const auto& [name, text] : kRoles) {
    if (name == which) return ReportTexts::tr(text);
  }
  return fromUtf8(which);
}

QString reasonText(const Reason& reason) {
  const auto v = [&reason](std::string_view name) { return valueOf(reason.values, name); };
  // "the source operand of MOV", for the kinds that name an operand.
  const QString operand = ReportTexts::tr("the %1 operand of %2")
                              .arg(operandRoleText(reason.value("which")), v("instruction"));
  switch (reason.kind) {
    case ReasonKind::InputBeyondPins:
      return ReportTexts::tr("X is out of range: use an input from X0 to X43.");
    case ReasonKind::OutputBeyondPins:
      return ReportTexts::tr("Y is out of range: use an output from Y0 to Y43.");
    case ReasonKind::RegisterBeyondRam:
      return ReportTexts::tr(
          "The first register of ZRST is out of range: ZRST clears registers from D0 to "
          "D15 only.");
    case ReasonKind::ZrstRegisterBeyondRam:
      return ReportTexts::tr(
          "The last register of ZRST is out of range: ZRST clears registers from D0 to "
          "D15 only.");
    case ReasonKind::RelayBeyondRange:
      return ReportTexts::tr("%1 is beyond the FX1N's relays M0-M1535: use a relay in that range.")
          .arg(v("device"));
    case ReasonKind::StateBeyondRange:
      return ReportTexts::tr("%1 is beyond the FX1N's states S0-S999: use a state in that range.")
          .arg(v("device"));
    case ReasonKind::TimerBeyondRange:
      return ReportTexts::tr("%1 is beyond the FX1N's timers T0-T255: use a timer from T0 to T245.")
          .arg(v("device"));
    case ReasonKind::CounterBeyondRange:
      return ReportTexts::tr(
                 "%1 is beyond the FX1N's counters C0-C255: use a counter from C0 to C199.")
          .arg(v("device"));
    case ReasonKind::RegisterBeyondRange:
      return ReportTexts::tr(
                 "%1 is beyond the FX1N's data registers D0-D7999: use a register in that range.")
          .arg(v("device"));
    case ReasonKind::RetentiveTimer:
      return ReportTexts::tr(
                 "%1 is a retentive timer (T246-T255), which the firmware does not keep: use a "
                 "timer from T0 to T245.")
          .arg(v("device"));
    case ReasonKind::HighSpeedCounter:
      return ReportTexts::tr(
                 "%1 is a high-speed counter (C235-C255), which needs the PLC's counter "
                 "hardware: use a counter from C0 to C199.")
          .arg(v("device"));
    case ReasonKind::LongCounter:
      return ReportTexts::tr(
                 "%1 is a 32-bit counter (C200-C255), which the firmware does not keep: use a "
                 "16-bit counter from C0 to C199.")
          .arg(v("device"));
    case ReasonKind::SpecialRegister:
      return ReportTexts::tr(
                 "%1 is a special register of the PLC, which the firmware does not keep: use a "
                 "register below D8000.")
          .arg(v("register"));
    case ReasonKind::ScanTimeNeedsFxBase:
      return ReportTexts::tr(
                 "%1 is the scan time, which the firmware measures with the FX time base only: "
                 "check the FX timing box, then save.")
          .arg(v("register"));
    case ReasonKind::ScanTimeReadOnly:
      return ReportTexts::tr(
                 "%1 is the scan time the firmware measures: a program may read it, not write "
                 "it.")
          .arg(v("register"));
    case ReasonKind::SpecialRelayCoil:
      return ReportTexts::tr(
                 "%1 %2: the firmware does not drive coils of special relays other than M8034.")
          .arg(v("instruction"), v("device"));
    case ReasonKind::NoEeprom:
      return ReportTexts::tr(
                 "%1 is kept in an external EEPROM, but the settings choose none: choose an "
                 "EEPROM, or a chip with XRAM (where its value is lost at power-off).")
          .arg(v("register"));
    case ReasonKind::BeyondSmallEeprom:
      return ReportTexts::tr(
                 "%1 does not fit in the 24C16 the settings choose, which keeps D16 to D%2 (a "
                 "higher register would overwrite a lower one): choose the 24C32 or larger.")
          .arg(v("register"), v("last"));
    case ReasonKind::TooManyPulses:
      return ReportTexts::tr("Too many %1 instructions: the firmware has room for %2.")
          .arg(v("instruction"), v("slots"));
    case ReasonKind::ZoneInStepLadder:
      return ReportTexts::tr(
                 "MC N%1 stands in a step of the step ladder, which the PLC does not allow.")
          .arg(v("zone"));
    case ReasonKind::ZoneTooDeep:
      return ReportTexts::tr("MC N%1: the PLC nests MC zones N0 to N%2 only.")
          .arg(v("zone"), v("last"));
    case ReasonKind::StateInZone:
      return ReportTexts::tr("STL %1 stands in an MC zone, which the PLC does not allow.")
          .arg(v("state"));
    case ReasonKind::OddRegisterOffset:
      return ReportTexts::tr(
                 "An operand of %1 has the odd register offset %2: the program file is damaged.")
          .arg(v("instruction"), v("offset"));
    case ReasonKind::NotConstantOrRegister:
      return ReportTexts::tr("%1 is neither a constant K nor a D, C or T register.").arg(operand);
    case ReasonKind::ResultNotRegister:
      return ReportTexts::tr("The result operand of %1 is not a D, C or T register.")
          .arg(v("instruction"));
    case ReasonKind::NotReadable:
      return ReportTexts::tr("%1 cannot be read: its words name no operand of the PLC.")
          .arg(operand);
    case ReasonKind::NotWritable:
      return ReportTexts::tr(
                 "%1 is %2, which cannot be written: use a D, T or C register or a digit group "
                 "of Y, M or S.")
          .arg(operand, v("operand"));
    case ReasonKind::BitNotWord:
      return ReportTexts::tr(
                 "%1 is the bit %2, but a word is needed: a digit group such as K4%2 reads 16 "
                 "bits.")
          .arg(operand, v("operand"));
    case ReasonKind::NoNextWord:
      return ReportTexts::tr(
                 "%1 is %2: the instruction writes the words after it too, which needs a D, T "
                 "or C register.")
          .arg(operand, v("operand"));
    case ReasonKind::IndexedNotTranslated:
      return ReportTexts::tr(
                 "%1 is modified by the index register %2, which the firmware does not follow "
                 "here.")
          .arg(operand, v("index"));
    case ReasonKind::IndexedInputs:
      return ReportTexts::tr(
                 "%1 is %2%3: the firmware does not move a group of inputs with an index "
                 "register.")
          .arg(operand, v("operand"), v("index"));
    case ReasonKind::IndexedEeprom:
      return ReportTexts::tr(
                 "%1 is %2%3: with an EEPROM an index register reaches only D0 to D15, which "
                 "are kept in RAM.")
          .arg(operand, v("operand"), v("index"));
    case ReasonKind::IndexedBits:
      return ReportTexts::tr(
                 "%1 is modified by the index register %2: the firmware follows index registers "
                 "on words and digit groups only.")
          .arg(operand, v("index"));
    case ReasonKind::GroupTooWide:
      return ReportTexts::tr(
                 "%1, %2, has more than 16 bits: use the 32-bit form D%3, which takes K5 to K8.")
          .arg(operand, v("operand"), v("instruction"));
    case ReasonKind::GroupBeyondPins:
      return ReportTexts::tr("%1, %2, reaches %3, beyond the points the firmware keeps.")
          .arg(operand, v("operand"), v("last"));
    case ReasonKind::NotBitOperand:
      return ReportTexts::tr("%1 is not a bit of Y, M or S.").arg(operand);
    case ReasonKind::NotConstant:
      return ReportTexts::tr(
                 "%1 is not a constant K or H: the firmware takes constants from %2 to %3 there.")
          .arg(operand, v("low"), v("high"));
    case ReasonKind::ConstantOutside:
      return ReportTexts::tr("%1 is %2, outside %3 to %4.")
          .arg(operand, v("value"), v("low"), v("high"));
    case ReasonKind::ShiftMoveDigits:
      return ReportTexts::tr(
                 "SMOV moves %1 digits from digit %2 to digit %3: the digits must lie within "
                 "digits 1 to 4, counted from the highest.")
          .arg(v("count"), v("first"), v("at"));
    case ReasonKind::DoubleLabel:
      return ReportTexts::tr(
                 "Label P%1 stands twice, at step %2 and at step %3: a jump or call to it could "
                 "mean either. Remove one of them.")
          .arg(v("n"), v("first"), v("second"));
    case ReasonKind::EndLabel:
      return ReportTexts::tr("P63 cannot be a label: CJ P63 jumps to END.");
    case ReasonKind::NoLabel:
      return ReportTexts::tr("CJ P%1: the program has no label P%1.").arg(v("n"));
    case ReasonKind::NoSubroutine:
      return ReportTexts::tr(
                 "CALL P%1: the program has no subroutine P%1 (a label P%1 after FEND, up to "
                 "SRET).")
          .arg(v("n"));
    case ReasonKind::LabelInMain:
      return ReportTexts::tr(
                 "CALL P%1: label P%1 stands before FEND, in the main program; put the "
                 "subroutine after FEND.")
          .arg(v("n"));
    case ReasonKind::LabelInsideSubroutine:
      return ReportTexts::tr(
                 "CALL P%1 at step %2: label P%1 stands inside subroutine P%3; a call enters a "
                 "subroutine at its first step.")
          .arg(v("n"), v("step"), v("owner"));
    case ReasonKind::JumpIntoSubroutine:
      return ReportTexts::tr(
                 "CJ P%1 at step %2 jumps from the main program into subroutine P%3: a jump "
                 "stays in its own part of the program.")
          .arg(v("n"), v("step"), v("to"));
    case ReasonKind::JumpOutOfSubroutine:
      return ReportTexts::tr(
                 "CJ P%1 at step %2 jumps from subroutine P%3 into the main program: a jump "
                 "stays in its own part of the program.")
          .arg(v("n"), v("step"), v("from"));
    case ReasonKind::JumpBetweenSubroutines:
      return ReportTexts::tr(
                 "CJ P%1 at step %2 jumps from subroutine P%3 into subroutine P%4: a jump stays "
                 "in its own part of the program.")
          .arg(v("n"), v("step"), v("from"), v("to"));
    case ReasonKind::JumpIntoLoop:
      return ReportTexts::tr(
                 "CJ P%1 at step %2 jumps into the FOR loop of step %3: a jump may leave a "
                 "loop, not enter one.")
          .arg(v("n"), v("step"), v("loop"));
    case ReasonKind::EndlessJump:
      return ReportTexts::tr(
                 "CJ P%1 jumps back to label P%1 (step %2) while its condition holds, and no "
                 "step in between changes what the condition reads: once on, it repeats until "
                 "the PLC's watchdog stops the PLC.")
          .arg(v("n"), v("label"));
    case ReasonKind::EndFromSubroutine:
      return ReportTexts::tr("CJ P63 in subroutine P%1: P63 jumps to END, out of the subroutine.")
          .arg(v("owner"));
    case ReasonKind::StepAfterFend:
      return ReportTexts::tr(
          "The step after FEND belongs to no subroutine: only subroutines (a label, its "
          "steps, SRET) may follow FEND.");
    case ReasonKind::InstructionAfterFend:
      return ReportTexts::tr(
                 "%1 after FEND belongs to no subroutine: only subroutines (a label, its steps, "
                 "SRET) may follow FEND.")
          .arg(v("instruction"));
    case ReasonKind::ReturnOutside:
      return ReportTexts::tr(
          "SRET outside a subroutine: SRET ends a subroutine, which begins at its label "
          "after FEND.");
    case ReasonKind::SecondFend:
      return ReportTexts::tr("A second FEND: the main program already ends at the FEND of step %1.")
          .arg(v("first"));
    case ReasonKind::FlowInStepLadder:
      return ReportTexts::tr(
                 "%1 stands in the step ladder: the firmware follows program flow outside STL "
                 "steps only.")
          .arg(v("instruction"));
    case ReasonKind::StepLadderInSubroutine:
      return ReportTexts::tr("STL in subroutine P%1: the step ladder belongs in the main program.")
          .arg(v("owner"));
    case ReasonKind::LoopTooDeep:
      return ReportTexts::tr(
                 "FOR is nested 6 deep: the PLC nests FOR loops 5 deep at most (the outer ones "
                 "at steps %1).")
          .arg(v("steps"));
    case ReasonKind::Recursion:
      return ReportTexts::tr(
                 "CALL P%1 calls subroutine P%1 from inside itself (%2): the PLC does not call "
                 "a subroutine again before it returns.")
          .arg(v("n"), v("chain"));
    case ReasonKind::CallsTooDeep:
      return ReportTexts::tr(
                 "Subroutine calls are nested 6 deep (main program -> %1): the PLC nests them 5 "
                 "deep at most.")
          .arg(v("chain"));
    case ReasonKind::NoSteps:
      return ReportTexts::tr(
                 "The program file holds no steps: it ends before byte %1, and its steps begin "
                 "at byte %2.")
          .arg(v("end"), v("first"));
    case ReasonKind::FileCutShort:
      return ReportTexts::tr(
                 "The program file ends at byte %1 without END: it is cut short, or not a "
                 "program file.")
          .arg(v("byte"));
    case ReasonKind::NoEnd:
      return ReportTexts::tr(
                 "There is no END in the %1 steps the translator reads (bytes %2 to %3): the "
                 "program is longer, or its END is missing. Add END at the end of the program.")
          .arg(v("steps"), v("first"), v("last"));
    case ReasonKind::ZonesOpenAtEnd:
      return ReportTexts::tr(
                 "MC without a matching MCR: %1 zone(s) are still open at the end. Close each "
                 "MC with its MCR.")
          .arg(v("count"));
    case ReasonKind::ConditionStackFull:
      return ReportTexts::tr("Too many pending rung conditions (more than 8001).");
    case ReasonKind::NoRungCondition:
      return ReportTexts::tr("%1 needs a rung condition, but no LD or LDI opened one.")
          .arg(v("instruction"));
    case ReasonKind::TwoConditionsNeeded:
      return ReportTexts::tr("%1 needs two pending rung conditions, but %2 is open.")
          .arg(v("instruction"), v("open"));
    case ReasonKind::BranchStackFull:
      return ReportTexts::tr("MPS is nested more than 501 deep.");
    case ReasonKind::NoSavedBranch:
      return ReportTexts::tr("%1 without a branch saved by MPS.").arg(v("instruction"));
    case ReasonKind::SetValueTooLarge:
      return ReportTexts::tr(
                 "The set value of %1 is out of range: its high byte is 80 hex or more.")
          .arg(v("instruction"));
    case ReasonKind::McrWithoutMc:
      return ReportTexts::tr("MCR without a matching MC.");
    case ReasonKind::NextWithoutFor:
      return ReportTexts::tr("NEXT without a matching FOR.");
    case ReasonKind::ForWithoutNext:
      return ReportTexts::tr("FOR at step %1 has no NEXT before %2.").arg(v("step"), v("end"));
    case ReasonKind::ZoneOpenAtPartEnd:
      return ReportTexts::tr("MC without a matching MCR before %1.").arg(v("end"));
    case ReasonKind::NoReturn:
      return ReportTexts::tr("Subroutine P%1 has no SRET before END.").arg(v("n"));
    case ReasonKind::StepsNotTranslated:
      return ReportTexts::tr(
                 "The program has %1 step(s) that ladder51 does not translate: firmware without "
                 "them would not do what the program says.")
          .arg(v("count"));
    case ReasonKind::SettingsFileMissing:
      return ReportTexts::tr("%1 is missing").arg(v("file"));
    case ReasonKind::SettingsFileIsFolder:
      return ReportTexts::tr("%1 is a folder, not a file").arg(v("file"));
    case ReasonKind::SettingsFileTooLarge:
      return ReportTexts::tr("%1 is larger than %2 bytes, too large for a settings file")
          .arg(v("file"), v("bytes"));
    case ReasonKind::SettingsFileUnreadable:
      return ReportTexts::tr("%1 cannot be read").arg(v("file"));
    case ReasonKind::SettingsFileNotText:
      return ReportTexts::tr("%1 is not a text file").arg(v("file"));
    case ReasonKind::SettingsFileEmpty:
      return ReportTexts::tr("%1 is empty").arg(v("file"));
    case ReasonKind::QuoteNotClosed:
      return ReportTexts::tr("a quoted text in %1 is not closed").arg(v("file"));
    case ReasonKind::TextAfterQuote:
      return ReportTexts::tr("%1 has text after a quoted field").arg(v("file"));
    case ReasonKind::UnexpectedField:
      return ReportTexts::tr("%1 has the field %2, which is neither a number nor text in quotes")
          .arg(v("file"), v("field"));
    case ReasonKind::NumberTooLarge:
      return ReportTexts::tr("the number %2 in %1 is out of range").arg(v("file"), v("number"));
    case ReasonKind::TooFewFields:
      return ReportTexts::tr("%1 has %2 fields instead of %3")
          .arg(v("file"), v("count"), v("expected"));
    case ReasonKind::FieldWrongKind:
      return ReportTexts::tr("field %2 of %1 has the wrong kind").arg(v("file"), v("field"));
    case ReasonKind::LineNotSetting:
      return ReportTexts::tr("%1 line %2: \"%3\" is not NAME=VALUE; the line is ignored.")
          .arg(v("file"), v("line"), v("text"));
    case ReasonKind::UnknownSetting:
      return ReportTexts::tr("%1 line %2: there is no setting %3; the line is ignored.")
          .arg(v("file"), v("line"), v("setting"));
    case ReasonKind::SettingRepeated:
      return ReportTexts::tr("%1 line %2: %3 is set again; the line is ignored.")
          .arg(v("file"), v("line"), v("setting"));
    case ReasonKind::UnknownChipValue:
      return ReportTexts::tr(
                 "%1 line %2: the chip \"%3\" is unknown (known: %4); the chip of a new "
                 "installation is used. Choose a chip in the chip menu, then save.")
          .arg(v("file"), v("line"), v("value"), v("chips"));
    case ReasonKind::UnknownTimeBase:
      return ReportTexts::tr(
                 "%1 line %2: the time base \"%3\" is unknown (fx or classic); the time base of "
                 "a new installation is used. Check or clear the FX timing box, then save.")
          .arg(v("file"), v("line"), v("value"));
    case ReasonKind::MoreLinesIgnored:
      return ReportTexts::tr("%1: %2 more lines cannot be used and are ignored.")
          .arg(v("file"), v("count"));
  }
  return fromUtf8(reason.message());
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
          .arg(value("operand"), value("index"),
               value("first") + QStringLiteral(" - ") + value("last"));
    case StepNoticeKind::IndexedReachNamed:
      return ReportTexts::tr(
                 "%1%2 moves with %2: where it reaches beyond %3, which the firmware keeps, it "
                 "reads 0 and writes nothing")
          .arg(value("operand"), value("index"),
               ReportTexts::tr("%1 to the highest %2 the program names")
                   .arg(value("letter") + QLatin1Char('0'), value("letter")));
  }
  return {};
}

QString noticeText(const UserNotice& notice) {
  const QString message = fromUtf8(notice.message);
  const QString step = notice.step ? stepText(*notice.step, notice.instruction) : QString();
  switch (notice.kind) {
    case NoticeKind::SettingsDefaulted:
      if (!notice.reason) {
        return ReportTexts::tr(
                   "A settings file could not be used; its settings are the defaults: "
                   "%1")
            .arg(message);
      }
      return ReportTexts::tr(
                 "%1: its settings take the values of a new installation. Saving the settings "
                 "writes the file again.")
          .arg(reasonText({*notice.reason, notice.values}));
    case NoticeKind::SettingsLineIgnored:
      if (!notice.reason) return message;
      return reasonText({*notice.reason, notice.values});
    case NoticeKind::StepNotice:
      return ReportTexts::tr("Note on %1: %2")
          .arg(step, stepNoticeText(notice.about, notice.values));
    case NoticeKind::StepPassedOver:
      return ReportTexts::tr("%1 is left out of the firmware: %2")
          .arg(step, stepNoticeText(notice.about, notice.values));
    case NoticeKind::OutputWithoutPin:
      return outputsWithoutPin(valueOf(notice.values, "outputs"));
    case NoticeKind::RegistersInXram:
      return registersInXramText(valueOf(notice.values, "last").toInt());
    case NoticeKind::TimeBaseRounding: {
      const auto value = [&notice](std::string_view name) { return valueOf(notice.values, name); };
      const QString way =
          value("way") == QLatin1String("slow") ? ReportTexts::tr("slow") : ReportTexts::tr("fast");
      return ReportTexts::tr("The timers run off the PLC's times with this crystal: %1")
          .arg(ReportTexts::tr("with a %1 MHz crystal the firmware's 1 ms is %2 machine cycles: "
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
  return outputsWithoutPin(names.join(QStringLiteral(", ")));
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
