#include "core/config/settings.h"

#include <cstdlib>

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

std::optional<int> scanThreshold(std::string_view crystal) {
  std::size_t k = 0;
  long whole = 0;
  while (k < crystal.size() && isDigit(crystal[k])) {
    whole = whole * 10 + (crystal[k] - '0');
    if (whole > 32767) return std::nullopt;
    ++k;
  }
  const bool wholeDigits = k > 0;
  if (k < crystal.size() && crystal[k] == '.') {
    ++k;
    const std::size_t fractionStart = k;
    while (k < crystal.size() && isDigit(crystal[k])) ++k;
    if (!wholeDigits && k == fractionStart) return std::nullopt;
  }
  if (k != crystal.size() || !wholeDigits || whole < 1) return std::nullopt;
  return static_cast<int>(whole * 2);
}

}  // namespace ladder51
