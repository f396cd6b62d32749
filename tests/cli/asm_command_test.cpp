// The asm and disasm subcommands, run as a user runs them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/translator/instruction_list.h"

namespace ladder51 {
namespace {

namespace fs = std::filesystem;

class AsmCommand : public testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() / ("ladder51-asm-" + std::to_string(::getpid()) + "-" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Runs the command line with its output in files; returns the exit status.
  int run(const std::string& arguments) {
    const std::string command = std::string(LADDER51_CLI_PATH) + " " + arguments + " >" +
                                (folder_ / "stdout").string() + " 2>" +
                                (folder_ / "stderr").string();
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string read(const fs::path& path) const {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void write(const fs::path& path, const std::string& text) const {
    std::ofstream(path, std::ios::binary) << text;
  }
  fs::path path(const std::string& name) const { return folder_ / name; }

  fs::path folder_;
};

TEST_F(AsmCommand, WritesTheProgramAndListsItBack) {
  const std::string source = "LD X0\nOUT T5 K100\nLD T5\nOUT Y0\nEND\n";
  write(path("prog.il"), source);
  ASSERT_EQ(run("asm " + path("prog.il").string() + " -o " + path("out.pmw").string()), 0)
      << read(path("stderr"));
  const std::string written = read(path("out.pmw"));
  Result<std::vector<std::uint8_t>> expected = assembleInstructionList(source);
  ASSERT_TRUE(expected.ok());
  EXPECT_EQ(written, std::string(expected->begin(), expected->end()));

  ASSERT_EQ(run("disasm " + path("out.pmw").string()), 0);
  EXPECT_EQ(read(path("stdout")), disassemble(*expected));
  EXPECT_EQ(read(path("stderr")), "");

  // Without -o the program goes beside the source.
  ASSERT_EQ(run("asm " + path("prog.il").string()), 0);
  EXPECT_EQ(read(path("prog.pmw")), written);
}

TEST_F(AsmCommand, BadLineIsReportedAndNothingIsWritten) {
  write(path("bad.il"), "LD X0\nOUT Y8\nEND\n");
  write(path("old.pmw"), "previous program");
  EXPECT_EQ(run("asm " + path("bad.il").string() + " -o " + path("new.pmw").string()), 1);
  EXPECT_NE(read(path("stderr")).find("line 2"), std::string::npos) << read(path("stderr"));
  EXPECT_NE(read(path("stderr")).find("octal"), std::string::npos);
  EXPECT_FALSE(fs::exists(path("new.pmw")));

  EXPECT_EQ(run("asm " + path("bad.il").string() + " -o " + path("old.pmw").string()), 1);
  EXPECT_EQ(read(path("old.pmw")), "previous program");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 4)
      << "a temporary file was left behind";
}

TEST_F(AsmCommand, MissingFilesFail) {
  EXPECT_EQ(run("asm " + path("none.il").string() + " -o " + path("x.pmw").string()), 1);
  EXPECT_FALSE(fs::exists(path("x.pmw")));
  EXPECT_EQ(run("disasm " + path("none.pmw").string()), 1);
  EXPECT_NE(read(path("stderr")).find("cannot open"), std::string::npos);
}

}  // namespace
}  // namespace ladder51
