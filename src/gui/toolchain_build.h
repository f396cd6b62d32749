// The window's builds run by the core's toolchains, chosen as `ladder51 build` chooses: the Keil
// tools when they stand in the work directory's keil/c51/bin (an existing installation), SDCC
// otherwise.
#pragma once

#include "gui/build_service.h"

namespace ladder51::gui {

class ToolchainBuildService final : public BuildService {
 public:
  // `flashBytes`: flash of the target chip, which the SDCC build checks the program against.
  explicit ToolchainBuildService(long flashBytes = 8 * 1024) : flashBytes_(flashBytes) {}

  Result<BuildSummary> build(const BuildJob& job, Observer& observer) override;

 private:
  long flashBytes_;
};

}  // namespace ladder51::gui
