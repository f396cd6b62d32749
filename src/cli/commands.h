// The subcommands of the ladder51 command line. Each one registers itself on the app and
// leaves its exit status in the shared context.
#pragma once

#include <CLI/CLI.hpp>

#include "cli/output.h"

namespace ladder51::cli {

struct Context {
  int exitCode = 0;
};

// Reports the error and makes the exit status 1.
inline void fail(Context& context, const Error& error) {
  printError(error);
  context.exitCode = 1;
}

// --skip-unsupported, on the commands that translate.
inline void addSkipUnsupportedFlag(CLI::App& command, bool& skip) {
  command.add_flag("--skip-unsupported", skip,
                   "Translate a program with steps ladder51 does not translate, leaving them out "
                   "with a warning each (the firmware then differs from the program)");
}

using CommandSetup = void (*)(CLI::App& app, Context& context);

void addAsmCommand(CLI::App& app, Context& context);
void addBuildCommand(CLI::App& app, Context& context);
void addCheckCommand(CLI::App& app, Context& context);
void addDisasmCommand(CLI::App& app, Context& context);
void addLadderCommand(CLI::App& app, Context& context);
void addSettingsCommand(CLI::App& app, Context& context);
void addSimCommand(CLI::App& app, Context& context);
void addTranslateCommand(CLI::App& app, Context& context);

}  // namespace ladder51::cli
