#!/usr/bin/env bash
# quenlo-fix where storage and other programs work against it: a cloned file
# system mounted beside its original, storage that fails to write, a writer
# that takes no lock, a tree 6,000 directories deep under memory limits, and
# a table of smaller cases.
# Usage: storage_test.sh CASE QUENLO_FIX [FAULT_SHIM]
# Exits 77 (skipped) where the machine cannot set the case up.
set -u
case_name=$1
self=$(realpath "$0")
program=$(realpath "$2")
shim=${3:+$(realpath "$3")}
work=$(mktemp -d "${TMPDIR:-/tmp}/quenlo-storage.XXXXXX")
cleanup() { jobs -p | xargs -r kill 2>/dev/null; wait; rm -rf "$work"; }
trap cleanup EXIT
cd "$work" || exit 2

runner=()
source "$(dirname "$self")/common.sh"
root() { [ "$(id -u)" -eq 0 ]; }
# Slows a system call (-e inject=CALL:delay_enter=), writing each call of it
# to trace.txt as it begins; SIGINT at its default, as a terminal's job has it.
traced=(env --default-signal=INT "ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0" strace -f -o trace.txt)
flush_failed="cannot flush to disk: Input/output error (the storage reported an error: the file may read as fixed"
flush_failed+=" until the system restarts; check the storage, then fix the file again after a restart)"

case $case_name in
same-uuid)
    # A copy of an ext4 image mounted beside it has the same UUID: each file
    # with a success line has its bytes on its own device, read there with
    # O_DIRECT, in either order of the names.
    root && command -v mkfs.ext4 losetup >/dev/null || skip "needs root, mkfs.ext4 and losetup"
    if [ -z "${QUENLO_OWN_MOUNTS:-}" ]; then
        unshare -m true 2>/dev/null || skip "no mount namespaces"
        QUENLO_OWN_MOUNTS=1 exec unshare -m --propagation private bash "$self" "$case_name" "$program"
    fi
    truncate -s 16M one.img && mkfs.ext4 -q -F one.img && cp one.img two.img || skip "cannot make ext4 images"
    devices=()
    trap 'umount one two; for device in "${devices[@]}"; do losetup -d "$device"; done; cleanup' EXIT
    for image in one two; do
        devices+=("$(losetup -f --show $image.img)") || skip "no loop device"
        mkdir $image && mount "${devices[-1]}" $image || skip "cannot mount a loop device"
    done
    for order in "one two" "two one"; do
        for image in one two; do project $image/A.PRJ "$image, $order" && sync -f $image/A.PRJ; done
        read -r -a names <<<"$order"
        fix -j 3 "${names[0]}/A.PRJ" "${names[1]}/A.PRJ"
        check "$order: status" 0 "$status"
        for i in 0 1; do
            image=$([ $i = 0 ] && echo one || echo two)
            on=$(dd if="${devices[i]}" iflag=direct bs=1M status=none | grep -ac "/8202 MIRD $image, $order")
            check "$order: the fix on the device of $image" 1 "$on"
        done
    done ;;
failing-storage)
    # An ext4 image on a loop device whose backing file, on a full tmpfs,
    # cannot take the blocks not yet written (one file's data, metadata
    # still only in the journal): writing them out fails, and ext4 may then
    # answer a file's fsync with success though its bytes never left
    # memory. No file may have a success line without its fix on the device.
    root && command -v mkfs.ext4 losetup debugfs fallocate >/dev/null || skip "needs root, mkfs.ext4, losetup, debugfs"
    if [ -z "${QUENLO_OWN_MOUNTS:-}" ]; then
        unshare -m true 2>/dev/null || skip "no mount namespaces"
        QUENLO_OWN_MOUNTS=1 exec unshare -m --propagation private bash "$self" "$case_name" "$program"
    fi
    mkdir backing disk && mount -t tmpfs -o size=8M tmpfs backing || skip "cannot mount a tmpfs"
    device=
    trap 'umount disk; [ -z "$device" ] || losetup -d "$device"; umount backing; cleanup' EXIT
    truncate -s 32M backing/disk.img || skip "cannot make an image"
    mkfs.ext4 -q -F -b 4096 -E lazy_itable_init=0,lazy_journal_init=0,nodiscard backing/disk.img || skip "cannot make ext4"
    device=$(losetup -f --show backing/disk.img) && mount "$device" disk || skip "cannot mount a loop device"
    for name in A B C D E F; do project disk/$name.PRJ "$name"; done
    sync -f disk/A.PRJ
    block=$(debugfs -R "bmap /D.PRJ 0" "$device" 2>/dev/null)
    fallocate --punch-hole --offset $((block * 4096)) --length 4096 backing/disk.img
    dd if=/dev/zero of=backing/full bs=4k status=none 2>/dev/null
    fix -j 3 disk/{A,B,C,D,E,F}.PRJ
    check "status" 2 "$status"
    for name in A B C D E F; do
        grep -qx "disk/$name.PRJ: Project file successfully fixed." out.txt || continue
        on=$(dd if="$device" iflag=direct bs=1M status=none | grep -ac "/8202 MIRD $name")
        check "$name.PRJ has a success line: its fix on the device" 1 "$on"
    done ;;
racing-writer)
    # Another program that takes no lock acts while the header's write is
    # slowed down: its truncation or its write to the header stands, and the
    # file is never lengthened. Had it the file open first, no lease is
    # granted: the length is looked at before the write (lseek, slowed).
    command -v strace python3 >/dev/null || skip "needs strace and python3"
    while read -r opens act call wanted after; do
        printf '/8203 MIRD header\nbody\n' >R.PRJ
        rm -f ready go trace.txt
        python3 -c 'import os, sys, time
path, opens, act = sys.argv[1:]
fd = os.open(path, os.O_RDWR) if opens == "first" else -1
open("ready", "w").close()
while not os.path.exists("go"): time.sleep(0.01)
fd = fd if fd >= 0 else os.open(path, os.O_RDWR)
os.ftruncate(fd, 3) if act == "truncate" else os.pwrite(fd, b"XYZ", 6)' R.PRJ "$opens" "$act" &
        until [ -e ready ]; do sleep 0.01; done
        "${traced[@]}" -e trace="$call" -e inject="$call:delay_enter=2000000" "$program" -j 1 R.PRJ >out.txt 2>err.txt &
        until grep -qs "$call(" trace.txt || ! kill -0 $! 2>/dev/null; do sleep 0.01; done
        touch go
        wait $!
        status=$?
        wait
        check "$opens $act: status ($(cat err.txt))" "$wanted" "$status"
        [ "$wanted" = 0 ] || contains "$opens $act: stderr" "R.PRJ: the file changed while it was being fixed" "$(cat err.txt)"
        check "$opens $act: the file" "$after" "$(tr '\n' '|' <R.PRJ)"
    done <<'TABLE'
later truncate pwrite64 0 /82
later header pwrite64 0 /8202 XYZD header|body|
first truncate lseek 2 /82
first header pwrite64 0 /8202 XYZD header|body|
TABLE
    ;;
deep-tree)
    # 6,000 directories of 40-character names: under a memory limit the file
    # at the bottom is fixed; under tighter ones the run works or says that
    # it ran out of memory (or the system cannot load it), never aborting.
    ! ldd "$program" | grep -q 'lib[at]san' || skip "the sanitizers' shadow memory needs more than any limit here"
    python3 -c 'import os
fd = os.open(".", os.O_RDONLY)
for name in ["deep"] + ["d" * 40] * 6000:
    os.mkdir(name, dir_fd=fd)
    fd = os.open(name, os.O_RDONLY, dir_fd=fd)
os.write(os.open("x.PRJ", os.O_WRONLY | os.O_CREAT, 0o644, dir_fd=fd), b"/8203 deep\n")'
    (ulimit -v 200000 && exec "$program" -r deep >out.txt 2>err.txt)
    check "status under 200 MB ($(cat err.txt))" 0 "$?"
    check "the line" "6001 x.PRJ: Project file successfully fixed." "$(tr -cd / <out.txt | wc -c) $(grep -o '[^/]*$' out.txt)"
    said=0
    for limit in $(seq 12000 -250 4000); do
        (ulimit -v "$limit" && exec "$program" -n -r deep >out.txt 2>err.txt)
        case $?:$(cat err.txt) in
        0:) check "$limit KiB: the line" "Project file already fixed." "$(grep -o '[^:]*$' out.txt | sed 's/^ //')" ;;
        "2:quenlo-fix: out of memory"*) said=1; check "$limit KiB: lines" "" "$(cat out.txt)" ;;
        *"Cannot allocate memory" | 127:*"error while loading shared libraries"*) ;;
        *) fail "$limit KiB: $(cat err.txt)" ;;
        esac
    done
    check "a limit that makes it run out of memory" 1 "$said" ;;
table)
    # Smaller cases. A file whose flush fails, named again through a hard
    # link: both names fail (alone; in a group, its lease asked for, and
    # the group's other files with it).
    while read -r jobs failing fixed; do
        rm -f A.PRJ H.PRJ && project A.PRJ a && ln A.PRJ H.PRJ && project B.PRJ b
        runner=(env LD_PRELOAD="$shim" QUENLO_FAULT=fsync:eio:A.PRJ)
        fix -j $jobs A.PRJ B.PRJ H.PRJ
        runner=()
        check "a failed flush, -j $jobs: status" 2 "$status"
        check "a failed flush, -j $jobs: stdout" "${fixed}${fixed:+.PRJ: Project file successfully fixed.}" "$out"
        check "a failed flush, -j $jobs: stderr" "$(for name in ${failing//,/ }; do printf 'quenlo-fix: %s.PRJ: %s\n' "$name" "$flush_failed"; done)" "$err"
    done <<'ROWS'
1 A,H B
3 A,B,H
ROWS
    # Both streams in one file: the lines in the order of the names.
    makemany d 300
    names=() && for i in $(seq -w 1 300); do names+=("d/P$i.PRJ") && [ $((10#$i % 50)) -ne 0 ] || names+=("d/NONE$i.PRJ"); done
    timeout 300 "$program" -j 3 "${names[@]}" >log.txt 2>&1
    for name in "${names[@]}"; do
        case $name in *NONE*) echo "quenlo-fix: $name: cannot open: No such file or directory" ;; *) echo "$name: Project file successfully fixed." ;; esac
    done >wanted.txt
    check ">log 2>&1" "" "$(diff wanted.txt log.txt | head -5)"
    # A file server's read lease: the dry run foresees the real run's failure.
    project L.PRJ lease
    python3 -c 'import fcntl, os, signal, time
signal.signal(signal.SIGIO, signal.SIG_IGN)
fcntl.fcntl(os.open("L.PRJ", os.O_RDONLY), fcntl.F_SETLEASE, fcntl.F_RDLCK)
open("leased", "w").close()
time.sleep(60)' &
    until [ -e leased ]; do sleep 0.01; done
    for dry in -n ""; do
        fix $dry L.PRJ
        check "a read lease $dry: status" 2 "$status"
        contains "a read lease $dry: stderr" "L.PRJ: ${dry:+the real run would fail: }the file is locked by another program" "$err"
    done
    kill $!
    # Two runs at once over one tree: each file fixed by one, found fixed by the other.
    makemany two 4000
    ("$program" -r two >1.out 2>1.err; echo $? >1.status) &
    "$program" -r two >2.out 2>2.err
    echo $? >2.status && wait $!
    check "two runs at once: statuses and stderr" "0 0 " "$(cat 1.status 2.status 1.err 2.err | tr '\n' ' ')"
    check "two runs at once: successes" 4000 "$(cat 1.out 2.out | grep -c 'successfully fixed\.$')"
    # Messages.
    mkdir empty && fix -r empty
    check "an empty tree" "0 quenlo-fix: empty: no project file (.PRJ) was found under it" "$status $err"
    (ulimit -n 8 && exec "$program" B.PRJ >/dev/null 2>err.txt)
    contains "too few descriptors" "(see ulimit -n): 8 are needed, " "$(cat err.txt)"
    project I.PRJ i
    "${traced[@]}" -e trace=fsync -e inject=fsync:delay_enter=1000000 "$program" -j 1 I.PRJ >out.txt 2>err.txt &
    until grep -qs "fsync(" trace.txt; do sleep 0.01; done
    pkill -INT -P $! -x quenlo-fix
    wait $!
    check "one file interrupted" "quenlo-fix: interrupted: 1 of 1 files done" "$(grep -v finishing err.txt)"
    for attribute in immutable append-only; do
        project X.PRJ x
        root && chattr "+${attribute:0:1}" X.PRJ || { echo "SKIP $attribute: cannot set the attribute"; continue; }
        fix X.PRJ
        chattr "-${attribute:0:1}" X.PRJ
        contains "$attribute" "Operation not permitted (the file's $attribute attribute is set)" "$err"
    done ;;
*)
    echo "unknown case $case_name"; exit 2 ;;
esac
[ "$failures" -eq 0 ]
