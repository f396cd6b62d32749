#include "core/translator/program_image.h"

#include <string>
#include <system_error>

#include "core/file_io.h"

namespace ladder51 {

ProgramImage::ProgramImage() : entries_(kImageEntries, static_cast<std::int16_t>(kEmpty)) {}

long long storedBlocks(long long length) {
  long long whole = length / 16;
  long long rest = length % 16;
  if (rest > 8 || (rest == 8 && whole % 2 == 1)) ++whole;
  return whole;
}

namespace {

// The longest file whose blocks fit the image: 1250 blocks of 16 bytes, with 8 trailing bytes
// that the rounding drops.
constexpr std::size_t kLongestReadable = 20008;

std::string tooLongMessage(const std::string& size) {
  return "program file too long: " + size + " bytes, at most " + std::to_string(kLongestReadable) +
         " can be read";
}

}  // namespace

Result<ProgramImage> ProgramImage::fromBytes(std::span<const std::uint8_t> bytes) {
  const long long blocks = storedBlocks(static_cast<long long>(bytes.size()));
  if (blocks * 16 > kImageEntries)
    return Error{ErrorKind::BadProgram, tooLongMessage(std::to_string(bytes.size()))};
  ProgramImage image;
  const std::size_t count = static_cast<std::size_t>(blocks * 16);
  for (std::size_t k = 0; k < count; ++k) {
    // Positions of the last block that lie past the end of the file hold nothing.
    image.entries_[k] =
        k < bytes.size() ? static_cast<std::int16_t>(bytes[k]) : static_cast<std::int16_t>(kEmpty);
  }
  image.stored_ = static_cast<int>(count);
  return image;
}

Result<ProgramImage> ProgramImage::readFile(const std::filesystem::path& path) {
  // A longer file is refused without being read whole: it may be huge, or a device that never
  // ends.
  Result<std::string> bytes = readWholeFile(path, kLongestReadable);
  if (!bytes) {
    const ErrorKind kind = bytes.error().kind;
    if (kind == ErrorKind::CannotOpen)
      return Error{kind, "cannot open the program file", path.string()};
    if (kind != ErrorKind::FileTooLarge) {
      return Error{kind, "cannot read the program file", path.string()};
    }
    std::error_code error;
    const auto size = std::filesystem::is_regular_file(path, error)
                          ? std::filesystem::file_size(path, error)
                          : std::uintmax_t{0};
    return Error{ErrorKind::BadProgram,
                 tooLongMessage(size > kLongestReadable && !error
                                    ? std::to_string(size)
                                    : "more than " + std::to_string(kLongestReadable)),
                 path.string()};
  }
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes->data());
  Result<ProgramImage> image = fromBytes({data, bytes->size()});
  if (!image) return Error{image.error().kind, image.error().message, path.string()};
  return image;
}

}  // namespace ladder51
