#!/usr/bin/env bash
# Black-box cases for the built quenlo-fix: its lines, standard error, exit
# status and the files afterwards.
# Usage: quenlo_fix_test.sh CASE PROGRAM [RUNNER...]   (RUNNER: e.g. wine)
set -u
case_name=$1
program=$2
shift 2
runner=("$@")

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/quenlo-cli.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2

printf '/8203 MIRD project\nbody' >GOOD.PRJ
printf 'MIRD/8201 project\nbody' >OLD.PRJ
fixed=$(printf '/8202 MIRD project\nbody')

case $case_name in
good)
    fix GOOD.PRJ
    check status 0 "$status"
    check stdout "GOOD.PRJ: Project file successfully fixed." "$out"
    check stderr "" "$err"
    check file "$fixed" "$(cat GOOD.PRJ)"
    # With standard output closed no line could tell of a fix: nothing is touched.
    printf '/8203 MIRD project\nbody' >GOOD.PRJ
    "${runner[@]}" "$program" GOOD.PRJ >&- 2>/dev/null
    check "status, standard output closed" 2 "$?"
    check "file, standard output closed" "/8203 MIRD project" "$(head -n 1 GOOD.PRJ)"
    ;;
wrong-version)
    fix OLD.PRJ
    check status 1 "$status"
    check stdout "OLD.PRJ: Invalid MIRD Project file version." "$out"
    check stderr "" "$err"
    check file "$(printf 'MIRD/8201 project\nbody')" "$(cat OLD.PRJ)"
    ;;
missing)
    fix NONE.PRJ
    check status 2 "$status"
    check stdout "" "$out"
    contains stderr "quenlo-fix: NONE.PRJ: cannot open" "$err"
    [ -e NONE.PRJ ] && check created "no file" "NONE.PRJ was created"
    ;;
mix)
    fix GOOD.PRJ NONE.PRJ OLD.PRJ
    check status 2 "$status"
    check stdout "$(printf 'GOOD.PRJ: Project file successfully fixed.\nOLD.PRJ: Invalid MIRD Project file version.')" "$out"
    contains stderr "quenlo-fix: NONE.PRJ: " "$err"
    check "stderr lines" 1 "$(wc -l <err.txt)"
    check file "$fixed" "$(cat GOOD.PRJ)"
    ;;
dry-run)
    fix --dry-run GOOD.PRJ OLD.PRJ
    check status 1 "$status"
    check stdout "$(printf 'GOOD.PRJ: Project file needs fixing.\nOLD.PRJ: Invalid MIRD Project file version.')" "$out"
    check file "$(printf '/8203 MIRD project\nbody')" "$(cat GOOD.PRJ)"
    ;;
version)
    fix --version
    check status 0 "$status"
    check stdout "quenlo-fix 1.00" "$out"
    ;;
usage)
    fix
    check status 2 "$status"
    check stdout "" "$out"
    contains stderr "Try 'quenlo-fix --help'" "$err"
    ;;
*)
    echo "unknown case $case_name"
    exit 2
    ;;
esac
[ "$failures" -eq 0 ]
