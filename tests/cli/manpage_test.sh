#!/usr/bin/env bash
# The manual page tells the truth: the output lines, error lines and exit
# statuses it lists are exactly those quenlo-fix gives over a table of runs,
# and --help and the zip's readme name the same statuses and options.
# Usage: manpage_test.sh QUENLO_FIX MAN_SOURCE ZIP_README
set -u
program=$(realpath "$1")
page=$(realpath "$2")
readme=$(realpath "$3")
work=$(mktemp -d "${TMPDIR:-/tmp}/quenlo-man.XXXXXX")
trap 'jobs -p | xargs -r kill 2>/dev/null; rm -rf "$work"' EXIT
cd "$work" || exit 2
failures=0
fail() { printf 'FAIL: %s\n' "$*"; failures=$((failures + 1)); }
sorted() { printf '%s\n' "$@" | sort -u; }

# What the page lists.
mapfile -t page_lines < <(sed -n 's/^_FILE_: //p' "$page")
mapfile -t page_errors < <(sed -n 's/^\t*\(quenlo-fix: _FILE_: .*\)$/\1/p' "$page")
mapfile -t page_statuses < <(sed -n '/^# EXIT STATUS/,/^# /s/^\*\([0-9]*\)\*$/\1/p' "$page")

# What the program gives: name, header of A.PRJ, arguments; a signal is sent
# once the run is under way (its flushes slowed down).
lines=() errors=() statuses=()
for row in "fixed|/8203|A.PRJ" "done|/8202|A.PRJ" "other|/8201|A.PRJ" "dry|/8203|-n A.PRJ" \
           "missing|/8203|missing.PRJ" "locked|/8203|-n A.PRJ" "INT|/8203|A.PRJ B.PRJ" "TERM|/8203|A.PRJ B.PRJ"; do
    IFS='|' read -r name header args <<<"$row"
    printf '%s MIRD\n' "$header" >A.PRJ
    cp A.PRJ B.PRJ
    read -r -a words <<<"$args"
    case $name in
    locked) flock -s A.PRJ "$program" "${words[@]}" >out.txt 2>err.txt ;;
    INT | TERM)
        env --default-signal=INT ASAN_OPTIONS=detect_leaks=0 strace -f -o /dev/null \
            -e inject=fsync:delay_enter=400000 "$program" "${words[@]}" >out.txt 2>err.txt &
        sleep 0.2 && pkill "-$name" -P $! -x quenlo-fix
        wait $! ;;
    *) "$program" "${words[@]}" >out.txt 2>err.txt ;;
    esac
    statuses+=("$?")
    while IFS= read -r line; do lines+=("${line#*.PRJ: }"); done <out.txt
    while IFS= read -r line; do
        case $line in
        *"would fail: "*) errors+=("quenlo-fix: _FILE_: the real run would fail: _REASON_") ;;
        *.PRJ:*) errors+=("quenlo-fix: _FILE_: _REASON_") ;;
        esac
    done <err.txt
done

[ "$(sorted "${page_lines[@]}")" = "$(sorted "${lines[@]}")" ] ||
    fail "output lines: the page lists [$(sorted "${page_lines[@]}" | paste -sd'|')], the program gives [$(sorted "${lines[@]}" | paste -sd'|')]"
[ "$(sorted "${page_errors[@]}")" = "$(sorted "${errors[@]}")" ] ||
    fail "error lines: the page lists [$(sorted "${page_errors[@]}" | paste -sd'|')], the program gives [$(sorted "${errors[@]}" | paste -sd'|')]"
[ "$(sorted "${page_statuses[@]}")" = "$(sorted "${statuses[@]}")" ] ||
    fail "exit statuses: the page lists [$(sorted "${page_statuses[@]}" | paste -sd' ')], the program gives [$(sorted "${statuses[@]}" | paste -sd' ')]"
help=$("$program" --help)
for status in "${page_statuses[@]}"; do
    grep -qw "$status" <<<"$help" || fail "--help does not name exit status $status"
    grep -qw "$status" "$readme" || fail "the zip's readme does not name exit status $status"
done
# Each option --help names, in the page and in the zip's readme.
for option in $(sed -n 's/^ *\(-[[:alnum:]], \)\{0,1\}\(--[[:alnum:]0-9-]*\).*/\2/p' <<<"$help"); do
    grep -qF -- "*$option*" "$page" || fail "the page does not name $option"
    grep -qF -- "$option" "$readme" || fail "the zip's readme does not name $option"
done
for line in "${page_lines[@]}"; do
    grep -qF "$line" "$readme" || fail "the zip's readme does not name \"$line\""
done
[ "$failures" -eq 0 ]
