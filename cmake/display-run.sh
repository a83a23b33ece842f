#!/usr/bin/env bash
# Runs a test program that makes real windows on a virtual display of its
# own. The prefix's Wine desktop comes up with the wineserver's first
# program: one started without a display leaves a desktop no window can be
# made on, so the test starts a wineserver of its own (the test runs alone).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
"$ORV_WINESERVER" -k 2>/dev/null
"$ORV_WINESERVER" -w 2>/dev/null
exec xvfb-run -a -s "-screen 0 1024x768x24" "$here/wine-run.sh" "$@"
