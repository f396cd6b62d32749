#!/usr/bin/env bash
# Runs every libFuzzer target for SECONDS each (default 60), one after another.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# The targets are built by the CMake preset "fuzz" (build/fuzz) and start from the seed corpus
# in fuzz/corpus/<target>/ and the kept crash inputs in fuzz/regressions/<target>/. New inputs
# the fuzzer finds go to build/fuzz/corpus/<target>/ (not into the repository). An input that
# breaks a property stops the run: it is copied to build/fuzz/crashes/<target>/ and the script
# fails. Keep it as a regression by copying it into fuzz/regressions/<target>/ with a name that
# says what it broke; the test suite replays that folder.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(pmw_translate disasm_roundtrip il_assemble settings_files keil_adapt)
build=build/fuzz

failed=()
for target in "${targets[@]}"; do
  program="$build/fuzz_$target"
  [ -x "$program" ] || { echo "missing $program: build the preset \"fuzz\" first" >&2; exit 2; }
  work="$build/corpus/$target"
  crashes="$build/crashes/$target"
  mkdir -p "$work" "$crashes" "fuzz/regressions/$target"
  echo "== $target: ${seconds}s"
  # -timeout: a single input may take at most 10 s (a hang is a finding);
  # -rss_limit_mb: the largest legal input needs far less.
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$crashes/" \
    "$work" "fuzz/corpus/$target" "fuzz/regressions/$target" 2>"$build/$target.log"; then
    failed+=("$target")
    tail -n 40 "$build/$target.log" >&2
  else
    grep -E "^stat::number_of_executed_units|^stat::new_units_added" "$build/$target.log" |
      sed "s/^/   /"
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found inputs that break a property in: ${failed[*]} (see $build/crashes/)" >&2
  exit 1
fi
echo "fuzzing passed: ${targets[*]}"
