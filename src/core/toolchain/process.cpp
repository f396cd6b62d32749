#include "core/toolchain/process.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ladder51 {
namespace {

using Clock = std::chrono::steady_clock;

// What the child reports through its close-on-exec pipe when exec fails.
struct ExecFailure {
  int stage;  // 0: chdir, 1: exec
  int error;
};

void closeFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Writes to a pipe whose reader may have gone: SIGPIPE is held back for this thread, and a
// pending one is consumed, so that a tool that exits early cannot end this process.
ssize_t writeQuietly(int fd, const char* data, std::size_t size) {
  sigset_t pipeSignal, previous;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
  ssize_t w = ::write(fd, data, size);
  const int writeError = errno;
  // A write cut short by the reader going away raises SIGPIPE even when it returns a count.
  sigset_t pending;
  if (::sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE)) {
    const timespec noWait{0, 0};
    ::sigtimedwait(&pipeSignal, nullptr, &noWait);
  }
  errno = writeError;
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return w;
}

int remainingMs(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

// Waits for the child without blocking past the deadline. Returns true when it was reaped.
bool reap(int pid, int& status, Clock::time_point deadline) {
  for (;;) {
    int r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) return true;
    if (r < 0 && errno != EINTR) return true;
    if (Clock::now() >= deadline) return false;
    ::usleep(2000);
  }
}

void killGroup(int pid) {
  ::kill(-pid, SIGKILL);
  ::kill(pid, SIGKILL);
}

struct Started {
  int pid = -1;
  int toChild = -1;
  int fromChild = -1;
  ProcessEnd failure = ProcessEnd::Exited;  // NotFound or StartFailed when pid < 0
  std::string message;
};

// Forks and execs the command with its standard input and output on pipes. Standard error
// goes to the same pipe as standard output. The child leads its own process group so that a
// time-out also ends the programs it started (wine starts several).
Started spawn(const Command& command) {
  Started started;
  int in[2], out[2], report[2];
  if (::pipe2(in, O_CLOEXEC) != 0)
    return {.failure = ProcessEnd::StartFailed, .message = std::strerror(errno)};
  if (::pipe2(out, O_CLOEXEC) != 0) {
    ::close(in[0]), ::close(in[1]);
    return {.failure = ProcessEnd::StartFailed, .message = std::strerror(errno)};
  }
  if (::pipe2(report, O_CLOEXEC) != 0) {
    ::close(in[0]), ::close(in[1]), ::close(out[0]), ::close(out[1]);
    return {.failure = ProcessEnd::StartFailed, .message = std::strerror(errno)};
  }
  std::vector<std::string> argvText;
  argvText.push_back(command.program);
  argvText.insert(argvText.end(), command.arguments.begin(), command.arguments.end());
  std::vector<char*> argv;
  for (std::string& a : argvText) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string directory = command.workingDirectory.string();
  int outputFile = -1;
  if (!command.outputFile.empty()) {
    outputFile = ::open(command.outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (outputFile < 0) {
      std::string why = std::strerror(errno);
      ::close(in[0]), ::close(in[1]), ::close(out[0]), ::close(out[1]);
      ::close(report[0]), ::close(report[1]);
      return {.failure = ProcessEnd::StartFailed,
              .message = "cannot write " + command.outputFile.string() + ": " + why};
    }
  }

  int pid = ::fork();
  if (pid == 0) {
    // Child: only async-signal-safe calls from here.
    ::setpgid(0, 0);
    ::dup2(in[0], 0);
    ::dup2(outputFile >= 0 ? outputFile : out[1], 1);
    ::dup2(out[1], 2);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    ExecFailure failure{0, 0};
    if (!directory.empty() && ::chdir(directory.c_str()) != 0) {
      failure = {0, errno};
    } else {
      ::execvp(argv[0], argv.data());
      failure = {1, errno};
    }
    [[maybe_unused]] auto n = ::write(report[1], &failure, sizeof failure);
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(report[1]);
  if (outputFile >= 0) ::close(outputFile);
  if (pid < 0) {
    ::close(in[1]), ::close(out[0]), ::close(report[0]);
    return {.failure = ProcessEnd::StartFailed, .message = std::strerror(errno)};
  }
  ExecFailure failure{};
  ssize_t n;
  do n = ::read(report[0], &failure, sizeof failure);
  while (n < 0 && errno == EINTR);
  ::close(report[0]);
  if (n == static_cast<ssize_t>(sizeof failure)) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(in[1]), ::close(out[0]);
    bool missing = failure.stage == 1 &&
                   (failure.error == ENOENT || failure.error == EACCES || failure.error == ENOEXEC);
    started.failure = missing ? ProcessEnd::NotFound : ProcessEnd::StartFailed;
    started.message = std::strerror(failure.error);
    if (failure.stage == 0) started.message = "cannot enter " + directory + ": " + started.message;
    return started;
  }
  started.pid = pid;
  started.toChild = in[1];
  started.fromChild = out[0];
  return started;
}

ProcessOutcome endedBy(int status) {
  if (WIFEXITED(status)) return {ProcessEnd::Exited, WEXITSTATUS(status), {}};
  if (WIFSIGNALED(status)) return {ProcessEnd::Signaled, WTERMSIG(status), {}};
  return {ProcessEnd::StartFailed, -1, {}};
}

}  // namespace

std::string ProcessOutcome::describe() const {
  switch (end) {
    case ProcessEnd::Exited:
      return "exit status " + std::to_string(exitCode);
    case ProcessEnd::Signaled:
      return "killed by signal " + std::to_string(exitCode);
    case ProcessEnd::TimedOut:
      return "did not finish in time";
    case ProcessEnd::NotFound:
      return "not found";
    case ProcessEnd::StartFailed:
      return "could not be started";
  }
  return "unknown end";
}

ProcessOutcome runProcess(const Command& command, std::chrono::milliseconds timeLimit,
                          std::string_view input) {
  const Clock::time_point deadline = Clock::now() + timeLimit;
  Started started = spawn(command);
  if (started.pid < 0) return {started.failure, -1, started.message};

  ProcessOutcome outcome;
  std::size_t written = 0;
  if (input.empty())
    closeFd(started.toChild);
  else
    ::fcntl(started.toChild, F_SETFL, O_NONBLOCK);
  bool timedOut = false;
  char buffer[8192];
  while (started.fromChild >= 0) {
    pollfd fds[2] = {{started.fromChild, POLLIN, 0}, {started.toChild, POLLOUT, 0}};
    int count = started.toChild >= 0 ? 2 : 1;
    int left = remainingMs(deadline);
    if (left == 0) {
      timedOut = true;
      break;
    }
    int r = ::poll(fds, count, left);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) break;
    if (count == 2 && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP))) {
      ssize_t w = writeQuietly(started.toChild, input.data() + written, input.size() - written);
      if (w > 0) written += static_cast<std::size_t>(w);
      if (w < 0 && errno != EAGAIN && errno != EINTR) written = input.size();
      if (written >= input.size()) closeFd(started.toChild);
    }
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      ssize_t got = ::read(started.fromChild, buffer, sizeof buffer);
      if (got > 0)
        outcome.output.append(buffer, static_cast<std::size_t>(got));
      else if (got == 0 || errno != EINTR)
        closeFd(started.fromChild);
    }
  }
  closeFd(started.toChild);
  closeFd(started.fromChild);
  int status = 0;
  if (timedOut || !reap(started.pid, status, deadline)) {
    killGroup(started.pid);
    ::waitpid(started.pid, &status, 0);
    outcome.end = ProcessEnd::TimedOut;
    outcome.exitCode = -1;
    return outcome;
  }
  ProcessOutcome end = endedBy(status);
  outcome.end = end.end;
  outcome.exitCode = end.exitCode;
  return outcome;
}

ProcessSession::~ProcessSession() {
  if (pid_ > 0) finish(std::chrono::milliseconds(500));
}

Status ProcessSession::start(const Command& command) {
  if (pid_ > 0)
    return Error{ErrorKind::Internal, "the program is already running", command.program};
  Started started = spawn(command);
  program_ = command.program;
  if (started.pid < 0) {
    std::string why =
        started.failure == ProcessEnd::NotFound ? "not found" : "could not be started";
    return Error{ErrorKind::ToolMissing,
                 "the program " + why + (started.message.empty() ? "" : ": " + started.message),
                 command.program};
  }
  pid_ = started.pid;
  toChild_ = started.toChild;
  fromChild_ = started.fromChild;
  pending_.clear();
  return success();
}

Status ProcessSession::send(std::string_view text) {
  std::size_t written = 0;
  while (written < text.size()) {
    if (toChild_ < 0)
      return Error{ErrorKind::ToolFailed, "the program has stopped reading", program_};
    ssize_t w = writeQuietly(toChild_, text.data() + written, text.size() - written);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return Error{ErrorKind::ToolFailed, "the program has stopped reading", program_};
    written += static_cast<std::size_t>(w);
  }
  return success();
}

Result<std::string> ProcessSession::readUntil(std::string_view terminator,
                                              std::chrono::milliseconds timeLimit) {
  const Clock::time_point deadline = Clock::now() + timeLimit;
  std::size_t searchFrom = 0;
  char buffer[16384];
  for (;;) {
    std::size_t at = pending_.find(terminator, searchFrom);
    if (at != std::string::npos) {
      std::string text = pending_.substr(0, at + terminator.size());
      pending_.erase(0, at + terminator.size());
      return text;
    }
    searchFrom = pending_.size() >= terminator.size() ? pending_.size() - terminator.size() + 1 : 0;
    if (fromChild_ < 0)
      return Error{ErrorKind::ToolFailed, "the program ended unexpectedly", program_};
    pollfd fd{fromChild_, POLLIN, 0};
    int left = remainingMs(deadline);
    if (left == 0)
      return Error{ErrorKind::ToolFailed, "the program did not answer in time", program_};
    int r = ::poll(&fd, 1, left);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) continue;
    ssize_t got = ::read(fromChild_, buffer, sizeof buffer);
    if (got > 0)
      pending_.append(buffer, static_cast<std::size_t>(got));
    else if (got == 0 || errno != EINTR)
      closeFd(fromChild_);
  }
}

bool ProcessSession::answered(std::string_view terminator, std::chrono::milliseconds wait) {
  const Clock::time_point deadline = Clock::now() + wait;
  char buffer[16384];
  for (;;) {
    if (pending_.find(terminator) != std::string::npos || fromChild_ < 0) return true;
    pollfd fd{fromChild_, POLLIN, 0};
    const int r = ::poll(&fd, 1, remainingMs(deadline));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return true;
    if (r == 0) return false;
    const ssize_t got = ::read(fromChild_, buffer, sizeof buffer);
    if (got > 0)
      pending_.append(buffer, static_cast<std::size_t>(got));
    else if (got == 0 || errno != EINTR)
      closeFd(fromChild_);
  }
}

ProcessOutcome ProcessSession::finish(std::chrono::milliseconds timeLimit) {
  ProcessOutcome outcome;
  if (pid_ <= 0) return outcome;
  const Clock::time_point deadline = Clock::now() + timeLimit;
  closeFd(toChild_);
  // Drain what is left so that the program cannot block on a full pipe.
  char buffer[8192];
  while (fromChild_ >= 0) {
    pollfd fd{fromChild_, POLLIN, 0};
    int left = remainingMs(deadline);
    if (left == 0 || ::poll(&fd, 1, left) <= 0) break;
    ssize_t got = ::read(fromChild_, buffer, sizeof buffer);
    if (got > 0)
      pending_.append(buffer, static_cast<std::size_t>(got));
    else
      closeFd(fromChild_);
  }
  closeFd(fromChild_);
  int status = 0;
  if (!reap(pid_, status, deadline)) {
    killGroup(pid_);
    ::waitpid(pid_, &status, 0);
    outcome.end = ProcessEnd::TimedOut;
  } else {
    outcome = endedBy(status);
  }
  outcome.output = std::move(pending_);
  pending_.clear();
  pid_ = -1;
  return outcome;
}

}  // namespace ladder51
