// A live run of the firmware on s51, driven a slice of simulated time at a time: the chip starts
// as from power-on, input levels are set between slices as a user switches them, and every
// slice reports the outputs that switched in it at their exact simulated times. The window's
// virtual board and `ladder51 sim --interactive` run on it; pacing against the wall clock is
// theirs (LivePace).
//
// s51 records every change of ports 0..3 in a waveform file that it writes as it runs, so a
// slice reads the new part of that file; port 4 (STC89C52 and up), which the simulated 8052
// lacks, is read at the end of each slice.
//
// An idle s51 looks for commands only every 100 ms, so a slice costs up to that much wall time
// whatever it simulates: a front end keeps pace with slices of about 100 ms or more, and starts
// one (begin) and collects it later (finish) so that it can go on meanwhile.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/result.h"
#include "core/sim/s51_answer.h"
#include "core/sim/simulator.h"
#include "core/sim/stimulus.h"

namespace ladder51 {

struct LiveOptions {
  double crystalMHz = 12.0;
  std::string simulator = "s51";
  // Time the simulator may take to answer one command, on top of the time a slice simulates.
  std::chrono::milliseconds answerTimeLimit{std::chrono::seconds(20)};
};

// What one slice did.
struct LiveSlice {
  std::uint64_t startMicros = 0;  // simulated time at the start of the slice
  std::uint64_t endMicros = 0;    // and at its end
  // The Y points that switched in the slice, in time order.
  std::vector<PointChange> outputs;
  // Every change of the ports' levels in the slice (ports 0..3 at their exact times, port 4 as
  // read at the end): the pins of a MAX7219 or anything else the firmware drives.
  std::vector<PortChange> ports;
  // The watches given to begin, read at the end of the slice.
  std::vector<long> values;
};

class LiveSession {
 public:
  // Starts s51 with the firmware, as from power-on, every input off. Fails when the hex file is
  // missing, the simulator cannot start or cannot load it.
  static Result<std::unique_ptr<LiveSession>> start(const std::filesystem::path& hexFile,
                                                    const SimPinMap& pins,
                                                    const LiveOptions& options);
  ~LiveSession();
  LiveSession(const LiveSession&) = delete;
  LiveSession& operator=(const LiveSession&) = delete;

  // Switches an input point at the start of the next slice. Fails for a point that no pin of
  // ports 0..3 carries.
  Status setInput(const std::string& point, bool on);
  // Starts a slice of about `micros` of simulated time (it ends at an instruction boundary, and
  // the next slice makes up the difference), reading `watches` at its end; 0 only reads them.
  // Fails while a slice is under way.
  Status begin(std::uint64_t micros, const std::vector<RamWatch>& watches = {});
  // The slice begun, once s51 has answered within `wait`; nothing yet otherwise.
  Result<std::optional<LiveSlice>> finish(std::chrono::milliseconds wait);
  bool busy() const;
  // begin and finish, waiting for the answer.
  Result<LiveSlice> run(std::uint64_t micros, const std::vector<RamWatch>& watches = {});
  // The values of `watches` now.
  Result<std::vector<long>> read(const std::vector<RamWatch>& watches);
  // Powers the chip off and on: a new start from time 0, every input off, the record cleared.
  Status reset();

  std::uint64_t simulatedMicros() const;
  // Whether an input or output point is on now.
  bool isOn(const std::string& point) const;
  // Everything since the last power-on: the inputs as applied, the outputs as they switched,
  // and the time reached, for formatTimeline, formatVcd and formatStimulus.
  const SimulationResult& record() const;

 private:
  struct State;
  explicit LiveSession(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// Keeps a live session in step with the wall clock: how much simulated time is due now, at a
// speed (1 for real time). A session that falls behind runs at most `longestSlice` at a time.
class LivePace {
 public:
  explicit LivePace(double speed = 1.0, std::uint64_t longestSliceMicros = 300'000);
  // Counts from now, with the session at `simulatedMicros`.
  void restart(std::uint64_t simulatedMicros);
  // The simulated time to run now for a session at `simulatedMicros`.
  std::uint64_t due(std::uint64_t simulatedMicros) const;

 private:
  double speed_;
  std::uint64_t longestSlice_;
  std::chrono::steady_clock::time_point startWall_;
  std::uint64_t startSimulated_ = 0;
};

}  // namespace ladder51
