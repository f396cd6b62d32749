#include "gui/toolchain_build.h"

#include "core/file_io.h"
#include "core/sequence.h"
#include "core/toolchain/sdcc_pipeline.h"

namespace ladder51::gui {

BuildSummary ToolchainBuildService::build(const BuildJob& job, Observer& observer) {
  BuildSummary summary;
  summary.limits = job.limits;
  Result<FirmwareBuild> built = buildFirmware(job, FirmwareBuildOptions{}, observer);
  if (!built) {
    summary.failure = built.error();
    // A program that does not fit: SDCC's memory report of the refused firmware gives the
    // numbers the window shows.
    if (built.error().kind == ErrorKind::DoesNotFit) {
      const Result<std::string> report =
          readWholeFile(SdccToolchain().buildDirectory(job.workDirectory) / "fx1n.mem", 1 << 20);
      if (report) {
        if (Result<MemoryUsage> usage = parseMemoryReport(*report); usage) summary.memory = *usage;
      }
    }
    return summary;
  }
  const BuildReport& report = built->report;
  summary.hexFile = report.hexFile;
  summary.memory = report.memory;
  summary.limits = report.limits;
  summary.scanTime = built->scanTime;
  summary.warnings = report.warnings;
  return summary;
}

}  // namespace ladder51::gui
