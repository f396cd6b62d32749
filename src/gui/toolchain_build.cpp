#include "gui/toolchain_build.h"

#include "core/sequence.h"
#include "core/toolchain/sdcc_pipeline.h"

namespace ladder51::gui {

Result<BuildSummary> ToolchainBuildService::build(const BuildJob& job, Observer& observer) {
  Result<FirmwareBuild> built = buildFirmware(job, FirmwareBuildOptions{}, observer);
  if (!built) return built.error();
  const BuildReport& report = built->report;
  BuildSummary summary{.hexFile = report.hexFile, .memoryUse = {}, .warnings = report.warnings};
  if (report.memory) summary.memoryUse = describeMemoryUsage(*report.memory, report.limits);
  if (built->scanTime) {
    summary.memoryUse +=
        (summary.memoryUse.empty() ? "" : "\n") + describeScanTime(*built->scanTime);
    if (built->scanTime->maxMicros > kLongScanMicros) {
      summary.warnings.push_back(longScanWarning(*built->scanTime));
    }
  }
  return summary;
}

}  // namespace ladder51::gui
