#!/usr/bin/env bash
# quenlo-fix on failing disks, odd files and files it may not write (locked
# by another program, read-only; also in a dry run): each case must end with an
# error and a non-zero exit (never the success text), or with the file
# exactly fixed, and the file must be as it was or exactly as fixed.
# Usage: fault_test.sh CASE QUENLO_FIX SHIM
# Exits 77 (skipped) where the machine cannot set the case up.
set -u
case_name=$1
program=$2
shim=$3
source "$(dirname "${BASH_SOURCE[0]}")/../cli/common.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/quenlo-fault.XXXXXX")
chmod 755 "$work"
cleanup() { umount "$work/mnt" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
cd "$work" || exit 2

printf 'MIRD /8203 project\nbody\0\377' >before.bin
printf 'MIRD /8202 project\nbody\0\377' >fixed.bin
cp before.bin GOOD.PRJ
before=before.bin
fixed=fixed.bin

run() { # [env...] -- args: runs quenlo-fix with a 10 s limit
    timeout 10 "$@" >out.txt 2>err.txt
    status=$?
}
expect_status() { [ "$status" -eq "$1" ] || fail "exit status $status, expected $1; stderr: $(cat err.txt)"; }
expect_no_success() { ! grep -q "successfully fixed" out.txt || fail "success reported: $(cat out.txt)"; }
expect_error() { grep -q "$1" err.txt || fail "stderr lacks '$1': $(cat err.txt)"; }
expect_file() { # file wanted-file...
    local file=$1
    shift
    for wanted in "$@"; do cmp -s "$file" "$wanted" && return; done
    fail "$file is neither as before nor as fixed: $(od -c "$file" | head -3)"
}
injected() { # fault
    run env LD_PRELOAD="$shim" QUENLO_FAULT="$1" "$program" GOOD.PRJ
}

case $case_name in
read-fails)
    injected pread:eio
    expect_status 2; expect_no_success; expect_error "cannot read: Input/output error"; expect_file GOOD.PRJ "$before" ;;
write-fails)
    injected pwrite:enospc
    expect_status 2; expect_no_success; expect_error "cannot write: No space left on device"; expect_file GOOD.PRJ "$before" ;;
write-interrupted)
    injected pwrite:eintr
    expect_status 0; expect_file GOOD.PRJ "$fixed" ;;
write-short)
    injected pwrite:short
    expect_status 0; expect_file GOOD.PRJ "$fixed" ;;
write-short-then-fails)
    injected pwrite:shortfail
    expect_status 2; expect_no_success; expect_error "cannot write"; expect_file GOOD.PRJ "$before" "$fixed" ;;
flush-fails)
    injected fsync:eio
    expect_status 2; expect_no_success; expect_error "cannot flush to disk: Input/output error"
    expect_file GOOD.PRJ "$before" "$fixed" ;;
close-fails)
    injected close:eio
    expect_status 2; expect_no_success; expect_error "cannot close"; expect_file GOOD.PRJ "$fixed" ;;
file-size-limit)
    # The output goes through pipes, which the limit does not touch.
    bash -c 'ulimit -f 0 && exec timeout 10 "$0" GOOD.PRJ' "$program" 2> >(cat >err.txt) | cat >out.txt
    status=${PIPESTATUS[0]}
    wait
    expect_status 2; expect_no_success; expect_error "File too large"; expect_file GOOD.PRJ "$before" ;;
group-flush)
    # Where one flush serves many files, a failing flush of the file system,
    # or of the file it went through, fails every file of the group: none
    # has a success line. Table: faults, the files that fail, syncfs and
    # fsync calls.
    case $(stat -f -c %T .) in ext2/ext3 | xfs | btrfs) ;; *) exit 77 ;; esac
    flush_failed="cannot flush to disk: Input/output error (the storage reported an error: the file may read as fixed"
    flush_failed+=" until the system restarts; check the storage, then fix the file again after a restart)"
    while read -r faults failing syncfs fsyncs; do
        for name in A B C D E F; do cp "$before" $name.PRJ; done
        rm -f flushes.txt
        run env LD_PRELOAD="$shim" QUENLO_FAULT="$faults" QUENLO_FLUSHES=flushes.txt "$program" {A,B,C,D,E,F}.PRJ
        expect_status $([ "$failing" = - ] && echo 0 || echo 2)
        for name in A B C D E F; do
            case $failing in
            *$name*) expect_error "^quenlo-fix: $name.PRJ: $flush_failed\$"
                ! grep -q "^$name.PRJ" out.txt || fail "$faults: a line for $name.PRJ" ;;
            *) grep -qx "$name.PRJ: Project file successfully fixed." out.txt || fail "$faults: $name.PRJ: $(cat out.txt)"
                expect_file $name.PRJ "$fixed" ;;
            esac
        done
        [ "$(grep -c . err.txt)" -eq "$(tr -d - <<<"$failing" | wc -L)" ] || fail "$faults: $(cat err.txt)"
        [ "$(grep -cx syncfs flushes.txt)/$(grep -cx fsync flushes.txt)" = "$syncfs/$fsyncs" ] ||
            fail "$faults: $(sort flushes.txt | uniq -c | tr '\n' ' ')"
    done <<'TABLE'
- - 1 1
syncfs:eio ABCDEF 1 0
fsync:eio ABCDEF 1 1
TABLE
    ;;
tmpfs-flush)
    # A file system the shared flush does not know keeps one fsync per file.
    [ "$(stat -f -c %T /dev/shm 2>/dev/null)" = tmpfs ] || exit 77
    shm=$(mktemp -d /dev/shm/quenlo-fault.XXXXXX)
    trap 'cleanup; rm -rf "$shm"' EXIT
    for name in A B C D E F; do cp "$before" "$shm/$name.PRJ"; done
    run env LD_PRELOAD="$shim" QUENLO_FLUSHES=flushes.txt "$program" "$shm"/*.PRJ
    expect_status 0
    [ "$(grep -c "successfully fixed" out.txt)/$(grep -cx fsync flushes.txt)/$(grep -cx syncfs flushes.txt)" = 6/6/0 ] ||
        fail "$(cat out.txt flushes.txt)" ;;
dev-null)
    run "$program" /dev/null
    expect_status 2; expect_no_success; expect_error "/dev/null: cannot open: not a regular file (a device)" ;;
fifo)
    mkfifo PIPE.PRJ
    run "$program" PIPE.PRJ
    [ "$status" -ne 124 ] || fail "blocked on the FIFO"
    expect_status 2; expect_error "not a regular file (a FIFO)" ;;
mode-444)
    chmod 444 GOOD.PRJ
    cp "$program" ./quenlo-fix && chmod 755 quenlo-fix
    if [ "$(id -u)" -eq 0 ]; then
        command -v setpriv >/dev/null || exit 77
        run setpriv --reuid=65534 --regid=65534 --clear-groups ./quenlo-fix GOOD.PRJ
    else
        run ./quenlo-fix GOOD.PRJ
    fi
    expect_status 2; expect_no_success; expect_error "cannot open for reading and writing: Permission denied"
    expect_file GOOD.PRJ "$before" ;;
locked-flock | dry-run-locked-flock)
    # Another program holds an exclusive flock for as long as quenlo-fix runs.
    command -v flock >/dev/null || exit 77
    dry=()
    [ "$case_name" = dry-run-locked-flock ] && dry=(--dry-run)
    run flock -x GOOD.PRJ "$program" "${dry[@]}" GOOD.PRJ
    expect_status 2; expect_no_success
    if [ "$case_name" = locked-flock ]; then
        expect_error "quenlo-fix: GOOD.PRJ: the file is locked by another program"
        [ ! -s out.txt ] || fail "a line on standard output: $(cat out.txt)"
    else
        expect_error "quenlo-fix: GOOD.PRJ: the real run would fail: the file is locked by another program"
        grep -qx "GOOD.PRJ: Project file needs fixing." out.txt || fail "stdout: $(cat out.txt)"
    fi
    expect_file GOOD.PRJ "$before" ;;
dry-run-mode-444)
    chmod 444 GOOD.PRJ
    cp "$program" ./quenlo-fix && chmod 755 quenlo-fix
    if [ "$(id -u)" -eq 0 ]; then
        command -v setpriv >/dev/null || exit 77
        run setpriv --reuid=65534 --regid=65534 --clear-groups ./quenlo-fix --dry-run GOOD.PRJ
    else
        run ./quenlo-fix --dry-run GOOD.PRJ
    fi
    expect_status 2
    grep -qx "GOOD.PRJ: Project file needs fixing." out.txt || fail "stdout: $(cat out.txt)"
    expect_error "quenlo-fix: GOOD.PRJ: the real run would fail: cannot open for reading and writing: Permission denied"
    expect_file GOOD.PRJ "$before" ;;
kernel-file)
    run "$program" --dry-run /proc/sys/kernel/hostname
    expect_status 2; expect_error "/proc/sys/kernel/hostname: cannot open: not a project file on disk"
    run "$program" /proc/sys/kernel/hostname
    expect_status 2; expect_no_success
    expect_error "/proc/sys/kernel/hostname: cannot open: not a project file on disk"
    # After a file on disk in the same run: each file's own file system.
    run "$program" GOOD.PRJ /proc/sys/kernel/hostname
    expect_status 2; expect_file GOOD.PRJ "$fixed"
    expect_error "/proc/sys/kernel/hostname: cannot open: not a project file on disk" ;;
kernel-file-systems)
    # One file of each of the kernel's file systems that can be mounted here,
    # in a private mount namespace. Looked at with --dry-run only, so that a
    # fault never opens a kernel file for writing.
    [ "$(id -u)" -eq 0 ] && unshare -m true 2>/dev/null || exit 77
    mkdir mnt
    cat >inner.sh <<'INNER'
for fs in debugfs tracefs securityfs configfs cgroup cgroup2 bpf efivarfs; do
    mount -t "$fs" none mnt 2>/dev/null || continue
    file=$(find mnt -maxdepth 2 -type f -readable 2>/dev/null | head -1)
    if [ -n "$file" ]; then
        timeout 10 "$1" --dry-run "$file" >out.txt 2>err.txt
        echo "$fs $? $(cat out.txt err.txt)"
    fi
    umount mnt
done
INNER
    unshare -m bash inner.sh "$program" >seen.txt
    [ -s seen.txt ] || exit 77
    while read -r fs status rest; do
        [ "$status" -eq 2 ] || fail "$fs: exit status $status"
        case $rest in
        *"cannot open: not a project file on disk (a file of the kernel's $fs file system)"*) ;;
        *) fail "$fs: $rest" ;;
        esac
        case $rest in *"Project file"*) fail "$fs: a line on standard output: $rest" ;; esac
    done <seen.txt ;;
read-only-mount | full-filesystem | dry-run-read-only-mount)
    # Needs a file system of its own: a private mount namespace as root, or
    # a user namespace otherwise.
    [ "$(id -u)" -eq 0 ] && ns=(unshare -m) || ns=(unshare -r -m)
    "${ns[@]}" true 2>/dev/null || exit 77
    mkdir mnt
    cat >inner.sh <<'INNER'
set -e
mount -t tmpfs -o size=256k tmpfs mnt
cp GOOD.PRJ mnt/GOOD.PRJ
if [ "$1" != full-filesystem ]; then
    mount -o remount,ro mnt
else
    dd if=/dev/zero of=mnt/filler bs=4k 2>/dev/null || true
    ! dd if=/dev/zero of=mnt/more bs=1 count=4096 2>/dev/null
fi
set +e
dry=()
[ "$1" = dry-run-read-only-mount ] && dry=(--dry-run)
timeout 10 "$2" "${dry[@]}" mnt/GOOD.PRJ >out.txt 2>err.txt
echo $? >status.txt
cat mnt/GOOD.PRJ >after.PRJ
INNER
    "${ns[@]}" bash inner.sh "$case_name" "$program" || { fail "could not set up the file system"; exit 1; }
    status=$(cat status.txt)
    if [ "$case_name" = read-only-mount ]; then
        expect_status 2; expect_no_success; expect_error "Read-only file system"; expect_file after.PRJ "$before"
    elif [ "$case_name" = dry-run-read-only-mount ]; then
        expect_status 2
        grep -qx "mnt/GOOD.PRJ: Project file needs fixing." out.txt || fail "stdout: $(cat out.txt)"
        expect_error "quenlo-fix: mnt/GOOD.PRJ: the real run would fail: cannot open for reading and writing: Read-only file system"
        expect_file after.PRJ "$before"
    else
        expect_status 0; expect_file after.PRJ "$fixed"
    fi ;;
*)
    echo "unknown case $case_name"; exit 2 ;;
esac
[ "$failures" -eq 0 ]
