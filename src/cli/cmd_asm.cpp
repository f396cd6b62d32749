// `ladder51 asm` and `ladder51 disasm`: instruction-list text to .pmw and back.
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "core/program_files.h"

namespace ladder51::cli {

void addAsmCommand(CLI::App& app, Context& context) {
  struct Options {
    std::string source;
    std::string output;
  };
  auto options = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand("asm", "Assemble instruction-list text into a .pmw program");
  cmd->add_option("source", options->source, "The instruction-list text (one instruction a line)")
      ->required();
  cmd->add_option("-o,--output", options->output,
                  "The .pmw program to write (default: the source with the extension .pmw)");
  cmd->callback([options, &context] {
    const std::filesystem::path output =
        options->output.empty() ? std::filesystem::path(options->source).replace_extension(".pmw")
                                : std::filesystem::path(options->output);
    if (Status written = assembleFile(options->source, output); !written) {
      fail(context, written.error());
    }
  });
}

void addDisasmCommand(CLI::App& app, Context& context) {
  auto program = std::make_shared<std::string>();
  CLI::App* cmd = app.add_subcommand("disasm", "List the steps of a .pmw program");
  cmd->add_option("program", *program, "The .pmw program")->required();
  cmd->callback([program, &context] {
    Result<std::string> listing = listProgramFile(*program);
    if (!listing) return fail(context, listing.error());
    std::cout << *listing << std::flush;
  });
}

}  // namespace ladder51::cli
