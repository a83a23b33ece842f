#!/usr/bin/env bash
# Drives the real Quorlet.exe on a virtual display as a person would: keys
# and clicks through xdotool, the clipboard through xclip, the stored
# choices through `reg`. What the window shows is read by window_probe.exe.
# Keeps a screenshot of the window and ends with "N passed, M failed".
# A 32-bit Quorlet, whose every start may take minutes under emulation here,
# gets one start with the server already registered (by the client tests).
#
#   window_test.sh QUORLET_EXE PROBE_EXE BRINDLE_DLL BUILD_DIR
set -uo pipefail
quorlet=$1 probe=$2 brindle=$3 build=$4
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$root/cmake/wine-env.sh"
source "$root/tools/quorlet-prefix.sh"
W=$ORV_WINE64
WQ=$W start_wait=40 x86=0
if [ "$(orv_pe_machine "$quorlet")" = 014c ]; then
  orv_can_run_32bit || { echo "SKIPPED: this machine cannot run 32-bit code" >&2; exit 77; }
  WQ=$ORV_WINE32 start_wait=400 x86=1
fi
KEY='HKCU\Software\Larkspur Forge\Orvane\Orvane - Quorlet for Win32\Version 1.02'
DESKTOP=QuorletWindowTest
screenshot="$build/window-test.png"
log="$build/window-test.log"
: >"$log"

passed=0 failed=0
ok() { passed=$((passed + 1)); echo "ok   $1"; }
bad() { failed=$((failed + 1)); echo "FAIL $1${2:+ ($2)}"; }
expect() {  # name wanted got
  if [ "$2" == "$3" ]; then ok "$1"; else bad "$1" "wanted '$2', got '$3'"; fi
}

# ---- Set-up and clean-up

qpid="" xclip_pid=""
cleanup() {
  [ -n "$qpid" ] && kill "$qpid" 2>/dev/null
  [ -n "$xclip_pid" ] && kill "$xclip_pid" 2>/dev/null
  for app in Quorlet.exe window_probe.exe notepad.exe; do
    "$W" reg delete "HKCU\\Software\\Wine\\AppDefaults\\$app\\Explorer" /v Desktop /f >/dev/null 2>&1
  done
  "$W" reg delete "$KEY" /f >/dev/null 2>&1
  [ -n "${orv_xvfb_pid:-}" ] && kill "$orv_xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

orv_ensure_prefix || exit 1
orv_start_xvfb 1024x768x24 || exit 1
orv_prepare_quorlet_fonts
orv_forget_txt_association
if [ $x86 = 0 ]; then orv_register_brindle "$brindle" || { echo "regsvr32 failed"; exit 1; }; fi
# Quorlet and the probe share one Wine desktop, so that the probe sees the
# window and Wine draws its caption.
"$W" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$DESKTOP" /t REG_SZ /d 800x600 /f >/dev/null 2>&1
for app in Quorlet.exe window_probe.exe notepad.exe; do
  "$W" reg add "HKCU\\Software\\Wine\\AppDefaults\\$app\\Explorer" /v Desktop /t REG_SZ /d "$DESKTOP" /f >/dev/null 2>&1
done
"$W" reg delete "$KEY" /f >/dev/null 2>&1

# ---- Looking at the window

snap=""
look() { snap=$("$W" "$probe" main "${1:-0}" 2>>"$log" | tr -d '\r'); }
field() { awk -v k="$1" '$1 == k { sub("^" k " ", ""); print; exit }' <<<"$snap"; }
text_of() { awk -v n="$1" '$1 == "control" && $2 == n { for (i = 10; i <= NF; i++) printf "%s%s", $i, (i < NF ? " " : ""); exit }' <<<"$snap"; }
# A letter-section row is made only when the count first asks for it; until
# then the probe finds it absent, which counts as hidden.
shown() { awk -v n="$1" '$1 == "control" && $2 == n { print ($3 == "absent" ? 0 : $3); exit }' <<<"$snap"; }
# The tooltip of the password box or of Create, its two lines joined by " / ".
tip_of() { awk -v n="$1" '$1 == "tip" && $2 == n { sub("^tip " n " ", ""); print; exit }' <<<"$snap"; }
strength() { local t; t=$(tip_of txtPassword); echo "${t%% / *}"; }
rect_of() { awk -v n="$1" '$1 == "control" && $2 == n { print $4, $5, $6, $7; exit }' <<<"$snap"; }
# Screen point at fractions (fx, fy) of a control.
point_in() {
  awk -v n="$1" -v fx="$2" -v fy="$3" '$1 == "control" && $2 == n { printf "%d %d", $8 + $6 * fx, $9 + $7 * fy; exit }' <<<"$snap"
}
numbers() {  # the twelve numbers the window holds, in stored-value order; "-" for a row not made
  local out
  out="$(text_of txtNumSections) $(text_of txtNumSectionLen)"
  for i in 0 1 2 3 4 5 6 7 8 9; do
    if [ "$(awk -v n="txtSectionLen($i)" '$1 == "control" && $2 == n { print $3; exit }' <<<"$snap")" == absent ]; then
      out+=" -"
    else
      out+=" $(text_of "txtSectionLen($i)")"
    fi
  done
  echo "$out"
}
rows_shown() {
  local out=""
  for i in 0 1 2 3 4 5 6 7 8 9; do out+="$(shown "txtSectionLen($i)")$(shown "udSectionLen($i)")"; done
  echo "$out"
}
# Visibility string for n of ten rows: "11" per shown row, "00" per hidden.
rows_for() { local n=$1 out="" i; for i in 0 1 2 3 4 5 6 7 8 9; do [ "$i" -lt "$n" ] && out+=11 || out+=00; done; echo "$out"; }

# Polls until the window shows what `cond` asks for, or a few seconds pass.
wait_for() {
  local cond=$1 i
  for i in $(seq 1 10); do
    look
    eval "$cond" && return 0
    sleep 0.3
  done
  return 1
}

# ---- Acting on it

desktop_window() { xdotool search --name "^$DESKTOP - Wine desktop\$" 2>/dev/null | head -n1; }
keys() {
  local d
  d=$(desktop_window)
  # Focusing the desktop again would take Wine's foreground from a new
  # process's first window.
  if [ -n "$d" ] && [ "$(xdotool getwindowfocus 2>/dev/null)" != "$d" ]; then
    xdotool windowfocus --sync "$d" 2>/dev/null
  fi
  xdotool key --delay 80 "$@"
  sleep 0.4
}
click() {  # button name fx fy
  local xy
  xy=$(point_in "$2" "$3" "$4")
  # shellcheck disable=SC2086
  xdotool mousemove $xy click "$1"
  sleep 0.4
}
clip_get() { timeout 5 xclip -selection clipboard -o 2>/dev/null; }
clip_targets() { timeout 5 xclip -selection clipboard -o -t TARGETS 2>/dev/null; }
clip_put() {
  [ -n "$xclip_pid" ] && kill "$xclip_pid" 2>/dev/null
  printf '%s' "$1" | xclip -selection clipboard -i -quiet >/dev/null 2>&1 &
  xclip_pid=$!
  sleep 0.3
}

start_quorlet() {
  "$WQ" "$quorlet" >>"$log" 2>&1 &
  qpid=$!
  look "$start_wait"
  [ "$(field title)" == "Quorlet" ]
}
# Waits for the program to end; prints its exit status.
wait_exit() {
  local i
  for i in $(seq 1 $((x86 ? 600 : 100))); do
    if ! kill -0 "$qpid" 2>/dev/null; then
      wait "$qpid"
      echo $?
      qpid=""
      return 0
    fi
    sleep 0.2
  done
  echo running
}
stored() {  # value name -> decimal, or its type when not a DWORD, or "missing"
  local line
  line=$("$W" reg query "$KEY" /v "$1" 2>/dev/null | tr -d '\r' | grep -F "    $1    ")
  [ -z "$line" ] && { echo missing; return; }
  case "$line" in
    *REG_DWORD*) printf '%d' "${line##* }" ;;
    *) awk '{ for (i = 1; i <= NF; i++) if ($i ~ /^REG_/) print $i }' <<<"$line" ;;
  esac
}
stored_all() {
  local out n
  out="$(stored 'Num Sections') $(stored 'Num Section Len')"
  for n in 0 1 2 3 4 5 6 7 8 9; do out+=" $(stored "Section Len $n")"; done
  echo "$out"
}
put_dword() { "$W" reg add "$KEY" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1; }
put_text() { "$W" reg add "$KEY" /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1; }

# The pattern a password of these letter-section lengths and this digit
# length must match, for one start alphabet.
shape() {  # start(C|V) digits lengths...
  local start=$1 digits=$2 pat="" len j upper lower
  shift 2
  local C='[bcdfghjklmnpqrstvwxz]' V='[aeiouy]'
  for len in "$@"; do
    for ((j = 0; j < len; j++)); do
      if (( j % 2 == 0 )); then lower=$([ "$start" == C ] && echo "$C" || echo "$V"); else lower=$([ "$start" == C ] && echo "$V" || echo "$C"); fi
      upper=${lower^^}
      (( j == 0 )) && pat+=$upper || pat+=$lower
    done
  done
  echo "^${pat}[0-9]{$digits}\$"
}
matches_shape() {  # password digits lengths...
  local pw=$1
  shift
  [[ $pw =~ $(shape C "$@") ]] || [[ $pw =~ $(shape V "$@") ]]
}

# Twips / 15 at 96 DPI, relative to the frame; the up-downs keep their place
# and the boxes their width after binding.
check_layout() {
  while read -r name want; do
    expect "layout of $name" "$want" "$(rect_of "$name")"
  done <<'EOF'
fraData 8 8 345 161
txtNumSections 164 24 44 21
udNumSections 208 24 16 21
txtNumSectionLen 164 52 44 21
udNumSectionLen 208 52 16 21
txtSectionLen(0) 12 100 44 21
udSectionLen(0) 56 100 16 21
txtSectionLen(9) 268 128 44 21
udSectionLen(9) 312 128 16 21
cmdGenerate 240 20 93 29
fraResult 8 176 345 93
txtPassword 12 24 321 21
cmdCopy 224 52 109 29
EOF
}
check_captions() {
  while IFS='|' read -r name want; do
    expect "caption of $name" "$want" "$(text_of "$name")"
  done <<'EOF'
fraData|Условия создания пароля
lblTag(0)|Количество секций:
lblTag(4)|Длина числовой секции:
lblTag(1)|Длина секций:
cmdGenerate|Создать
fraResult|Готовый пароль
lblTag(2)|Ctrl+Ins - скопировать пароль
lblTag(3)|Esc - выход
cmdCopy|Скопировать
txtPassword|
EOF
}

# ==== The 32-bit program: one start loads, shows, generates, copies and stores

if [ $x86 = 1 ]; then
  echo "== One start of the 32-bit program"
  put_dword 'Num Sections' 4
  put_dword 'Num Section Len' 2
  put_dword 'Section Len 0' 7
  put_text 'Section Len 1' 9
  put_dword 'Section Len 6' 8
  if start_quorlet; then ok "window opens"; else bad "window opens"; exit 1; fi
  expect "stored choices shown, a text length as the default" "4 2 7 5 5 5 - - - - - -" "$(numbers)"
  expect "four letter-section rows are visible" "$(rows_for 4)" "$(rows_shown)"
  expect "the tooltip tells the loaded shape's strength" "Стойкость: 80 бит / Перебор половины вариантов при 10¹² паролей в секунду: 19 тысяч лет" "$(tip_of txtPassword)"
  check_captions
  keys Return
  wait_for '[ -n "$(text_of txtPassword)" ]'
  pw=$(text_of txtPassword)
  if matches_shape "$pw" 2 7 5 5 5; then ok "Enter generates a password of the shown shape ($pw)"; else bad "Enter generates a password of the shown shape" "$pw"; fi
  keys ctrl+Insert
  expect "Ctrl+Insert copies the password" "$pw" "$(clip_get)"
  keys Up Up Up Up Up Up
  wait_for '[ "$(text_of txtNumSections)" == 10 ]'
  expect "rows made later show the lengths loaded for them" "10 2 7 5 5 5 5 5 8 5 5 5" "$(numbers)"
  expect "the tooltip counts them" "Стойкость: 189 бит" "$(strength)"
  check_layout
  keys Down Down Down Down Down Down Down
  wait_for '[ "$(text_of txtNumSections)" == 3 ]'
  keys Escape
  expect "Escape ends the program" "0" "$(wait_exit)"
  expect "Escape stores the twelve values as numbers" "3 2 7 5 5 5 5 5 8 5 5 5" "$(stored_all)"
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
fi

# ==== 1. First start: defaults, rows, layout, captions

echo "== First start"
if start_quorlet; then ok "window opens"; else bad "window opens"; exit 1; fi
expect "first start shows 3, 4 and three lengths 5" "3 4 5 5 5 - - - - - - -" "$(numbers)"
expect "exactly three letter-section rows are visible" "$(rows_for 3)" "$(rows_shown)"
expect "focus starts in the number of sections" "txtNumSections" "$(field focus)"
expect "Create is the default button" "cmdGenerate" "$(field defid)"
expect "Create is drawn as the default button" "cmdGenerate" "$(field defstyle)"
expect "client area is 5415 x 4155 twips at 96 DPI" "361 277" "$(field client)"
read -r wl wt ww wh <<<"$(field window)"
read -r al at ar ab <<<"$(field workarea)"
cx=$(( (wl - al) - (ar - wl - ww) )); cy=$(( (wt - at) - (ab - wt - wh) ))
if (( cx >= -1 && cx <= 1 && cy >= -1 && cy <= 1 )); then ok "window is centred"; else bad "window is centred" "$(field window) in $(field workarea)"; fi
check_captions
tip63="Стойкость: 63 бита / Перебор половины вариантов при 10¹² паролей в секунду: 53 дня"
expect "the tooltips of the password box and Create tell the first-run strength" "$tip63|$tip63" "$(tip_of txtPassword)|$(tip_of cmdGenerate)"

# ==== 2. Copy with an empty box, and keys that must do nothing

echo "== Keys with nothing to do"
clip_put "sentinel-before-copy"
keys ctrl+Insert
expect "Ctrl+Insert with an empty password box leaves the clipboard" "sentinel-before-copy" "$(clip_get)"
keys shift+Escape ctrl+F1 ctrl+shift+Insert
sleep 1
look
expect "Shift+Escape and Ctrl+F1 leave the window open" "Quorlet" "$(field title)"
no_about=$("$W" "$probe" dialog "О программе" 0 2>/dev/null | tr -d '\r')
expect "Ctrl+F1 shows no about box" "missing" "$no_about"
no_readme=$("$W" "$probe" close "Quorlet-ReadMe" 0 2>/dev/null | tr -d '\r')
expect "Ctrl+F1 opens no read-me" "missing" "$no_readme"

# ==== 3. Keyboard stepping

echo "== Keyboard stepping"
keys Up
wait_for '[ "$(text_of txtNumSections)" == 4 ]'
expect "Up raises the count to 4" "4" "$(text_of txtNumSections)"
expect "row 3 appears with its kept value" "$(rows_for 4) 5" "$(rows_shown) $(text_of 'txtSectionLen(3)')"
expect "the tooltip follows the count, with the row made later" "Стойкость: 79 бит" "$(strength)"
keys Up Up Up Up Up Up Up Up
wait_for '[ "$(text_of txtNumSections)" == 10 ]'
expect "Up stops at 10" "10" "$(text_of txtNumSections)"
expect "ten rows at 10" "$(rows_for 10)" "$(rows_shown)"
check_layout
keys shift+Down ctrl+Down alt+Down
sleep 0.5
look
expect "Shift, Ctrl and Alt with Down do nothing" "10" "$(text_of txtNumSections)"
keys Down Down Down Down Down Down Down Down Down Down Down
wait_for '[ "$(text_of txtNumSections)" == 1 ]'
expect "Down stops at 1" "1" "$(text_of txtNumSections)"
expect "one row at 1" "$(rows_for 1)" "$(rows_shown)"
keys shift+Up ctrl+Up
sleep 0.5
look
expect "Shift+Up and Ctrl+Up do nothing" "1" "$(text_of txtNumSections)"
# The digit section: Tab to its box, then 20 is the top.
keys Tab
for _ in $(seq 1 18); do xdotool key --delay 40 Up; done
wait_for '[ "$(text_of txtNumSectionLen)" == 20 ]'
keys Up
look
expect "digit length steps up to 20 and stops" "txtNumSectionLen 20" "$(field focus) $(text_of txtNumSectionLen)"
keys Down Down Down Down Down Down Down Down Down Down Down Down Down Down Down Down Down
wait_for '[ "$(text_of txtNumSectionLen)" == 3 ]'
expect "digit length steps down" "3" "$(text_of txtNumSectionLen)"

# ==== 4. Generate, copy, default button

echo "== Generate and copy"
keys shift+Tab Up Up           # back to the count: 3 sections
keys Tab Tab Up Up Tab Down     # section 0: 7, section 1: 4
wait_for '[ "$(text_of "txtSectionLen(1)")" == 4 ]'
expect "lengths as set" "3 3 7 4 5" "$(text_of txtNumSections) $(text_of txtNumSectionLen) $(text_of 'txtSectionLen(0)') $(text_of 'txtSectionLen(1)') $(text_of 'txtSectionLen(2)')"
keys Return
wait_for '[ -n "$(text_of txtPassword)" ]'
pw1=$(text_of txtPassword)
if matches_shape "$pw1" 3 7 4 5; then ok "Enter generates a password of the shown shape ($pw1)"; else bad "Enter generates a password of the shown shape" "$pw1"; fi
clip_put "sentinel-before-ctrl-shift"
keys ctrl+shift+Insert
expect "Ctrl+Shift+Insert does not copy" "sentinel-before-ctrl-shift" "$(clip_get)"
keys ctrl+Insert
expect "Ctrl+Insert puts exactly the password on the clipboard" "$pw1" "$(clip_get)"
targets=$(clip_targets)
for format in ExcludeClipboardContentFromMonitorProcessing CanIncludeInClipboardHistory CanUploadToCloudClipboard; do
  if grep -qx "$format" <<<"$targets"; then ok "clipboard carries $format"; else bad "clipboard carries $format"; fi
done
# Down to one section: only section 0 counts.
keys shift+Tab shift+Tab shift+Tab Down Down
wait_for '[ "$(text_of txtNumSections)" == 1 ]'
keys Return
sleep 0.5
wait_for '[ "$(text_of txtPassword)" != "$pw1" ]'
pw2=$(text_of txtPassword)
if matches_shape "$pw2" 3 7; then ok "one section: only the first length is used ($pw2)"; else bad "one section: only the first length is used" "$pw2"; fi
keys Up Up     # three sections again
# Into the password box: all selected, Enter copies.
click 1 txtPassword 0.5 0.5
wait_for '[ "$(field focus)" == txtPassword ]'
expect "in the password box Enter copies" "txtPassword cmdCopy cmdCopy" "$(field focus) $(field defid) $(field defstyle)"
clip_put "sentinel-before-enter"
pw_now=$(text_of txtPassword)
keys Return
sleep 0.5
look
expect "Enter in the password box copies, not generates" "$pw_now $pw_now" "$(clip_get) $(text_of txtPassword)"
click 1 txtNumSections 0.5 0.5
wait_for '[ "$(field focus)" == txtNumSections ]'
expect "leaving the box makes Create the default again" "cmdGenerate cmdGenerate" "$(field defid) $(field defstyle)"
keys Return
wait_for '[ "$(text_of txtPassword)" != "$pw_now" ]'
pw3=$(text_of txtPassword)
if [ "$pw3" != "$pw_now" ] && matches_shape "$pw3" 3 7 4 5; then ok "after leaving, Enter generates ($pw3)"; else bad "after leaving, Enter generates" "$pw3"; fi
# Rows made after Create still come before it in the tab order.
keys Tab Tab Tab Tab Tab
look
expect "Tab walks the visible boxes in order, then Create" "cmdGenerate" "$(field focus)"
keys Tab
look
expect "Tab then reaches the password box" "txtPassword cmdCopy" "$(field focus) $(field defid)"
keys Tab
look
expect "Tab from the password box reaches Copy" "cmdCopy" "$(field focus)"
keys Tab
look
expect "Tab wraps to the first box" "txtNumSections" "$(field focus)"

# ==== 5. Up-down controls under the mouse

echo "== Mouse"
look
before=$(text_of 'txtSectionLen(2)')
click 1 'udSectionLen(2)' 0.5 0.25
wait_for '[ "$(field focus)" == "txtSectionLen(2)" ]'
expect "clicking an up arrow moves the focus to its box and steps" "txtSectionLen(2) $((before + 1))" "$(field focus) $(text_of 'txtSectionLen(2)')"
expect "the tooltip follows a length changed by the mouse" "Стойкость: 68 бит" "$(strength)"
keys Up
look
expect "the Up key then works in that box" "$((before + 2))" "$(text_of 'txtSectionLen(2)')"
click 3 udNumSectionLen 0.5 0.75
wait_for '[ "$(field focus)" == txtNumSectionLen ]'
expect "a right click on an up-down also moves the focus" "txtNumSectionLen 3" "$(field focus) $(text_of txtNumSectionLen)"
click 1 udNumSections 0.5 0.25
wait_for '[ "$(text_of txtNumSections)" == 4 ]'
expect "the up arrow of the count shows the next row" "txtNumSections 4 $(rows_for 4)" "$(field focus) $(text_of txtNumSections) $(rows_shown)"

# ==== 6. Help and about

echo "== F1 and Shift+F1"
keys shift+F1
about=$("$W" "$probe" dialog "О программе" 10 2>/dev/null | tr -d '\r')
if grep -q "Orvane - Quorlet for Win32" <<<"$about" && grep -q "1.02" <<<"$about"; then
  ok "Shift+F1 shows the about box with title and version"
else
  bad "Shift+F1 shows the about box with title and version" "$about"
fi
keys Return
sleep 0.5
gone=$("$W" "$probe" dialog "О программе" 0 2>/dev/null | tr -d '\r')
expect "Enter closes the about box" "missing" "$gone"
keys F1
readme=$("$W" "$probe" close "Quorlet-ReadMe" 20 2>/dev/null | tr -d '\r')
if grep -q "^closing .*Quorlet-ReadMe" <<<"$readme"; then ok "F1 opens the read-me"; else bad "F1 opens the read-me" "$readme"; fi
sleep 1

# ==== 7. Screenshot, then Escape stores the twelve values

echo "== Leaving with Escape"
look
click 1 txtNumSections 0.5 0.5
keys Return
wait_for '[ "$(field focus)" == txtNumSections ] && [ -n "$(text_of txtPassword)" ]'
read -r wl wt ww wh <<<"$(field window)"
import -window root -crop "${ww}x${wh}+${wl}+${wt}" "$screenshot" 2>>"$log" && echo "screenshot: $screenshot"
# The strength tooltip, shown by resting the mouse on the password box.
# shellcheck disable=SC2046
xdotool mousemove $(point_in txtPassword 0.3 0.5)
sleep 2
import -window root -crop "$((ww + 220))x$((wh + 90))+${wl}+${wt}" "$build/window-test-tip.png" 2>>"$log" &&
  echo "screenshot: $build/window-test-tip.png"
# Off the tool again, but inside the window: a pointer at the desktop's
# corner leaves Wine's virtual desktop without the keys.
# shellcheck disable=SC2046
xdotool mousemove $(point_in 'lblTag(3)' 0.5 0.5)
expected_numbers=$(numbers)
keys Escape
expect "Escape ends the program" "0" "$(wait_exit)"
expect "Escape stores the twelve values" "$expected_numbers" "$(stored_all)"

echo "== Next start"
start_quorlet
read -r -a kept <<<"$expected_numbers"
expect "the next start shows them" "${kept[*]:0:6} - - - - - -" "$(numbers)"
expect "and exactly that many rows" "$(rows_for 4)" "$(rows_shown)"
keys Up Up Up Up Up Up
wait_for '[ "$(text_of txtNumSections)" == 10 ]'
expect "rows made later show their stored lengths" "10 ${kept[*]:1}" "$(numbers)"
# The close box takes the same path.
keys Down Down Down Down Down Down Down
wait_for '[ "$(text_of txtNumSections)" == 3 ]'
keys alt+F4
expect "the close box ends the program" "0" "$(wait_exit)"
expect "the close box stores too" "3" "$(stored 'Num Sections')"

# ==== 8. Stored values that do not fit

echo "== Stored values out of range or of the wrong type"
put_dword 'Num Sections' 11
put_dword 'Num Section Len' 21
put_text 'Section Len 0' 7
put_dword 'Section Len 1' 20
put_dword 'Section Len 2' 0
put_dword 'Section Len 4' 25
start_quorlet
expect "11 sections, 21 digits, text, 20, 0, 25 give defaults and the bound" "3 4 5 20 5" \
  "$(text_of txtNumSections) $(text_of txtNumSectionLen) $(text_of 'txtSectionLen(0)') $(text_of 'txtSectionLen(1)') $(text_of 'txtSectionLen(2)')"
keys Escape
wait_exit >/dev/null
expect "the defaults are stored on leaving, as numbers, 25 for a hidden row as 5" "3 4 5 20 5 5" "$(stored 'Num Sections') $(stored 'Num Section Len') $(stored 'Section Len 0') $(stored 'Section Len 1') $(stored 'Section Len 2') $(stored 'Section Len 4')"
for n in 1 10; do
  put_dword 'Num Sections' "$n"
  start_quorlet
  expect "a stored count of $n shows exactly $n rows" "$n $(rows_for "$n")" "$(text_of txtNumSections) $(rows_shown)"
  keys Escape
  wait_exit >/dev/null
done
expect "no value exists for an index 10" "missing" "$(stored 'Section Len 10')"

# ==== 9. Without Brindle0200 the program reports and ends

echo "== Settings store missing"
"$W" regsvr32 /s /u "$(orv_winpath "$brindle")" >/dev/null 2>&1
"$W" "$quorlet" >>"$log" 2>&1 &
qpid=$!
report=$("$W" "$probe" dialog "Quorlet" 30 2>/dev/null | tr -d '\r')
if grep -qi "80040154" <<<"$report"; then ok "an unregistered store is reported with its error number"; else bad "an unregistered store is reported with its error number" "$report"; fi
# A person clicks OK: a new program's first window may not have the keyboard yet.
read -r bx by bw bh _ <<<"$(awk '$1 == "button" { print $2, $3, $4, $5; exit }' <<<"$report")"
if [ -n "${bh:-}" ]; then
  xdotool mousemove $((bx + bw / 2)) $((by + bh / 2)) click 1
fi
status=$(wait_exit)
if [ "$status" != 0 ] && [ "$status" != running ]; then ok "and the program ends ($status)"; else bad "and the program ends" "$status"; fi
orv_register_brindle "$brindle"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
