#!/usr/bin/env bash
# Signs one PE file or Windows Installer package in place: SHA-256 with the
# PKCS#12 certificate ORV_SIGN_PKCS12 (password ORV_SIGN_PASSWORD, if any),
# time-stamped by ORV_SIGN_TIMESTAMP_URL (RFC 3161) when that is set.
# makensis runs it on the uninstaller too, before embedding it.
set -euo pipefail
f=$1
args=(sign -pkcs12 "$ORV_SIGN_PKCS12" -h sha256 -n "Orvane - Quorlet" -in "$f" -out "$f.signed")
[ -n "${ORV_SIGN_TIMESTAMP_URL:-}" ] && args+=(-ts "$ORV_SIGN_TIMESTAMP_URL")
rm -f "$f.signed"
# The password goes through a pipe, not the command line.
osslsigncode "${args[@]}" -readpass <(printf '%s' "${ORV_SIGN_PASSWORD:-}") >&2
mv "$f.signed" "$f"
