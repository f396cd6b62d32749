// Why the core refused something, or could not use it: a kind and the values the kind names. The
// English text the command line prints is made from them by one function (each kind's template
// is in reason.cpp); the window renders each kind in its own words, so that nothing identifies a
// refusal by its text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ladder51 {

// One named value of a notice or a reason ("register" = "D5000").
struct NoticeValue {
  std::string name;
  std::string value;
  bool operator==(const NoticeValue&) const = default;
};

// The value of that name in `values`, or "".
const std::string& valueNamed(const std::vector<NoticeValue>& values, std::string_view name);
// `text` with each "{name}" replaced by the value of that name.
std::string filledWith(std::string_view text, const std::vector<NoticeValue>& values);

// The kinds, with the values each names (in its template) after the colon.
enum class ReasonKind {
  // --- The translator's refusals: devices and operands outside what the firmware keeps ---
  InputBeyondPins,        // X above X43 (the PLC tool's own message)
  OutputBeyondPins,       // Y above Y43 (the same)
  RegisterBeyondRam,      // ZRST's first register above D15 (the same)
  ZrstRegisterBeyondRam,  // ZRST's last register above D15 (the same)
  RelayBeyondRange,       // device
  StateBeyondRange,       // device
  TimerBeyondRange,       // device
  CounterBeyondRange,     // device
  RegisterBeyondRange,    // device
  RetentiveTimer,         // device
  HighSpeedCounter,       // device
  LongCounter,            // device
  SpecialRegister,        // register
  ScanTimeNeedsFxBase,    // register
  ScanTimeReadOnly,       // register
  SpecialRelayCoil,       // instruction, device
  NoEeprom,               // register
  BeyondSmallEeprom,      // register, last
  TooManyPulses,          // instruction, slots
  ZoneInStepLadder,       // zone
  ZoneTooDeep,            // zone, last
  StateInZone,            // state
  // Operands of applied instructions ({which}: first, second, source, destination, ...)
  OddRegisterOffset,      // offset, instruction
  NotConstantOrRegister,  // which, instruction
  ResultNotRegister,      // instruction
  NotReadable,            // which, instruction
  NotWritable,            // which, instruction, operand
  BitNotWord,             // which, instruction, operand
  NoNextWord,             // which, instruction, operand
  IndexedNotTranslated,   // which, instruction, index
  IndexedInputs,          // which, instruction, operand, index
  IndexedEeprom,          // which, instruction, operand, index
  IndexedBits,            // which, instruction, index
  GroupTooWide,           // which, instruction, operand
  GroupBeyondPins,        // which, instruction, operand, last
  NotBitOperand,          // which, instruction
  NotConstant,            // which, instruction, low, high
  ConstantOutside,        // which, instruction, value, low, high
  ShiftMoveDigits,        // count, first, at
  // Program flow: labels, jumps, subroutines, loops
  DoubleLabel,             // n, first, second
  EndLabel,                //
  NoLabel,                 // n
  NoSubroutine,            // n
  LabelInMain,             // n
  LabelInsideSubroutine,   // n, step, owner
  JumpIntoSubroutine,      // n, step, to
  JumpOutOfSubroutine,     // n, step, from
  JumpBetweenSubroutines,  // n, step, from, to
  JumpIntoLoop,            // n, step, loop
  EndlessJump,             // n, label
  EndFromSubroutine,       // owner
  StepAfterFend,           //
  InstructionAfterFend,    // instruction
  ReturnOutside,           //
  SecondFend,              // first
  FlowInStepLadder,        // instruction
  StepLadderInSubroutine,  // owner
  LoopTooDeep,             // steps
  Recursion,               // n, chain
  CallsTooDeep,            // chain
  // --- Faults: a program the translator cannot follow ---
  NoSteps,              // end, first
  FileCutShort,         // byte
  NoEnd,                // steps, first, last
  ZonesOpenAtEnd,       // count
  ConditionStackFull,   //
  NoRungCondition,      // instruction
  TwoConditionsNeeded,  // instruction, open
  BranchStackFull,      //
  NoSavedBranch,        // instruction
  SetValueTooLarge,     // instruction
  McrWithoutMc,         //
  NextWithoutFor,       //
  ForWithoutNext,       // step, end
  ZoneOpenAtPartEnd,    // end
  NoReturn,             // n
  StepsNotTranslated,   // count (the steps themselves are the translation's warnings)
  // --- Settings files that could not be used: their settings take a new installation's ---
  SettingsFileMissing,     // file
  SettingsFileIsFolder,    // file
  SettingsFileTooLarge,    // file, bytes
  SettingsFileUnreadable,  // file
  SettingsFileNotText,     // file
  SettingsFileEmpty,       // file
  QuoteNotClosed,          // file
  TextAfterQuote,          // file
  UnexpectedField,         // file, field
  NumberTooLarge,          // file, number
  TooFewFields,            // file, count, expected
  FieldWrongKind,          // file, field
  // Lines of ladder51.ini that are ignored
  LineNotSetting,    // file, line, text
  UnknownSetting,    // file, line, setting
  SettingRepeated,   // file, line, setting
  UnknownChipValue,  // file, line, value, chips
  UnknownTimeBase,   // file, line, value
  MoreLinesIgnored,  // file, count
};
inline constexpr ReasonKind kLastReasonKind = ReasonKind::MoreLinesIgnored;

// A reason: its kind and the values its template names, each once.
struct Reason {
  ReasonKind kind = ReasonKind::InputBeyondPins;
  std::vector<NoticeValue> values;

  // The value of that name, or "".
  const std::string& value(std::string_view name) const;
  // The English text, as the command line prints it.
  std::string message() const;
  bool operator==(const Reason&) const = default;
};

// The English template of a kind: "{name}" stands for the value of that name.
std::string_view reasonTemplate(ReasonKind kind);

}  // namespace ladder51
