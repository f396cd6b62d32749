// The SDCC build: the generated fx1n.c is adapted into SDCC's translation unit in a build folder,
// compiled and linked for the mcs51 small model, packed into Intel HEX, and its memory report is
// checked against the chip.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/toolchain/build.h"

namespace ladder51 {

struct SdccOptions {
  // Where the adapted unit and SDCC's outputs go; empty: the work directory's "sdcc" folder.
  std::filesystem::path buildDirectory;
  std::string compiler = "sdcc";
  std::string hexPacker = "packihx";
  // Stack the firmware needs at least: main, a scan function, a runtime routine and the timer
  // interrupt nest on it. Fewer bytes left means the build fails.
  int minimumStackBytes = 16;
  int statementsPerFunction = 5;
  // Runtime calls with constant arguments replaced in the scan functions (withCallsInPlace), and
  // the bits of devices numbered by a variable taken from a table (withBitsFromTable); off only
  // to compare the firmware with the one built from the file as it stands.
  bool callsInPlace = true;
  std::chrono::milliseconds timeLimit{std::chrono::minutes(5)};
};

// Parses SDCC's memory report (the .mem file). Fails when the text has no stack or flash line.
Result<MemoryUsage> parseMemoryReport(std::string_view memText);

// "internal RAM 216 of 256 bytes, 29 bytes left for the stack; code 4852 of 8192 bytes", and
// "; XRAM 96 of 1024 bytes" after it when the firmware uses XRAM.
std::string describeMemoryUsage(const MemoryUsage& usage, const MemoryLimits& limits);

// Why firmware that uses this much does not fit the chip (DoesNotFit), if it does not: its code
// is larger than the flash, it uses more XRAM than the chip has, or it leaves less than
// `minimumStackBytes` of internal RAM for the stack.
Status checkMemoryUsage(const MemoryUsage& usage, const MemoryLimits& limits,
                        int minimumStackBytes);

class SdccToolchain final : public Toolchain {
 public:
  explicit SdccToolchain(SdccOptions options = {}) : options_(std::move(options)) {}

  std::string name() const override { return "sdcc"; }
  std::vector<std::string> commandLines(const BuildJob& job) const override;

  std::filesystem::path buildDirectory(const std::filesystem::path& workDirectory) const;
  const SdccOptions& options() const { return options_; }

 private:
  Result<BuildReport> runStages(const BuildJob& job,
                                const BuildProgressCallback& progress) const override;
  struct Step {
    BuildStage stage;
    const char* status;
    Command command;
    std::string output;  // the file it must leave in the build folder
  };
  std::vector<Step> steps(const std::filesystem::path& workDirectory) const;
  static std::string commandLine(const Command& command);

  SdccOptions options_;
};

}  // namespace ladder51
