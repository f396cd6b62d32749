// What the window needs from a build of fx1n.hex: run it on a worker thread, report its stages
// to the observer as they start, and give the hex file (with the chip's memory use) or the
// stage's failure at the end. The toolchains of the core sit behind this, so that the window
// does not depend on which one builds.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/observer.h"
#include "core/result.h"
#include "core/toolchain/build.h"

namespace ladder51::gui {

// A finished build.
struct BuildSummary {
  std::filesystem::path hexFile;      // the fx1n.hex in the work directory
  std::string memoryUse;              // RAM and code size as the toolchain reports them, or ""
  std::vector<std::string> warnings;  // tool messages worth showing on success
};

// Runs builds. build() runs on a worker thread, one build at a time, and must not touch the
// window or the Workspace; it reports each stage ("CHANGE", "LINK START UP", "FX1N.HEX  DONE")
// to `observer` from that thread. The job is the written fx1n.c as the core's buildJobFor
// describes it.
class BuildService {
 public:
  virtual ~BuildService() = default;
  virtual Result<BuildSummary> build(const BuildJob& job, Observer& observer) = 0;
};

}  // namespace ladder51::gui
