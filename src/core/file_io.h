// Whole-file reads and writes. A write replaces its file whole or not at all: the bytes go to
// a temporary file in the same folder, which is then renamed over the target, so a crash or
// a full disk never leaves a half-written file behind.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "core/result.h"

namespace ladder51 {

// One file to be written: where, and its exact bytes.
struct FileContent {
  std::filesystem::path path;
  std::string bytes;
};

// Writes `bytes` as the whole content of `path`, replacing any file of that name.
Status writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Writes every file to its temporary first and renames them all only when each was written
// completely, in the order given. On any failure no target has been touched yet, unless a
// rename itself fails.
Status writeFilesAtomically(std::span<const FileContent> files);

// The bytes of a file; an Error (where = the path) when it is missing or unreadable, or when it
// holds more than `maxBytes` (then at most maxBytes + 1 bytes are read, so that a huge file or
// an endless device is refused without filling the memory).
Result<std::string> readWholeFile(const std::filesystem::path& path,
                                  std::size_t maxBytes = std::string().max_size() - 1);

// The message of readWholeFile for a file over its limit.
std::string fileTooLargeMessage(std::size_t maxBytes);

// A fresh folder under the system's temporary folder ("PREFIX-XXXXXX"), removed with everything
// in it when this goes; its path is empty when it could not be made.
class TemporaryFolder {
 public:
  explicit TemporaryFolder(std::string_view prefix);
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace ladder51
