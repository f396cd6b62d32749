// `ladder51 ladder PROG.pmw [--eeprom] [-C DIR] [--skip-unsupported]`: prints the translated
// scan-loop statements, then the functions of the program's subroutines.
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "core/sequence.h"

namespace ladder51::cli {

void addLadderCommand(CLI::App& app, Context& context) {
  struct Options {
    std::string program;
    bool eeprom = false;
    bool skipUnsupported = false;
    std::string directory;
  };
  auto options = std::make_shared<Options>();
  CLI::App* cmd =
      app.add_subcommand("ladder", "Translate a .pmw program and print its scan-loop statements");
  cmd->add_option("program", options->program, "The .pmw program")->required();
  cmd->add_flag("--eeprom", options->eeprom,
                "An external 24Cxx EEPROM is fitted (holds D16 and up)");
  addSkipUnsupportedFlag(*cmd, options->skipUnsupported);
  cmd->add_option("-C,--directory", options->directory,
                  "Take the EEPROM choice from the settings files of this work directory");
  cmd->callback([options, &context] {
    PrintingObserver observer;
    std::optional<std::filesystem::path> directory;
    if (!options->directory.empty()) directory = options->directory;
    Result<Translation> translation =
        translateProgram(options->program,
                         {.eeprom = options->eeprom ? EepromChoice::From24C32 : EepromChoice::None,
                          .skipUnsupported = options->skipUnsupported},
                         directory, observer);
    if (!translation) return fail(context, translation.error());
    std::cout << translation->statements << translation->subroutines << std::flush;
  });
}

}  // namespace ladder51::cli
