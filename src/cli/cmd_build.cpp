// `ladder51 build FX1N.C`: builds fx1n.hex from a generated fx1n.c with SDCC or the Keil tools,
// showing each stage as it starts.
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/output.h"
#include "core/toolchain/keil_pipeline.h"
#include "core/toolchain/sdcc_pipeline.h"

namespace ladder51::cli {

void addBuildCommand(CLI::App& app, Context& context) {
  struct Options {
    std::string source;
    std::string directory;
    std::string toolchain = "auto";
    std::string keilDir;
    long flash = 8 * 1024;
    bool printCommands = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand(
      "build", "Build fx1n.hex from a generated fx1n.c (SDCC by default, or the Keil tools)");
  cmd->add_option("source", options->source, "The generated fx1n.c")->required();
  cmd->add_option("-C", options->directory, "Work folder that receives fx1n.hex (default: .)");
  cmd->add_option("--toolchain", options->toolchain, "auto, sdcc or keil")
      ->check(CLI::IsMember({"auto", "sdcc", "keil"}));
  cmd->add_option("--keil-dir", options->keilDir, "Folder of c51.exe (default: DIR/keil/c51/bin)");
  cmd->add_option("--flash", options->flash, "Flash bytes of the chip (SDCC build check)");
  cmd->add_flag("--print-commands", options->printCommands,
                "List the command lines of the build without running them");
  cmd->callback([options, &context] {
    const std::filesystem::path work =
        std::filesystem::absolute(options->directory.empty() ? "." : options->directory)
            .lexically_normal();
    KeilOptions keil;
    keil.toolDirectory = options->keilDir;
    KeilToolchain keilToolchain(keil);
    SdccOptions sdcc;
    sdcc.flashBytes = options->flash;
    SdccToolchain sdccToolchain(sdcc);
    const bool useKeil =
        options->toolchain == "keil" ||
        (options->toolchain == "auto" && keilToolsPresent(keilToolchain.toolDirectory(work)));
    const Toolchain& toolchain = useKeil ? static_cast<const Toolchain&>(keilToolchain)
                                         : static_cast<const Toolchain&>(sdccToolchain);
    BuildJob job;
    job.workDirectory = work;
    job.sourceFile = std::filesystem::absolute(options->source);
    if (options->printCommands) {
      for (const std::string& line : toolchain.commandLines(job)) std::cout << line << "\n";
      return;
    }
    Result<BuildReport> report = toolchain.build(job, [](const BuildProgress& progress) {
      std::cout << progress.status;
      if (!progress.commandLine.empty()) std::cout << "    " << progress.commandLine;
      std::cout << std::endl;
    });
    if (!report) {
      printError(report.error());
      context.exitCode = 1;
      return;
    }
    for (const std::string& warning : report->warnings) printWarning(warning);
    if (report->memory) {
      std::cout << describeMemoryUsage(*report->memory, options->flash) << "\n";
    }
    std::cout << report->hexFile.string() << std::endl;
  });
}

}  // namespace ladder51::cli
