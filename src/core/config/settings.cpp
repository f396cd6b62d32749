#include "core/config/settings.h"

#include "core/text/encoding.h"

#include <charconv>
#include <cstdlib>
#include <string>

namespace ladder51 {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

double leadingNumber(std::string_view text) {
  std::size_t k = 0;
  while (k < text.size() && (text[k] == ' ' || text[k] == '\t')) ++k;
  std::string number;
  if (k < text.size() && (text[k] == '-' || text[k] == '+')) number += text[k++];
  bool anyDigit = false;
  while (k < text.size() && isDigit(text[k])) {
    number += text[k++];
    anyDigit = true;
  }
  if (k < text.size() && text[k] == '.') {
    number += text[k++];
    while (k < text.size() && isDigit(text[k])) {
      number += text[k++];
      anyDigit = true;
    }
  }
  if (!anyDigit) return 0;
  return std::strtod(number.c_str(), nullptr);
}

std::optional<double> crystalOf(std::string_view text) {
  std::size_t k = 0;
  long whole = 0;
  while (k < text.size() && isDigit(text[k])) {
    whole = whole * 10 + (text[k] - '0');
    if (whole > 32767) return std::nullopt;
    ++k;
  }
  const bool wholeDigits = k > 0;
  if (k < text.size() && text[k] == '.') {
    ++k;
    while (k < text.size() && isDigit(text[k])) ++k;
  }
  if (k != text.size() || !wholeDigits || whole < 1) return std::nullopt;
  return std::strtod(std::string(text).c_str(), nullptr);
}

SettingsText textOf(const Settings& settings) {
  char crystal[32];
  const auto written = std::to_chars(crystal, crystal + sizeof crystal, settings.crystalMHz);
  return SettingsText{.pins = settings.pins,
                      .filter = std::to_string(settings.filter),
                      .crystal = std::string(crystal, written.ptr),
                      .display = settings.display,
                      .din = settings.din,
                      .load = settings.load,
                      .clk = settings.clk,
                      .eeprom = settings.eeprom,
                      .scl = settings.scl,
                      .sda = settings.sda,
                      .proteus = settings.proteus,
                      .chip = std::string(settings.chip.name),
                      .timeBase = std::string(timeBaseName(settings.timeBase))};
}

std::string_view timeBaseName(TimeBaseChoice choice) {
  return choice == TimeBaseChoice::Classic ? "classic" : "fx";
}

std::optional<TimeBaseChoice> timeBaseNamed(std::string_view name) {
  for (TimeBaseChoice choice : {TimeBaseChoice::Fx, TimeBaseChoice::Classic}) {
    if (sameIgnoringCase(name, timeBaseName(choice))) return choice;
  }
  return std::nullopt;
}

}  // namespace ladder51
