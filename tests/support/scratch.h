// Test support shared by the toolchain and simulator tests: a scratch folder that removes
// itself, file helpers, and stand-ins for the four Keil tools.
#pragma once

#include <filesystem>
#include <string>

namespace ladder51::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& label = "ladder51");
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& path, const std::string& text);
std::string readFile(const std::filesystem::path& path);
// Writes an executable shell script.
void writeScript(const std::filesystem::path& path, const std::string& body);

// How a stand-in tool behaves.
enum class ToolBehaviour {
  Succeed,  // writes its output, exit 0
  Warn,     // writes its output, prints a warning, exit 1
  Fail,     // prints an error, writes nothing, exit 2
  Silent,   // writes nothing but claims success, exit 0
  Hang,     // sleeps far beyond any test's time limit
};

// Installs stand-ins named c51.exe, A51.exe, lx51.exe and ohx51.exe (and STARTUP.A51) in
// `toolDirectory`. Each appends one line to calls.log there: its name, then each argument in
// brackets. The hex converter writes "NEW HEX" as fx1n.hex.
struct StandInTools {
  ToolBehaviour compiler = ToolBehaviour::Succeed;
  ToolBehaviour assembler = ToolBehaviour::Succeed;
  ToolBehaviour linker = ToolBehaviour::Succeed;
  ToolBehaviour hexConverter = ToolBehaviour::Succeed;

  void install(const std::filesystem::path& toolDirectory) const;
};

// The path of a file in the source tree (tests/fixtures/...).
std::filesystem::path sourcePath(const std::string& relative);

// True when the program is found in PATH.
bool programAvailable(const std::string& name);

}  // namespace ladder51::testing

#include "core/toolchain/sdcc_pipeline.h"

namespace ladder51::testing {

// Builds tests/fixtures/follow_pin.c (a hand-written Keil-dialect firmware: Y0 follows X0, Y1
// comes on only after a cold start, Y2 after 100 timer interrupts, Y3 follows X1 inside an
// MC-like block) with SDCC in `workDirectory`, its scan statements split `perFunction` to a
// function.
Result<BuildReport> buildFollowPinFirmware(const std::filesystem::path& workDirectory,
                                           int perFunction = 1,
                                           const BuildProgressCallback& progress = {});

}  // namespace ladder51::testing
