#include "core/toolchain/keil_pipeline.h"

#include <gtest/gtest.h>

#include <future>

#include "tests/support/fixtures.h"

namespace ladder51 {
namespace {

using namespace std::chrono_literals;
using test::ScratchDir;
using test::StandInTools;
using test::ToolBehaviour;

// A program folder with the tool directory below it, fx1n.c written into it as the workspace
// does, and the stand-in tools installed.
class KeilPipelineTest : public ::testing::Test {
 protected:
  void prepare(const StandInTools& tools, const std::string& folderName = "program") {
    work_ = scratch_.path() / folderName;
    tools_ = work_ / "keil" / "c51" / "bin";
    std::filesystem::create_directories(tools_);
    tools.install(tools_);
    test::writeFile(tools_ / "fx1n.c", "main(){}\r\n");
  }
  KeilToolchain toolchain(std::chrono::milliseconds limit = 10s) const {
    return KeilToolchain(
        {.toolDirectory = {}, .launcher = std::vector<std::string>{}, .timeLimit = limit});
  }
  BuildJob job() const {
    BuildJob job;
    job.workDirectory = work_;
    job.sourceFile = tools_ / "fx1n.c";
    return job;
  }
  std::string calls() const {
    std::error_code ec;
    if (!std::filesystem::exists(tools_ / "calls.log", ec)) return {};
    return test::readFile(tools_ / "calls.log");
  }
  std::string at(const char* name) const { return (tools_ / name).string(); }

  ScratchDir scratch_{"keil"};
  std::filesystem::path work_;
  std::filesystem::path tools_;
};

TEST_F(KeilPipelineTest, RunsTheFourToolsInOrderAndCopiesTheHex) {
  prepare({});
  test::writeFile(work_ / "fx1n.hex", "PREVIOUS");
  std::vector<BuildProgress> stages;
  Result<BuildReport> report =
      toolchain().build(job(), [&](const BuildProgress& p) { stages.push_back(p); });
  ASSERT_TRUE(report.ok()) << report.error().describe();

  EXPECT_EQ(calls(), "c51.exe [" + at("fx1n.c") + "]\n" + "A51.exe [" + at("STARTUP.A51") + "]\n" +
                         "lx51.exe [" + at("fx1n.obj") + "," + at("startup.obj") + "]\n" +
                         "ohx51.exe [" + at("fx1n") + "]\n");
  const std::vector<std::string> expectedLines = {
      at("c51.exe") + " " + at("fx1n.c") + "  ",
      at("A51.exe") + " " + at("STARTUP.A51") + "  ",
      at("lx51.exe") + " " + at("fx1n.obj") + "," + at("startup.obj"),
      at("ohx51.exe") + " " + at("fx1n"),
  };
  EXPECT_EQ(report->commandLines, expectedLines);
  EXPECT_EQ(toolchain().commandLines(job()), expectedLines);  // the dry run lists the same

  ASSERT_EQ(stages.size(), 5u);
  const char* statuses[] = {"CHANGE", "LINK START UP", "LINK START UP", "LINK START UP",
                            "FX1N.HEX  DONE"};
  for (std::size_t k = 0; k < stages.size(); ++k) EXPECT_EQ(stages[k].status, statuses[k]) << k;
  EXPECT_EQ(stages.back().stage, BuildStage::Finish);

  EXPECT_EQ(test::readFile(work_ / "fx1n.hex"), "NEW HEX");
  EXPECT_EQ(report->hexFile, work_ / "fx1n.hex");
  EXPECT_FALSE(std::filesystem::exists(tools_ / "fx1n.c"));   // deleted from the tool directory
  EXPECT_TRUE(std::filesystem::exists(tools_ / "fx1n.obj"));  // intermediates stay
}

TEST_F(KeilPipelineTest, StopsAtTheFirstFailingStageAndLeavesNoHex) {
  struct FailureCase {
    const char* name;
    StandInTools tools;
    const char* stageText;
    const char* lastTool;
    const char* detail;
  };
  const FailureCase cases[] = {
      {"compiler error",
       {.compiler = ToolBehaviour::Fail},
       "the compiler failed (exit status 2)",
       "c51.exe",
       "ERROR C141"},
      {"compiler writes nothing",
       {.compiler = ToolBehaviour::Silent},
       "the compiler failed (it did not write fx1n.obj)",
       "c51.exe",
       ""},
      {"assembler error",
       {.assembler = ToolBehaviour::Fail},
       "the start-up assembler failed (exit status 2)",
       "A51.exe",
       "ERROR C141"},
      {"linker writes nothing",
       {.linker = ToolBehaviour::Silent},
       "the linker failed (it did not write fx1n)",
       "lx51.exe",
       ""},
      {"hex converter error",
       {.hexConverter = ToolBehaviour::Fail},
       "the hex converter failed (exit status 2)",
       "ohx51.exe",
       "ERROR C141"},
      {"hex converter writes nothing",
       {.hexConverter = ToolBehaviour::Silent},
       "the hex converter failed (it did not write fx1n.hex)",
       "ohx51.exe",
       ""},
  };
  int n = 0;
  for (const FailureCase& c : cases) {
    prepare(c.tools, "program" + std::to_string(n++));
    test::writeFile(tools_ / "fx1n.hex", "OLD HEX FROM AN EARLIER BUILD");
    test::writeFile(tools_ / "fx1n.obj", "OLD OBJ");
    test::writeFile(work_ / "fx1n.hex", "PREVIOUS");
    std::vector<std::string> statuses;
    Result<BuildReport> report =
        toolchain().build(job(), [&](const BuildProgress& p) { statuses.push_back(p.status); });
    ASSERT_FALSE(report.ok()) << c.name;
    const std::string message = report.error().message;
    EXPECT_EQ(message.rfind(std::string(c.stageText) + ": no fx1n.hex was written\n", 0), 0u)
        << c.name << ": " << message;
    EXPECT_NE(message.find(c.detail), std::string::npos) << c.name << ": " << message;
    // The run stopped at the failing tool.
    const std::string log = calls();
    EXPECT_NE(log.find(c.lastTool), std::string::npos) << c.name;
    EXPECT_EQ(log.substr(log.rfind('\n', log.size() - 2) + 1).rfind(c.lastTool, 0), 0u)
        << c.name << ": " << log;
    EXPECT_NE(statuses.back(), "FX1N.HEX  DONE") << c.name;
    // No firmware is left: the previous program's would stand beside the new fx1n.c.
    EXPECT_FALSE(std::filesystem::exists(work_ / "fx1n.hex")) << c.name;
    EXPECT_TRUE(findFileIgnoringCase(tools_, "fx1n.hex").empty()) << c.name;
  }
}

TEST_F(KeilPipelineTest, AcceptsWarningsAndPassesThemOn) {
  prepare({.compiler = ToolBehaviour::Warn});
  Result<BuildReport> report = toolchain().build(job(), {});
  ASSERT_TRUE(report.ok()) << report.error().describe();
  ASSERT_EQ(report->warnings.size(), 1u);
  EXPECT_NE(report->warnings[0].find("1 WARNING"), std::string::npos);
}

TEST_F(KeilPipelineTest, KillsAHangingToolAndFails) {
  prepare({.linker = ToolBehaviour::Hang});
  Result<BuildReport> report = toolchain(500ms).build(job(), {});
  ASSERT_FALSE(report.ok());
  EXPECT_EQ(
      report.error().message.rfind("the linker failed (did not finish in time): no fx1n.hex", 0),
      0u)
      << report.error().message;
}

TEST_F(KeilPipelineTest, QuotesPathsWithBlanks) {
  prepare({}, "my programs");
  const std::vector<std::string> lines = toolchain().commandLines(job());
  ASSERT_EQ(lines.size(), 4u);
  auto q = [&](const char* name) { return "\"" + at(name) + "\""; };
  EXPECT_EQ(lines[0], q("c51.exe") + " " + q("fx1n.c") + "  ");
  EXPECT_EQ(lines[1], q("A51.exe") + " " + q("STARTUP.A51") + "  ");
  EXPECT_EQ(lines[2], q("lx51.exe") + " " + q("fx1n.obj") + "," + q("startup.obj"));
  EXPECT_EQ(lines[3], q("ohx51.exe") + " " + q("fx1n"));

  // Each path reaches the tool as one argument, blanks and all.
  Result<BuildReport> report = toolchain().build(job(), {});
  ASSERT_TRUE(report.ok()) << report.error().describe();
  EXPECT_NE(calls().find("c51.exe [" + at("fx1n.c") + "]\n"), std::string::npos) << calls();
  EXPECT_EQ(test::readFile(work_ / "fx1n.hex"), "NEW HEX");
}

TEST_F(KeilPipelineTest, RunsWindowsToolsThroughTheLauncher) {
  prepare({});
  KeilToolchain viaWine({.toolDirectory = {}, .launcher = std::nullopt, .timeLimit = 10s});
  std::vector<KeilStep> steps = viaWine.steps(work_);
  ASSERT_EQ(steps.size(), 4u);
#ifndef _WIN32
  EXPECT_EQ(steps[0].command.program, "wine");
  EXPECT_EQ(steps[0].command.arguments, (std::vector<std::string>{at("c51.exe"), at("fx1n.c")}));
  EXPECT_EQ(steps[0].commandLine, "wine " + at("c51.exe") + " " + at("fx1n.c") + "  ");
#endif
  EXPECT_EQ(steps[2].command.arguments.back(), at("fx1n.obj") + "," + at("startup.obj"));
  EXPECT_EQ(steps[3].command.workingDirectory, tools_);
}

// The tools are there but the launcher is not: the message names wine and how to install it.
TEST_F(KeilPipelineTest, SaysWhenWineIsMissing) {
  prepare({});
  const std::string wine = (scratch_.path() / "no-such" / "wine").string();
  KeilToolchain viaWine({.toolDirectory = {}, .launcher = std::vector{wine}, .timeLimit = 10s});
  Result<BuildReport> report = viaWine.build(job(), {});
  ASSERT_FALSE(report.ok());
  EXPECT_EQ(report.error().kind, ErrorKind::WineMissing);
  EXPECT_EQ(report.error().message.rfind(wine + " is not installed", 0), 0u)
      << report.error().message;
  EXPECT_NE(report.error().message.find("(Debian: sudo apt-get install wine)"), std::string::npos);
  EXPECT_EQ(calls(), "");
}

TEST_F(KeilPipelineTest, RefusesMissingToolsBeforeRunningAnything) {
  prepare({});
  std::filesystem::remove(tools_ / "lx51.exe");
  Result<BuildReport> report = toolchain().build(job(), {});
  ASSERT_FALSE(report.ok());
  EXPECT_EQ(report.error().message,
            "lx51.exe is missing from the Keil tool directory: no fx1n.hex was written");
  EXPECT_EQ(calls(), "");
  EXPECT_TRUE(keilToolsPresent(tools_));
  EXPECT_FALSE(keilToolsPresent(work_));
}

TEST_F(KeilPipelineTest, RefusesASecondBuildWhileOneRuns) {
  prepare({.compiler = ToolBehaviour::Hang});
  std::promise<void> started;
  auto first = std::async(std::launch::async, [&] {
    return toolchain(1s).build(job(), [&](const BuildProgress& p) {
      if (p.stage == BuildStage::Compile) started.set_value();
    });
  });
  started.get_future().wait();
  Result<BuildReport> second = toolchain().build(job(), {});
  ASSERT_FALSE(second.ok());
  EXPECT_EQ(second.error().message, "a build is already running");
  EXPECT_FALSE(first.get().ok());  // the hanging compiler times out
  // Once the first has ended, the folder is free again.
  Result<BuildLock> lock = BuildLock::acquire(work_);
  EXPECT_TRUE(lock.ok());
}

}  // namespace
}  // namespace ladder51
