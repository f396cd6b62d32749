#include "core/sim/s51_process.h"

#include "core/sim/s51_script.h"

namespace ladder51 {

Result<std::filesystem::path> hexForS51(const std::filesystem::path& hexFile) {
  std::error_code ec;
  std::filesystem::path hex = std::filesystem::absolute(hexFile, ec);
  if (!std::filesystem::is_regular_file(hex, ec))
    return Error{ErrorKind::CannotOpen, "no such hex file", hexFile.string()};
  if (hex.string().find('"') != std::string::npos) {
    return Error{ErrorKind::BadArgument,
                 "the simulator cannot load a file whose path holds a quote", hex.string()};
  }
  return hex;
}

Status S51Process::start(const SimulationOptions& options, const std::filesystem::path& directory) {
  Status started = session_.start({options.simulator, s51Arguments(options), directory, {}});
  if (!started)
    return Error{ErrorKind::SimulatorFailed, "the 8051 simulator cannot be started",
                 options.simulator};
  quitSent_ = false;
  return success();
}

Status S51Process::send(std::string_view commands) {
  Status sent = session_.send(commands);
  if (!sent)
    return Error{ErrorKind::SimulatorFailed, "the 8051 simulator stopped reading",
                 sent.error().message};
  return success();
}

Result<std::string> S51Process::readUntil(std::string_view end,
                                          std::chrono::milliseconds timeLimit) {
  Result<std::string> answer = session_.readUntil(end, timeLimit);
  if (!answer)
    return Error{ErrorKind::SimulatorFailed, "the 8051 simulator stopped answering",
                 answer.error().message};
  return answer;
}

void S51Process::sendQuit() {
  if (!quitSent_) (void)session_.send("quit\n");
  quitSent_ = true;
}

void S51Process::quit() {
  sendQuit();
  session_.finish(std::chrono::seconds(2));
}

}  // namespace ladder51
