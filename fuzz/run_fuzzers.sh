#!/usr/bin/env bash
# Runs every libFuzzer harness of a fuzz build for a bounded time each, on a
# working corpus seeded from the bundled examples and the test inputs.
# Findings (crash-*, leak-*, timeout-*, oom-*) land in BUILD/fuzz-findings/.
#
#   fuzz/run_fuzzers.sh [SECONDS_PER_HARNESS] [BUILD]     (defaults: 60, build-fuzz)
#
# Exit status 1 when any harness found something.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=$(realpath "${2:-build-fuzz}")
findings="$build/fuzz-findings"
mkdir -p "$findings"

# harness name and the seed files of its corpus
declare -A seeds=(
  [init_fuzzer]="examples/*.inp tests/data/*.inp tests/data/fuzz_regressions/*.inp"
  [data_files_fuzzer]="fuzz/seeds/*.fuzz"
)

status=0
for harness in "${!seeds[@]}"; do
  binary="$build/fuzz/$harness"
  [[ -x $binary ]] || { echo "run_fuzzers: $binary is not built" >&2; exit 2; }
  corpus="$build/fuzz-corpus/$harness"
  mkdir -p "$corpus"
  # shellcheck disable=SC2086
  cp -n ${seeds[$harness]} "$corpus"/ 2>/dev/null || true
  echo "== $harness: $seconds s"
  # A 32-bit host has about 2 GiB to give; a run that needs more is a finding.
  if ! "$binary" "$corpus" -max_total_time="$seconds" -timeout=120 -rss_limit_mb=2560 \
       -malloc_limit_mb=2048 -artifact_prefix="$findings/$harness-" -print_final_stats=1 \
       2> "$findings/$harness.log"; then
    status=1
    echo "== $harness found something: $(ls "$findings" | grep -c "^$harness-") input(s); log in $findings/$harness.log"
    tail -n 40 "$findings/$harness.log"
  else
    grep -E "stat::number_of_executed_units|cov:" "$findings/$harness.log" | tail -n 2
  fi
done
exit $status
