#include "gui/toolchain_build.h"

#include "core/firmware_build.h"
#include "core/toolchain/sdcc_pipeline.h"

namespace ladder51::gui {

Result<BuildSummary> ToolchainBuildService::build(const BuildRequest& request,
                                                  const StageCallback& stage) {
  const FirmwareBuildOptions options{.toolchain = ToolchainChoice::Auto,
                                     .keilDirectory = {},
                                     .flashBytes = flashBytes_,
                                     .sdccDirectory = {}};
  Result<BuildReport> report = buildFirmware(
      request, options, [&stage](const BuildProgress& progress) { stage(progress.status); });
  if (!report) return report.error();
  BuildSummary summary{.hexFile = report->hexFile, .memoryUse = {}, .warnings = report->warnings};
  if (report->memory) summary.memoryUse = describeMemoryUsage(*report->memory, flashBytes_);
  return summary;
}

}  // namespace ladder51::gui
