#include "core/toolchain/keil_pipeline.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "core/text/code_writer.h"

namespace ladder51 {
namespace {

// The files the tools leave behind, removed before a build so that a failed tool cannot leave
// an earlier build's output for the next stage.
constexpr const char* kStaleOutputs[] = {"fx1n.obj", "startup.obj", "fx1n", "fx1n.hex"};

// The tools are there but what runs them is not.
constexpr std::string_view kLauncherMissing =
    "{launcher} is not installed, and the Keil tools run under it (Debian: sudo apt-get install "
    "wine)";

bool endsWithExe(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return tail == ".exe";
}

// Keil's tools exit with 0 (no messages) or 1 (warnings only) when they produced their output;
// 2 and above mean errors.
bool toolSucceeded(const ProcessOutcome& outcome) {
  return outcome.end == ProcessEnd::Exited && outcome.exitCode <= 1;
}

std::string trimmed(const std::string& text) {
  std::size_t end = text.find_last_not_of(" \t\r\n");
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

}  // namespace

bool keilToolsPresent(const std::filesystem::path& toolDirectory) {
  return !findFileIgnoringCase(toolDirectory, "c51.exe").empty();
}

std::filesystem::path KeilToolchain::toolDirectory(
    const std::filesystem::path& workDirectory) const {
  if (!options_.toolDirectory.empty()) return options_.toolDirectory;
  return workDirectory / "keil" / "c51" / "bin";
}

std::vector<KeilStep> KeilToolchain::steps(const std::filesystem::path& workDirectory) const {
  const std::filesystem::path dir = toolDirectory(workDirectory);
  auto at = [&dir](const char* name) { return (dir / name).string(); };

  // Each tool line as it is written: the tool, one blank, its argument (and the two blanks that
  // follow the compiler's and the assembler's argument).
  struct Line {
    BuildStage stage;
    const char* status;
    const char* tool;
    std::string argument;
    std::string argumentText;
    const char* trailer;
    const char* output;
  };
  const Line lines[] = {
      {BuildStage::Compile, kStatusCompile, "c51.exe", at("fx1n.c"), quoteIfNeeded(at("fx1n.c")),
       "  ", "fx1n.obj"},
      {BuildStage::AssembleStartup, kStatusLink, "A51.exe", at("STARTUP.A51"),
       quoteIfNeeded(at("STARTUP.A51")), "  ", "startup.obj"},
      {BuildStage::Link, kStatusLink, "lx51.exe", at("fx1n.obj") + "," + at("startup.obj"),
       quoteIfNeeded(at("fx1n.obj")) + "," + quoteIfNeeded(at("startup.obj")), "", "fx1n"},
      {BuildStage::HexConvert, kStatusLink, "ohx51.exe", at("fx1n"), quoteIfNeeded(at("fx1n")), "",
       "fx1n.hex"},
  };

  std::vector<KeilStep> result;
  for (const Line& line : lines) {
    const std::string tool = at(line.tool);
    std::vector<std::string> launcher;
    if (options_.launcher) {
      launcher = *options_.launcher;
    } else {
#ifndef _WIN32
      if (endsWithExe(tool)) launcher = {"wine"};
#endif
    }
    KeilStep step{line.stage, line.status, {}, {}, line.output, {}};
    step.command.workingDirectory = dir;
    if (launcher.empty()) {
      step.command.program = tool;
    } else {
      step.command.program = launcher.front();
      step.launcher = launcher.front();
      step.command.arguments.assign(launcher.begin() + 1, launcher.end());
      step.command.arguments.push_back(tool);
    }
    step.command.arguments.push_back(line.argument);
    for (const std::string& word : launcher) step.commandLine += quoteIfNeeded(word) + " ";
    step.commandLine += quoteIfNeeded(tool) + " " + line.argumentText + line.trailer;
    result.push_back(std::move(step));
  }
  return result;
}

std::vector<std::string> KeilToolchain::commandLines(const BuildJob& job) const {
  std::vector<std::string> lines;
  for (const KeilStep& step : steps(job.workDirectory)) lines.push_back(step.commandLine);
  return lines;
}

Result<BuildReport> KeilToolchain::runStages(const BuildJob& job,
                                             const BuildProgressCallback& progress) const {
  const std::filesystem::path dir = toolDirectory(job.workDirectory);
  const std::filesystem::path source = dir / "fx1n.c";
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) {
    return Error{ErrorKind::ToolMissing, "the Keil tool directory does not exist", dir.string()};
  }
  for (const char* tool : {"c51.exe", "A51.exe", "lx51.exe", "ohx51.exe", "STARTUP.A51"}) {
    if (findFileIgnoringCase(dir, tool).empty()) {
      return Error{ErrorKind::ToolMissing,
                   std::string(tool) + " is missing from the Keil tool directory", dir.string()};
    }
  }
  if (!std::filesystem::equivalent(job.sourceFile, source, ec)) {
    std::filesystem::copy_file(job.sourceFile, source,
                               std::filesystem::copy_options::overwrite_existing, ec);
    if (ec)
      return Error{ErrorKind::CannotWrite,
                   "cannot place fx1n.c in the tool directory: " + ec.message(), dir.string()};
  }
  for (const char* stale : kStaleOutputs) {
    if (Status removed = removeIgnoringCase(dir, stale); !removed) return removed.error();
  }

  BuildReport report;
  for (const KeilStep& step : steps(job.workDirectory)) {
    if (progress) progress({step.stage, step.status, step.commandLine});
    report.commandLines.push_back(step.commandLine);
    ProcessOutcome outcome = runProcess(step.command, options_.timeLimit);
    const std::string output = trimmed(outcome.output);
    if (outcome.end == ProcessEnd::NotFound && !step.launcher.empty()) {
      return Error{ErrorKind::WineMissing, fill(kLauncherMissing, {{"launcher", step.launcher}}),
                   stageName(step.stage)};
    }
    if (!toolSucceeded(outcome)) {
      return stageFailure(failureKind(outcome), step.stage, outcome.describe(), step.commandLine,
                          output);
    }
    if (findFileIgnoringCase(dir, step.output).empty()) {
      return stageFailure(ErrorKind::ToolFailed, step.stage, "it did not write " + step.output,
                          step.commandLine, output);
    }
    if (outcome.exitCode == 1 && !output.empty()) report.warnings.push_back(output);
  }

  // The source is not kept beside the tools; a failure to delete it does not spoil the build.
  if (!std::filesystem::remove(source, ec) && ec) {
    report.warnings.push_back("cannot delete " + source.string() + ": " + ec.message());
  }
  report.hexFile = job.workDirectory / kHexFileName;
  if (Status copied = replaceFile(findFileIgnoringCase(dir, "fx1n.hex"), report.hexFile); !copied) {
    return copied.error();
  }
  if (progress) progress({BuildStage::Finish, kStatusDone, {}});
  return report;
}

}  // namespace ladder51
