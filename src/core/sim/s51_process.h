// The s51 process: started for a chip at a crystal, fed commands on its standard input, read up
// to the line that ends an answer. Its failures are the simulator's.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/result.h"
#include "core/sim/simulator.h"
#include "core/toolchain/process.h"

namespace ladder51 {

// The absolute path of a firmware s51 can load: it must exist, and the load command quotes it.
Result<std::filesystem::path> hexForS51(const std::filesystem::path& hexFile);

class S51Process {
 public:
  // Starts s51 (options.simulator) for the crystal in `options`, in `directory`.
  Status start(const SimulationOptions& options, const std::filesystem::path& directory);
  // Sends commands without waiting for their answer.
  Status send(std::string_view commands);
  // The answer up to and including `end`, within `timeLimit`.
  Result<std::string> readUntil(std::string_view end, std::chrono::milliseconds timeLimit);
  // Whether the answer up to `end` has come within `wait` (or s51 has ended: readUntil says so).
  bool answered(std::string_view end, std::chrono::milliseconds wait) {
    return session_.answered(end, wait);
  }
  // Asks s51 to quit (once); its answers to earlier commands can still be read.
  void sendQuit();
  // Asks s51 to quit and waits a moment for it to end, then stops it.
  void quit();

 private:
  ProcessSession session_;
  bool quitSent_ = false;
};

}  // namespace ladder51
