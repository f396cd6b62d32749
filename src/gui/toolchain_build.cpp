#include "gui/toolchain_build.h"

#include "core/toolchain/keil_pipeline.h"
#include "core/toolchain/sdcc_pipeline.h"

namespace ladder51::gui {

Result<BuildSummary> ToolchainBuildService::build(const BuildRequest& request,
                                                  const StageCallback& stage) {
  const KeilToolchain keil;
  SdccOptions sdccOptions;
  sdccOptions.flashBytes = flashBytes_;
  const SdccToolchain sdcc(sdccOptions);
  const bool useKeil = keilToolsPresent(keil.toolDirectory(request.workDirectory));
  const Toolchain& toolchain =
      useKeil ? static_cast<const Toolchain&>(keil) : static_cast<const Toolchain&>(sdcc);

  const BuildJob job{.workDirectory = request.workDirectory,
                     .sourceFile = request.sourceFile,
                     .statementsOffset = request.statementsOffset,
                     .statements = request.statements,
                     .marks = request.marks};
  Result<BuildReport> report =
      toolchain.build(job, [&stage](const BuildProgress& progress) { stage(progress.status); });
  if (!report) return report.error();
  BuildSummary summary{.hexFile = report->hexFile, .memoryUse = {}, .warnings = report->warnings};
  if (report->memory) summary.memoryUse = describeMemoryUsage(*report->memory, flashBytes_);
  return summary;
}

}  // namespace ladder51::gui
