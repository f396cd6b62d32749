// The sequence every command and the window run: which toolchain builds, what the build is
// told about the written file, and where the sequence stops.
#include "core/sequence.h"

#include <gtest/gtest.h>

#include "tests/support/fixtures.h"

namespace ladder51 {
namespace {

TEST(Sequence, AutoTakesKeilOnlyWhereItsCompilerStands) {
  EXPECT_EQ(parseToolchainChoice("keil"), ToolchainChoice::Keil);
  EXPECT_EQ(parseToolchainChoice("Keil"), std::nullopt);
  test::ScratchDir work("choice");
  test::ScratchDir elsewhere("keil-tools");
  test::writeFile(elsewhere / "c51.exe", "");
  struct Case {
    const char* name;
    ToolchainChoice choice;
    bool compilerInWorkDirectory;
    bool keilDirectoryGiven;
    const char* expected;
  };
  const Case cases[] = {
      {"auto, no Keil tools", ToolchainChoice::Auto, false, false, "sdcc"},
      {"auto, Keil in DIR/keil/c51/bin", ToolchainChoice::Auto, true, false, "keil"},
      {"auto, Keil in a given folder", ToolchainChoice::Auto, false, true, "keil"},
      {"sdcc asked for beside Keil", ToolchainChoice::Sdcc, true, false, "sdcc"},
      {"keil asked for without tools", ToolchainChoice::Keil, false, false, "keil"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(work / "keil");
    if (c.compilerInWorkDirectory) test::writeFile(work / "keil/c51/bin/c51.exe", "");
    FirmwareBuildOptions options;
    options.toolchain = c.choice;
    if (c.keilDirectoryGiven) options.keilDirectory = elsewhere.path();
    EXPECT_EQ(chooseToolchain(work.path(), options)->name(), c.expected) << c.name;
  }
}

TEST(Sequence, TheJobLocatesTheStatementsInTheWrittenBytes) {
  test::ScratchDir work("job");
  Workspace workspace(work.path());
  ASSERT_TRUE(workspace.startUp().ok());
  ASSERT_TRUE(workspace.save(test::motorBoard()).ok());
  Result<AssembledFile> file =
      workspace.translateAndAssemble(test::imageOf("LD X0\nOUT Y0\nLD X0\nOUT M1\nEND\n"));
  ASSERT_TRUE(file.ok()) << file.error().describe();

  const BuildJob job = buildJobFor(workspace, *file);
  EXPECT_EQ(job.sourceFile, work / "fx1n.c");
  EXPECT_EQ(job.marks.size(), workspace.translation().marks.size());
  ASSERT_FALSE(job.statements.empty());
  // The GBK head of the file is shorter than its UTF-8 text: the offset counts bytes.
  EXPECT_LT(job.statementsOffset, file->statementsOffset);
  EXPECT_EQ(test::readFile(job.sourceFile).substr(job.statementsOffset, job.statements.size()),
            job.statements);
}

TEST(Sequence, StopsAtTheRefusalWithItsStepHavingReportedTheNotices) {
  test::ScratchDir work("refused");
  // AND M8005 is not translated: the program is refused with it, unless asked to go on.
  test::writeProgram(work / "prog.pmw", "LD X0\nAND M8005\nOUT Y0\nOUT T246 K5\nEND\n");
  SequenceRequest request;
  request.workDirectory = work.path();
  request.program = work / "prog.pmw";
  Result<SequenceResult> unsupported = runSequence(request, Observer::none());
  EXPECT_EQ(unsupported.error().kind, ErrorKind::ProgramUnsupported);
  EXPECT_EQ(unsupported.error().step->stepNumber(), 1);

  // Going on: the step is passed over with a notice; T246, a retentive timer, is not
  // translated: the translation stops there.
  request.assemble.skipUnsupported = true;
  test::RecordingObserver observer;
  Result<SequenceResult> done = runSequence(request, observer);
  ASSERT_FALSE(done.ok());
  EXPECT_EQ(done.error().kind, ErrorKind::ProgramRefused);
  EXPECT_EQ(done.error().describe(),
            "T246 is a retentive timer (T246-T255): ladder51 translates the timers T0-T245 (step 3 "
            "(byte 354: 06F6 8005 8000))");
  ASSERT_EQ(observer.notices.size(), 4u);  // three settings files, then the step passed over
  EXPECT_EQ(observer.notices[3].kind, NoticeKind::StepPassedOver);
  EXPECT_EQ(observer.notices[3].instruction, "AND M8005");
  EXPECT_TRUE(observer.stages.empty());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.path()), {}), 1)
      << "nothing but the program";
}

TEST(Sequence, TranslatedWritesFx1nAndBuildsNothing) {
  test::ScratchDir work("translated");
  test::writeProgram(work / "prog.pmw", test::kMotorProgram);
  test::RecordingObserver observer;
  Result<SequenceResult> done = runSequence({.workDirectory = work.path(),
                                             .program = work / "prog.pmw",
                                             .end = SequenceEnd::Translated,
                                             .assemble = {},
                                             .build = {}},
                                            observer);
  ASSERT_TRUE(done.ok()) << done.error().describe();
  EXPECT_EQ(done->file.path, work / "fx1n.c");
  EXPECT_FALSE(done->build.has_value());
  EXPECT_TRUE(std::filesystem::exists(work / "fx1n.c"));
  EXPECT_FALSE(std::filesystem::exists(work / "sdcc"));
}

}  // namespace
}  // namespace ladder51
