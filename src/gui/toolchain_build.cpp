#include "gui/toolchain_build.h"

#include "core/sequence.h"
#include "core/toolchain/sdcc_pipeline.h"

namespace ladder51::gui {

Result<BuildSummary> ToolchainBuildService::build(const BuildRequest& request,
                                                  const StageCallback& stage) {
  const FirmwareBuildOptions options{.toolchain = ToolchainChoice::Auto,
                                     .keilDirectory = {},
                                     .flashBytes = flashBytes_,
                                     .sdccDirectory = {}};
  // Hands each stage's text to the window's callback.
  class StageObserver final : public Observer {
   public:
    explicit StageObserver(const StageCallback& stage) : stage_(stage) {}
    void notice(const UserNotice&) override {}
    void stage(const BuildProgress& progress) override { stage_(progress.status); }

   private:
    const StageCallback& stage_;
  } observer(stage);
  Result<FirmwareBuild> built = buildFirmware(request, options, observer);
  if (!built) return built.error();
  const BuildReport* report = &built->report;
  BuildSummary summary{.hexFile = report->hexFile, .memoryUse = {}, .warnings = report->warnings};
  if (report->memory) summary.memoryUse = describeMemoryUsage(*report->memory, flashBytes_);
  return summary;
}

}  // namespace ladder51::gui
