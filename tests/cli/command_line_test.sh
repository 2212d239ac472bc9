#!/usr/bin/env bash
# The command line of the built quenlo-fix as a table: each row gives the
# arguments, the exit status, standard output and standard error, and which
# project files the run fixed. Every row starts from fresh files.
# Usage: command_line_test.sh GROUP PROGRAM [RUNNER...]   (RUNNER: e.g. wine)
#   GROUP: grammar, done, names, names-like-ls (native only) or windows (Wine).
set -u
group=$1 case_name=$1
program=$2
shift 2
runner=("$@")
under_wine=false
[ ${#runner[@]} -gt 0 ] && under_wine=true
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/quenlo-args.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2

# A failure is named by its row.
fail() { # what expected actual
    printf 'FAIL %s: %s\n  expected: %q\n  actual:   %q\n' "$row" "$1" "$2" "$3"
    failures=$((failures + 1))
}

# Files every row starts with: those holding "/8203" are fixed by a run that
# takes them; the others must never change.
to_fix=(GOOD.PRJ TWO.PRJ -V.PRJ -h.PRJ -)
fixtures() {
    rm -rf "$work/files" && mkdir "$work/files" && cd "$work/files" || exit 2
    for name in "${to_fix[@]}"; do printf '/8203 MIRD\nbody' >"./$name"; done
    printf '/8202 MIRD\nbody' >DONE.PRJ
    printf '/8201 MIRD\nbody' >OLD.PRJ
}

# matches EXPECTED ACTUAL: EXPECTED is the exact text, or "~TEXT" for a text
# that starts with TEXT.
matches() {
    case $1 in
    \~*) [ "${2#"${1#\~}"}" != "$2" ] || [ -z "${1#\~}" ] ;;
    *) [ "$1" = "$2" ] ;;
    esac
}

# row NAME STATUS STDOUT STDERR FIXED -- ARGS...
#   FIXED: the files of to_fix the run rewrote, space-separated ("" none).
row() {
    row=$1
    local status=$2 out=$3 err=$4 fixed=" $5 "
    shift 6
    fixtures
    "${runner[@]}" "$program" "$@" >"$work/out" 2>"$work/err"
    local actual=$?
    local actual_out actual_err
    actual_out=$(tr -d '\r' <"$work/out")
    actual_err=$(tr -d '\r' <"$work/err")
    [ "$actual" = "$status" ] || fail status "$status" "$actual"
    matches "$out" "$actual_out" || fail stdout "$out" "$actual_out"
    matches "$err" "$actual_err" || fail stderr "$err" "$actual_err"
    for name in "${to_fix[@]}"; do
        local want='/8203 MIRD'
        [[ $fixed == *" $name "* ]] && want='/8202 MIRD'
        [ "$(head -c 10 "./$name")" = "$want" ] || fail "contents of $name" "$want" "$(head -c 10 "./$name")"
    done
    [ "$(cat DONE.PRJ)" = $'/8202 MIRD\nbody' ] || fail "DONE.PRJ unchanged" "" ""
    [ "$(cat OLD.PRJ)" = $'/8201 MIRD\nbody' ] || fail "OLD.PRJ unchanged" "" ""
    cd "$work" || exit 2
}

fixed=': Project file successfully fixed.'
done_=': Project file already fixed.'
invalid=': Invalid MIRD Project file version.'
hint="Try 'quenlo-fix --help' for more information."
usage() { printf 'quenlo-fix: %s\n%s' "$1" "$hint"; }

case $group in
grammar)
    row "file -V.PRJ is no version request" 2 "" "$(usage "invalid option -- '.'")" "" -- -V.PRJ GOOD.PRJ
    row "file -h.PRJ is no help request" 2 "" "$(usage "invalid option -- '.'")" "" -- GOOD.PRJ -h.PRJ
    row "-- then -V.PRJ is a file" 0 "-V.PRJ$fixed" "" "-V.PRJ" -- -- -V.PRJ
    row "-- then -- and -h.PRJ are files" 2 "-h.PRJ$fixed" "~quenlo-fix: --: cannot open" "-h.PRJ" -- -- -- -h.PRJ
    row "- is a file" 0 "-$fixed" "" "-" -- -
    row "empty argument is a file that fails" 2 "GOOD.PRJ$fixed" "~quenlo-fix: (no file name): cannot open" GOOD.PRJ -- "" GOOD.PRJ
    row "-nV prints the version" 0 "quenlo-fix 1.00" "" "" -- -nV GOOD.PRJ
    row "-Vn prints the version" 0 "quenlo-fix 1.00" "" "" -- -Vn GOOD.PRJ
    row "--version" 0 "quenlo-fix 1.00" "" "" -- --version
    row "-h" 0 "~Usage: quenlo-fix [OPTION]... FILE..." "" "" -- -h GOOD.PRJ
    row "--help" 0 "~Usage: quenlo-fix" "" "" -- --help
    for value in no 0 false true ""; do
        row "--dry-run=$value" 2 "" "$(usage "option '--dry-run' doesn't allow an argument")" "" -- "--dry-run=$value" GOOD.PRJ
    done
    row "--version=1" 2 "" "$(usage "option '--version' doesn't allow an argument")" "" -- --version=1
    row "--help=x" 2 "" "$(usage "option '--help' doesn't allow an argument")" "" -- --help=x
    row "-n=1" 2 "" "$(usage "invalid option -- '='")" "" -- -n=1 GOOD.PRJ
    row "unknown letter in a cluster" 2 "" "$(usage "invalid option -- 'z'")" "" -- -nz GOOD.PRJ
    row "no abbreviation" 2 "" "$(usage "unrecognized option '--dry'")" "" -- --dry GOOD.PRJ
    row "-q keeps only another version" 1 "OLD.PRJ$invalid" "" GOOD.PRJ -- -q GOOD.PRJ DONE.PRJ OLD.PRJ
    row "-nq keeps only what needs fixing" 1 "GOOD.PRJ: Project file needs fixing." "" "" -- -nq GOOD.PRJ DONE.PRJ OLD.PRJ
    row "--quiet=1" 2 "" "$(usage "option '--quiet' doesn't allow an argument")" "" -- --quiet=1 GOOD.PRJ
    printf 'GOOD.PRJ\0-V.PRJ\0DONE.PRJ' >"$work/list0"
    row "--files0-from" 0 "GOOD.PRJ$fixed"$'\n'"-V.PRJ$fixed"$'\n'"DONE.PRJ$done_" "" "GOOD.PRJ -V.PRJ" \
        -- --files0-from "$work/list0"
    row "--files0-from and a file" 2 "" \
        "$(usage "extra operand 'GOOD.PRJ'"$'\n'"file operands cannot be combined with --files0-from")" "" \
        -- --files0-from="$work/list0" GOOD.PRJ
    row "--files0-from without a value" 2 "" "$(usage "option '--files0-from' requires an argument")" "" -- --files0-from
    row "unknown long option" 2 "" "$(usage "unrecognized option '--force'")" "" -- GOOD.PRJ --force
    row "error even after version" 2 "" "$(usage "invalid option -- '5'")" "" -- -V -5.PRJ
    row "no file" 2 "" "$(usage "missing file operand")" "" --
    row "only options" 2 "" "$(usage "missing file operand")" "" -- -n --
    row "-n" 0 "GOOD.PRJ: Project file needs fixing." "" "" -- -n GOOD.PRJ
    row "--dry-run after the file" 0 "GOOD.PRJ: Project file needs fixing." "" "" -- GOOD.PRJ --dry-run
    # "/" starts no option on any platform: on Windows "/data/b.PRJ" is a
    # path from the root of the current drive (under Wine, of this folder's).
    row "rooted path after a file" 0 "GOOD.PRJ$fixed"$'\n'"$work/files/TWO.PRJ$fixed" "" "GOOD.PRJ TWO.PRJ" \
        -- GOOD.PRJ "$work/files/TWO.PRJ"
    for slash in /n /dry-run /V /h; do
        row "$slash is a file" 2 "GOOD.PRJ$fixed" "~quenlo-fix: $slash: cannot open" GOOD.PRJ -- "$slash" GOOD.PRJ
    done
    ;;
done)
    row "already fixed counts as done" 0 "DONE.PRJ$done_"$'\n'"GOOD.PRJ$fixed" "" GOOD.PRJ -- DONE.PRJ GOOD.PRJ
    row "a file named twice" 0 "GOOD.PRJ$fixed"$'\n'"GOOD.PRJ$done_" "" GOOD.PRJ -- GOOD.PRJ GOOD.PRJ
    row "dry run says already fixed" 0 "DONE.PRJ$done_" "" "" -- -n DONE.PRJ
    row "another version still exits 1" 1 "DONE.PRJ$done_"$'\n'"OLD.PRJ$invalid" "" "" -- DONE.PRJ OLD.PRJ
    # A batch run again after it has finished.
    fixtures
    row=batch
    for pass in first again; do
        "${runner[@]}" "$program" GOOD.PRJ TWO.PRJ DONE.PRJ >"$work/out" 2>"$work/err"
        status=$?
        [ "$status" = 0 ] || fail "$pass run status" 0 "$status"
    done
    expected="GOOD.PRJ$done_"$'\n'"TWO.PRJ$done_"$'\n'"DONE.PRJ$done_"
    [ "$(tr -d '\r' <"$work/out")" = "$expected" ] || fail "second run stdout" "$expected" "$(tr -d '\r' <"$work/out")"
    [ "$(head -c 10 GOOD.PRJ)" = '/8202 MIRD' ] || fail "GOOD.PRJ fixed" '/8202 MIRD' "$(head -c 10 GOOD.PRJ)"
    ;;
names)
    # One line each, quoted; natively the files exist and are fixed, under
    # Wine such names are refused by Windows and reported on standard error.
    for name in $'evil.PRJ: Project file successfully fixed.\nreal.PRJ' $'esc\e[2J\e]0;x\a.PRJ' $'cr\rline.PRJ' \
        $'bad\xff\xfe.PRJ'; do
        case $name in
        evil*) quoted="'evil.PRJ: Project file successfully fixed.'\$'\\n''real.PRJ'" ;;
        esc*) quoted="'esc'\$'\\033''[2J'\$'\\033'']0;x'\$'\\a''.PRJ'" ;;
        cr*) quoted="'cr'\$'\\r''line.PRJ'" ;;
        bad*) quoted="'bad'\$'\\377\\376''.PRJ'" ;;
        esac
        if $under_wine; then
            # Wine turns bytes that are not UTF-8 into U+FFFD before the
            # program sees them; Windows has UTF-16 names, tested in-process.
            [[ $name == bad* ]] && continue
            row "name $quoted" 2 "" "~quenlo-fix: $quoted: cannot open" "" -- "$name"
        else
            to_fix+=("$name")
            row "name $quoted" 0 "$quoted$fixed" "" "$name" -- "$name"
            unset 'to_fix[-1]'
            # What is printed reads back in a shell as the very same name.
            eval "readback=$quoted"
            [ "$readback" = "$name" ] || fail "shell reads back the name" "$name" "$readback"
        fi
    done
    ;;
windows)
    # Windows' own: /? and -? ask for help, which speaks of Windows; a quoted
    # folder typed with its last backslash ("C:\My Projects\" -n) arrives
    # holding a quote and the rest of the line: nothing runs.
    $under_wine || { echo "Windows only"; exit 77; }
    help=$("${runner[@]}" "$program" --help | tr -d '\r')
    for ask in '/?' '-?'; do
        row "$ask" 0 "$help" "" "" -- "$ask"
        row "$ask after a file" 0 "$help" "" "" -- GOOD.PRJ "$ask"
    done
    row "quoted folder" 2 "" "$(usage "'C:\My Projects\" -n': no Windows name holds '\"': a backslash right before a \
closing quote keeps the quote, and the rest of the line with it; type the folder without its last backslash \
(\"C:\My Projects\") or double it (\"C:\My Projects\\\\\")")" "" -- 'C:\My Projects" -n' GOOD.PRJ
    row="--help"
    [[ $help == *FOLDER*"hidden and system"*"/?"*"130 after Ctrl+C"*quenlo-fix.html* ]] || fail words "" "$help"
    [[ $help =~ ext4|XFS|btrfs|SIGTERM|143|DIRECTORY ]] && fail "Linux's words" "" "$help"
    ;;
names-like-ls)
    # Names built at random from characters that need quoting and characters
    # that do not: each line reads back in the shell as the very name, and is
    # what GNU ls --quoting-style=shell-escape prints in a UTF-8 locale.
    # (Where a single quote comes after another character and the name ends
    # in an escape, coreutils 9.1 carries state over from a first pass and
    # prints a stray '' or drops a $; such names are only read back.)
    if ! ls --quoting-style=shell-escape / >/dev/null 2>&1 || ! LC_ALL=C.UTF-8 true 2>/dev/null; then
        echo "GNU ls or the C.UTF-8 locale is missing"
        exit 77
    fi
    row="names like ls"
    plain=(a "'" '\' ' ' '$' $'\xc3\xa9' $'\xf0\x9f\x98\x80')
    escaped=($'\n' $'\t' $'\e' $'\x7f' $'\x01' $'\xff' $'\xc2\x85' $'\xe2\x82' $'\xed\xa0\x80')
    pieces=("${plain[@]}" "${escaped[@]}")
    mkdir names && cd names || exit 2
    RANDOM=8203
    names=()
    for ((i = 0; i < 200; ++i)); do
        name=
        for ((j = RANDOM % 6; j >= 0; --j)); do name+=${pieces[RANDOM % ${#pieces[@]}]}; done
        name+=${escaped[RANDOM % ${#escaped[@]}]} # at least one
        [ -e "./$name" ] && continue
        printf '/8203' >"./$name"
        names+=("$name")
    done
    "${runner[@]}" "$program" "${names[@]}" >"$work/out" 2>"$work/err"
    status=$?
    [ "$status" = 0 ] || fail status 0 "$status"
    i=0
    compared=0
    while IFS= read -r line; do
        name=${names[i]}
        quoted=${line%"$fixed"}
        eval "readback=$quoted"
        [ "$readback" = "$name" ] || fail "line $((i + 1)) reads back" "$name" "$readback"
        if [[ $name != ?*"'"* ]]; then
            expected="$(LC_ALL=C.UTF-8 ls --quoting-style=shell-escape -d -- "$name")$fixed"
            [ "$line" = "$expected" ] || fail "line $((i + 1)) as ls" "$expected" "$line"
            compared=$((compared + 1))
        fi
        i=$((i + 1))
    done <"$work/out"
    [ "$i" = "${#names[@]}" ] || fail "one line per name" "${#names[@]}" "$i"
    [ "$compared" -ge 100 ] || fail "names compared with ls" "at least 100" "$compared"
    ;;
*)
    echo "unknown group $group"
    exit 2
    ;;
esac
[ "$failures" -eq 0 ]
