// The driver: plans the run, writes the stimulus waveform, sends the batches to s51 while
// reading the answers to the earlier ones, and collects the results.
#include "core/sim/simulator.h"

#include <algorithm>

#include "core/file_io.h"
#include "core/sim/s51_answer.h"
#include "core/sim/s51_process.h"
#include "core/sim/s51_script.h"
#include "core/sim/stop_plan.h"

namespace ladder51 {
namespace {

// One conversation with s51: batches go out, and each answer is read up to its batch's end.
class S51 {
 public:
  explicit S51(std::chrono::milliseconds limit) : limit_(limit) {}

  Status start(const SimulationOptions& options, const std::filesystem::path& directory) {
    return process_.start(options, directory);
  }

  // Sends a batch without waiting for its answer.
  Status send(const S51Batch& batch) { return process_.send(batch.commands); }

  // The answer to a batch sent earlier, allowed as much more time than an answer needs as the
  // batch simulates: s51 is not always faster than real time.
  Result<std::string> read(const S51Batch& batch) {
    return process_.readUntil(batch.answerEnd,
                              limit_ + std::chrono::milliseconds(batch.simulatedMicros / 1000));
  }

  void sendQuit() { process_.sendQuit(); }
  void quit() { process_.quit(); }

 private:
  S51Process process_;
  std::chrono::milliseconds limit_;
};

}  // namespace

bool SimulationResult::isOn(const std::string& point, std::uint64_t timeMicros) const {
  bool on = false;
  const auto& changes = point.starts_with("X") ? inputs : outputs;
  for (const PointChange& change : changes) {
    if (change.timeMicros > timeMicros) break;
    if (change.point == point) on = change.on;
  }
  return on;
}

Result<SimulationResult> simulate(const std::filesystem::path& hexFile, const SimPinMap& pins,
                                  const Stimulus& stimulus, const SimulationOptions& options,
                                  const SimulationProgress& progress) {
  Result<std::filesystem::path> loadable = hexForS51(hexFile);
  if (!loadable) return loadable.error();
  const std::filesystem::path& hex = *loadable;
  const Result<StopPlan> plan = planStops(pins, stimulus, options);
  if (!plan) return plan.error();

  TemporaryFolder waves("ladder51-s51");
  if (waves.path().empty() || waves.path().string().find('"') != std::string::npos) {
    return Error{ErrorKind::SimulatorFailed, "no temporary folder for the simulator's waveforms"};
  }
  const S51Files files{hex, waves.path() / "stimulus.vcd", waves.path() / "outputs.vcd"};
  if (!writeFileAtomically(files.stimulusWave, stimulusWaveform(*plan))) {
    return Error{ErrorKind::SimulatorFailed, "cannot write the stimulus waveform",
                 files.stimulusWave.string()};
  }
  const std::vector<S51Batch> batches = scriptBatches(*plan, options, files);

  S51 s51(options.answerTimeLimit);
  if (Status started = s51.start(options, hex.parent_path()); !started) return started.error();
  auto fail = [&s51](Error error) {
    s51.quit();
    return error;
  };
  auto sendBatch = [&](std::size_t k) {
    Status sent = s51.send(batches[k]);
    // Queued behind the last batch, the quit is read at once instead of at s51's next look.
    if (sent && k + 1 == batches.size()) s51.sendQuit();
    return sent;
  };
  for (std::size_t k = 0; k < std::min<std::size_t>(2, batches.size()); ++k) {
    if (Status sent = sendBatch(k); !sent) return fail(sent.error());
  }
  AnswerReader reader(*plan, pins, options);
  std::string lastAnswer;
  for (std::size_t k = 0; k < batches.size(); ++k) {
    Result<std::string> answer = s51.read(batches[k]);
    if (!answer) return fail(answer.error());
    if (k + 2 < batches.size()) {
      if (Status sent = sendBatch(k + 2); !sent) return fail(sent.error());
    }
    if (k == 0 && !reportsProgramLoaded(*answer)) {
      return fail(Error{ErrorKind::SimulatorFailed, "the simulator could not load the hex file",
                        hex.string()});
    }
    if (Status read = reader.take(*answer, batches[k].stopCount); !read) return fail(read.error());
    if (progress) progress(reader.simulatedMicros());
    lastAnswer = std::move(*answer);
  }
  s51.quit();

  std::vector<PortChange> recorded;
  if (!plan->outputPorts.empty()) {
    Result<std::string> wave = readWholeFile(files.outputWave);
    if (!wave) {
      return Error{ErrorKind::SimulatorFailed, "the simulator wrote no waveform of the outputs",
                   files.outputWave.string()};
    }
    recorded = readOutputWaveform(*wave);
  }
  return reader.finish(recorded, lastAnswer);
}

}  // namespace ladder51
