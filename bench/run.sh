#!/usr/bin/env bash
# Prints the benchmark figures of the x64 build (under Wine) beside their
# baselines measured in the same run. Figures, not pass/fail.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tools/setup-packages.sh
cmake --preset x64 >/dev/null
cmake --build --preset x64 >/dev/null
count=${1:-200000}
bin=build/x64/bin

echo "== Password composition: $count passwords of 19 characters (3 sections of 5, 4 digits)"
out=$(cmake/wine-run.sh "$bin/compose_bench.exe" "$count" | tr -d '\r')
echo "$out"
ours=$(sed -n 's/^default_shape_per_second //p' <<<"$out")
start=$(date +%s%N)
pwgen -1 -c -n 19 "$count" >/dev/null
end=$(date +%s%N)
pwgen_rate=$(awk -v n="$count" -v ns=$((end - start)) 'BEGIN { printf "%.0f", n / (ns / 1e9) }')
echo "pwgen_19_per_second $pwgen_rate"
awk -v a="$ours" -v b="$pwgen_rate" 'BEGIN { printf "ratio_default_to_pwgen %.2f\n", a / b }'

echo "== orvRegistry2 against direct Win32 calls (targets: GetValue at most 1.25, GetValues at most 1.5; GetValue late-bound against the virtual table at most 1.10)"
cmake/wine-run.sh "$bin/registry_bench.exe" | tr -d '\r'

echo "== orvOrvaneSettings2 against direct Win32 calls (target: LoadSetting at most 1.3)"
cmake/wine-run.sh "$bin/settings_bench.exe" | tr -d '\r'

echo "== LoadListViewColumns of 20 columns against direct reads and LVM_SETCOLUMNWIDTH (target: at most 1.3)"
bash cmake/display-run.sh "$bin/list_view_bench.exe" | tr -d '\r'
echo "== Proxy settings against direct Win32 calls with one protect/unprotect pair (target: save and load at most 1.3)"
cmake/wine-run.sh "$bin/proxy_bench.exe" | tr -d '\r'

echo "== LoadFont against the eight values read directly and OleCreateFontIndirect (target: at most 1.3)"
cmake/wine-run.sh "$bin/font_bench.exe" | tr -d '\r'

echo "== Quorlet start-up and exit against a minimal window program (target: at most 1.5)"
bench/quorlet_start.sh 10
