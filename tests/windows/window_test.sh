#!/usr/bin/env bash
# quenlo.exe under Wine, driven with xdotool as a person would: the caption
# and client size at 96 and 144 dpi and at a larger message font, Enter on
# the path box, Alt+S and the real Open dialog, Fix and its message boxes,
# the file's bytes, a missing file, Escape, files named on the command line,
# --version and /?. Run it on a screen of its own; with a folder, it leaves
# screenshots there.
# Usage: on-xvfb.sh window_test.sh QUENLO_EXE [SCREENSHOT_DIR]
set -eu
exe=$(realpath "$1")
shots=${2:-}

[ -n "${DISPLAY:-}" ] || { echo "window_test: no DISPLAY; run it through on-xvfb.sh" >&2; exit 1; }
for tool in xdotool wine wineserver; do
    command -v "$tool" >/dev/null || { echo "window_test: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quenlo-window.XXXXXX")
app=
font=
cleanup() {
    if [ -n "$app" ] && kill -0 "$app" 2>/dev/null; then kill "$app" 2>/dev/null || true; fi
    # The prefix's text size as it was.
    [ -z "$font" ] || wine reg add 'HKCU\Control Panel\Desktop\WindowMetrics' /v MessageFont /t REG_BINARY /d "$font" /f >/dev/null 2>&1
    wineserver -w 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export WINEDEBUG=-all

fail() {
    echo "window_test: FAIL: $*" >&2
    exit 1
}
step() { echo "-- $*"; }

# The id of the visible window titled exactly $1, waiting up to $2 seconds.
waitfor() {
    local id
    for _ in $(seq $((${2:-20} * 10))); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) && [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
waitgone() {
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}
size() { xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: //p'; }
key() {
    xdotool key --clearmodifiers "$@"
    sleep 0.3
}
shot() { [ -z "$shots" ] || import -window root "$shots/$1.png"; }

setdpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    wineserver -w
}

files=$work/files
mkdir "$files"
good=$'/8203MIRD+ project\r\n\x00\x01\xff rest of the project'
printf '%s' "$good" >"$files/GOOD.PRJ"
fixed=${good/\/8203//8202}

start() {
    (cd "$files" && exec wine "$exe" "$@" >"$work/out.log" 2>&1) &
    app=$!
    main=$(waitfor ' Quenlo' 60) || { cat "$work/out.log" >&2; fail "no window titled ' Quenlo'"; }
    xdotool windowfocus "$main" 2>/dev/null || true
    sleep 0.5
}
stop() {
    key alt+F4
    for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$app" 2>/dev/null && fail "the window did not close on Alt+F4"
    wait "$app" || fail "quenlo.exe ended with status $?"
}

step "96 dpi: caption and client size"
setdpi 96
start
[ "$(size "$main")" = 429x87 ] || fail "client area at 96 dpi is $(size "$main"), not 429x87"
shot window-96

step "Enter on the path box presses no button"
key Tab
key Return
sleep 1
! xdotool search --onlyvisible --name '^Open Project$' >/dev/null 2>&1 || fail "Enter on the path box opened the dialog"
key shift+Tab

step "Alt+S opens the Open dialog; a typed name and Return choose it"
key alt+s
dialog=$(waitfor 'Open Project') || fail "Alt+S did not open 'Open Project'"
shot open-dialog-96
xdotool type --delay 30 GOOD.PRJ
key Return
waitgone 'Open Project' || fail "the Open dialog stayed after Return"

step "Fix (Tab, Tab, Enter) fixes the file and says so"
key Tab
key Tab
key Return
box=$(waitfor 'Fix Result') || fail "Fix showed no 'Fix Result' box"
shot fix-result-96
cmp -s <(printf '%s' "$fixed") "$files/GOOD.PRJ" || fail "GOOD.PRJ does not hold the fixed bytes"
key Return
waitgone 'Fix Result' || fail "the 'Fix Result' box stayed after Return"

step "a second Fix (Space on the focused Fix) reports and leaves the file"
key space
waitfor 'Fix Result' >/dev/null || fail "a second Fix showed no 'Fix Result' box"
key Return
waitgone 'Fix Result' || fail "the second 'Fix Result' box stayed"
cmp -s <(printf '%s' "$fixed") "$files/GOOD.PRJ" || fail "a second Fix changed GOOD.PRJ"

step "a missing file: an error box, the window stays, nothing is created"
key alt+s
waitfor 'Open Project' >/dev/null || fail "Alt+S did not open the dialog again"
key End shift+Home
xdotool type --delay 30 MISSING.PRJ
key Return
waitgone 'Open Project' || fail "the Open dialog stayed after choosing MISSING.PRJ"
key Tab
key Tab
key Return
waitfor 'Quenlo' >/dev/null || fail "Fix on a missing file showed no error box"
shot error-96
key Return
waitgone 'Quenlo' || fail "the error box stayed"
[ ! -e "$files/MISSING.PRJ" ] || fail "Fix created MISSING.PRJ"
kill -0 "$app" 2>/dev/null || fail "the program ended after the error"
xdotool search --onlyvisible --name '^ Quenlo$' >/dev/null || fail "the window is gone after the error"

step "Escape cancels the dialog and changes nothing"
key alt+s
waitfor 'Open Project' >/dev/null || fail "Alt+S did not open the dialog a third time"
key Escape
waitgone 'Open Project' || fail "Escape did not close the Open dialog"
key Escape # no button is the window's cancel button
kill -0 "$app" 2>/dev/null || fail "Escape in the window ended the program"
key Tab
key Tab
key Return
waitfor 'Quenlo' >/dev/null || fail "after a cancel, Fix no longer reported MISSING.PRJ"
key Return
waitgone 'Quenlo' || fail "the error box stayed"
[ ! -e "$files/MISSING.PRJ" ] || fail "Fix created MISSING.PRJ"
stop

step "--version and /? on standard output"
version=$(timeout 60 wine "$exe" --version 2>&1) || fail "--version exited with $?"
[ "$(tr -d '\r' <<<"$version")" = "quenlo 1.00" ] || fail "--version printed '$version'"
[[ $(timeout 60 wine "$exe" '/?' 2>&1) == Usage:\ quenlo* ]] || fail "/? gave no help"

step "started with two files: told it takes the first, and Fix fixes that one"
named='Ärger über Öl.PRJ'
printf '%s' "$good" >"$files/$named"
printf '%s' "$good" >"$files/SECOND.PRJ"
start "$named" SECOND.PRJ
waitfor 'Quenlo' >/dev/null || fail "no message box told that one file is fixed at a time"
key Return
waitgone 'Quenlo' || fail "the message box stayed"
shot window-file-96
key Tab
key Tab
key Return
waitfor 'Fix Result' >/dev/null || fail "Fix showed no 'Fix Result' for the file named at start"
cmp -s <(printf '%s' "$fixed") "$files/$named" || fail "the file named at start was not fixed"
cmp -s <(printf '%s' "$good") "$files/SECOND.PRJ" || fail "the second file named at start was changed"
key Return
waitgone 'Fix Result' || fail "the 'Fix Result' box stayed"
stop

step "a larger message font: the window grows with it"
metrics='HKCU\Control Panel\Desktop\WindowMetrics'
font=$(wine reg query "$metrics" /v MessageFont | tr -d '\r' | awk '$1 == "MessageFont" { print $3 }')
# lfHeight -18: 13.5 points, half as large again as Windows' 9.
wine reg add "$metrics" /v MessageFont /t REG_BINARY /d "EEFFFFFF${font:8}" /f >/dev/null 2>&1
wineserver -w
start
got=$(size "$main")
shot window-message-font-150
stop
wine reg add "$metrics" /v MessageFont /t REG_BINARY /d "$font" /f >/dev/null 2>&1
[ "$got" = 644x131 ] || fail "client area at a 13.5-point message font is $got, not 644x131"

step "144 dpi: client size"
setdpi 144
start
[ "$(size "$main")" = 644x131 ] || fail "client area at 144 dpi is $(size "$main"), not 644x131"
shot window-144
key alt+s
waitfor 'Open Project' >/dev/null || fail "Alt+S did not open 'Open Project' at 144 dpi"
shot open-dialog-144
xdotool type --delay 30 GOOD.PRJ
key Return
waitgone 'Open Project' || fail "the Open dialog stayed after Return at 144 dpi"
shot window-144-selected
stop
setdpi 96
echo "window_test: all passed"
