#include "core/toolchain/process.h"

#include <gtest/gtest.h>

#include "tests/support/fixtures.h"

namespace ladder51 {
namespace {

using namespace std::chrono_literals;
using test::ScratchDir;

struct ExitCase {
  const char* name;
  const char* script;
  ProcessEnd end;
  int exitCode;
  const char* output;
};

TEST(ProcessRunner, ReportsHowTheProgramEnded) {
  const ExitCase cases[] = {
      {"success", "echo hello", ProcessEnd::Exited, 0, "hello\n"},
      {"exit status", "echo bad >&2; exit 3", ProcessEnd::Exited, 3, "bad\n"},
      {"both streams in order", "echo one; echo two >&2; echo three", ProcessEnd::Exited, 0,
       "one\ntwo\nthree\n"},
      {"killed", "kill -9 $$", ProcessEnd::Signaled, 9, ""},
  };
  for (const ExitCase& c : cases) {
    ProcessOutcome outcome = runProcess({"/bin/sh", {"-c", c.script}, {}, {}}, 10s);
    EXPECT_EQ(outcome.end, c.end) << c.name;
    EXPECT_EQ(outcome.exitCode, c.exitCode) << c.name;
    EXPECT_EQ(outcome.output, c.output) << c.name;
  }
}

TEST(ProcessRunner, PassesArgumentsWithoutAShell) {
  ProcessOutcome outcome = runProcess({"/bin/echo", {"a b", "$HOME", "*", "x;y"}, {}, {}}, 10s);
  ASSERT_TRUE(outcome.exitedWith(0));
  EXPECT_EQ(outcome.output, "a b $HOME * x;y\n");
}

TEST(ProcessRunner, FeedsStandardInput) {
  std::string big(200000, 'x');  // more than a pipe holds
  ProcessOutcome outcome = runProcess({"/usr/bin/wc", {"-c"}, {}, {}}, 10s, big);
  ASSERT_TRUE(outcome.exitedWith(0));
  EXPECT_EQ(std::stoi(outcome.output), 200000);
}

TEST(ProcessRunner, RunsInTheWorkingDirectoryAndRedirectsOutput) {
  ScratchDir dir("process");
  ProcessOutcome outcome = runProcess(
      {"/bin/sh", {"-c", "pwd; echo note >&2"}, dir.path(), dir.path() / "out.txt"}, 10s);
  ASSERT_TRUE(outcome.exitedWith(0));
  EXPECT_EQ(outcome.output, "note\n");
  EXPECT_EQ(test::readFile(dir.path() / "out.txt"),
            std::filesystem::canonical(dir.path()).string() + "\n");
}

TEST(ProcessRunner, KillsAProgramThatOutlivesItsTimeLimit) {
  auto started = std::chrono::steady_clock::now();
  // The child's own child keeps the output pipe open; it must be killed with it.
  ProcessOutcome outcome = runProcess({"/bin/sh", {"-c", "sleep 20 & sleep 20"}, {}, {}}, 300ms);
  EXPECT_EQ(outcome.end, ProcessEnd::TimedOut);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
}

TEST(ProcessRunner, ReportsAMissingOrUnrunnableProgram) {
  ScratchDir dir("process");
  test::writeFile(dir.path() / "not-executable", "#!/bin/sh\n");
  const std::string programs[] = {"/nonexistent/tool", "no-such-tool-on-path-xyz",
                                  (dir.path() / "not-executable").string()};
  for (const std::string& program : programs) {
    ProcessOutcome outcome = runProcess({program, {}, {}, {}}, 10s);
    EXPECT_EQ(outcome.end, ProcessEnd::NotFound) << program;
    EXPECT_EQ(outcome.describe(), "not found") << program;
  }
  ProcessOutcome badDirectory = runProcess({"/bin/true", {}, dir.path() / "missing", {}}, 10s);
  EXPECT_EQ(badDirectory.end, ProcessEnd::StartFailed);
}

TEST(ProcessSession, HoldsADialogue) {
  ProcessSession session;
  ASSERT_TRUE(session.start({"/bin/cat", {}, {}, {}}).ok());
  ASSERT_TRUE(session.send("first\nsecond\n").ok());
  Result<std::string> first = session.readUntil("first\n", 5s);
  ASSERT_TRUE(first.ok());
  EXPECT_EQ(*first, "first\n");
  Result<std::string> second = session.readUntil("second\n", 5s);
  ASSERT_TRUE(second.ok());
  EXPECT_EQ(*second, "second\n");
  Result<std::string> never = session.readUntil("third", 200ms);
  EXPECT_FALSE(never.ok());
  ProcessOutcome end = session.finish(5s);
  EXPECT_TRUE(end.exitedWith(0));
  EXPECT_FALSE(session.running());
}

TEST(ProcessSession, ReportsAProgramThatEndsBeforeAnswering) {
  ProcessSession session;
  ASSERT_TRUE(session.start({"/bin/sh", {"-c", "echo partial; exit 4"}, {}, {}}).ok());
  Result<std::string> answer = session.readUntil("never", 5s);
  ASSERT_FALSE(answer.ok());
  EXPECT_EQ(answer.error().message, "the program ended unexpectedly");
  // Writing to a program that has gone must fail, not end the test process.
  EXPECT_FALSE(session.send(std::string(100000, 'x')).ok());
  EXPECT_TRUE(session.finish(5s).exitedWith(4));
}

TEST(ProcessSession, RefusesAMissingProgram) {
  ProcessSession session;
  Status started = session.start({"/nonexistent/s51", {}, {}, {}});
  ASSERT_FALSE(started.ok());
  EXPECT_NE(started.error().message.find("not found"), std::string::npos);
}

}  // namespace
}  // namespace ladder51
