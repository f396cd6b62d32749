#include "core/reference/differential.h"

#include "core/config/time_base.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "core/sequence.h"
#include "core/sim/ram_symbols.h"

namespace ladder51::reference {
namespace {

// Timer 0 is reloaded with FA7D hex: it overflows after 1411 machine cycles.
constexpr double kCyclesPerInterrupt = 65536 - 0xFA7D;
constexpr double kClocksPerCycle = 12;

// The highest devices the firmware's RAM holds (and watchesFor reads).
constexpr int kLastRelay = 79;
constexpr int kLastTimerContact = 25;
constexpr int kLastCounter = 10;
constexpr int kLastRegister = 15;

// A run that reads many RAM cells at every sample has been seen to stall the conversation with
// s51 (17 watches with a 16-bit one among them); the check reads the first ones only.
constexpr std::size_t kMostWatches = 12;

// One timing of the firmware the interpreter is run under.
struct Variant {
  std::int64_t unit;       // the unit's length: the nominal one, or stretched by the scans
  std::int64_t phase;      // where the first unit boundary falls
  std::int64_t delay;      // how long an input change takes to be seen
  std::int64_t scan;       // the scan's length
  std::int64_t firstScan;  // when the first scan runs, after the cold start
  bool ownUnits;           // FirmwareTiming::ownUnits
};

// The unit stretched by the scan that ends it (0, 1.5 and 3 %), its boundaries at each quarter,
// an input seen soon or late after its change, and a scan length of its own for each variant, so
// that what depends on the number of scans (ALT or INC under a steady condition) differs among
// them and is left open.
std::vector<Variant> variantsOf(const FirmwareTiming& timing) {
  std::vector<Variant> variants;
  for (int stretch : {0, 15, 30}) {
    const std::int64_t unit = timing.unitMicros * (1000 + stretch) / 1000;
    for (int quarter = 0; quarter < 4; ++quarter) {
      for (bool late : {false, true}) {
        const auto scan = static_cast<std::int64_t>(250 + 45 * variants.size());
        variants.push_back({unit, unit * quarter / 4, late ? 4'000 : 500, scan,
                            late ? 150'000 : 60'000, timing.ownUnits});
      }
    }
  }
  return variants;
}

// A device compared: a Y point, or a watched value.
struct Probe {
  std::string name;
  fx::Device device;
  bool value = false;  // a T or C count, or D: a word, not a bit
};

std::vector<Probe> probesOf(const FirmwareRun& run) {
  std::vector<Probe> probes;
  for (const auto& [point, pin] : run.pins.outputs) {
    if (const auto device = parseDevice(point)) probes.push_back({point, *device, false});
  }
  for (const RamWatch& watch : run.watches) {
    const std::string device = watch.name.substr(0, watch.name.find(' '));
    const auto parsed = parseDevice(device);
    if (!parsed) continue;
    probes.push_back({watch.name, *parsed, watch.name != device || parsed->letter == 'D'});
  }
  return probes;
}

// Y points are compared at their pins: the PLC's output terminals.
long plcValue(const Interpreter& plc, const Probe& probe) {
  if (probe.value) return plc.word(probe.device);
  return probe.device.letter == 'Y' ? plc.output(probe.device.number) : plc.bit(probe.device);
}

std::optional<long> firmwareValue(const FirmwareRun& run, const Probe& probe, std::uint64_t time) {
  if (probe.device.letter == 'Y' && run.pins.outputs.contains(probe.name)) {
    return run.result.isOn(probe.name, time) ? 1 : 0;
  }
  std::optional<long> value;
  for (const ValueChange& change : run.result.watched) {
    if (change.name == probe.name && change.timeMicros <= time) value = change.value;
  }
  return value;
}

// The phase ends worth comparing: just before each input change and at the end of the run, the
// last firmware sample (a multiple of the slice) in each, when the phase has settled there.
std::vector<std::uint64_t> phaseEndsOf(const Stimulus& stimulus, const FirmwareRun& run,
                                       std::uint64_t sliceMicros, const FirmwareTiming& timing) {
  std::vector<std::uint64_t> changes;
  for (const StimulusEvent& event : stimulus.events) {
    if (event.timeMicros > 0 && (changes.empty() || changes.back() != event.timeMicros)) {
      changes.push_back(event.timeMicros);
    }
  }
  const std::uint64_t until = run.result.simulatedMicros;
  std::vector<std::uint64_t> ends;
  std::uint64_t start = 0;
  auto consider = [&](std::uint64_t sample) {
    if (sample >= timing.startMicros && sample >= start + timing.settleMicros &&
        (ends.empty() || ends.back() < sample)) {
      ends.push_back(sample);
    }
  };
  for (std::uint64_t change : changes) {
    if (change >= until) break;
    consider((change - 1) / sliceMicros * sliceMicros);
    start = change;
  }
  consider(until);
  return ends;
}

// A device that changed twice in the scan before a sample: the firmware, read in the middle of
// a scan, may show its passing value, so it is not compared there.
constexpr long kUnsettled = std::numeric_limits<long>::min();

// The interpreter's values at each sample under one variant; `writers` (when given) receives
// the step that last changed each device.
std::vector<std::vector<long>> runVariant(
    const std::vector<Step>& steps, const Stimulus& stimulus, const Variant& variant,
    const std::vector<std::uint64_t>& samples, const std::vector<Probe>& probes,
    std::vector<std::vector<std::optional<std::size_t>>>* writers) {
  Interpreter plc(steps, {variant.unit, variant.phase, variant.ownUnits});
  std::vector<std::vector<long>> values;
  std::size_t event = 0;
  auto record = [&] {
    std::vector<long> row;
    std::vector<std::optional<std::size_t>> stepRow;
    for (const Probe& probe : probes) {
      row.push_back(plc.settled(probe.device) ? plcValue(plc, probe) : kUnsettled);
      stepRow.push_back(plc.lastWriter(probe.device));
    }
    values.push_back(std::move(row));
    if (writers) writers->push_back(std::move(stepRow));
  };
  for (std::int64_t time = variant.firstScan; values.size() < samples.size();
       time += variant.scan) {
    while (values.size() < samples.size() &&
           static_cast<std::int64_t>(samples[values.size()]) < time) {
      record();
    }
    for (; event < stimulus.events.size(); ++event) {
      const StimulusEvent& e = stimulus.events[event];
      if (static_cast<std::int64_t>(e.timeMicros) + variant.delay > time) break;
      if (const auto point = parseDevice(e.point)) plc.setInput(point->number, e.on);
    }
    if (values.size() < samples.size()) plc.scan(time);
  }
  return values;
}

void addDevice(std::set<std::pair<char, int>>& devices, char letter, int number) {
  const int last = letter == 'M'   ? kLastRelay
                   : letter == 'T' ? kLastTimerContact
                   : letter == 'C' ? kLastCounter
                   : letter == 'D' ? kLastRegister
                                   : -1;
  if (number >= 0 && number <= last) devices.insert({letter, number});
}

}  // namespace

FirmwareTiming firmwareTiming(const Settings& settings) {
  FirmwareTiming timing;
  const std::optional<FxTimer> fx =
      settings.timeBase == TimeBaseChoice::Fx
          ? fxTimerFor(settings.crystalMHz, settings.chip.clocksPerMachineCycle)
          : std::nullopt;
  if (fx) {
    // A hundred 1 ms periods of timer 2.
    timing.unitMicros = std::llround(100.0 * static_cast<double>(fx->cycles) *
                                     settings.chip.clocksPerMachineCycle / settings.crystalMHz);
    timing.ownUnits = true;
  } else {
    timing.unitMicros = std::llround(settings.scanThreshold() * kCyclesPerInterrupt *
                                     kClocksPerCycle / settings.crystalMHz);
  }
  return timing;
}

std::string watchedDevicesOf(const std::vector<Step>& steps) {
  std::set<std::pair<char, int>> devices;
  for (const Step& step : steps) {
    if (step.row->layout != fx::Layout::WordOperands && step.row->layout != fx::Layout::Alone &&
        step.row->layout != fx::Layout::Nesting) {
      addDevice(devices, step.device.letter, step.device.number);
    }
    // Each operand's registers (a pair in a D form) or a digit group's bits; where an index
    // register points is known only while running.
    const int words = step.size() / 16;
    for (const fx::Operand& operand : step.operands) {
      const fx::WordFormat& format = *operand.format;
      if (format.payload == fx::Payload::Value || operand.index != 0) continue;
      const int n = static_cast<int>(operand.number);
      const int count = format.payload == fx::Payload::Group     ? 4 * operand.digits
                        : format.payload == fx::Payload::Address ? 1
                                                                 : words;
      for (int k = 0; k < count; ++k) addDevice(devices, format.letter, n + k);
    }
    // Devices written past an operand: the second register (pair) of MUL's product and DIV's
    // remainder, CMP's and ZCP's three bits, a ZRST range.
    const std::string_view name = step.row->name;
    const std::size_t last = step.operands.empty() ? 0 : step.operands.size() - 1;
    auto reached = [&](std::size_t k, int from, int to) {
      const fx::Operand& operand = step.operands[k];
      if (operand.index != 0 || operand.format->payload == fx::Payload::Value) return;
      for (int n = from; n <= to; ++n) {
        addDevice(devices, operand.format->letter, static_cast<int>(operand.number) + n);
      }
    };
    if ((name == "MUL" || name == "DIV") && !step.operands.empty() &&
        step.operands[last].format->payload == fx::Payload::Offset) {
      reached(last, words, 2 * words - 1);
    }
    if (name == "CMP" || name == "ZCP") reached(last, 1, 2);
    if (name == "ZRST" && step.operands[0].format->letter == step.operands[1].format->letter) {
      reached(0, 1, static_cast<int>(step.operands[1].number - step.operands[0].number));
    }
  }
  std::string list;
  for (const auto& [letter, number] : devices) {
    list += (list.empty() ? "" : ",") + std::string(1, letter) + std::to_string(number);
  }
  return list;
}

CheckReport compareWithPlc(const std::vector<Step>& steps, const Stimulus& stimulus,
                           const FirmwareRun& run, const FirmwareTiming& timing) {
  CheckReport report;
  const std::vector<Probe> probes = probesOf(run);
  report.phaseEnds = phaseEndsOf(stimulus, run, run.sliceMicros, timing);
  const std::vector<Variant> variants = variantsOf(timing);
  std::vector<std::vector<std::optional<std::size_t>>> writers;
  std::vector<std::vector<std::vector<long>>> values;
  for (const Variant& variant : variants) {
    values.push_back(runVariant(steps, stimulus, variant, report.phaseEnds, probes,
                                values.empty() ? &writers : nullptr));
  }
  for (std::size_t k = 0; k < report.phaseEnds.size(); ++k) {
    for (std::size_t j = 0; j < probes.size(); ++j) {
      const long plc = values[0][k][j];
      const bool decided = plc != kUnsettled &&
                           std::all_of(values.begin(), values.end(),
                                       [&](const auto& variant) { return variant[k][j] == plc; });
      const std::optional<long> firmware = firmwareValue(run, probes[j], report.phaseEnds[k]);
      if (!decided || !firmware) {
        ++report.undecided;
        continue;
      }
      ++report.compared;
      if (*firmware == plc) {
        ++report.agreed;
        continue;
      }
      Disagreement d{
          report.phaseEnds[k], probes[j].name, probes[j].value, *firmware, plc, std::nullopt, ""};
      if (const std::optional<std::size_t> writer = writers[k][j]) {
        d.step = steps[*writer].ref;
        d.instruction = steps[*writer].text();
      }
      report.disagreements.push_back(std::move(d));
    }
  }
  return report;
}

Result<FirmwareRun> runFirmware(const std::filesystem::path& workDirectory,
                                const Settings& settings, const std::filesystem::path& hexFile,
                                const std::vector<Step>& steps, const Stimulus& stimulus,
                                std::uint64_t untilMicros, std::uint64_t sliceMicros) {
  FirmwareRun run;
  run.pins = simPinsOf(settings);
  run.sliceMicros = sliceMicros;
  const std::string devices = watchedDevicesOf(steps);
  if (!devices.empty()) {
    Result<std::vector<RamWatch>> watches = loadWatches(workDirectory, devices);
    if (!watches) return watches.error();
    run.watches = *watches;
    if (run.watches.size() > kMostWatches) run.watches.resize(kMostWatches);
  }
  SimulationOptions options;
  options.crystalMHz = settings.crystalMHz;
  options.untilMicros = untilMicros;
  options.sliceMicros = sliceMicros;
  options.watches = run.watches;
  Result<SimulationResult> result = simulate(hexFile, run.pins, stimulus, options);
  if (!result) return result.error();
  run.result = std::move(*result);
  return run;
}

Result<CheckReport> checkProgram(const CheckRequest& request, Observer& observer) {
  SequenceRequest sequence;
  sequence.workDirectory = request.workDirectory;
  sequence.program = request.program;
  sequence.build.toolchain = ToolchainChoice::Sdcc;
  Result<SequenceResult> built = runSequence(sequence, observer);
  if (!built) return built.error();
  Result<ProgramImage> image = ProgramImage::readFile(request.program);
  if (!image) return image.error();
  Result<std::vector<Step>> steps = decodeSteps(*image);
  if (!steps) return steps.error();
  const std::uint64_t until = request.untilMicros != 0
                                  ? request.untilMicros
                                  : request.stimulus.lastTimeMicros() + 1'000'000;
  Result<FirmwareRun> run =
      runFirmware(request.workDirectory, built->settings, built->build->report.hexFile, *steps,
                  request.stimulus, until);
  if (!run) return run.error();
  return compareWithPlc(*steps, request.stimulus, *run, firmwareTiming(built->settings));
}

}  // namespace ladder51::reference
