// The .pmw program as the translator sees it: one entry per stored byte of the file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "core/result.h"
#include "core/step_ref.h"

namespace ladder51 {

inline constexpr int kImageEntries = 20001;        // entries 0..20000
inline constexpr int kHeaderBytes = 348;           // the header is not examined
inline constexpr int kFirstStep = kFirstStepByte;  // byte index of the first step
// The walk visits the FX1N's 8000 steps: bytes 348 to 16347.
inline constexpr int kLastStep = kFirstStep + 2 * (8000 - 1);  // byte index of the last step

// The program file held byte by byte. The file is stored in blocks of 16 bytes: its length
// divided by 16 is rounded to the nearest whole block, halves to even, so a few trailing
// bytes may be dropped or the last block may reach past the end of the file. Entries that
// hold no byte of the file are empty and match no instruction code.
class ProgramImage {
 public:
  static constexpr int kEmpty = -1;

  // An image with every entry empty.
  ProgramImage();

  // Stores the bytes of a file's contents; fails when more than 20001 entries would be stored.
  static Result<ProgramImage> fromBytes(std::span<const std::uint8_t> bytes);
  // Reads a .pmw file from disk and stores it as fromBytes does.
  static Result<ProgramImage> readFile(const std::filesystem::path& path);

  // The byte at `index`, or kEmpty when the entry holds none (also for indexes past the image).
  int at(int index) const {
    return index >= 0 && index < kImageEntries ? entries_[static_cast<std::size_t>(index)] : kEmpty;
  }
  // The numeric value of an entry: its byte, or 0 for an empty entry.
  int value(int index) const {
    int v = at(index);
    return v == kEmpty ? 0 : v;
  }
  // Number of entries that hold a byte (or a read-past-end placeholder).
  int storedCount() const { return stored_; }

 private:
  std::vector<std::int16_t> entries_;
  int stored_ = 0;
};

// Number of 16-byte blocks stored for a file of `length` bytes (length / 16, halves to even).
long long storedBlocks(long long length);

}  // namespace ladder51
