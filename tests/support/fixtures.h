// What the tests share: a scratch work directory, file helpers, the command line run as a
// subprocess, stand-ins for the Keil tools, and the boards and programs the tests use.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/settings.h"
#include "core/observer.h"
#include "core/sequence.h"
#include "core/toolchain/build.h"
#include "core/translator/program_image.h"

namespace ladder51::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& label = "ladder51");
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// The whole file; throws when it cannot be read.
std::string readFile(const std::filesystem::path& path);
// Writes the file whole, creating its folder; throws when it cannot be written.
void writeFile(const std::filesystem::path& path, std::string_view bytes);
// Writes an executable shell script.
void writeScript(const std::filesystem::path& path, const std::string& body);
// The path of a file in the source tree ("tests/fixtures/follow_pin.c").
std::filesystem::path sourcePath(const std::string& relative);
// The names of the NAME.il cases in `folder`, sorted.
std::vector<std::string> caseNames(const std::filesystem::path& folder);
// True under `make golden` (LADDER51_UPDATE_GOLDEN=1): data-driven tests rewrite their files.
bool updatingGolden();

// True when the program is found in PATH.
bool haveProgram(const std::string& name);

// --- the command line, run as a subprocess ------------------------------------------------
struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};
// Runs `ladder51 ARGS...` with standard output and standard error captured separately.
// With `input`, a shell command whose output is piped to the command's standard input; it can
// watch the command's output so far in the files "$out" and "$err".
CliRun runCli(const std::vector<std::string>& args, const std::string& input = "");

// --- stand-ins for the four Keil tools ----------------------------------------------------
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

// Builds tests/fixtures/follow_pin.c (a hand-written Keil-dialect firmware: Y0 follows X0, Y1
// comes on only after a cold start, Y2 after 100 timer interrupts, Y3 follows X1 inside an
// MC-like block) with SDCC in `workDirectory`, its scan statements split `perFunction` to a
// function.
Result<BuildReport> buildFollowPinFirmware(const std::filesystem::path& workDirectory,
                                           int perFunction = 1,
                                           const BuildProgressCallback& progress = {});

// Records what the core reports.
struct RecordingObserver final : Observer {
  std::vector<UserNotice> notices;
  std::vector<std::string> stages;  // status texts, in order

  void notice(const UserNotice& notice) override { notices.push_back(notice); }
  void stage(const BuildProgress& progress) override { stages.push_back(progress.status); }
  // The notices' messages, and forgets them.
  std::vector<std::string> takeMessages();
};

// --- boards and programs ------------------------------------------------------------------
// Start/stop with a seal-in contact: X0 starts, X1 stops, Y0 is the motor.
inline constexpr char kMotorProgram[] = "LD X0\nOR Y0\nANI X1\nOUT Y0\nEND\n";

// The motor's board: X0 on P3.2, X1 on P3.3, Y0 on P1.0; otherwise a new installation.
SettingsText motorBoard();
// X0..X5 on P3.2..P3.7 and Y0..Y7 on P1.0..P1.7, on `chip` (the default without one).
SettingsText portsBoard(const std::string& chip = "");
// `settings` with `pin` ("P3.2") carrying `point` ("X0").
SettingsText& assign(SettingsText& settings, std::string_view pin, std::string_view point);

// The .pmw bytes of an instruction list; throws when it does not assemble.
std::vector<std::uint8_t> pmwOf(std::string_view il);
// The program image of an instruction list; throws when it does not assemble.
ProgramImage imageOf(std::string_view il);
// Writes the .pmw of an instruction list to `path`.
void writeProgram(const std::filesystem::path& path, std::string_view il);

// Saves `board` in `work`, writes the program `il` there as prog.pmw and runs the whole sequence
// with SDCC: the firmware in work/fx1n.hex, the symbol map in work/sdcc.
Result<SequenceResult> buildWithSdcc(const std::filesystem::path& work, const SettingsText& board,
                                     std::string_view il);

}  // namespace ladder51::test
