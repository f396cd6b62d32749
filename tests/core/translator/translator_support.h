// Test support: programs written as step words.
#pragma once

#include <cstdint>
#include <vector>

#include "core/translator/program_image.h"

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

}  // namespace ladder51::test
