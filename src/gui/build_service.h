// What the window needs from a build of fx1n.hex: run it on a worker thread, report its stages
// to the observer as they start, and give the hex file with the chip's memory use, or the
// failure at the end. The toolchains of the core sit behind this, so that the window does not
// depend on which one builds.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/observer.h"
#include "core/result.h"
#include "core/sim/scan_time.h"
#include "core/toolchain/build.h"

namespace ladder51::gui {

// A finished build, or a failed one.
struct BuildSummary {
  std::filesystem::path hexFile;      // the fx1n.hex in the work directory; empty on failure
  std::optional<MemoryUsage> memory;  // when the toolchain measured it (also when it did not fit)
  MemoryLimits limits;                // what the memory use was checked against
  std::optional<ScanTime> scanTime;   // measured on the simulated chip after the build
  std::vector<std::string> warnings;  // the tools' warnings
  std::optional<Error> failure;       // why there is no fx1n.hex
};

// Runs builds. build() runs on a worker thread, one build at a time, and must not touch the
// window or the Workspace; it reports each stage to `observer` from that thread. The job is the
// written fx1n.c as the core's buildJobFor describes it.
class BuildService {
 public:
  virtual ~BuildService() = default;
  virtual BuildSummary build(const BuildJob& job, Observer& observer) = 0;
};

}  // namespace ladder51::gui
