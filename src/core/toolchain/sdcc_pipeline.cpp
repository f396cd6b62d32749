#include "core/toolchain/sdcc_pipeline.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <system_error>

#include "core/file_io.h"
#include "core/toolchain/sdcc_source.h"

namespace ladder51 {
namespace {

// The map of the memory report has a cell for each byte of the 8051's internal RAM.
constexpr int kInternalRamBytes = 256;
// What the linker says when an area of the internal RAM does not fit.
constexpr std::string_view kNoInternalRam = "consecutive bytes in internal RAM";
constexpr const char* kOutputs[] = {"fx1n.rel", "fx1n.ihx", "fx1n.mem", "fx1n.map", "fx1n.hex"};

// The generated file and SDCC's reports are far smaller; a larger file is not one of them.
constexpr std::size_t kLongestFile = 16 << 20;

Result<std::string> readText(const std::filesystem::path& path) {
  return readWholeFile(path, kLongestFile);
}

std::string trimmed(const std::string& text) {
  std::size_t end = text.find_last_not_of(" \t\r\n");
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

}  // namespace

Result<MemoryUsage> parseMemoryReport(std::string_view memText) {
  MemoryUsage usage;
  bool haveStack = false;
  bool haveFlash = false;
  int mapCells = 0;
  std::istringstream lines{std::string(memText)};
  std::string line;
  while (std::getline(lines, line)) {
    // Map rows: "0x00:|0|0|a|I|S|...|", one character per byte; S is stack, blank is free.
    if (line.size() > 6 && line.compare(0, 2, "0x") == 0 && line[4] == ':' && line[5] == '|') {
      for (std::size_t k = 6; k < line.size(); k += 2) {
        char cell = line[k];
        if (cell == '\r' || cell == '|') break;
        ++mapCells;
        if (cell != 'S' && cell != ' ') ++usage.internalRamUsed;
      }
    } else if (line.rfind("Stack starts at:", 0) == 0) {
      // "Stack starts at: 0xE3 (sp set to 0xE2) with 29 bytes available."
      unsigned start = 0;
      int bytes = 0;
      if (std::sscanf(line.c_str(), "Stack starts at: %x (sp set to %*x) with %d bytes", &start,
                      &bytes) == 2) {
        usage.stackStart = static_cast<int>(start);
        usage.stackBytes = bytes;
        haveStack = true;
      }
    } else if (line.find("EXT. RAM") != std::string::npos ||
               line.find("EXTERNAL RAM") != std::string::npos) {
      // "   EXTERNAL RAM     0x0005   0x0064      96    65536", without the addresses when
      // unused; the paged area comes first. The chip needs XRAM up to the highest end.
      std::istringstream fields(line.substr(line.find("RAM") + 3));
      std::vector<std::string> words;
      for (std::string word; fields >> word;) words.push_back(word);
      if (words.size() == 4) {
        usage.xramBytes = std::max(usage.xramBytes, std::strtol(words[1].c_str(), nullptr, 16) + 1);
      }
    } else if (line.find("ROM/EPROM/FLASH") != std::string::npos) {
      // "ROM/EPROM/FLASH  0x0000   0x12f3    4852    65536"
      std::istringstream fields(line.substr(line.find("ROM/EPROM/FLASH") + 15));
      std::string start, end;
      long size = -1;
      if (fields >> start >> end >> size) {
        usage.codeBytes = size;
        haveFlash = true;
      }
    }
  }
  if (!haveStack || !haveFlash || mapCells != kInternalRamBytes) {
    return Error{ErrorKind::ToolFailed, "the memory report of the build cannot be read",
                 "fx1n.mem"};
  }
  return usage;
}

std::string describeMemoryUsage(const MemoryUsage& usage, const MemoryLimits& limits) {
  std::string text = "internal RAM " + std::to_string(usage.internalRamUsed) + " of " +
                     std::to_string(limits.internalRamBytes) + " bytes, " +
                     std::to_string(usage.stackBytes) + " bytes left for the stack; code " +
                     std::to_string(usage.codeBytes) + " of " + std::to_string(limits.flashBytes) +
                     " bytes";
  if (usage.xramBytes > 0) {
    text += "; XRAM " + std::to_string(usage.xramBytes) + " of " +
            std::to_string(limits.xramBytes) + " bytes";
  }
  return text;
}

Status checkMemoryUsage(const MemoryUsage& usage, const MemoryLimits& limits,
                        int minimumStackBytes) {
  if (usage.codeBytes > limits.flashBytes) {
    return Error{ErrorKind::DoesNotFit, "the program does not fit: it needs " +
                                            std::to_string(usage.codeBytes) +
                                            " bytes of code and the chip has " +
                                            std::to_string(limits.flashBytes) + " bytes of flash"};
  }
  if (usage.xramBytes > limits.xramBytes) {
    return Error{ErrorKind::DoesNotFit,
                 "the program does not fit: it needs " + std::to_string(usage.xramBytes) +
                     " bytes of XRAM and the chip has " +
                     (limits.xramBytes > 0 ? std::to_string(limits.xramBytes) : "none")};
  }
  if (usage.stackBytes < minimumStackBytes) {
    return Error{ErrorKind::DoesNotFit,
                 "the program does not fit: only " + std::to_string(usage.stackBytes) +
                     " bytes of internal RAM are left for the stack, and it needs " +
                     std::to_string(minimumStackBytes)};
  }
  return success();
}

std::filesystem::path SdccToolchain::buildDirectory(
    const std::filesystem::path& workDirectory) const {
  if (!options_.buildDirectory.empty()) return options_.buildDirectory;
  return workDirectory / "sdcc";
}

std::vector<SdccToolchain::Step> SdccToolchain::steps(
    const std::filesystem::path& workDirectory) const {
  const std::filesystem::path dir = buildDirectory(workDirectory);
  auto at = [&dir](const char* name) { return (dir / name).string(); };
  std::vector<Step> result;
  result.push_back({BuildStage::Compile,
                    kStatusCompile,
                    {options_.compiler, {"-mmcs51", "--model-small", "-c", at("fx1n.c")}, dir, {}},
                    "fx1n.rel"});
  result.push_back({BuildStage::Link,
                    kStatusLink,
                    {options_.compiler,
                     {"-mmcs51", "--model-small", at("fx1n.rel"), "-o", at("fx1n.ihx")},
                     dir,
                     {}},
                    "fx1n.ihx"});
  result.push_back({BuildStage::HexConvert,
                    kStatusLink,
                    {options_.hexPacker, {at("fx1n.ihx")}, dir, dir / "fx1n.hex"},
                    "fx1n.hex"});
  return result;
}

std::string SdccToolchain::commandLine(const Command& command) {
  std::string line = quoteIfNeeded(command.program);
  for (const std::string& argument : command.arguments) line += " " + quoteIfNeeded(argument);
  if (!command.outputFile.empty()) line += " > " + quoteIfNeeded(command.outputFile.string());
  return line;
}

std::vector<std::string> SdccToolchain::commandLines(const BuildJob& job) const {
  std::vector<std::string> lines;
  for (const Step& step : steps(job.workDirectory)) lines.push_back(commandLine(step.command));
  return lines;
}

Result<BuildReport> SdccToolchain::runStages(const BuildJob& job,
                                             const BuildProgressCallback& progress) const {
  const std::filesystem::path dir = buildDirectory(job.workDirectory);
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec)
    return Error{ErrorKind::CannotWrite, "cannot create the build folder: " + ec.message(),
                 dir.string()};
  for (const char* stale : kOutputs) {
    if (Status removed = removeIgnoringCase(dir, stale); !removed) return removed.error();
  }

  // The generated file stays as it is; SDCC gets its own adapted copy.
  Result<std::string> source = readText(job.sourceFile);
  if (!source) return source.error();
  ScanStatements scan{job.statementsOffset, job.statements, &job.marks};
  Result<std::string> unit =
      splitScanStatements(*source, scan, options_.statementsPerFunction, options_.callsInPlace);
  if (!unit) return unit.error();
  if (options_.callsInPlace) *unit = withBitsFromTable(*unit);
  if (Status written = writeFileAtomically(dir / "fx1n.c", adaptKeilSource(*unit)); !written) {
    return written.error();
  }

  BuildReport report;
  for (const Step& step : steps(job.workDirectory)) {
    const std::string line = commandLine(step.command);
    if (progress) progress({step.stage, step.status, line});
    report.commandLines.push_back(line);
    ProcessOutcome outcome = runProcess(step.command, options_.timeLimit);
    const std::string output = trimmed(outcome.output);
    if (!outcome.exitedWith(0)) {
      // The linker finds no room in the internal RAM for the program's state: the program does
      // not fit the chip, which the user can act on, rather than a fault of the tools.
      if (step.stage == BuildStage::Link && output.find(kNoInternalRam) != std::string::npos) {
        return Error{ErrorKind::DoesNotFit,
                     "the program does not fit: the chip's internal RAM has no room left for its "
                     "state; fewer devices, or a chip with XRAM, may fit\n" +
                         output};
      }
      return stageFailure(failureKind(outcome), step.stage, outcome.describe(), line, output);
    }
    if (!std::filesystem::is_regular_file(dir / step.output, ec)) {
      return stageFailure(ErrorKind::ToolFailed, step.stage, "it did not write " + step.output,
                          line, output);
    }
    if (step.stage != BuildStage::HexConvert && output.find("warning") != std::string::npos) {
      report.warnings.push_back(output);
    }
  }

  Result<std::string> memText = readText(dir / "fx1n.mem");
  if (!memText) return memText.error();
  Result<MemoryUsage> usage = parseMemoryReport(*memText);
  if (!usage) return usage.error();
  if (Status fits = checkMemoryUsage(*usage, job.limits, options_.minimumStackBytes); !fits) {
    return fits.error();
  }
  report.memory = *usage;

  report.hexFile = job.workDirectory / kHexFileName;
  if (Status copied = replaceFile(dir / "fx1n.hex", report.hexFile); !copied) return copied.error();
  if (progress) progress({BuildStage::Finish, kStatusDone, {}});
  return report;
}

}  // namespace ladder51
