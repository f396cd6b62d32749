// The window's builds run by the core's toolchains, chosen as `ladder51 build` chooses: the Keil
// tools when they stand in the work directory's keil/c51/bin (an existing installation), SDCC
// otherwise. The job's chip sets the limits the SDCC build checks.
#pragma once

#include "gui/build_service.h"

namespace ladder51::gui {

class ToolchainBuildService final : public BuildService {
 public:
  BuildSummary build(const BuildJob& job, Observer& observer) override;
};

}  // namespace ladder51::gui
