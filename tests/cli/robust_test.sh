#!/usr/bin/env bash
# quenlo-fix as a hostile user meets it: closed standard streams, the dry run
# against the real run under locks and read-only media, signals that must act
# within 2 seconds, deep and swapped trees under a low descriptor limit.
# Usage: robust_test.sh CASE QUENLO_FIX [QUENLO_WINDOW]
# Exits 77 (skipped) where the machine cannot set the case up.
set -u
case_name=$1
self=$(realpath "$0")
program=$(realpath "$2")
window=${3:+$(realpath "$3")}
source "$(dirname "$self")/common.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/quenlo-robust.XXXXXX")
chmod 755 "$work"
cleanup() { jobs -p | xargs -r kill 2>/dev/null; umount -l "$work/ro" 2>/dev/null; chattr -R -a -i "$work" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
cd "$work" || exit 2

root() { [ "$(id -u)" -eq 0 ]; }
# Slows one system call; the leak checker cannot work under ptrace.
traced=(env "ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0" strace -f -o /dev/null)
# Runs a command in the background with SIGINT at its default, as a
# terminal's job has it; waits for it and sets status and took (seconds).
signalled() { # seconds-before-signal signals... -- command...
    local delay=$1; shift
    local signals=()
    while [ "$1" != -- ]; do signals+=("$1"); shift; done; shift
    env --default-signal=INT "$@" >out.txt 2>err.txt &
    local pid=$!
    sleep "$delay"
    local start=${EPOCHREALTIME/./}
    for signal in "${signals[@]}"; do pkill "-$signal" -P "$pid" -x quenlo-fix || kill "-$signal" "$pid"; sleep 0.7; done
    wait "$pid"; status=$?
    took=$(( (${EPOCHREALTIME/./} - start) / 1000 ))
}

case $case_name in
streams)
    # No project file may take the place of a closed stream.
    makemany d 200
    cp -r d before
    "$program" -j 32 d/*.PRJ >&- 2>err.txt
    check "status, standard output closed" 2 "$?"
    check "stderr, standard output closed" "quenlo-fix: standard output is closed: no file was touched" "$(cat err.txt)"
    diff -r before d >/dev/null || fail "files touched with standard output closed"
    "$program" -j 32 d/*.PRJ missing.PRJ 2>&- <&- >out.txt
    check "status, standard error closed" 2 "$?"
    check "lines, standard error closed" 200 "$(grep -c 'successfully fixed' out.txt)"
    check "files holding anything but the fix" "" "$(grep -L '^/8202 MIRD [0-9]*$' d/*.PRJ)"
    "$program" --help >/dev/full 2>err.txt
    check "status of --help on a full disk" 2 "$?"
    check "stderr of --help on a full disk" "quenlo-fix: cannot write to standard output: No space left on device" "$(cat err.txt)"
    if [ -n "$window" ]; then
        QT_QPA_PLATFORM=offscreen "$window" >&- 2>&- &
        pid=$!
        sleep 1
        check "the window's standard error" /dev/null "$(readlink "/proc/$pid/fd/2")"
        kill "$pid"
    fi
    ;;
dry-run-against-real)
    # Whatever keeps the real run from writing, the dry run foresees: the
    # same exit status, and its "would fail" lines give the real run's reasons.
    # A mount namespace of its own for the read-only mount.
    if root && [ -z "${QUENLO_OWN_MOUNTS:-}" ] && unshare -m true 2>/dev/null; then
        QUENLO_OWN_MOUNTS=1 exec unshare -m --propagation private bash "$self" "$case_name" "$program"
    fi
    as=()
    root && as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    lock() { python3 -c 'import fcntl, struct, sys, time
f = open(sys.argv[2], "r+")
kind = sys.argv[1]
if kind == "flock": fcntl.flock(f, fcntl.LOCK_EX)
elif kind == "posix": fcntl.lockf(f, fcntl.LOCK_SH, 5, 2)
else: fcntl.fcntl(f, fcntl.F_OFD_SETLK, struct.pack("hhqqixxxx", fcntl.F_RDLCK, 0, 0, 0, 0))
print("locked", flush=True); time.sleep(60)' "$@" & }
    for row in plain:0 many:0 flock:2 posix:2 ofd:2 fixed-flock:0 append-only:2 immutable:2 mode-444:2 \
               read-only-mount:2 fixed-on-read-only:0 other-on-read-only:1; do
        condition=${row%:*}
        rm -rf d && mkdir d && project d/A.PRJ
        runner=() holder=
        case $condition in
        many) makemany d 300 ;;
        flock | posix | ofd | fixed-flock)
            # A file that needs no write is no failure for another's lock.
            [ "$condition" = fixed-flock ] && printf 'MIRD/8202\n' >d/A.PRJ
            lock "${condition#fixed-}" d/A.PRJ >locked.txt; holder=$!; until [ -s locked.txt ]; do sleep 0.05; done ;;
        append-only | immutable) root || continue; chattr "+${condition:0:1}" d/A.PRJ || continue ;;
        mode-444) root || continue; chmod 444 d/A.PRJ; runner=("${as[@]}") ;;
        *-on-read-only | read-only-mount)
            root && mkdir -p ro && mount -t tmpfs tmpfs ro 2>/dev/null || continue
            case $condition in fixed-*) printf 'MIRD/8202\n' >ro/A.PRJ ;; other-*) printf 'MIRD/8201\n' >ro/A.PRJ ;; *) project ro/A.PRJ ;; esac
            mount -o remount,ro ro && rm -rf d && ln -s ro d ;;
        esac
        "${runner[@]}" "$program" -n -j 32 -r d >out.txt 2>dry.txt
        dry=$?
        "${runner[@]}" "$program" -j 32 -r d >out.txt 2>real.txt
        real=$?
        check "status, $condition" "${row#*:}" "$real"
        check "status of the dry run, $condition" "$real" "$dry"
        check "reasons, $condition" "$(cat real.txt)" "$(sed 's/: the real run would fail: /: /' dry.txt)"
        [ -n "$holder" ] && kill "$holder"
        [ -L d ] && { rm d; umount ro; }
        chattr -a -i d/A.PRJ 2>/dev/null
    done
    ;;
signals)
    # A signal ends the run within 2 seconds: during a slow walk, with
    # standard output a pipe nobody reads, and at once on the second one.
    command -v strace >/dev/null || { echo "SKIP: no strace"; exit 77; }
    for i in $(seq 200); do mkdir -p "slow/f$i" && project "slow/f$i/a.PRJ"; done
    signalled 1 INT -- "${traced[@]}" -e inject=getdents64:delay_exit=30000 "$program" -r slow
    check "status after Ctrl-C in a slow walk" 130 "$status"
    [ "$took" -le 2000 ] || fail "Ctrl-C in a slow walk took $took ms"
    makemany many 3000
    mkfifo full
    exec 7<>full # a reader that never reads
    for signal in INT TERM "INT INT"; do
        read -r -a signals <<<"$signal"
        signalled 1 "${signals[@]}" -- sh -c 'exec "$0" -r many >full' "$program"
        check "status after $signal with output blocked" "$(( 128 + $(kill -l "${signals[0]}") ))" "$status"
        [ "$took" -le 2000 ] || fail "$signal with output blocked took $took ms"
    done
    grep -q "quenlo-fix: stopped at once" err.txt || fail "a second Ctrl-C did not say so: $(cat err.txt)"
    ;;
trees)
    # 25 folders of 200-character names and 2,000 files named, under a
    # limit of 64 descriptors; a folder swapped for a link to outside the
    # tree during the run.
    long=$(printf 'd%.0s' $(seq 200))
    python3 -c 'import os, sys
fd = os.open(".", os.O_RDONLY)
for i in range(1, 26):
    os.mkdir(sys.argv[1] + str(i), dir_fd=fd)
    fd = os.open(sys.argv[1] + str(i), os.O_RDONLY, dir_fd=fd)
    os.write(os.open("x.PRJ", os.O_WRONLY | os.O_CREAT, 0o644, dir_fd=fd), b"/8203 deep\n")' "$long" && mv "${long}1" tree
    deepest=tree
    for i in $(seq 2 25); do deepest=$deepest/$long$i; done
    makemany wide 2000
    (ulimit -n 64 && "$program" -n -r tree wide/*.PRJ >out.txt 2>err.txt)
    check "status of the dry run" 0 "$?"
    check "stderr of the dry run" "" "$(cat err.txt)"
    (ulimit -n 64 && "$program" -r tree wide/*.PRJ >out.txt 2>err.txt)
    check "status" 0 "$?"
    check "lines" 2025 "$(grep -c 'successfully fixed' out.txt)"
    grep -qxF "$deepest/x.PRJ: Project file successfully fixed." out.txt || fail "no line for the deepest file"
    rm -rf tree
    for i in $(seq -w 300); do mkdir -p "tree/f$i" && project "tree/f$i/a.PRJ"; done
    mkdir outside && project outside/a.PRJ outside
    (ulimit -n 64 && exec "${traced[@]}" -e inject=fsync:delay_enter=20000 "$program" -j 1 -r tree >out.txt 2>err.txt) &
    until grep -q f010 out.txt 2>/dev/null; do sleep 0.05; done
    mv tree/f200 moved && ln -s ../outside tree/f200
    wait
    check "file outside the tree" "/8203 MIRD outside" "$(cat outside/a.PRJ)"
    check "stderr" "quenlo-fix: tree/f200/a.PRJ: cannot open: the directory tree/f200 was replaced during the run" "$(cat err.txt)"
    ;;
*)
    echo "unknown case $case_name"
    exit 2
    ;;
esac
[ "$failures" -eq 0 ]
