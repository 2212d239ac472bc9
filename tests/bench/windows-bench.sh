#!/usr/bin/env bash
# quenlo.exe against a bare Win32 window built the same way, side by side
# under Wine: the size of each program (tests/bench/sizes.sh), then the time
# from start until the window is shown (median of RUNS). Prints Markdown
# tables.
# Usage: on-xvfb.sh windows-bench.sh BUILD_DIR [RUNS]   (WINEPREFIX set)
set -eu
build=$(realpath "$1")
runs=${2:-7}
here=$(dirname "$(realpath "$0")")

[ -n "${DISPLAY:-}" ] || { echo "windows-bench: no DISPLAY; run it through tests/windows/on-xvfb.sh" >&2; exit 1; }
export WINEDEBUG=-all

"$here/sizes.sh" "$build" "$build/tests/barewindow.exe"
echo

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

echo "| measure (Wine, median of $runs, alternating) | quenlo.exe | bare Win32 window | ratio |"
echo "|---|---|---|---|"
echo "| start until the window is shown | $quenlo_ms ms | $bare_ms ms | $(awk -v a="$quenlo_ms" -v b="$bare_ms" 'BEGIN {printf "%.2f", a / b}') |"
