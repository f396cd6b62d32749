// Work directories that are missing, unwritable, oddly named or on a disk that fills up: every
// failure is reported with the folder or file and the system's reason, and no file that was
// there before loses its content.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include "core/config/settings_files.h"
#include "core/translator/instruction_list.h"
#include "core/workspace.h"
#include "tests/support/fixtures.h"

namespace ladder51 {
namespace {

using test::readFile;
using test::ScratchDir;
using test::writeFile;

ProgramImage motorProgram() {
  return *ProgramImage::fromBytes(*assembleInstructionList("LD X0\nOR Y0\nANI X1\nOUT Y0\nEND\n"));
}

Settings board(const char* crystal = "12") {
  Settings s;
  s.pins[*findPin("P3.2")] = "X0";
  s.pins[*findPin("P3.3")] = "X1";
  s.pins[*findPin("P1.0")] = "Y0";
  s.crystal = crystal;
  return s;
}

// Names of the files in a folder, temporaries included.
std::vector<std::string> entries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

const std::vector<std::string> kWorkFiles = {"7219.dat", "IIC.dat", "fx1n.c", "io.dat"};

TEST(WorkDirectory, BlanksAndNonAsciiInThePathWork) {
  ScratchDir scratch;
  const std::filesystem::path dir = scratch / "my work dir 工作 é";
  std::filesystem::create_directory(dir);
  {
    Workspace workspace(dir);
    ASSERT_TRUE(workspace.startUp().ok());
    ASSERT_TRUE(workspace.save(board("11.0592")).ok());
    Result<AssembledFile> file = workspace.translateAndAssemble(motorProgram());
    ASSERT_TRUE(file.ok()) << file.error().describe();
    EXPECT_EQ(file->path, dir / "fx1n.c");
  }
  EXPECT_EQ(entries(dir), kWorkFiles);
  Workspace again(dir);
  ASSERT_TRUE(again.startUp().ok());
  EXPECT_TRUE(again.takeNotices().empty());
  EXPECT_EQ(again.settings(), board("11.0592"));
}

// Folders that cannot hold the files: start-up falls back to the defaults, and save and
// translate fail naming the folder and the reason, creating nothing.
TEST(WorkDirectory, AFolderThatCannotBeWrittenIsReportedAndNothingIsCreated) {
  ScratchDir scratch;
  writeFile(scratch / "plain file", "x");
  struct Row {
    const char* name;
    std::filesystem::path directory;
    const char* reason;
  };
  const Row rows[] = {
      {"missing folder", scratch / "missing", "No such file or directory"},
      {"a file stands in the path", scratch / "plain file" / "work", "Not a directory"},
      {"name too long", scratch / std::string(300, 'n'), "File name too long"},
  };
  for (const Row& row : rows) {
    Workspace workspace(row.directory);
    ASSERT_TRUE(workspace.startUp().ok()) << row.name;
    EXPECT_EQ(workspace.takeNotices().size(), 3u) << row.name;
    const Status saved = workspace.save(board());
    ASSERT_FALSE(saved.ok()) << row.name;
    EXPECT_EQ(saved.error().where, row.directory.string()) << row.name;
    EXPECT_NE(saved.error().message.find(row.reason), std::string::npos)
        << row.name << ": " << saved.error().message;
    Result<AssembledFile> file = workspace.translateAndAssemble(motorProgram());
    ASSERT_FALSE(file.ok()) << row.name;
    EXPECT_NE(file.error().message.find(row.reason), std::string::npos)
        << row.name << ": " << file.error().message;
  }
  EXPECT_EQ(entries(scratch.path()), std::vector<std::string>{"plain file"});
}

TEST(WorkDirectory, AReadOnlyFolderKeepsItsFiles) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser writes into read-only folders";
  ScratchDir scratch;
  Workspace workspace(scratch.path());
  ASSERT_TRUE(workspace.startUp().ok());
  ASSERT_TRUE(workspace.save(board()).ok());
  ASSERT_TRUE(workspace.translateAndAssemble(motorProgram()).ok());
  const std::string io = readFile(scratch / "io.dat");
  const std::string source = readFile(scratch / "fx1n.c");
  std::filesystem::permissions(scratch.path(), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  const Status saved = workspace.save(board("24"));
  Result<AssembledFile> file = workspace.translateAndAssemble(motorProgram());
  std::filesystem::permissions(scratch.path(), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  ASSERT_FALSE(saved.ok());
  EXPECT_NE(saved.error().message.find("Permission denied"), std::string::npos);
  ASSERT_FALSE(file.ok());
  EXPECT_EQ(readFile(scratch / "io.dat"), io);
  EXPECT_EQ(readFile(scratch / "fx1n.c"), source);
  EXPECT_EQ(entries(scratch.path()), kWorkFiles);
}

// Makes every write of this process past `bytes` fail, as a full disk does, until destroyed.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);  // fail the write instead of dying
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*previousHandler_)(int) = nullptr;
};

TEST(WorkDirectory, ADiskThatFillsUpWhileWritingLosesNothing) {
  ScratchDir scratch;
  Workspace workspace(scratch.path());
  ASSERT_TRUE(workspace.startUp().ok());
  ASSERT_TRUE(workspace.save(board()).ok());
  ASSERT_TRUE(workspace.translateAndAssemble(motorProgram()).ok());
  std::map<std::string, std::string> before;
  for (const std::string& name : kWorkFiles) before[name] = readFile(scratch / name);
  const std::string wholeFile = workspace.wholeFile();
  ASSERT_GT(before["io.dat"].size(), 100u);
  ASSERT_LT(before["IIC.dat"].size(), 100u);

  // 7219.dat and IIC.dat fit in 100 bytes; io.dat and fx1n.c are cut off partway.
  Settings changed = board("24");
  changed.pins[*findPin("P1.1")] = "Y1";
  Status saved = success();
  Result<AssembledFile> file = Error{ErrorKind::Internal, "not run"};
  {
    FileSizeLimit limit(100);
    saved = workspace.save(changed);
    file = workspace.translateAndAssemble(motorProgram());
  }
  ASSERT_FALSE(saved.ok());
  EXPECT_EQ(saved.error().message, "cannot write the file: File too large");
  EXPECT_EQ(saved.error().where, (scratch / "io.dat").string());
  ASSERT_FALSE(file.ok());
  EXPECT_EQ(file.error().message, "cannot write the file: File too large");
  EXPECT_EQ(file.error().where, (scratch / "fx1n.c").string());

  for (const std::string& name : kWorkFiles) {
    EXPECT_TRUE(readFile(scratch / name) == before[name]) << name << " changed";
  }
  EXPECT_EQ(entries(scratch.path()), kWorkFiles);  // no temporary left behind
  EXPECT_EQ(workspace.settings(), board());
  EXPECT_TRUE(workspace.wholeFile() == wholeFile);

  // Once there is room again the same commands succeed.
  ASSERT_TRUE(workspace.save(changed).ok());
  ASSERT_TRUE(workspace.translateAndAssemble(motorProgram()).ok());
  EXPECT_NE(readFile(scratch / "IIC.dat"), before["IIC.dat"]);
}

}  // namespace
}  // namespace ladder51
