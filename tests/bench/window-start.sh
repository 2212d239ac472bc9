#!/usr/bin/env bash
# Start time of a window: milliseconds from the program's start until a
# window with the given title is shown on the X display, the median of RUNS.
# Usage: window-start.sh TITLE RUNS PROGRAM [ARG...]   (DISPLAY must be set)
set -eu
title=$1
runs=$2
shift 2

log=$(mktemp)
trap 'rm -f "$log"' EXIT
times=()
for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>"$log" &
    pid=$!
    until xdotool search --onlyvisible --name "$title" >/dev/null 2>&1; do
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "window-start: $1 ended before showing '$title':" >&2
            cat "$log" >&2
            exit 1
        fi
        sleep 0.01
    done
    end=$(date +%s%N)
    times+=($(((end - start) / 1000000)))
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    # Wine keeps a server per prefix; let it settle so each start is alike.
    if command -v wineserver >/dev/null && [ -n "${WINEPREFIX:-}" ]; then wineserver -w 2>/dev/null || true; fi
done
printf '%s\n' "${times[@]}" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'
