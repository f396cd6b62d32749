#include "core/file_io.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

namespace ladder51 {
namespace {

std::string systemMessage(int error) {
  return std::strerror(error);
}

// Writes `bytes` to a fresh temporary file beside `target`; returns its path.
Result<std::filesystem::path> writeTemporary(const std::filesystem::path& target,
                                             std::string_view bytes) {
  const std::filesystem::path folder =
      target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  // Built in steps: GCC 12 at -O3 warns (wrongly) of overlapping copies in a chain of +.
  std::string base = ".";
  base += target.filename().string();
  base += ".XXXXXX";
  const std::string pattern = (folder / base).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    return Error{ErrorKind::CannotWrite,
                 "cannot create a file in the folder: " + systemMessage(errno), folder.string()};
  }
  const std::filesystem::path temporary(name.data());
  std::size_t written = 0;
  int failure = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      failure = errno;
      break;
    }
    written += static_cast<std::size_t>(n);
  }
  if (failure == 0 && ::fsync(fd) != 0) failure = errno;
  // mkstemp creates the file readable by its owner only; give it the usual permissions.
  if (failure == 0 && ::fchmod(fd, 0644) != 0) failure = errno;
  if (::close(fd) != 0 && failure == 0) failure = errno;
  if (failure != 0) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return Error{ErrorKind::CannotWrite, "cannot write the file: " + systemMessage(failure),
                 target.string()};
  }
  return temporary;
}

}  // namespace

Status writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  const FileContent file{path, std::string(bytes)};
  return writeFilesAtomically(std::span<const FileContent>(&file, 1));
}

Status writeFilesAtomically(std::span<const FileContent> files) {
  std::vector<std::filesystem::path> temporaries;
  auto discard = [&temporaries] {
    std::error_code ignored;
    for (const auto& temporary : temporaries) std::filesystem::remove(temporary, ignored);
  };
  for (const FileContent& file : files) {
    Result<std::filesystem::path> temporary = writeTemporary(file.path, file.bytes);
    if (!temporary) {
      discard();
      return temporary.error();
    }
    temporaries.push_back(*temporary);
  }
  for (std::size_t k = 0; k < files.size(); ++k) {
    std::error_code error;
    std::filesystem::rename(temporaries[k], files[k].path, error);
    if (error) {
      temporaries.erase(temporaries.begin(), temporaries.begin() + static_cast<long>(k));
      discard();
      return Error{ErrorKind::CannotWrite, "cannot replace the file: " + error.message(),
                   files[k].path.string()};
    }
  }
  return success();
}

std::string fileTooLargeMessage(std::size_t maxBytes) {
  return "the file is larger than " + std::to_string(maxBytes) + " bytes";
}

Result<std::string> readWholeFile(const std::filesystem::path& path, std::size_t maxBytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Error{ErrorKind::CannotOpen, "cannot open the file", path.string()};
  std::string bytes;
  char buffer[64 * 1024];
  while (bytes.size() <= maxBytes) {
    const std::size_t wanted = std::min(sizeof buffer, maxBytes + 1 - bytes.size());
    in.read(buffer, static_cast<std::streamsize>(wanted));
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (!in) break;
  }
  if (in.bad()) return Error{ErrorKind::CannotRead, "cannot read the file", path.string()};
  if (bytes.size() > maxBytes)
    return Error{ErrorKind::FileTooLarge, fileTooLargeMessage(maxBytes), path.string()};
  return bytes;
}

TemporaryFolder::TemporaryFolder(std::string_view prefix) {
  std::error_code ec;
  std::string pattern =
      (std::filesystem::temp_directory_path(ec) / (std::string(prefix) + "-XXXXXX")).string();
  if (!ec && ::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

}  // namespace ladder51
