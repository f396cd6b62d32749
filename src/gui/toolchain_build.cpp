#include "gui/toolchain_build.h"

#include "core/sequence.h"
#include "core/toolchain/sdcc_pipeline.h"

namespace ladder51::gui {

Result<BuildSummary> ToolchainBuildService::build(const BuildJob& job, Observer& observer) {
  const FirmwareBuildOptions options{.toolchain = ToolchainChoice::Auto,
                                     .keilDirectory = {},
                                     .flashBytes = flashBytes_,
                                     .sdccDirectory = {}};
  Result<FirmwareBuild> built = buildFirmware(job, options, observer);
  if (!built) return built.error();
  const BuildReport& report = built->report;
  BuildSummary summary{.hexFile = report.hexFile, .memoryUse = {}, .warnings = report.warnings};
  if (report.memory) summary.memoryUse = describeMemoryUsage(*report.memory, flashBytes_);
  return summary;
}

}  // namespace ladder51::gui
