#include "core/sequence.h"

#include "core/config/settings_files.h"
#include "core/toolchain/keil_pipeline.h"
#include "core/toolchain/sdcc_pipeline.h"

namespace ladder51 {

void Observer::stage(const BuildProgress&) {}

UserNotice UserNotice::settings(Reason reason, bool wholeFile) {
  std::string message = reason.message();
  if (wholeFile) message += ": its settings take the values of a new installation";
  UserNotice notice =
      plain(wholeFile ? NoticeKind::SettingsDefaulted : NoticeKind::SettingsLineIgnored, message);
  notice.reason = reason.kind;
  notice.values = std::move(reason.values);
  return notice;
}

Observer& Observer::none() {
  class Nobody final : public Observer {
   public:
    void notice(const UserNotice&) override {}
  };
  static Nobody nobody;
  return nobody;
}

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
  sdccOptions.buildDirectory = options.sdccDirectory;
  return std::make_unique<SdccToolchain>(sdccOptions);
}

BuildJob buildJobFor(const Workspace& workspace, const AssembledFile& file) {
  // The toolchains read the file's bytes, so the statements' place is counted in bytes.
  return BuildJob{.workDirectory = workspace.directory(),
                  .sourceFile = file.path,
                  .statementsOffset = file.bytesStatementsOffset,
                  .statements = workspace.translation().statements,
                  .marks = workspace.translation().marks,
                  .limits = workspace.settings().chip.memory,
                  .crystalMHz = workspace.settings().crystalMHz};
}

BuildJob buildJobForSource(const std::filesystem::path& workDirectory,
                           const std::filesystem::path& sourceFile, Observer& observer) {
  LoadedSettings loaded = loadOptionsFile(workDirectory);
  for (const UserNotice& notice : loaded.notices) observer.notice(notice);
  BuildJob job;
  job.workDirectory = workDirectory;
  job.sourceFile = sourceFile;
  job.limits = chipNamed(loaded.settings.chip).value().memory;  // the file's chip is a known one
  return job;
}

Result<FirmwareBuild> buildFirmware(const BuildJob& job, const FirmwareBuildOptions& options,
                                    Observer& observer) {
  const std::unique_ptr<Toolchain> toolchain = chooseToolchain(job.workDirectory, options);
  BuildJob checked = job;
  if (options.flashBytes) checked.limits.flashBytes = *options.flashBytes;
  Result<BuildReport> report = toolchain->build(
      checked, [&observer](const BuildProgress& progress) { observer.stage(progress); });
  if (!report) return report.error();
  FirmwareBuild built{std::move(*report), toolchain->name(), std::nullopt};
  if (built.toolchain == "sdcc" && job.crystalMHz > 0) {
    const SdccToolchain sdcc(SdccOptions{.buildDirectory = options.sdccDirectory});
    const Result<ScanTime> scan = measureScanTime(
        built.report.hexFile, sdcc.buildDirectory(job.workDirectory) / "fx1n.map", job.crystalMHz);
    if (scan) built.scanTime = *scan;
  }
  return built;
}

Result<FirmwareBuild> translateAndBuild(Workspace& workspace, const ProgramImage& image,
                                        const FirmwareBuildOptions& options, Observer& observer) {
  Result<AssembledFile> file = workspace.translateAndAssemble(image);
  if (!file) return file.error();
  return buildFirmware(buildJobFor(workspace, *file), options, observer);
}

Result<SequenceResult> runSequence(const SequenceRequest& request, Observer& observer) {
  Workspace workspace(request.workDirectory, observer);
  if (Status started = workspace.startUp(); !started) return started.error();
  Result<AssembledFile> file = workspace.translateAndAssemble(request.program, request.assemble);
  if (!file) return file.error();
  SequenceResult result{workspace.settings(), std::move(*file), std::nullopt};
  if (request.end == SequenceEnd::Built) {
    Result<FirmwareBuild> built =
        buildFirmware(buildJobFor(workspace, result.file), request.build, observer);
    if (!built) return built.error();
    result.build = std::move(*built);
  }
  return result;
}

Result<Translation> translateProgram(const std::filesystem::path& program, TranslateOptions options,
                                     const std::optional<std::filesystem::path>& workDirectory,
                                     Observer& observer) {
  if (workDirectory) {
    LoadedSettings loaded = loadSettings(*workDirectory);
    for (const UserNotice& notice : loaded.notices) observer.notice(notice);
    if (loaded.settings.eepromFitted()) options.eeprom = loaded.settings.eeprom;
    options.timeBase = timeBaseNamed(loaded.settings.timeBase).value_or(options.timeBase);
  }
  Result<ProgramImage> image = ProgramImage::readFile(program);
  if (!image) return image.error();
  Translation translation = translate(*image, options);
  reportTranslation(translation, observer);
  if (!translation.completed()) return translation.error();
  return translation;
}

}  // namespace ladder51
