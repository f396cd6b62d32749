#include "core/file_io.h"

#include <gtest/gtest.h>

#include "tests/support/fixtures.h"

namespace ladder51 {
namespace {

using test::ScratchDir;

int entries(const ScratchDir& dir) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    (void)entry;
    ++count;
  }
  return count;
}

TEST(FileIo, ReplacesAFileWholeAndLeavesNoTemporary) {
  ScratchDir dir;
  ASSERT_TRUE(writeFileAtomically(dir / "a.txt", "first version, longer").ok());
  ASSERT_TRUE(writeFileAtomically(dir / "a.txt", std::string("second\0\r\n", 9)).ok());
  EXPECT_EQ(*readWholeFile(dir / "a.txt"), std::string("second\0\r\n", 9));
  EXPECT_EQ(entries(dir), 1);
  EXPECT_EQ(
      std::filesystem::status(dir / "a.txt").permissions() & std::filesystem::perms::owner_read,
      std::filesystem::perms::owner_read);
}

TEST(FileIo, AFailedSetWritesNoneOfItsFiles) {
  ScratchDir dir;
  ASSERT_TRUE(writeFileAtomically(dir / "kept.dat", "old").ok());
  const FileContent files[] = {{dir / "kept.dat", "new"}, {dir / "missing" / "b.dat", "x"}};
  const Status status = writeFilesAtomically(files);
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.error().where, (dir / "missing").string());
  EXPECT_EQ(*readWholeFile(dir / "kept.dat"), "old");
  EXPECT_EQ(entries(dir), 1);
}

TEST(FileIo, ReadingAMissingFileIsAnError) {
  ScratchDir dir;
  const Result<std::string> missing = readWholeFile(dir / "none");
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().where, (dir / "none").string());
}

TEST(FileIo, ReadingStopsPastTheLimit) {
  ScratchDir dir;
  ASSERT_TRUE(writeFileAtomically(dir / "ten", "0123456789").ok());
  EXPECT_EQ(*readWholeFile(dir / "ten", 10), "0123456789");
  const Result<std::string> over = readWholeFile(dir / "ten", 9);
  ASSERT_FALSE(over.ok());
  EXPECT_EQ(over.error().message, "the file is larger than 9 bytes");
  // A device that never ends is refused instead of filling the memory.
  const Result<std::string> endless = readWholeFile("/dev/zero", 100000);
  ASSERT_FALSE(endless.ok());
  EXPECT_EQ(endless.error().message, fileTooLargeMessage(100000));
}

}  // namespace
}  // namespace ladder51
