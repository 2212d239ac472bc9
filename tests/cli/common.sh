# What the black-box scripts of quenlo-fix share; sourced, after which the
# script's own functions may take the place of any of these. They use the
# script's case_name, program and runner (the command that runs a program of
# the other system, e.g. wine; empty natively) as set when they are called,
# and count what fails in failures, which the script's last line tests.
failures=0
fail() { # what [expected actual] (long values cut short)
    if [ $# -eq 3 ]; then
        printf 'FAIL %s: %s\n  expected: %q\n  actual:   %q\n' "$case_name" "$1" "${2:0:400}" "${3:0:400}"
    else
        printf 'FAIL %s: %s\n' "$case_name" "$*"
    fi
    failures=$((failures + 1))
}
check() { [ "$2" = "$3" ] || fail "$1" "$2" "$3"; } # what expected actual
contains() { # what needle haystack
    case "$3" in *"$2"*) ;; *) fail "$1, to contain" "$2" "$3" ;; esac
}
fix() { # runs the program with a time limit; sets out, err, status
    timeout 300 "${runner[@]}" "$program" "$@" >out.txt 2>err.txt
    status=$?
    [ "$status" -ne 124 ] || fail "did not end within 300 s"
    out=$(tr -d '\r' <out.txt)
    err=$(tr -d '\r' <err.txt)
}
skip() { echo "SKIP $case_name: $*"; exit 77; }
project() { printf '/8203 MIRD %s\n' "${2:-x}" >"$1"; } # file [text]
# Makes files P0001.PRJ .. PCOUNT.PRJ that need the fix in folder $1; where
# the script sets other_every=N, every Nth holds another version instead.
makemany() { # folder count
    mkdir -p "$1"
    local i
    for i in $(seq -w 1 "$2"); do
        if [ "${other_every:-0}" -gt 0 ] && [ $((10#$i % other_every)) -eq 0 ]; then
            printf 'MIRD/8202 %s\n' "$i" >"$1/P$i.PRJ"
        else
            project "$1/P$i.PRJ" "$i"
        fi
    done
}
