#include "core/translator/program_image.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace ladder51 {
namespace {

struct BlockCase {
  long long length;
  long long blocks;
};

TEST(ProgramImage, BlockCountRoundsHalvesToEven) {
  const BlockCase cases[] = {{0, 0},        {7, 0},        {8, 0},    {9, 1},      {24, 2},
                             {40, 2},       {56, 4},       {300, 19}, {5120, 320}, {20008, 1250},
                             {20009, 1251}, {20001, 1250}, {16, 1},   {25, 2}};
  for (const BlockCase& c : cases) EXPECT_EQ(storedBlocks(c.length), c.blocks) << c.length;
}

TEST(ProgramImage, StoresWholeBlocksAndMarksMissingBytesEmpty) {
  std::vector<std::uint8_t> bytes(300, 0x24);
  Result<ProgramImage> image = ProgramImage::fromBytes(bytes);
  ASSERT_TRUE(image.ok());
  EXPECT_EQ(image->storedCount(), 304);
  EXPECT_EQ(image->at(299), 0x24);
  EXPECT_EQ(image->at(300), ProgramImage::kEmpty);  // read past the end of the file
  EXPECT_EQ(image->value(300), 0);
  EXPECT_EQ(image->at(348), ProgramImage::kEmpty);
}

TEST(ProgramImage, DropsTrailingBytesWhenRoundedDown) {
  std::vector<std::uint8_t> bytes(24, 0x11);  // 1.5 blocks -> 2 blocks
  bytes.resize(40, 0x22);                     // 2.5 blocks -> 2 blocks: the last 8 bytes dropped
  Result<ProgramImage> image = ProgramImage::fromBytes(bytes);
  ASSERT_TRUE(image.ok());
  EXPECT_EQ(image->storedCount(), 32);
  EXPECT_EQ(image->at(31), 0x22);
  EXPECT_EQ(image->at(32), ProgramImage::kEmpty);
}

TEST(ProgramImage, LongestReadableFileAndFirstTooLong) {
  std::vector<std::uint8_t> bytes(20008, 0xFF);
  EXPECT_TRUE(ProgramImage::fromBytes(bytes).ok());
  bytes.push_back(0xFF);
  Result<ProgramImage> tooLong = ProgramImage::fromBytes(bytes);
  ASSERT_FALSE(tooLong.ok());
  EXPECT_NE(tooLong.error().message.find("too long"), std::string::npos);
}

TEST(ProgramImage, HugeFilesAreRefusedWithoutBeingRead) {
  const std::string kept = "at most 20008 can be read";
  const Result<ProgramImage> endless = ProgramImage::readFile("/dev/zero");
  ASSERT_FALSE(endless.ok());
  EXPECT_EQ(endless.error().message, "program file too long: more than 20008 bytes, " + kept);
  EXPECT_EQ(endless.error().where, "/dev/zero");

  // A sparse file of 10 GiB takes no disk space; reading it whole would take the memory.
  const std::filesystem::path huge =
      std::filesystem::temp_directory_path() / ("ladder51-huge-" + std::to_string(::getpid()));
  { std::ofstream create(huge); }
  std::filesystem::resize_file(huge, std::uintmax_t{10} << 30);
  const Result<ProgramImage> image = ProgramImage::readFile(huge);
  std::filesystem::remove(huge);
  ASSERT_FALSE(image.ok());
  EXPECT_EQ(image.error().message, "program file too long: 10737418240 bytes, " + kept);
}

TEST(ProgramImage, MissingFileIsAnError) {
  Result<ProgramImage> image = ProgramImage::readFile("/nonexistent/prog.pmw");
  ASSERT_FALSE(image.ok());
  EXPECT_EQ(image.error().where, "/nonexistent/prog.pmw");
}

}  // namespace
}  // namespace ladder51
