// The Keil C51 build: compiler, start-up assembler, linker and hex converter run one after
// another in the tool directory, each waited for and checked, then fx1n.hex is copied into the
// work directory.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/toolchain/build.h"

namespace ladder51 {

struct KeilOptions {
  // Where c51.exe and the other tools live; empty: the work directory's keil/c51/bin.
  std::filesystem::path toolDirectory;
  // Program that runs each tool. Unset: wine for a .exe tool on systems other than Windows,
  // nothing otherwise. An empty list runs the tools directly.
  std::optional<std::vector<std::string>> launcher;
  // Time allowed to each tool before it is killed and the build fails.
  std::chrono::milliseconds timeLimit{std::chrono::minutes(2)};
};

// One tool run of the pipeline.
struct KeilStep {
  BuildStage stage;
  std::string status;       // the status text shown while it runs
  Command command;          // what is started
  std::string commandLine;  // the same as one line of text, paths quoted where they need it
  std::string output;       // the file the tool must leave in the tool directory
  std::string launcher;     // the program that runs the tool (wine), or "" when it runs alone
};

class KeilToolchain final : public Toolchain {
 public:
  explicit KeilToolchain(KeilOptions options = {}) : options_(std::move(options)) {}

  std::string name() const override { return "keil"; }
  std::vector<std::string> commandLines(const BuildJob& job) const override;

  // The tool directory used for a work directory.
  std::filesystem::path toolDirectory(const std::filesystem::path& workDirectory) const;
  // The four tool runs, in order.
  std::vector<KeilStep> steps(const std::filesystem::path& workDirectory) const;

 private:
  Result<BuildReport> runStages(const BuildJob& job,
                                const BuildProgressCallback& progress) const override;
  KeilOptions options_;
};

// True when the Keil compiler stands in the tool directory (`auto` picks Keil then).
bool keilToolsPresent(const std::filesystem::path& toolDirectory);

}  // namespace ladder51
