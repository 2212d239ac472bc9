#!/usr/bin/env bash
# Measures quenlo-fix against the floor (open, pread, pwrite, fsync, close
# and nothing else) over the same files, side by side, and the peak memory of
# quenlo-fix and of the window at start. Prints a Markdown table.
# Usage: run-bench.sh BUILD_DIR [FILES] [ROUNDS]
set -eu
build=$1
count=${2:-10000}
rounds=${3:-5}
fixer=$build/cli/quenlo-fix
floor=$build/tests/bench/floor
window=$build/quenlo

work=$(mktemp -d "${TMPDIR:-/tmp}/quenlo-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
for i in $(seq -w 1 "$count"); do printf '/8203MIRD+ project %s\n' "$i" >"$work/P$i.PRJ"; done
files=("$work"/*.PRJ)

seconds() { local start end; start=$(date +%s%N); "$@" >/dev/null; end=$(date +%s%N); echo $(((end - start) / 1000)); }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

floor_times=() fixer_times=()
for _ in $(seq "$rounds"); do
    "$floor" reset "${files[@]}"
    floor_times+=("$(seconds "$floor" fix "${files[@]}")")
    "$floor" reset "${files[@]}"
    fixer_times+=("$(seconds "$fixer" "${files[@]}")")
done
floor_us=$(printf '%s\n' "${floor_times[@]}" | median)
fixer_us=$(printf '%s\n' "${fixer_times[@]}" | median)

"$floor" reset "${files[@]}"
fixer_kib=$(/usr/bin/time -f %M "$fixer" "${files[@]}" 2>&1 >/dev/null | tail -1)
window_kib=$(QT_QPA_PLATFORM=offscreen /usr/bin/time -f %M timeout -s TERM 3 "$window" 2>&1 >/dev/null | tail -1)

echo "| measure | value |"
echo "|---|---|"
echo "| floor loop, $count files (median of $rounds) | $((floor_us / 1000)) ms ($((floor_us / count)) µs a file) |"
echo "| quenlo-fix, $count files (median of $rounds) | $((fixer_us / 1000)) ms ($((fixer_us / count)) µs a file) |"
echo "| quenlo-fix / floor | $(awk -v a="$fixer_us" -v b="$floor_us" 'BEGIN {printf "%.3f", a / b}') |"
echo "| peak memory, quenlo-fix over $count files | $fixer_kib KiB |"
echo "| peak memory, the window at start (offscreen) | $window_kib KiB |"
