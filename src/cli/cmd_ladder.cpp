// `ladder51 ladder PROG.pmw`: prints the translated scan-loop statements.
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/output.h"

namespace ladder51::cli {

void addLadderCommand(CLI::App& app, Context& context) {
  struct Options {
    std::string program;
    bool eeprom = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App* cmd =
      app.add_subcommand("ladder", "Translate a .pmw program and print its scan-loop statements");
  cmd->add_option("program", options->program, "The .pmw program")->required();
  cmd->add_flag("--eeprom", options->eeprom,
                "An external 24Cxx EEPROM is fitted (holds D16 and up)");
  cmd->callback([options, &context] {
    Translation translation;
    if (!translateFile(options->program, {.eepromFitted = options->eeprom}, translation)) {
      context.exitCode = 1;
      return;
    }
    std::cout << translation.statements << std::flush;
  });
}

}  // namespace ladder51::cli
