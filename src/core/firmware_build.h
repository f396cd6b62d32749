// From a program to fx1n.hex: the translation written by the Workspace, the toolchain chosen for
// the work directory, and the build. The command line runs the whole sequence at once; the
// window writes fx1n.c on its own thread and runs the build on a worker, so the steps are also
// available one by one.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/result.h"
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
  // Flash of the target chip, which the SDCC build checks the code size against.
  long flashBytes = 8 * 1024;
  // Where SDCC builds; empty: the work directory's "sdcc" folder.
  std::filesystem::path sdccDirectory;
};

// The toolchain that builds in `workDirectory` with these options.
std::unique_ptr<Toolchain> chooseToolchain(const std::filesystem::path& workDirectory,
                                           const FirmwareBuildOptions& options);

// The build of a file the Workspace has just written: where its statements stand in its bytes
// and the translation's statement marks, so that SDCC can split the scan loop.
BuildJob buildJobFor(const Workspace& workspace, const AssembledFile& file);

// Runs the build with the chosen toolchain. The memory report is described for the options'
// flash size by describeMemoryUsage.
Result<BuildReport> buildFirmware(const BuildJob& job, const FirmwareBuildOptions& options,
                                  const BuildProgressCallback& progress);

// A translated and built program.
struct FirmwareBuild {
  AssembledFile file;     // the fx1n.c written
  BuildReport report;     // the fx1n.hex built
  std::string toolchain;  // "sdcc" or "keil"
};

// translateAndAssemble, then the build. The workspace must have been started up. A refused
// translation builds nothing; its notices and warnings stay in workspace.translation().
Result<FirmwareBuild> translateAndBuild(Workspace& workspace, const ProgramImage& image,
                                        const FirmwareBuildOptions& options,
                                        const BuildProgressCallback& progress);
Result<FirmwareBuild> translateAndBuild(Workspace& workspace, const std::filesystem::path& program,
                                        const FirmwareBuildOptions& options,
                                        const BuildProgressCallback& progress);

}  // namespace ladder51
