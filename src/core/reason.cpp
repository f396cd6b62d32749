#include "core/reason.h"

#include "core/text/code_writer.h"

namespace ladder51 {

std::string_view reasonTemplate(ReasonKind kind) {
  switch (kind) {
    // The PLC programming tool's own messages, as its users know them.
    case ReasonKind::InputBeyondPins:
      return "X超出范围 只能在X0-X43之间！！";
    case ReasonKind::OutputBeyondPins:
      return "Y超出范围 只能在Y0-Y43之间！！";
    case ReasonKind::RegisterBeyondRam:
      return "D超出范围 只能在D0-D15之间！！";
    case ReasonKind::ZrstRegisterBeyondRam:
      return "ZRST D 超出范围 只能在D0-D15之间！！";
    case ReasonKind::RelayBeyondRange:
      return "{device} is beyond the FX1N's relays M0-M1535";
    case ReasonKind::StateBeyondRange:
      return "{device} is beyond the FX1N's states S0-S999";
    case ReasonKind::TimerBeyondRange:
      return "{device} is beyond the FX1N's timers T0-T255";
    case ReasonKind::CounterBeyondRange:
      return "{device} is beyond the FX1N's counters C0-C255";
    case ReasonKind::RegisterBeyondRange:
      return "{device} is beyond the FX1N's data registers D0-D7999";
    case ReasonKind::RetentiveTimer:
      return "{device} is a retentive timer (T246-T255): ladder51 translates the timers T0-T245";
    case ReasonKind::HighSpeedCounter:
      return "{device} is a high-speed counter (C235-C255): high-speed counters and inputs need "
             "the PLC's counter hardware: not translated";
    case ReasonKind::LongCounter:
      return "{device} is a 32-bit counter (C200-C255): ladder51 translates the 16-bit counters "
             "C0-C199";
    case ReasonKind::SpecialRegister:
      return "{register} is a special register of the PLC: ladder51 does not keep it";
    case ReasonKind::ScanTimeNeedsFxBase:
      return "{register} is the scan time, which the firmware measures with the FX time base "
             "only: choose it in the settings (--time-base fx)";
    case ReasonKind::ScanTimeReadOnly:
      return "{register} is the scan time the firmware measures: a program may read it, not "
             "write it";
    case ReasonKind::SpecialRelayCoil:
      return "{instruction} {device}: ladder51 does not translate coils of the special relays";
    case ReasonKind::NoEeprom:
      return "{register} is kept in the external EEPROM, but the settings choose no EEPROM (or "
             "choose a chip with XRAM, where it is not kept across power-off)";
    case ReasonKind::BeyondSmallEeprom:
      return "{register} does not fit in the 24C16 EEPROM the settings choose: it keeps D16 to "
             "D{last}, and a higher register would overwrite a lower one";
    case ReasonKind::TooManyPulses:
      return "too many {instruction} instructions: the firmware has room for {slots}";
    case ReasonKind::ZoneInStepLadder:
      return "MC N{zone} in a step of the step ladder: the PLC does not allow it";
    case ReasonKind::ZoneTooDeep:
      return "MC N{zone}: the PLC nests MC zones N0 to N{last}";
    case ReasonKind::StateInZone:
      return "STL {state} in an MC zone: the PLC does not allow it";

    case ReasonKind::OddRegisterOffset:
      return "odd register offset {offset} in an operand of {instruction}: the program file is "
             "damaged";
    case ReasonKind::NotConstantOrRegister:
      return "the {which} operand of {instruction} is not a constant K or a D, C or T register";
    case ReasonKind::ResultNotRegister:
      return "the result operand of {instruction} is not a D, C or T register";
    case ReasonKind::NotReadable:
      return "the {which} operand of {instruction} cannot be read: its words name no operand of "
             "the PLC";
    case ReasonKind::NotWritable:
      return "the {which} operand of {instruction} is {operand}, which cannot be written";
    case ReasonKind::BitNotWord:
      return "the {which} operand of {instruction} is the bit {operand}: a word operand is "
             "needed (a digit group such as K4{operand} reads 16 bits)";
    case ReasonKind::NoNextWord:
      return "the {which} operand of {instruction} is {operand}: the instruction writes the "
             "words after it too, which needs a D, T or C register";
    case ReasonKind::IndexedNotTranslated:
      return "the {which} operand of {instruction} is modified by the index register {index}: "
             "ladder51 does not translate index modifiers";
    case ReasonKind::IndexedInputs:
      return "the {which} operand of {instruction} is {operand}{index}: ladder51 does not "
             "translate an index register on a group of inputs";
    case ReasonKind::IndexedEeprom:
      return "the {which} operand of {instruction} is {operand}{index}: an index register "
             "reaches only the D registers kept in RAM, D0 to D15 with the settings' EEPROM";
    case ReasonKind::IndexedBits:
      return "the {which} operand of {instruction} is modified by the index register {index}: "
             "ladder51 translates index registers on word operands and digit groups only";
    case ReasonKind::GroupTooWide:
      return "the {which} operand of {instruction}, {operand}, has more bits than the "
             "instruction's 16: its 32-bit form (D{instruction}) takes K5 to K8";
    case ReasonKind::GroupBeyondPins:
      return "the {which} operand of {instruction}, {operand}, reaches {last}, beyond the points "
             "the firmware keeps";
    case ReasonKind::NotBitOperand:
      return "the {which} operand of {instruction} is not a Y, M or S bit";
    case ReasonKind::NotConstant:
      return "the {which} operand of {instruction} is not a constant K or H: ladder51 translates "
             "it for constants from {low} to {high}";
    case ReasonKind::ConstantOutside:
      return "the {which} operand of {instruction} is {value}, outside {low} to {high}";
    case ReasonKind::ShiftMoveDigits:
      return "SMOV moves {count} digits from digit {first} to digit {at}: the digits lie in 1 to "
             "4, from the highest down";

    case ReasonKind::DoubleLabel:
      return "label P{n} stands twice, at step {first} and at step {second}: a jump or call to it "
             "could mean either";
    case ReasonKind::EndLabel:
      return "P63 is no label: CJ P63 jumps to END";
    case ReasonKind::NoLabel:
      return "CJ P{n}: the program has no label P{n}";
    case ReasonKind::NoSubroutine:
      return "CALL P{n}: the program has no subroutine P{n} (a label P{n} after FEND, up to SRET)";
    case ReasonKind::LabelInMain:
      return "CALL P{n}: label P{n} stands before FEND, in the main program; a subroutine follows "
             "FEND";
    case ReasonKind::LabelInsideSubroutine:
      return "CALL P{n} at step {step}: label P{n} stands inside subroutine P{owner}; a call "
             "enters a subroutine at its first step";
    case ReasonKind::JumpIntoSubroutine:
      return "CJ P{n} at step {step} jumps from the main program into subroutine P{to}: a jump "
             "stays in its own part of the program";
    case ReasonKind::JumpOutOfSubroutine:
      return "CJ P{n} at step {step} jumps from subroutine P{from} into the main program: a jump "
             "stays in its own part of the program";
    case ReasonKind::JumpBetweenSubroutines:
      return "CJ P{n} at step {step} jumps from subroutine P{from} into subroutine P{to}: a jump "
             "stays in its own part of the program";
    case ReasonKind::JumpIntoLoop:
      return "CJ P{n} at step {step} jumps into the FOR loop of step {loop}: a jump may leave a "
             "loop, not enter one";
    case ReasonKind::EndlessJump:
      return "CJ P{n} jumps back to label P{n} (step {label}) while its condition holds, and no "
             "step in between changes what the condition reads: once on, it repeats until the "
             "PLC's watchdog stops the PLC";
    case ReasonKind::EndFromSubroutine:
      return "CJ P63 in subroutine P{owner}: P63 jumps to END, out of the subroutine";
    case ReasonKind::StepAfterFend:
      return "the step after FEND stands in no subroutine: only subroutines (a label, its steps, "
             "SRET) follow FEND";
    case ReasonKind::InstructionAfterFend:
      return "{instruction} after FEND stands in no subroutine: only subroutines (a label, its "
             "steps, SRET) follow FEND";
    case ReasonKind::ReturnOutside:
      return "SRET outside a subroutine: SRET ends a subroutine, which begins at its label after "
             "FEND";
    case ReasonKind::SecondFend:
      return "a second FEND: the main program ends at the FEND of step {first}";
    case ReasonKind::FlowInStepLadder:
      return "{instruction} in the step ladder: ladder51 translates program flow outside STL "
             "steps only";
    case ReasonKind::StepLadderInSubroutine:
      return "STL in subroutine P{owner}: the step ladder stands in the main program";
    case ReasonKind::LoopTooDeep:
      return "FOR nested 6 deep: the PLC nests FOR loops 5 deep at most (the outer ones at steps "
             "{steps})";
    case ReasonKind::Recursion:
      return "CALL P{n} calls subroutine P{n} from inside itself ({chain}): the PLC does not call "
             "a subroutine again before it returns";
    case ReasonKind::CallsTooDeep:
      return "subroutine calls nest 6 deep (main -> {chain}): the PLC nests them 5 deep at most";

    case ReasonKind::NoSteps:
      return "the program file holds no steps: it ends before byte {end}, and its steps begin at "
             "byte {first}";
    case ReasonKind::FileCutShort:
      return "the program file ends at byte {byte} without END: it is cut short, or not a "
             "program file";
    case ReasonKind::NoEnd:
      return "no END in the {steps} steps the translator reads (bytes {first} to {last}): the "
             "program is longer, and its later steps would be left out, or its END is missing";
    case ReasonKind::ZonesOpenAtEnd:
      return "MC without a matching MCR: {count} block(s) still open at the end";
    case ReasonKind::ConditionStackFull:
      return "too many pending rung conditions (more than 8001)";
    case ReasonKind::NoRungCondition:
      return "{instruction} needs a rung condition, but no LD or LDI opened one";
    case ReasonKind::TwoConditionsNeeded:
      return "{instruction} needs two pending rung conditions, but {open} is open";
    case ReasonKind::BranchStackFull:
      return "MPS nested more than 501 deep";
    case ReasonKind::NoSavedBranch:
      return "{instruction} with no branch saved by MPS";
    case ReasonKind::SetValueTooLarge:
      return "set value of {instruction} out of range: its high byte is 80 hex or more";
    case ReasonKind::McrWithoutMc:
      return "MCR without a matching MC";
    case ReasonKind::NextWithoutFor:
      return "NEXT without a matching FOR";
    case ReasonKind::ForWithoutNext:
      return "FOR at step {step} has no NEXT before {end}";
    case ReasonKind::ZoneOpenAtPartEnd:
      return "MC without a matching MCR before {end}";
    case ReasonKind::NoReturn:
      return "subroutine P{n} has no SRET before END";
    case ReasonKind::StepsNotTranslated:
      return "the program uses {count} step(s) that ladder51 does not translate; the firmware "
             "would not do what the program says:";

    case ReasonKind::SettingsFileMissing:
      return "{file} is missing";
    case ReasonKind::SettingsFileIsFolder:
      return "{file} is a folder, not a file";
    case ReasonKind::SettingsFileTooLarge:
      return "{file} is not a settings file (the file is larger than {bytes} bytes)";
    case ReasonKind::SettingsFileUnreadable:
      return "{file} cannot be read";
    case ReasonKind::SettingsFileNotText:
      return "{file} is malformed (not a text file)";
    case ReasonKind::SettingsFileEmpty:
      return "{file} is empty";
    case ReasonKind::QuoteNotClosed:
      return "{file} is malformed (a quoted text is not closed)";
    case ReasonKind::TextAfterQuote:
      return "{file} is malformed (text after a quoted field)";
    case ReasonKind::UnexpectedField:
      return "{file} is malformed (unexpected field {field})";
    case ReasonKind::NumberTooLarge:
      return "{file} is malformed (number out of range {number})";
    case ReasonKind::TooFewFields:
      return "{file} is malformed ({count} fields instead of {expected})";
    case ReasonKind::FieldWrongKind:
      return "{file} is malformed (field {field} has the wrong kind)";
    case ReasonKind::LineNotSetting:
      return "{file} line {line}: \"{text}\" is not NAME=VALUE: the line is ignored";
    case ReasonKind::UnknownSetting:
      return "{file} line {line}: unknown setting {setting}: the line is ignored";
    case ReasonKind::SettingRepeated:
      return "{file} line {line}: {setting} is set again: the line is ignored";
    case ReasonKind::UnknownChipValue:
      return "{file} line {line}: unknown chip \"{value}\": choose {chips}; chip takes the value "
             "of a new installation";
    case ReasonKind::UnknownTimeBase:
      return "{file} line {line}: unknown time base \"{value}\": choose fx or classic; time-base "
             "takes the value of a new installation";
    case ReasonKind::MoreLinesIgnored:
      return "{file}: {count} more lines cannot be used and are ignored";
  }
  return {};
}

const std::string& valueNamed(const std::vector<NoticeValue>& values, std::string_view name) {
  static const std::string kNone;
  for (const NoticeValue& v : values) {
    if (v.name == name) return v.value;
  }
  return kNone;
}

std::string filledWith(std::string_view text, const std::vector<NoticeValue>& values) {
  std::vector<Field> fields;
  for (const NoticeValue& v : values) fields.push_back({v.name, v.value});
  return fill(text, fields);
}

const std::string& Reason::value(std::string_view name) const {
  return valueNamed(values, name);
}

std::string Reason::message() const {
  return filledWith(reasonTemplate(kind), values);
}

}  // namespace ladder51
