#!/usr/bin/env bash
# Registers Brindle0200.dll in the project's Wine prefix as an installer
# would, checks the registration with reg.exe, runs the client scripts
# under cscript, unregisters and checks that everything is gone again.
#
# Wine's cscript prints nothing for a script error and exits 0, so every
# script ends with its own tally "N passed, M failed"; a script without that
# line, or with M > 0, fails.
#
# Usage: run_client_tests.sh [--phase register|scripts|unregister] [--x64-bin DIR]
#                             <folder holding Brindle0200.dll>
# Without --phase all three run in turn. The x86 build runs them as three
# tests around the tests that need the server registered, and all its
# scripts in one 32-bit cscript, since every 32-bit process may start under
# emulation here at about a minute each. --x64-bin names the x64 build's
# folder: the x86 unregistration then checks that the x64 classes keep their
# shared ProgIDs.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../cmake/wine-env.sh"
orv_ensure_prefix
# One registration at a time in a prefix, whichever build folder asks.
exec 8>"$WINEPREFIX.client.lock"
flock 8

phase=all x64_bin=""
while [[ ${1:-} == --* ]]; do
  case $1 in
    --phase) phase=$2 ;;
    --x64-bin) x64_bin=$2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
  shift 2
done
bin=$(cd "$1" && pwd)
dll=$bin/Brindle0200.dll
[ -f "$dll" ] || { echo "no $dll" >&2; exit 1; }
# The server's own bitness: its regsvr32 and cscript, and its registry view
# (read with the 64-bit reg.exe, which starts at once).
if [ "$(orv_pe_machine "$dll")" = 014c ]; then
  orv_can_run_32bit || { echo "SKIPPED: this machine cannot run 32-bit code" >&2; exit 77; }
  wine=$ORV_WINE32 platform=win32 view=/reg:32
else
  wine=$ORV_WINE64 platform=win64 view=/reg:64
fi

# Z: is the Unix root in every Wine prefix.
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
windll=$(winpath "$dll")

libid='{5DF3BAEB-A157-40F5-BAF6-7BE0824A20F6}'
proxy_stub='{00020424-0000-0000-C000-000000000046}'
collection_iid='{A4C46780-499F-101B-BB78-00AA00383CBB}'
# class id, ProgID
classes=(
  '{3DEAA128-D630-4170-8089-A405BFDA9B68} Brindle0200.orvRegistry2'
  '{012513C3-7B54-4EEF-A3FD-A6F55147B50D} Brindle0200.orvOrvaneSettings2'
)
interfaces=(
  '{0A2BDC59-E697-4C45-98D3-BE49C7E20209}'   # _orvRegistry2
  '{8C188C18-45DD-45FE-A726-EF971CFBB39A}'   # _RegKey
  '{419A267A-2463-4338-AB72-F551B4EB1B89}'   # _RegValue
  '{9E1A8F26-5A92-408E-8425-B047AA03F1DF}'   # _orvOrvaneSettings2
  '{CCCCB5ED-5749-4676-B452-B88AA992213E}'   # its earlier identifier
)

passed=0
failed=0
ok() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL $*"; }

# ProgID keys are shared by both views (as on Windows 7 and later); the
# class and interface keys are the server's own view.
wreg() {
  local v=$view
  [[ $2 == HKCR\\Brindle0200.* ]] && v=/reg:64
  "$ORV_WINE64" reg "$@" $v 2>/dev/null | tr -d '\r'
}
# The data of one value ("" names the default value); exit 1 when it is absent.
# A query that fails is asked once more: under a full CI run one of some
# thirty reg.exe queries once failed for a value that was there.
reg_value() {
  local key=$1 name=$2 out try
  local args=(/ve)
  [ -n "$name" ] && args=(/v "$name")
  for try in 1 2; do
    out=$(wreg query "$key" "${args[@]}") && break
    [ $try = 2 ] && return 1
    sleep 1
  done
  echo "$out" | sed -n -E 's/^    .*    REG_[A-Z_]+    ?//p' | head -n 1
}
key_exists() { wreg query "$1" >/dev/null; }

expect_value() {  # key, value name, wanted data; letter case is the registry's own business
  local got
  if ! got=$(reg_value "$1" "$2"); then fail "$1 [${2:-(Default)}] is missing"; return; fi
  if [ "${got,,}" = "${3,,}" ]; then ok; else fail "$1 [${2:-(Default)}] = '$got', want '$3'"; fi
}
expect_key() { if key_exists "$1"; then ok; else fail "$1 is missing"; fi; }
expect_no_key() { if key_exists "$1"; then fail "$1 is still there"; else ok; fi; }

# Each script runs behind the shared checks of common/check.vbs or
# common/check.js (Wine's VBScript has neither ExecuteGlobal nor .wsf includes).
scratch=$(mktemp -d)
combine() {
  local combined
  combined="$scratch/$(basename "$1")"
  cat "$here/common/check.${1##*.}" "$1" >"$combined"
  echo "$combined"
}
# A script's tally, from its output; the output is shown as it is.
judge() {
  local name=$1 out=$2 tally
  [ -n "$out" ] && echo "$out" | sed 's/^/    /'
  tally=$(echo "$out" | grep -E '^[0-9]+ passed, [0-9]+ failed$' | tail -n 1)
  if [ -z "$tally" ]; then
    fail "$name: no closing tally (the script stopped early)"
  elif [ "$(echo "$tally" | cut -d' ' -f3)" != 0 ] || [ "$(echo "$tally" | cut -d' ' -f1)" = 0 ]; then
    fail "$name: $tally"
  else
    ok
  fi
}
# Runs one script ("path<TAB>argument...") in the cscript of the loader given.
run_script_in() {
  local loader=$1 path rest out
  IFS=$'\t' read -r -a rest <<<"$2"
  path=${rest[0]}
  echo "-- ${path#"$here"/}"
  out=$("$loader" cscript //nologo "$(winpath "$(combine "$path")")" "${rest[@]:1}" 2>&1 | tr -d '\r')
  judge "$(basename "$path")" "$out"
}
# Runs scripts, each given as "path<TAB>argument...". One cscript each in
# 64 bits; in 32 bits one cscript for all, each in an engine of its own.
run_scripts() {
  local entry out rest
  if [ "$platform" = win64 ]; then
    for entry in "$@"; do run_script_in "$wine" "$entry"; done
    return
  fi
  local list=$scratch/scripts.txt name block
  : >"$list"
  for entry in "$@"; do
    IFS=$'\t' read -r -a rest <<<"$entry"
    rest[0]=$(winpath "$(combine "${rest[0]}")")
    (IFS=$'\t'; echo "${rest[*]}") >>"$list"
  done
  out=$("$wine" cscript //nologo "$(winpath "$here/common/run_all.js")" "$(winpath "$list")" 2>&1 | tr -d '\r')
  # The driver heads each script's output with "-- <path>".
  for entry in "$@"; do
    IFS=$'\t' read -r -a rest <<<"$entry"
    name=$(basename "${rest[0]}")
    echo "-- ${rest[0]#"$here"/}"
    block=$(awk -v n="$name" '/^-- / { on = ($0 ~ ("\\\\" n "$")); next } on' <<<"$out")
    if grep -qF -- "-- $(winpath "$scratch/$name")" <<<"$out"; then judge "$name" "$block"
    else fail "$name: never ran (${out:0:300})"; fi
  done
}

registered=0
unregister() {
  [ $registered = 1 ] || return 0
  registered=0
  "$wine" regsvr32 /u /s "$windll"
}
# Only a full run unregisters on the way out; the x86 phases leave that to
# their last phase.
if [ "$phase" = all ]; then trap 'unregister; rm -rf "$scratch"' EXIT; else trap 'rm -rf "$scratch"' EXIT; fi

# The runtime's collection interface belongs to the runtime: whatever is
# there before (usually nothing) must be there, unchanged, at every step.
collection_file=$bin/client-collection-before.txt

register_phase() {
  wreg query "HKCR\\Interface\\$collection_iid" /s >"$collection_file"
  echo "== register $windll"
  if "$wine" regsvr32 /s "$windll"; then registered=1; ok; else fail "regsvr32 /s answered $?"; fi

  echo "== registry entries"
  for entry in "${classes[@]}"; do
    read -r clsid progid <<<"$entry"
    expect_value "HKCR\\CLSID\\$clsid\\InprocServer32" "" "$windll"
    expect_value "HKCR\\CLSID\\$clsid\\InprocServer32" ThreadingModel Apartment
    expect_value "HKCR\\CLSID\\$clsid\\ProgID" "" "$progid"
    expect_value "HKCR\\CLSID\\$clsid\\TypeLib" "" "$libid"
    expect_value "HKCR\\$progid\\CLSID" "" "$clsid"
  done
  for clsid in '{AC39F012-D1F6-42B3-B676-3CFE08E1C7C3}' '{D0FA0766-712E-42DC-BDB3-94CE31BCBEE9}'; do
    expect_no_key "HKCR\\CLSID\\$clsid"   # RegKey and RegValue are made by the library only
  done
  expect_value "HKCR\\TypeLib\\$libid\\1.1" "" "Orvane - Brindle 2.00"
  expect_value "HKCR\\TypeLib\\$libid\\1.1\\0\\$platform" "" "$windll"
  for iid in "${interfaces[@]}"; do
    expect_value "HKCR\\Interface\\$iid\\ProxyStubClsid32" "" "$proxy_stub"
    expect_value "HKCR\\Interface\\$iid\\TypeLib" "" "$libid"
  done
  if [ "$(wreg query "HKCR\\Interface\\$collection_iid" /s)" = "$(cat "$collection_file")" ]; then ok
  else fail "registration touched HKCR\\Interface\\$collection_iid"; fi
}

scripts_phase() {
  echo "== client scripts"
  local stored="Software\\OrvaneTests\\client-$$" scripts=() script
  for script in "$here"/*.vbs "$here"/*.js; do scripts+=("$script"); done
  scripts+=("$here/stored/write_values.vbs"$'\t'"$stored")
  run_scripts "${scripts[@]}"

  echo "== stored bytes, read with reg.exe"
  expect_value "HKCU\\$stored" text "Orvane - Brindle"
  expect_value "HKCU\\$stored" "" "default value"
  expect_value "HKCU\\$stored" dword 0xffffffff
  expect_value "HKCU\\$stored" big_endian 0x1
  expect_value "HKCU\\$stored" expand "%SystemRoot%\\x"
  expect_value "HKCU\\$stored" multi 'a\0b'
  expect_value "HKCU\\$stored" binary 01020000
  # Only the type is checked here: reg.exe shows REG_EXPAND_SZ data as stored.
  if wreg query "HKCU\\$stored" /v expand | grep -q 'REG_EXPAND_SZ'; then ok; else fail "expand is not REG_EXPAND_SZ"; fi
  wreg delete "HKCU\\$stored" /f >/dev/null
}

# The class keys of the other bitness's view: 32-bit for the x64 build.
other_view_has() { "$ORV_WINE64" reg query "HKCR\\CLSID\\$1" /reg:32 >/dev/null 2>&1; }

unregister_phase() {
  echo "== unregister"
  # ProgIDs are shared by both views: unregistering one build keeps them while
  # the other still registers its class. For x86 the x64 build's own DLL plays
  # the other (the 64-bit regsvr32 and cscript start at once); for x64 a
  # stand-in class key in the 32-bit view does, unless x86 is registered.
  local x64dll="" stand_ins=() x86_registered=0 entry clsid progid
  if [ "$platform" = win32 ]; then
    if [ -n "$x64_bin" ] && [ -f "$x64_bin/Brindle0200.dll" ]; then
      x64dll=$(winpath "$(cd "$x64_bin" && pwd)/Brindle0200.dll")
      if "$ORV_WINE64" regsvr32 /s "$x64dll"; then ok; else fail "64-bit regsvr32 of $x64dll answered $?"; fi
    else
      echo "note: no x64 build${x64_bin:+ in $x64_bin}: the shared ProgIDs are left to the x64 run"
    fi
  else
    for entry in "${classes[@]}"; do
      read -r clsid progid <<<"$entry"
      if other_view_has "$clsid"; then x86_registered=1; continue; fi
      "$ORV_WINE64" reg add "HKCR\\CLSID\\$clsid" /ve /d "stand-in for x86" /f /reg:32 >/dev/null 2>&1
      stand_ins+=("$clsid")
      if other_view_has "$clsid"; then ok; else fail "could not add a stand-in for $clsid in the 32-bit view"; fi
    done
  fi
  if "$wine" regsvr32 /u /s "$windll"; then registered=0; ok; else fail "regsvr32 /u /s answered $?"; fi
  for entry in "${classes[@]}"; do
    read -r clsid progid <<<"$entry"
    expect_no_key "HKCR\\CLSID\\$clsid"
    if [ -n "$x64dll" ] || [ ${#stand_ins[@]} -gt 0 ] || [ $x86_registered = 1 ]; then
      expect_value "HKCR\\$progid\\CLSID" "" "$clsid"   # kept for the other bitness
    fi
  done
  if [ -n "$x64dll" ]; then
    echo "== the x64 classes by their ProgIDs, from a 64-bit cscript"
    run_script_in "$ORV_WINE64" "$here/unregistered/other_bitness_kept.vbs"
    if "$ORV_WINE64" regsvr32 /u /s "$x64dll"; then ok; else fail "64-bit regsvr32 /u of $x64dll answered $?"; fi
  elif [ ${#stand_ins[@]} -gt 0 ]; then
    # With the other view's classes gone, a second unregistration removes the ProgIDs.
    for clsid in "${stand_ins[@]}"; do "$ORV_WINE64" reg delete "HKCR\\CLSID\\$clsid" /f /reg:32 >/dev/null 2>&1; done
    if "$wine" regsvr32 /u /s "$windll"; then ok; else fail "second regsvr32 /u /s answered $?"; fi
  fi
  if [ $x86_registered = 1 ]; then
    echo "note: the x86 build is registered in this prefix: its ProgIDs and type library stay"
  else
    for entry in "${classes[@]}"; do
      read -r clsid progid <<<"$entry"
      expect_no_key "HKCR\\$progid"
    done
    expect_no_key "HKCR\\TypeLib\\$libid"
  fi
  for iid in "${interfaces[@]}"; do expect_no_key "HKCR\\Interface\\$iid"; done
  if [ ! -f "$collection_file" ]; then fail "no record of HKCR\\Interface\\$collection_iid before registration"
  elif [ "$(wreg query "HKCR\\Interface\\$collection_iid" /s)" = "$(cat "$collection_file")" ]; then ok
  else fail "unregistration touched HKCR\\Interface\\$collection_iid"; fi
  # A 64-bit cscript could not tell a 32-bit registration from none, and a
  # 32-bit one costs a minute: the keys checked above answer for x86.
  if [ "$platform" = win64 ] && [ $x86_registered = 0 ]; then run_scripts "$here/unregistered/progid_gone.vbs"; fi
}

case $phase in
  all) register_phase; scripts_phase; unregister_phase ;;
  register) register_phase ;;
  scripts) scripts_phase ;;
  unregister) unregister_phase ;;
  *) echo "unknown phase $phase" >&2; exit 2 ;;
esac

echo "$passed passed, $failed failed"
[ $failed = 0 ]
