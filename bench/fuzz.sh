#!/usr/bin/env bash
# Long fuzz runs of every libFuzzer target: not part of the tests. Builds the
# targets optimised, with AddressSanitizer and UBSan, in build/fuzz, runs each
# for a number of executions (default 10^7) on a corpus kept between runs in
# build/fuzz/corpus/<target>, and prints per target the executions, the time,
# the coverage reached (edges "cov" and features "ft") and the findings: the
# crash, leak and timeout inputs libFuzzer wrote.
#
#   bench/fuzz.sh [executions] [target ...]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=${1:-10000000}
shift || true
build=$root/build/fuzz

tools/setup-packages.sh >/dev/null || exit 1
cmake -S . -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_SANITIZE=ON >/dev/null || exit 1
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=($(sed -n 's/^orv_add_fuzz(\([a-z_]*\) .*/\1/p' tests/fuzz/CMakeLists.txt))
fi
cmake --build "$build" --target "${targets[@]}" >/dev/null || exit 1

status=0
printf '%-20s %12s %8s %8s %8s %s\n' target executions seconds cov ft findings
for t in "${targets[@]}"; do
  corpus=$build/corpus/$t findings=$build/findings/$t
  mkdir -p "$corpus" "$findings"
  log=$build/$t.log
  start=$(date +%s)
  "$build/tests/fuzz/$t" -runs="$runs" -max_len=1024 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1
  rc=$?
  secs=$(($(date +%s) - start))
  done_runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -n1)
  cov=$(grep -o 'cov: [0-9]*' <<<"$last" | tr -dc '0-9')
  ft=$(grep -o 'ft: [0-9]*' <<<"$last" | tr -dc '0-9')
  found=$(find "$findings" -type f | wc -l)
  printf '%-20s %12s %8s %8s %8s %s\n' "$t" "${done_runs:-?}" "$secs" "${cov:-?}" "${ft:-?}" "$found"
  if [ $rc -ne 0 ] || [ "$found" -gt 0 ]; then
    status=1
    echo "  exit $rc; log: $log; inputs: $findings" >&2
  fi
done
exit $status
