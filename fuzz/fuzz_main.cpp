// One libFuzzer program: LADDER51_FUZZ_TARGET names the target of fuzz_checks.h it runs. An
// input that breaks a property is reported and aborts, so that libFuzzer keeps it.
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_checks.h"

namespace {

ladder51::fuzz::Check targetCheck() {
  for (const ladder51::fuzz::Target& target : ladder51::fuzz::kTargets) {
    if (target.name == LADDER51_FUZZ_TARGET) return target.check;
  }
  std::fprintf(stderr, "no fuzz target named %s\n", LADDER51_FUZZ_TARGET);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ladder51::fuzz::Check check = targetCheck();
  const ladder51::fuzz::Findings findings = check({data, size});
  for (const std::string& finding : findings) std::fprintf(stderr, "%s\n", finding.c_str());
  if (!findings.empty()) std::abort();
  return 0;
}
