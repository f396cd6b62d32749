// The one sequence from a program to fx1n.hex, shared by every command and the window: start-up
// (the work directory's settings), translation (its notices reported), fx1n.c written, and the
// build with the toolchain chosen for the work directory. The window runs the build on a worker
// thread, so the steps are also available one by one. A front end only renders what the
// observer hears and the error a step returns.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/observer.h"
#include "core/result.h"
#include "core/sim/scan_time.h"
#include "core/toolchain/build.h"
#include "core/workspace.h"

namespace ladder51 {

// Which toolchain builds: `Auto` takes the Keil tools when c51.exe stands in their directory,
// SDCC otherwise.
enum class ToolchainChoice { Auto, Sdcc, Keil };

// "auto", "sdcc" or "keil".
std::optional<ToolchainChoice> parseToolchainChoice(std::string_view text);

struct FirmwareBuildOptions {
  ToolchainChoice toolchain = ToolchainChoice::Auto;
  // Where c51.exe and the other Keil tools live; empty: the work directory's keil/c51/bin.
  std::filesystem::path keilDirectory;
  // Flash the SDCC build checks the code size against instead of the chip's (`--flash`).
  std::optional<long> flashBytes;
  // Where SDCC builds; empty: the work directory's "sdcc" folder.
  std::filesystem::path sdccDirectory;
};

// The toolchain that builds in `workDirectory` with these options.
std::unique_ptr<Toolchain> chooseToolchain(const std::filesystem::path& workDirectory,
                                           const FirmwareBuildOptions& options);

// The build of a file the Workspace has just written: where its statements stand in its bytes
// and the translation's statement marks, so that SDCC can split the scan loop, and the limits of
// the settings' chip.
BuildJob buildJobFor(const Workspace& workspace, const AssembledFile& file);

// The build of a generated fx1n.c as it stands (no statement marks), for the chip of the work
// directory's ladder51.ini (whose notices go to the observer).
BuildJob buildJobForSource(const std::filesystem::path& workDirectory,
                           const std::filesystem::path& sourceFile, Observer& observer);

// A built fx1n.hex.
struct FirmwareBuild {
  BuildReport report;
  std::string toolchain;  // "sdcc" or "keil"
  // Measured on the simulated chip after an SDCC build of a job with a crystal, when the
  // simulator could run it.
  std::optional<ScanTime> scanTime;
};

// Runs the build with the chosen toolchain, checking the job's limits (its flash replaced by
// `options.flashBytes` when given); its stages go to the observer as they start. It touches
// nothing but the job's folders, so it may run on any thread.
Result<FirmwareBuild> buildFirmware(const BuildJob& job, const FirmwareBuildOptions& options,
                                    Observer& observer);

// The program translated into fx1n.c, then built; the workspace must have been started up. A
// refused translation builds nothing (its error has the step).
Result<FirmwareBuild> translateAndBuild(Workspace& workspace, const ProgramImage& image,
                                        const FirmwareBuildOptions& options, Observer& observer);

// How far the sequence goes.
enum class SequenceEnd {
  Translated,  // fx1n.c written
  Built,       // fx1n.hex built
};

struct SequenceRequest {
  std::filesystem::path workDirectory;
  std::filesystem::path program;  // a .pmw program
  SequenceEnd end = SequenceEnd::Built;
  AssembleOptions assemble;  // where fx1n.c goes and its encoding
  FirmwareBuildOptions build;
};

// What the sequence produced.
struct SequenceResult {
  Settings settings;                   // the work directory's settings
  AssembledFile file;                  // the fx1n.c written
  std::optional<FirmwareBuild> build;  // when the request asked for the build
};

// Start-up, translation, fx1n.c and, when asked, the build. Stops at the first step that fails
// and returns its error: invalid settings, an unreadable or refused program (with its step), a
// file that cannot be written, a failed build (with its stage).
Result<SequenceResult> runSequence(const SequenceRequest& request, Observer& observer);

// The translation alone, as `ladder` prints it: an EEPROM is fitted when `options` say so or,
// when a work directory is given, when its settings files do (loaded, not validated; files that
// cannot be used are reported), whose time base it then takes.
Result<Translation> translateProgram(const std::filesystem::path& program, TranslateOptions options,
                                     const std::optional<std::filesystem::path>& workDirectory,
                                     Observer& observer);

}  // namespace ladder51
