#include "core/toolchain/build.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <system_error>

namespace ladder51 {
namespace {

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

std::string stageName(BuildStage stage) {
  switch (stage) {
    case BuildStage::Compile:
      return "compiler";
    case BuildStage::AssembleStartup:
      return "start-up assembler";
    case BuildStage::Link:
      return "linker";
    case BuildStage::HexConvert:
      return "hex converter";
    case BuildStage::Finish:
      return "copy of fx1n.hex";
  }
  return "build";
}

Error stageFailure(ErrorKind kind, BuildStage stage, const std::string& why,
                   const std::string& commandLine, const std::string& output) {
  std::string message = "the " + stageName(stage) + " failed (" + why + ")\n  " + commandLine;
  if (!output.empty()) message += "\n" + output;
  return Error{kind, message, stageName(stage)};
}

std::string quoteIfNeeded(const std::string& word) {
  if (word.find_first_of(" \t") == std::string::npos) return word;
  return "\"" + word + "\"";
}

Result<BuildLock> BuildLock::acquire(const std::filesystem::path& workDirectory) {
  // The lock is an advisory lock on the folder itself: nothing is left behind, and it goes with
  // the process that held it.
  int fd = ::open(workDirectory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return Error{ErrorKind::CannotOpen, "the work folder cannot be opened", workDirectory.string()};
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return Error{ErrorKind::BuildBusy, "a build is already running", workDirectory.string()};
  }
  return BuildLock(fd);
}

BuildLock::BuildLock(BuildLock&& other) noexcept : fd_(other.fd_) {
  other.fd_ = -1;
}

BuildLock& BuildLock::operator=(BuildLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

BuildLock::~BuildLock() {
  if (fd_ >= 0) ::close(fd_);
}

std::filesystem::path findFileIgnoringCase(const std::filesystem::path& directory,
                                           const std::string& name) {
  std::error_code ec;
  if (std::filesystem::is_regular_file(directory / name, ec)) return directory / name;
  const std::string wanted = lower(name);
  for (const auto& entry : std::filesystem::directory_iterator(directory, ec)) {
    if (entry.is_regular_file(ec) && lower(entry.path().filename().string()) == wanted) {
      return entry.path();
    }
  }
  return {};
}

Status removeIgnoringCase(const std::filesystem::path& directory, const std::string& name) {
  for (;;) {
    std::filesystem::path found = findFileIgnoringCase(directory, name);
    if (found.empty()) return success();
    std::error_code ec;
    if (!std::filesystem::remove(found, ec) || ec) {
      return Error{ErrorKind::CannotWrite,
                   "cannot remove " + found.filename().string() + ": " + ec.message(),
                   directory.string()};
    }
  }
}

Result<BuildReport> Toolchain::build(const BuildJob& job,
                                     const BuildProgressCallback& progress) const {
  Result<BuildLock> lock = BuildLock::acquire(job.workDirectory);
  if (!lock) return lock.error();
  if (Status removed = removeIgnoringCase(job.workDirectory, kHexFileName); !removed) {
    return removed.error();
  }
  Result<BuildReport> report = runStages(job, progress);
  if (report) {
    report->limits = job.limits;
    return report;
  }
  Error error = report.error();
  const std::size_t lineEnd = std::min(error.message.find('\n'), error.message.size());
  error.message.insert(lineEnd, ": no fx1n.hex was written");
  return error;
}

Status replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code ec;
  std::filesystem::path partial = to;
  partial += ".partial";
  std::filesystem::copy_file(from, partial, std::filesystem::copy_options::overwrite_existing, ec);
  if (!ec) std::filesystem::rename(partial, to, ec);
  if (ec) {
    std::string why = ec.message();
    std::filesystem::remove(partial, ec);
    return Error{ErrorKind::CannotWrite,
                 "cannot copy " + from.filename().string() + " to " + to.string() + ": " + why,
                 to.parent_path().string()};
  }
  return success();
}

}  // namespace ladder51
