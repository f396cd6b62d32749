#include "core/translator/program_image.h"

#include <fstream>
#include <iterator>

namespace ladder51 {

ProgramImage::ProgramImage() : entries_(kImageEntries, static_cast<std::int16_t>(kEmpty)) {}

long long storedBlocks(long long length) {
  long long whole = length / 16;
  long long rest = length % 16;
  if (rest > 8 || (rest == 8 && whole % 2 == 1)) ++whole;
  return whole;
}

Result<ProgramImage> ProgramImage::fromBytes(std::span<const std::uint8_t> bytes) {
  const long long blocks = storedBlocks(static_cast<long long>(bytes.size()));
  if (blocks * 16 > kImageEntries) {
    return Error{"program file too long: " + std::to_string(bytes.size()) +
                     " bytes, at most 20008 can be read",
                 ""};
  }
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
  std::ifstream in(path, std::ios::binary);
  if (!in) return Error{"cannot open the program file", path.string()};
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  if (in.bad()) return Error{"cannot read the program file", path.string()};
  Result<ProgramImage> image = fromBytes(bytes);
  if (!image) return Error{image.error().message, path.string()};
  return image;
}

}  // namespace ladder51
