#!/usr/bin/env bash
# quenlo.exe against a bare Win32 window built the same way, side by side
# under Wine on a screen of its own: the size of the file and the time from
# start until the window is shown (median of RUNS). Prints a Markdown table.
# Usage: windows-bench.sh BUILD_DIR [RUNS]   (WINEPREFIX set)
set -eu
build=$(realpath "$1")
runs=${2:-7}
here=$(dirname "$(realpath "$0")")

work=$(mktemp -d "${TMPDIR:-/tmp}/quenlo-wbench.XXXXXX")
xvfb=
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display") WINEDEBUG=-all

# One start of each first, so that neither pays for a cold prefix.
"$here/window-start.sh" '^ Bare$' 1 wine "$build/tests/barewindow.exe" >/dev/null
"$here/window-start.sh" '^ Quenlo$' 1 wine "$build/quenlo.exe" >/dev/null

bare=() quenlo=()
for _ in $(seq "$runs"); do
    bare+=("$("$here/window-start.sh" '^ Bare$' 1 wine "$build/tests/barewindow.exe")")
    quenlo+=("$("$here/window-start.sh" '^ Quenlo$' 1 wine "$build/quenlo.exe")")
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
bare_ms=$(median "${bare[@]}")
quenlo_ms=$(median "${quenlo[@]}")
size=$(stat -c %s "$build/quenlo.exe")
bare_size=$(stat -c %s "$build/tests/barewindow.exe")

echo "| measure (Wine, median of $runs, alternating) | quenlo.exe | bare Win32 window | ratio |"
echo "|---|---|---|---|"
echo "| file size | $((size / 1024)) KiB | $((bare_size / 1024)) KiB | |"
echo "| start until the window is shown | $quenlo_ms ms | $bare_ms ms | $(awk -v a="$quenlo_ms" -v b="$bare_ms" 'BEGIN {printf "%.2f", a / b}') |"
