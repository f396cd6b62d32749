// `ladder51 build PROG.pmw|FX1N.C`: translates a program for the work directory's settings
// (writing DIR/fx1n.c) and builds fx1n.hex with SDCC or the Keil tools, showing each stage as it
// starts; a generated fx1n.c is built as it stands.
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include "cli/commands.h"
#include "core/sequence.h"
#include "core/toolchain/sdcc_pipeline.h"

namespace ladder51::cli {
namespace {

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
    std::optional<long> flash;
    bool printCommands = false;
    bool skipUnsupported = false;
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
  cmd->add_option("--flash", options->flash,
                  "Flash bytes the code must fit in (SDCC build check; default: those of the "
                  "chip that `settings --chip` chose)");
  cmd->add_flag("--print-commands", options->printCommands,
                "List the command lines of the build without running anything");
  addSkipUnsupportedFlag(*cmd, options->skipUnsupported);
  cmd->callback([options, &context] {
    const std::filesystem::path work =
        std::filesystem::absolute(options->directory.empty() ? "." : options->directory)
            .lexically_normal();
    const FirmwareBuildOptions buildOptions{
        .toolchain = parseToolchainChoice(options->toolchain).value_or(ToolchainChoice::Auto),
        .keilDirectory = options->keilDir,
        .flashBytes = options->flash,
        .sdccDirectory = {}};
    const bool fromSource = isGeneratedSource(options->input);
    const std::filesystem::path source =
        fromSource ? std::filesystem::absolute(options->input) : work / kSourceFileName;
    if (options->printCommands) {
      const BuildJob job = buildJobForSource(work, source, Observer::none());
      for (const std::string& line : chooseToolchain(work, buildOptions)->commandLines(job)) {
        std::cout << line << "\n";
      }
      return;
    }

    PrintingObserver observer;
    Result<FirmwareBuild> built = Error{};
    if (fromSource) {
      built = buildFirmware(buildJobForSource(work, source, observer), buildOptions, observer);
    } else {
      SequenceRequest request;
      request.workDirectory = work;
      request.program = options->input;
      request.assemble.skipUnsupported = options->skipUnsupported;
      request.build = buildOptions;
      Result<SequenceResult> done = runSequence(request, observer);
      if (!done) return fail(context, done.error());
      built = std::move(*done->build);
    }
    if (!built) return fail(context, built.error());
    const BuildReport& report = built->report;
    for (const std::string& warning : report.warnings) printWarning(warning);
    if (report.memory) std::cout << describeMemoryUsage(*report.memory, report.limits) << "\n";
    if (built->scanTime) {
      std::cout << describeScanTime(*built->scanTime) << "\n";
      if (built->scanTime->maxMicros > kLongScanMicros)
        printWarning(longScanWarning(*built->scanTime));
    }
    std::cout << report.hexFile.string() << std::endl;
  });
}

}  // namespace ladder51::cli
