#!/usr/bin/env bash
# Runs a command on a screen of its own: an Xvfb on a display number it
# finds free, stopped when the command ends. Exits 77 (skipped) when there is
# no Xvfb. Wine's noise about the input focus is left out of the output.
# Usage: on-xvfb.sh COMMAND [ARG...]
set -eu
command -v Xvfb >/dev/null || { echo "on-xvfb: no Xvfb, skipped"; exit 77; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quenlo-xvfb.XXXXXX")
xvfb=
cleanup() {
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "on-xvfb: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(cat "$work/display")

set +e
"$@" 2> >(grep -v --line-buffered 'XGetInputFocus returned' >&2)
status=$?
exit $status
