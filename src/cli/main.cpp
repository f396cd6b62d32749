// ladder51: translates Mitsubishi FX ladder programs (.pmw) into 8051 firmware.
#include <iterator>

#include "cli/commands.h"

namespace {

using ladder51::cli::CommandSetup;

// Every subcommand, in the order --help lists them.
constexpr CommandSetup kCommands[] = {
    // clang-format off
    ladder51::cli::addLadderCommand,
    ladder51::cli::addTranslateCommand,
    ladder51::cli::addSettingsCommand,
    ladder51::cli::addAsmCommand,
    ladder51::cli::addDisasmCommand,
    ladder51::cli::addBuildCommand,
    ladder51::cli::addSimCommand,
    ladder51::cli::addCheckCommand,
    // clang-format on
};

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"ladder51: runs Mitsubishi FX ladder programs on 8051 boards", "ladder51"};
  app.require_subcommand(1);
  ladder51::cli::Context context;
  for (CommandSetup setup : kCommands) setup(app, context);
  CLI11_PARSE(app, argc, argv);
  return context.exitCode;
}
