// Test support for the translator: programs written as step words.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/translator/translator.h"

namespace ladder51::test {

// A .pmw image: the 348-byte header, then the words little-endian, padded with NOPs to a
// whole number of 16-byte blocks.
inline std::vector<std::uint8_t> programBytes(const std::vector<std::uint16_t>& words) {
  std::vector<std::uint8_t> bytes(kHeaderBytes, 0);
  for (std::uint16_t word : words) {
    bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(word >> 8));
  }
  while (bytes.size() % 16 != 0) bytes.push_back(0xFF);
  return bytes;
}

inline Translation translateWords(const std::vector<std::uint16_t>& words, bool eeprom = false) {
  Result<ProgramImage> image = ProgramImage::fromBytes(programBytes(words));
  return translate(*image, {.eepromFitted = eeprom});
}

// Replaces every "\n" by CR LF, so that expected statements can be written as plain lines.
inline std::string crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// The rung condition the given contact words leave on top of the condition stack: it is
// read back from the statement of a following OUT M0.
inline std::string conditionAfter(std::vector<std::uint16_t> words, bool eeprom = false) {
  words.push_back(0xC800);  // OUT M0
  words.push_back(0x000F);  // END
  const Translation translation = translateWords(words, eeprom);
  const std::string& text = translation.statements;
  const std::string tail = "m[0]|=(0x01<<0);\r\nelse";
  const std::size_t end = text.rfind(tail);
  const std::size_t begin = text.rfind("\r\nif(", end);
  if (!translation.completed() || end == std::string::npos || begin == std::string::npos) {
    return "<" + translation.message + ">";
  }
  return text.substr(begin + 5, end - begin - 6);
}

}  // namespace ladder51::test
