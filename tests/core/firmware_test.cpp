// A program taken all the way: settings saved, translated and assembled into fx1n.c, built
// with SDCC through the build's own pipeline, and run on the simulated chip.
#include <gtest/gtest.h>

#include "core/sim/simulator.h"
#include "core/toolchain/sdcc_pipeline.h"
#include "core/translator/instruction_list.h"
#include "core/workspace.h"
#include "tests/support/cli_runner.h"
#include "tests/support/generated_text.h"

namespace ladder51 {
namespace {

TEST(Firmware, MotorCircuitSealsInAndStopsOnTheSimulatedChip) {
  if (!test::haveProgram("sdcc") || !test::haveProgram("s51")) {
    GTEST_SKIP() << "SDCC or s51 is not installed";
  }
  test::ScratchDir dir;
  Workspace workspace(dir.path());
  ASSERT_TRUE(workspace.startUp().ok());
  Settings settings;
  settings.pins[*findPin("P3.2")] = "X0";
  settings.pins[*findPin("P3.3")] = "X1";
  settings.pins[*findPin("P1.0")] = "Y0";
  ASSERT_TRUE(workspace.save(settings).ok());
  Result<std::vector<std::uint8_t>> program =
      assembleInstructionList("LD X0\nOR Y0\nANI X1\nOUT Y0\nEND\n");
  ASSERT_TRUE(program.ok());
  Result<AssembledFile> file = workspace.translateAndAssemble(*ProgramImage::fromBytes(*program));
  ASSERT_TRUE(file.ok()) << file.error().describe();

  // The build reads the GBK file, so it is told where the statements stand in its bytes.
  BuildJob job;
  job.workDirectory = dir.path();
  job.sourceFile = file->path;
  job.statementsOffset = file->bytesStatementsOffset;
  job.statements = workspace.translation().statements;
  job.marks = workspace.translation().marks;
  Result<BuildReport> built = SdccToolchain().build(job, {});
  ASSERT_TRUE(built.ok()) << built.error().describe();

  const Stimulus stimulus = *parseStimulus("60ms X0 on\n120ms X0 off\n200ms X1 on\n260ms X1 off\n");
  SimulationOptions options;
  options.untilMicros = 320000;
  Result<SimulationResult> run =
      simulate(built->hexFile, *parsePinAssignments("X0=P3.2 X1=P3.3 Y0=P1.0"), stimulus, options);
  ASSERT_TRUE(run.ok()) << run.error().describe();
  EXPECT_FALSE(run->isOn("Y0", 50000));
  EXPECT_TRUE(run->isOn("Y0", 110000));   // started
  EXPECT_TRUE(run->isOn("Y0", 190000));   // held by its own contact after X0 is released
  EXPECT_FALSE(run->isOn("Y0", 250000));  // stopped by X1
  EXPECT_FALSE(run->isOn("Y0", 310000));  // and stays off
}

}  // namespace
}  // namespace ladder51
