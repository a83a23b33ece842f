#!/usr/bin/env bash
# Builds the checked-out commit twice, in two folders one after the other,
# and compares what ships: Quorlet.exe and Brindle0200.dll (with their .debug
# files) of both architectures, the NSIS installer and both MSI packages.
# Prints one line per file and ends with "N identical, M differ".
#
#   tools/check-reproducible.sh [WORK_DIR]
#
# Builds from scratch without ccache, so both builds really compile.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$(mktemp -d)}
export SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct) CCACHE_DISABLE=1
dirs=("$work/first/orvane" "$work/second-build/tree/orvane")
for d in "${dirs[@]}"; do
  rm -rf "$d" && mkdir -p "$d"
  git -C "$root" archive HEAD | tar -x -C "$d"
  t=$(date +%s)
  (cd "$d" && tools/build-installer.sh >/dev/null) || { echo "build in $d failed"; exit 1; }
  echo "built in $d in $(($(date +%s) - t)) s"
done

same=0 differ=0
for f in x64/bin/{Quorlet.exe,Brindle0200.dll}{,.debug} x86/bin/{Quorlet.exe,Brindle0200.dll}{,.debug} \
  $(cd "${dirs[0]}/build" && ls dist/*); do
  if cmp -s "${dirs[0]}/build/$f" "${dirs[1]}/build/$f"; then
    same=$((same + 1)); echo "identical $f"
  else
    differ=$((differ + 1)); echo "DIFFERS   $f"
  fi
done
echo "$same identical, $differ differ"
[ "$differ" -eq 0 ]
