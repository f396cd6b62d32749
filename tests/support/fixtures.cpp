#include "tests/support/fixtures.h"

#include "core/config/settings_files.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "core/toolchain/sdcc_pipeline.h"
#include "core/translator/instruction_list.h"

namespace ladder51::test {

ScratchDir::ScratchDir(const std::string& label) {
  std::string pattern = (std::filesystem::temp_directory_path() / (label + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeFile(const std::filesystem::path& path, std::string_view bytes) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void writeScript(const std::filesystem::path& path, const std::string& body) {
  writeFile(path, "#!/bin/sh\n" + body);
  std::filesystem::permissions(path, std::filesystem::perms::owner_all |
                                         std::filesystem::perms::group_read |
                                         std::filesystem::perms::group_exec);
}

std::vector<std::string> caseNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".il") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool updatingGolden() {
  const char* update = std::getenv("LADDER51_UPDATE_GOLDEN");
  return update != nullptr && std::string(update) == "1";
}

std::filesystem::path sourcePath(const std::string& relative) {
  return std::filesystem::path(LADDER51_SOURCE_DIR) / relative;
}

bool haveProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::stringstream dirs(path);
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (!dir.empty() && ::access((std::filesystem::path(dir) / name).c_str(), X_OK) == 0) {
      return true;
    }
  }
  return false;
}

CliRun runCli(const std::vector<std::string>& args, const std::string& input) {
  ScratchDir scratch("ladder51-cli");
  std::string command = "'" LADDER51_CLI_PATH "'";
  for (const std::string& arg : args) {
    std::string quoted;
    for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    command += " '" + quoted + "'";
  }
  if (!input.empty()) {
    command = "(err='" + (scratch / "err").string() + "'; out='" + (scratch / "out").string() +
              "'; " + input + ") | " + command;
  }
  command += " >'" + (scratch / "out").string() + "' 2>'" + (scratch / "err").string() + "'";
  CliRun run;
  const int status = std::system(command.c_str());
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = readFile(scratch / "out");
  run.err = readFile(scratch / "err");
  return run;
}

namespace {

std::string toolScript(const std::string& name, const std::string& output,
                       const std::string& content, ToolBehaviour behaviour) {
  std::string body =
      "here=\"$(dirname \"$0\")\"\n"
      "line=\"" +
      name +
      "\"\n"
      "for a in \"$@\"; do line=\"$line [$a]\"; done\n"
      "echo \"$line\" >> \"$here/calls.log\"\n";
  const std::string write = "printf '" + content + "' > \"$here/" + output + "\"\n";
  switch (behaviour) {
    case ToolBehaviour::Succeed:
      return body + write + "echo '" + name + ": 0 errors'\nexit 0\n";
    case ToolBehaviour::Warn:
      return body + write + "echo '" + name + ": 1 WARNING'\nexit 1\n";
    case ToolBehaviour::Fail:
      return body + "echo '" + name + ": ERROR C141: syntax error near token'\nexit 2\n";
    case ToolBehaviour::Silent:
      return body + "exit 0\n";
    case ToolBehaviour::Hang:
      return body + "sleep 30\n";
  }
  return body;
}

}  // namespace

void StandInTools::install(const std::filesystem::path& dir) const {
  writeScript(dir / "c51.exe", toolScript("c51.exe", "fx1n.obj", "OBJ", compiler));
  writeScript(dir / "A51.exe", toolScript("A51.exe", "startup.obj", "OBJ", assembler));
  writeScript(dir / "lx51.exe", toolScript("lx51.exe", "fx1n", "ABS", linker));
  writeScript(dir / "ohx51.exe", toolScript("ohx51.exe", "fx1n.hex", "NEW HEX", hexConverter));
  writeFile(dir / "STARTUP.A51", "; start-up module\n");
}

Result<BuildReport> buildFollowPinFirmware(const std::filesystem::path& workDirectory,
                                           int perFunction, const BuildProgressCallback& progress) {
  const std::string text = readFile(sourcePath("tests/fixtures/follow_pin.c"));
  writeFile(workDirectory / "fx1n.c", text);
  BuildJob job;
  job.workDirectory = workDirectory;
  job.sourceFile = workDirectory / "fx1n.c";
  job.statementsOffset = text.find("\nif(!X0)");
  const std::size_t end = text.rfind("\n}}");
  job.statements = text.substr(job.statementsOffset, end - job.statementsOffset);
  // One statement per line; the block opened by "if(!X1){" closes with its "}" line, and no
  // statement inside it is marked, so that no cut falls there.
  int depth = 0;
  for (std::size_t at = 0; at < job.statements.size(); at = job.statements.find('\n', at + 1)) {
    const std::string line =
        job.statements.substr(at + 1, job.statements.find('\n', at + 1) - at - 1);
    if (depth == 0) job.marks.push_back({at});
    if (line.ends_with("{")) ++depth;
    if (line == "}") --depth;
    if (job.statements.find('\n', at + 1) == std::string::npos) break;
  }
  SdccOptions options;
  options.statementsPerFunction = perFunction;
  return SdccToolchain(options).build(job, progress);
}

std::vector<std::string> RecordingObserver::takeMessages() {
  std::vector<std::string> messages;
  for (const UserNotice& notice : notices) messages.push_back(notice.message);
  notices.clear();
  return messages;
}

SettingsText& assign(SettingsText& settings, std::string_view pin, std::string_view point) {
  const std::optional<int> index = findPin(pin);
  if (!index) throw std::invalid_argument("no pin " + std::string(pin));
  settings.pins[static_cast<std::size_t>(*index)] = std::string(point);
  return settings;
}

SettingsText portsBoard(const std::string& chip) {
  SettingsText board;
  if (!chip.empty()) board.chip = chip;
  for (int k = 0; k < 6; ++k) assign(board, "P3." + std::to_string(k + 2), "X" + std::to_string(k));
  for (int k = 0; k < 8; ++k) assign(board, "P1." + std::to_string(k), "Y" + std::to_string(k));
  return board;
}

SettingsText motorBoard() {
  SettingsText settings;
  assign(settings, "P3.2", "X0");
  assign(settings, "P3.3", "X1");
  return assign(settings, "P1.0", "Y0");
}

std::vector<std::uint8_t> pmwOf(std::string_view il) {
  Result<std::vector<std::uint8_t>> bytes = assembleInstructionList(il);
  if (!bytes) throw std::invalid_argument("does not assemble: " + bytes.error().describe());
  return *bytes;
}

ProgramImage imageOf(std::string_view il) {
  Result<ProgramImage> image = ProgramImage::fromBytes(pmwOf(il));
  if (!image) throw std::invalid_argument(image.error().describe());
  return *image;
}

void writeProgram(const std::filesystem::path& path, std::string_view il) {
  const std::vector<std::uint8_t> bytes = pmwOf(il);
  writeFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

Result<SequenceResult> buildWithSdcc(const std::filesystem::path& work, const SettingsText& board,
                                     std::string_view il) {
  if (Status saved = saveSettings(work, board); !saved) return saved.error();
  writeProgram(work / "prog.pmw", il);
  FirmwareBuildOptions sdcc;
  sdcc.toolchain = ToolchainChoice::Sdcc;
  return runSequence({.workDirectory = work,
                      .program = work / "prog.pmw",
                      .end = SequenceEnd::Built,
                      .assemble = {},
                      .build = sdcc},
                     Observer::none());
}

}  // namespace ladder51::test
