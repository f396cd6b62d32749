// Translation time of the largest program the walk visits: 2327 steps from byte 348 to 5000.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/translator/translator.h"

namespace {

// A program of rungs "LD X0, AND M1, OR Y2, OUT Y3, OUT M4" repeated up to END at byte 5000.
std::vector<std::uint8_t> largestProgram() {
  std::vector<std::uint8_t> bytes(ladder51::kHeaderBytes, 0);
  const std::uint16_t rung[] = {0x2400, 0x4801, 0x6502, 0xC503, 0xC804};
  for (int k = 0; bytes.size() <= ladder51::kLastStep; ++k) {
    // END in the last step the walk visits, so that the translation completes.
    const std::uint16_t word = bytes.size() == ladder51::kLastStep ? 0x000F : rung[k % 5];
    bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(word >> 8));
  }
  while (bytes.size() % 16 != 0) bytes.push_back(0xFF);
  return bytes;
}

void BM_TranslateLargestProgram(benchmark::State& state) {
  const auto image = ladder51::ProgramImage::fromBytes(largestProgram());
  for (auto _ : state) {
    ladder51::Translation translation = ladder51::translate(*image, {});
    if (!translation.completed()) state.SkipWithError(translation.message.c_str());
    benchmark::DoNotOptimize(translation.statements.data());
  }
}
BENCHMARK(BM_TranslateLargestProgram)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
