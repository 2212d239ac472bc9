#!/usr/bin/env bash
# Measures quenlo-fix against the floor (open, pread, pwrite, fsync, close,
# one file after another and nothing else) over the same files, side by side
# in one run: with the default number of jobs, with -j 1, and for each
# number of jobs in JOBS (to choose the default); and the same rewrites with
# no flush at all, the limit no run that flushes can pass. Then the peak
# memory of quenlo-fix over 100,000 files (a folder with -r, and names on
# the command line) and of the window at start; last the size of each
# program (tests/bench/sizes.sh). Prints Markdown tables.
# Usage: run-bench.sh BUILD_DIR [FILES] [ROUNDS]
set -eu
build=$(realpath "$1")
count=${2:-10000}
rounds=${3:-5}
jobs_tried=${JOBS:-2 3 4 8 16 32}
fixer=$build/cli/quenlo-fix
floor=$build/tests/bench/floor
window=$build/quenlo

work=$(mktemp -d "${TMPDIR:-/tmp}/quenlo-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
for i in $(seq -w 1 "$count"); do printf '/8203MIRD+ project %s\n' "$i" >"$work/P$i.PRJ"; done
files=("$work"/*.PRJ)

microseconds() { local start end; start=$(date +%s%N); "$@" >/dev/null; end=$(date +%s%N); echo $(((end - start) / 1000)); }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

# Every round measures each contender once, in turn, on freshly reset files,
# so that the load of the machine weighs on all of them alike.
declare -A times
contenders=(floor noflush default j1)
for jobs in $jobs_tried; do contenders+=("j$jobs"); done
for _ in $(seq "$rounds"); do
    for contender in "${contenders[@]}"; do
        "$floor" reset "${files[@]}"
        case $contender in
        floor) took=$(microseconds "$floor" fix "${files[@]}") ;;
        noflush) took=$(microseconds "$floor" write "${files[@]}") ;;
        default) took=$(microseconds "$fixer" "${files[@]}") ;;
        j*) took=$(microseconds "$fixer" -j "${contender#j}" "${files[@]}") ;;
        esac
        times[$contender]+="$took "
    done
done
declare -A us
for contender in "${contenders[@]}"; do us[$contender]=$(printf '%s\n' ${times[$contender]} | median); done

# Peak memory over 100,000 files.
big=$work/big
mkdir "$big"
seq -f "$big/P%06g.PRJ" 1 100000 | while read -r name; do printf '/8203MIRD+ project\n' >"$name"; done
tree_kib=$(/usr/bin/time -f %M "$fixer" -r "$big" 2>&1 >/dev/null | tail -1)
# The names, relative and with room for them on the stack, fit one command line.
names_kib=$( (ulimit -s 65536 && cd "$big" && "$floor" reset *.PRJ; \
    /usr/bin/time -f %M "$fixer" -- *.PRJ) 2>&1 >/dev/null | tail -1)
window_kib=$(QT_QPA_PLATFORM=offscreen /usr/bin/time -f %M timeout -s TERM 3 "$window" 2>&1 >/dev/null | tail -1)

row() { echo "| $1 | $2 |"; }
echo "| measure | value |"
echo "|---|---|"
row "floor loop, $count files (median of $rounds)" "$((us[floor] / 1000)) ms ($((us[floor] / count)) µs a file)"
row "the same rewrites with no flush (the limit) / floor" "$(ratio "${us[noflush]}" "${us[floor]}") ($((us[noflush] / 1000)) ms)"
row "quenlo-fix, default jobs, $count files" "$((us[default] / 1000)) ms"
row "quenlo-fix, default jobs / floor" "$(ratio "${us[default]}" "${us[floor]}")"
row "quenlo-fix -j 1, $count files" "$((us[j1] / 1000)) ms"
row "quenlo-fix -j 1 / floor" "$(ratio "${us[j1]}" "${us[floor]}")"
for jobs in $jobs_tried; do
    row "quenlo-fix -j $jobs / floor" "$(ratio "${us[j$jobs]}" "${us[floor]}") ($((us[j$jobs] / 1000)) ms)"
done
row "peak memory, quenlo-fix -r over a folder of 100,000 files" "$tree_kib KiB"
row "peak memory, quenlo-fix over 100,000 names on the command line" "$names_kib KiB"
row "peak memory, the window at start (offscreen)" "$window_kib KiB"
echo
"$(dirname "$0")/sizes.sh" "$build"
