// The applied instructions the interpreter runs, in one table: each name with the routine that
// runs it (in applied_data.cpp, applied_math.cpp and applied_bits.cpp).
#include <string_view>

#include "core/reference/interpreter.h"

namespace ladder51::reference {

Interpreter::Routine Interpreter::routineOf(std::string_view name) {
  struct Entry {
    std::string_view name;
    Routine routine;
  };
  static constexpr Entry kRoutines[] = {
      {"CMP", &Interpreter::compareInto},   {"ZCP", &Interpreter::zoneCompare},
      {"MOV", &Interpreter::move},          {"SMOV", &Interpreter::shiftMove},
      {"CML", &Interpreter::move},          {"BMOV", &Interpreter::blockMove},
      {"FMOV", &Interpreter::fillMove},     {"XCH", &Interpreter::exchange},
      {"BCD", &Interpreter::toBcd},         {"BIN", &Interpreter::fromBcd},
      {"ADD", &Interpreter::addSubtract},   {"SUB", &Interpreter::addSubtract},
      {"MUL", &Interpreter::multiply},      {"DIV", &Interpreter::divide},
      {"INC", &Interpreter::increment},     {"DEC", &Interpreter::increment},
      {"WAND", &Interpreter::logic},        {"WOR", &Interpreter::logic},
      {"WXOR", &Interpreter::logic},        {"NEG", &Interpreter::negate},
      {"ROR", &Interpreter::rotate},        {"ROL", &Interpreter::rotate},
      {"RCR", &Interpreter::rotate},        {"RCL", &Interpreter::rotate},
      {"SFTR", &Interpreter::shiftBits},    {"SFTL", &Interpreter::shiftBits},
      {"WSFR", &Interpreter::shiftWords},   {"WSFL", &Interpreter::shiftWords},
      {"ZRST", &Interpreter::zoneReset},    {"DECO", &Interpreter::decode},
      {"ENCO", &Interpreter::encode},       {"SUM", &Interpreter::sumBits},
      {"BON", &Interpreter::bitOn},         {"ALT", &Interpreter::alternate},
      {"RST", &Interpreter::resetRegister},  // RST D, V, Z
  };
  for (const Entry& entry : kRoutines) {
    if (entry.name == name) return entry.routine;
  }
  return nullptr;
}

bool Interpreter::runs(const fx::Instruction& row) {
  // CJ, CALL, SRET, FEND, FOR, NEXT and the labels: program_flow.cpp.
  for (std::string_view flow : {"CJ", "CALL", "SRET", "FEND", "FOR", "NEXT"}) {
    if (row.name == flow && row.layout == fx::Layout::WordOperands) return true;
  }
  switch (row.layout) {
    case fx::Layout::Label:
      return true;
    case fx::Layout::WordOperands:
      // The comparison contacts (LD=, AND<>, ...) are run as contacts.
      return routineOf(row.name) != nullptr ||
             row.name.find_first_of("=<>") != std::string_view::npos;
    default:
      return true;
  }
}

}  // namespace ladder51::reference
