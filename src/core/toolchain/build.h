// The build of fx1n.hex from a generated fx1n.c: one interface over the Keil and SDCC
// pipelines. Stages are reported through a callback as they start, so that the command line
// prints them and the window shows them in its status label.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/config/chip.h"
#include "core/result.h"
#include "core/toolchain/process.h"
#include "core/translator/translator.h"

namespace ladder51 {

// Status texts of the build, as the status label shows them.
inline constexpr char kStatusCompile[] = "CHANGE";
inline constexpr char kStatusLink[] = "LINK START UP";
inline constexpr char kStatusDone[] = "FX1N.HEX  DONE";

// A build's stages, in the order they run.
enum class BuildStage { Compile, AssembleStartup, Link, HexConvert, Finish };

// Name of a stage as messages use it: "compiler", "start-up assembler", "linker", ...
std::string stageName(BuildStage stage);

// One report to the progress callback: the stage starting, the status text it shows, and the
// command line it runs (empty for stages that run no tool).
struct BuildProgress {
  BuildStage stage = BuildStage::Compile;
  std::string status;
  std::string commandLine;
};
using BuildProgressCallback = std::function<void(const BuildProgress&)>;

// What the build works on. The generated file stays as the generator wrote it.
struct BuildJob {
  // The program's folder: fx1n.hex ends up here.
  std::filesystem::path workDirectory;
  // The generated fx1n.c.
  std::filesystem::path sourceFile;
  // Where the scan statements begin in the text of sourceFile, and the translation that produced
  // them (statements and marks). Without marks the scan loop is compiled as it stands.
  std::size_t statementsOffset = 0;
  std::string statements;
  std::vector<StatementMark> marks;
  // What the chip the firmware is for offers it: the build fails when the firmware needs more.
  MemoryLimits limits = defaultChip().memory;
  // The crystal of the settings, for the scan time measured after an SDCC build; 0: unknown.
  double crystalMHz = 0;
};

// What an SDCC build reports about the firmware's use of the chip.
struct MemoryUsage {
  int internalRamUsed = 0;  // bytes of the 256 of internal RAM, stack excluded
  int stackBytes = 0;       // bytes left for the stack
  int stackStart = 0;       // first stack address
  long codeBytes = 0;       // program code in flash
  long xramBytes = 0;       // expanded RAM (MOVX) up to its highest address in use
};

// The result of a successful build.
struct BuildReport {
  std::filesystem::path hexFile;          // the fx1n.hex now in the work directory
  std::optional<MemoryUsage> memory;      // when the toolchain reports it
  MemoryLimits limits;                    // what the build checked the memory use against
  std::vector<std::string> commandLines;  // the command lines run, in order
  std::vector<std::string> warnings;      // tool messages worth showing on success
};

// A toolchain that turns fx1n.c into fx1n.hex.
class Toolchain {
 public:
  virtual ~Toolchain() = default;
  // "keil" or "sdcc".
  virtual std::string name() const = 0;
  // The command lines the build would run, in order, without running anything (dry run).
  virtual std::vector<std::string> commandLines(const BuildJob& job) const = 0;
  // Runs the build. The work directory's fx1n.hex is removed before any tool runs, so that the
  // previous program's firmware never stands beside a new fx1n.c: a failed build leaves none and
  // says so, a successful one writes the new one whole. A toolchain that reports the memory use
  // checks it against the job's limits. Fails at the first stage that fails,
  // naming it and showing the tool's output; a second build of the same folder is refused while
  // one runs.
  Result<BuildReport> build(const BuildJob& job, const BuildProgressCallback& progress) const;

 protected:
  // The toolchain's own stages, run by build() once the folder is locked and cleared.
  virtual Result<BuildReport> runStages(const BuildJob& job,
                                        const BuildProgressCallback& progress) const = 0;
};

// The firmware's name in the work directory.
inline constexpr char kHexFileName[] = "fx1n.hex";

// The error of a failed stage: "the compiler failed (exit status 2)", the command line, then
// what the tool wrote.
Error stageFailure(ErrorKind kind, BuildStage stage, const std::string& why,
                   const std::string& commandLine, const std::string& output);

// Quotes a path (or any command-line word) with double quotes when it holds a blank or a tab.
std::string quoteIfNeeded(const std::string& word);

// Holds the build of one work directory for as long as it lives: a second build of the same
// folder, from this process or another, is refused until it is released.
class BuildLock {
 public:
  // Takes the lock, or fails with "a build is already running" when another build holds it.
  static Result<BuildLock> acquire(const std::filesystem::path& workDirectory);
  BuildLock(BuildLock&& other) noexcept;
  BuildLock& operator=(BuildLock&& other) noexcept;
  BuildLock(const BuildLock&) = delete;
  BuildLock& operator=(const BuildLock&) = delete;
  ~BuildLock();

 private:
  explicit BuildLock(int fd) : fd_(fd) {}
  int fd_ = -1;
};

// Finds `name` in `directory` ignoring case (tools running under Windows may write FX1N.OBJ for
// fx1n.obj). Returns an empty path when there is none.
std::filesystem::path findFileIgnoringCase(const std::filesystem::path& directory,
                                           const std::string& name);

// Removes every file in `directory` named `name` in any case. Fails when one cannot be removed.
Status removeIgnoringCase(const std::filesystem::path& directory, const std::string& name);

// Copies `from` over `to` so that `to` is replaced whole: a partial copy never takes its name.
Status replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace ladder51
