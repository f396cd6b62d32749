// `ladder51 build PROG.pmw|FX1N.C`: translates a program for the work directory's settings
// (writing DIR/fx1n.c) and builds fx1n.hex with SDCC or the Keil tools, showing each stage as it
// starts; a generated fx1n.c is built as it stands.
#include <filesystem>
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/output.h"
#include "core/firmware_build.h"
#include "core/toolchain/sdcc_pipeline.h"

namespace ladder51::cli {
namespace {

void printStage(const BuildProgress& progress) {
  std::cout << progress.status;
  if (!progress.commandLine.empty()) std::cout << "    " << progress.commandLine;
  std::cout << std::endl;
}

bool isGeneratedSource(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  return extension == ".c" || extension == ".C";
}

}  // namespace

void addBuildCommand(CLI::App& app, Context& context) {
  struct Options {
    std::string input;
    std::string directory;
    std::string toolchain = "auto";
    std::string keilDir;
    long flash = 8 * 1024;
    bool printCommands = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App* cmd = app.add_subcommand(
      "build",
      "Translate a .pmw program for DIR's settings and build fx1n.hex (SDCC by default, or the "
      "Keil tools); a generated fx1n.c is built as it stands");
  cmd->add_option("input", options->input, "The .pmw program, or a generated fx1n.c")->required();
  cmd->add_option("-C,--directory", options->directory,
                  "Work directory: its settings, and where fx1n.c and fx1n.hex go (default: .)");
  cmd->add_option("--toolchain", options->toolchain, "auto, sdcc or keil")
      ->check(CLI::IsMember({"auto", "sdcc", "keil"}));
  cmd->add_option("--keil-dir", options->keilDir, "Folder of c51.exe (default: DIR/keil/c51/bin)");
  cmd->add_option("--flash", options->flash, "Flash bytes of the chip (SDCC build check)");
  cmd->add_flag("--print-commands", options->printCommands,
                "List the command lines of the build without running anything");
  cmd->callback([options, &context] {
    auto fail = [&context](const Error& error) {
      printError(error);
      context.exitCode = 1;
    };
    const std::filesystem::path work =
        std::filesystem::absolute(options->directory.empty() ? "." : options->directory)
            .lexically_normal();
    const FirmwareBuildOptions buildOptions{
        .toolchain = parseToolchainChoice(options->toolchain).value_or(ToolchainChoice::Auto),
        .keilDirectory = options->keilDir,
        .flashBytes = options->flash,
        .sdccDirectory = {}};
    const bool fromSource = isGeneratedSource(options->input);
    if (options->printCommands) {
      BuildJob job;
      job.workDirectory = work;
      job.sourceFile =
          fromSource ? std::filesystem::absolute(options->input) : work / kSourceFileName;
      for (const std::string& line : chooseToolchain(work, buildOptions)->commandLines(job)) {
        std::cout << line << "\n";
      }
      return;
    }

    Result<BuildReport> report = Error{};
    if (fromSource) {
      BuildJob job;
      job.workDirectory = work;
      job.sourceFile = std::filesystem::absolute(options->input);
      report = buildFirmware(job, buildOptions, printStage);
    } else {
      Result<ProgramImage> image = ProgramImage::readFile(options->input);
      if (!image) return fail(image.error());
      Workspace workspace(work);
      const Status started = workspace.startUp();
      printNotices(workspace.takeNotices());
      if (!started) return fail(started.error());
      // The translation's report comes before the build's stages.
      Result<AssembledFile> file = workspace.translateAndAssemble(*image);
      printTranslationReport(workspace.translation());
      printNotices(workspace.takeNotices());
      if (!file) {
        // A refused or faulted translation has already been reported with its step.
        if (workspace.translation().completed()) printError(file.error());
        context.exitCode = 1;
        return;
      }
      report = buildFirmware(buildJobFor(workspace, *file), buildOptions, printStage);
    }
    if (!report) return fail(report.error());
    for (const std::string& warning : report->warnings) printWarning(warning);
    if (report->memory) {
      std::cout << describeMemoryUsage(*report->memory, options->flash) << "\n";
    }
    std::cout << report->hexFile.string() << std::endl;
  });
}

}  // namespace ladder51::cli
