#include "core/firmware_build.h"

#include "core/toolchain/keil_pipeline.h"
#include "core/toolchain/sdcc_pipeline.h"

namespace ladder51 {

std::optional<ToolchainChoice> parseToolchainChoice(std::string_view text) {
  if (text == "auto") return ToolchainChoice::Auto;
  if (text == "sdcc") return ToolchainChoice::Sdcc;
  if (text == "keil") return ToolchainChoice::Keil;
  return std::nullopt;
}

std::unique_ptr<Toolchain> chooseToolchain(const std::filesystem::path& workDirectory,
                                           const FirmwareBuildOptions& options) {
  KeilOptions keilOptions;
  keilOptions.toolDirectory = options.keilDirectory;
  auto keil = std::make_unique<KeilToolchain>(keilOptions);
  const bool useKeil = options.toolchain == ToolchainChoice::Keil ||
                       (options.toolchain == ToolchainChoice::Auto &&
                        keilToolsPresent(keil->toolDirectory(workDirectory)));
  if (useKeil) return keil;
  SdccOptions sdccOptions;
  sdccOptions.flashBytes = options.flashBytes;
  sdccOptions.buildDirectory = options.sdccDirectory;
  return std::make_unique<SdccToolchain>(sdccOptions);
}

BuildJob buildJobFor(const Workspace& workspace, const AssembledFile& file) {
  // The toolchains read the file's bytes, so the statements' place is counted in bytes.
  return BuildJob{.workDirectory = workspace.directory(),
                  .sourceFile = file.path,
                  .statementsOffset = file.bytesStatementsOffset,
                  .statements = workspace.translation().statements,
                  .marks = workspace.translation().marks};
}

Result<BuildReport> buildFirmware(const BuildJob& job, const FirmwareBuildOptions& options,
                                  const BuildProgressCallback& progress) {
  return chooseToolchain(job.workDirectory, options)->build(job, progress);
}

Result<FirmwareBuild> translateAndBuild(Workspace& workspace, const ProgramImage& image,
                                        const FirmwareBuildOptions& options,
                                        const BuildProgressCallback& progress) {
  Result<AssembledFile> file = workspace.translateAndAssemble(image);
  if (!file) return file.error();
  const BuildJob job = buildJobFor(workspace, *file);
  const std::unique_ptr<Toolchain> toolchain = chooseToolchain(job.workDirectory, options);
  Result<BuildReport> report = toolchain->build(job, progress);
  if (!report) return report.error();
  return FirmwareBuild{std::move(*file), std::move(*report), toolchain->name()};
}

Result<FirmwareBuild> translateAndBuild(Workspace& workspace, const std::filesystem::path& program,
                                        const FirmwareBuildOptions& options,
                                        const BuildProgressCallback& progress) {
  Result<ProgramImage> image = ProgramImage::readFile(program);
  if (!image) return image.error();
  return translateAndBuild(workspace, *image, options, progress);
}

}  // namespace ladder51
