#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix.
# 64-bit programs go to the wine64 loader; 32-bit ones to the 32-bit loader,
# and exit 77 (skipped) where this machine cannot run 32-bit code at all.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"

prog=$1; shift
case "$(orv_pe_machine "$prog")" in
  8664) loader=$ORV_WINE64 ;;
  014c)
    if ! orv_can_run_32bit; then
      echo "SKIPPED: this machine cannot run 32-bit code (no IA-32 emulation), so the x86 build is not run here" >&2
      exit 77
    fi
    loader=$ORV_WINE32 ;;
  *) loader=$ORV_WINE64 ;;   # not a PE file: a Windows command such as reg or cscript
esac
orv_ensure_prefix
exec "$loader" "$prog" "$@"
