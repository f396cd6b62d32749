// What the window needs from a build of fx1n.hex: run it on a worker thread, hear its stage
// texts as they change, and get the hex file (with the chip's memory use) or the stage's
// failure at the end. The toolchains of the core sit behind this, so that the window does not
// depend on which one builds.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/result.h"
#include "core/toolchain/build.h"
#include "core/translator/translator.h"

namespace ladder51::gui {

// The written fx1n.c and the translation whose statements it holds, as the core's build takes
// it (see buildJobFor).
using BuildRequest = BuildJob;

// A finished build.
struct BuildSummary {
  std::filesystem::path hexFile;      // the fx1n.hex in the work directory
  std::string memoryUse;              // RAM and code size as the toolchain reports them, or ""
  std::vector<std::string> warnings;  // tool messages worth showing on success
};

// Receives each stage text ("CHANGE", "LINK START UP", "FX1N.HEX  DONE") as the stage starts.
// Called on the build's own thread.
using StageCallback = std::function<void(const std::string& status)>;

// Runs builds. build() runs on a worker thread, one build at a time, and must not touch the
// window or the Workspace.
class BuildService {
 public:
  virtual ~BuildService() = default;
  virtual Result<BuildSummary> build(const BuildRequest& request, const StageCallback& stage) = 0;
};

}  // namespace ladder51::gui
