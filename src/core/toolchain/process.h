// Starting outside programs: a passive runner that starts a command (no shell), captures its
// output, waits for it within a time limit and reports how it ended. It never prints.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace ladder51 {

// A program and its arguments, started directly (no shell), optionally in another directory.
struct Command {
  std::string program;  // a path, or a bare name looked up in PATH
  std::vector<std::string> arguments;
  std::filesystem::path workingDirectory;  // empty: the caller's
  // When set, standard output goes to this file (replaced) and only standard error is captured.
  std::filesystem::path outputFile;
};

// How a started command ended.
enum class ProcessEnd {
  Exited,    // ran to its end; `exitCode` holds its status
  Signaled,  // killed by a signal; `exitCode` holds the signal number
  TimedOut,  // still running at the time limit; it was killed
  NotFound,  // the program does not exist or cannot be executed
  StartFailed,
};

// The outcome of one run: how it ended and everything it wrote (standard output and standard
// error interleaved, as a terminal would show them).
struct ProcessOutcome {
  ProcessEnd end = ProcessEnd::StartFailed;
  int exitCode = -1;
  std::string output;

  bool exitedWith(int code) const { return end == ProcessEnd::Exited && exitCode == code; }
  // "exit status 2", "timed out after 30 s", "not found", ...
  std::string describe() const;
};

// ToolMissing for a program that could not be started, ToolFailed otherwise.
inline ErrorKind failureKind(const ProcessOutcome& outcome) {
  const bool started =
      outcome.end != ProcessEnd::NotFound && outcome.end != ProcessEnd::StartFailed;
  return started ? ErrorKind::ToolFailed : ErrorKind::ToolMissing;
}

// Runs the command to its end, feeding `input` to its standard input, and kills it (with any
// children it started) when it is still running after `timeLimit`.
ProcessOutcome runProcess(const Command& command, std::chrono::milliseconds timeLimit,
                          std::string_view input = {});

// A program kept running for a dialogue: text is written to its standard input and its
// output read back as it comes. Used to drive the 8051 simulator command by command.
class ProcessSession {
 public:
  ProcessSession() = default;
  ProcessSession(const ProcessSession&) = delete;
  ProcessSession& operator=(const ProcessSession&) = delete;
  ~ProcessSession();

  // Starts the program; fails when it cannot be started.
  Status start(const Command& command);
  // Writes text to the program's standard input.
  Status send(std::string_view text);
  // Reads output until `terminator` has been seen, and returns everything up to and including
  // it; fails at the time limit or when the program ends first.
  Result<std::string> readUntil(std::string_view terminator, std::chrono::milliseconds timeLimit);
  // Waits up to `wait` for `terminator`; true once it has come (readUntil then returns at once)
  // or the program has ended (readUntil then says so).
  bool answered(std::string_view terminator, std::chrono::milliseconds wait);
  // Closes standard input and waits up to `timeLimit` for the program to end, then kills it.
  ProcessOutcome finish(std::chrono::milliseconds timeLimit);
  bool running() const { return pid_ > 0; }

 private:
  int pid_ = -1;
  int toChild_ = -1;
  int fromChild_ = -1;
  std::string pending_;  // output read past the last terminator
  std::string program_;
};

}  // namespace ladder51
