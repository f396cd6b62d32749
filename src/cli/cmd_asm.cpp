// `ladder51 asm` and `ladder51 disasm`: instruction-list text to .pmw and back.
#include "cli/commands.h"

namespace ladder51::cli {

void addAsmCommand(CLI::App& app, Context&) {
  app.add_subcommand("asm", "Assemble instruction-list text into a .pmw program");
}

void addDisasmCommand(CLI::App& app, Context&) {
  app.add_subcommand("disasm", "List the steps of a .pmw program");
}

}  // namespace ladder51::cli
