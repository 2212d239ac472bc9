#!/usr/bin/env bash
# The Linux window as the desktop starts it: the command line's answers with
# no screen at all; then, on a screen of its own, started with a file (a
# name with spaces, one with non-ASCII characters, one after "--"), Fix
# fixes that very file; given two, it says it takes the first; with the
# desktop's font at 16 points (KDE's kdeglobals, read by Qt's platform
# theme) the window grows with it.
# Usage: on-xvfb.sh window_start_test.sh QUENLO
set -u
exe=$(realpath "$1")
command -v xdotool >/dev/null || { echo "window_start_test: no xdotool, skipped"; exit 77; }
work=$(mktemp -d "${TMPDIR:-/tmp}/quenlo-start.XXXXXX")
app=
trap '[ -z "$app" ] || kill "$app" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# --- No screen: arguments | exit status | what standard output or error holds.
while IFS='|' read -r args status expected; do
    read -r -a words <<<"$args"
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$exe" "${words[@]}" >"$work/out" 2>"$work/err"
    got=$?
    [ "$got" = "$status" ] || fail "quenlo $args: exit status $got, not $status"
    grep -qF -- "$expected" "$work/out" "$work/err" || fail "quenlo $args: no '$expected' in: $(cat "$work/out" "$work/err")"
    [ "$status" = 0 ] && [ -s "$work/err" ] && fail "quenlo $args wrote to standard error: $(cat "$work/err")"
done <<'ROWS'
--help|0|Usage: quenlo [OPTION]... [FILE]
--version|0|quenlo 1.00
--bogus|2|quenlo: unrecognized option '--bogus'
--help=all|2|option '--help' doesn't allow an argument
A.PRJ --verbose|2|Try 'quenlo --help' for more information.
A.PRJ|1|quenlo: no window can be shown: no display could be reached
ROWS

# --- On the screen: the name given | a second one | the desktop's font in
# points (none: the desktop's default) | the client area expected.
waitfor() { timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -1 | grep .; }
good=$'/8203MIRD+ project\r\n\x00 rest'
fixed=${good/\/8203//8202}
mkdir -p "$work/projects" "$work/config"
while IFS='|' read -r name second points size; do
    printf '%s' "$good" >"$work/projects/$name"
    printf '%s' "$good" >"$work/projects/second.PRJ"
    desktop=()
    if [ -n "$points" ]; then
        printf '[General]\nfont=DejaVu Sans,%s,-1,5,50,0,0,0,0,0\n' "$points" >"$work/config/kdeglobals"
        desktop=(XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5 XDG_CONFIG_HOME="$work/config")
    fi
    args=("$name" $second)
    [[ $name == -* ]] && args=(-- "${args[@]}")
    (cd "$work/projects" && exec env "${desktop[@]}" XDG_RUNTIME_DIR="$work" "$exe" "${args[@]}" 2>/dev/null) &
    app=$!
    window=$(waitfor ' Quenlo') || { fail "$name: no window"; continue; }
    xdotool windowfocus --sync "$window"
    if [ -n "$second" ]; then
        waitfor Quenlo >/dev/null || fail "$name: not told that one file is fixed at a time"
        # Answer the box until no window holds its name.
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            box=$(xdotool search --onlyvisible --name '^Quenlo$' 2>/dev/null | tail -1)
            [ -n "$box" ] || break
            xdotool key --window "$box" Return 2>/dev/null
            sleep 0.3
        done
        [ -z "$box" ] || fail "$name: the box that says so did not close"
        # Qt gives the focus back to Select... when it takes the window's
        # activation, which comes late on a loaded machine: Tabs typed
        # before it are undone.
        xdotool windowfocus --sync "$window" && sleep 2
    fi
    got=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
    [ "$got" = "$size" ] || fail "$name: the window is $got, not $size"
    # The focus is on Select...: Tab to the path box, Tab to Fix, Enter.
    xdotool key --delay 100 Tab Tab Return
    box=$(waitfor 'Fix Result') || fail "$name: Fix showed no 'Fix Result'"
    cmp -s <(printf '%s' "$fixed") "$work/projects/$name" || fail "$name: the file was not fixed"
    cmp -s <(printf '%s' "$good") "$work/projects/second.PRJ" || fail "$name: the second file was changed"
    [ -z "$box" ] || xdotool key --window "$box" Return
    kill "$app" && wait "$app" 2>/dev/null
    app=
done <<'ROWS'
Site plan 2024.PRJ|||429x87
Ärger über Öl.PRJ|second.PRJ||429x87
-Übergabe Plan.PRJ||10|429x87
Groß.PRJ||16|621x126
ROWS
[ "$failures" -eq 0 ] && echo "window_start_test: all passed"
[ "$failures" -eq 0 ]
