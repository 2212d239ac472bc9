#!/usr/bin/env bash
# Black-box cases for quenlo-fix over many files: several workers, the same
# file under several names, folders (-r), wildcards on Windows, odd entries,
# Ctrl-C; on Windows also programs holding a file, and system folders. Each checks the lines, the exit status and the files afterwards,
# and that nothing hangs.
# Usage: batch_test.sh CASE PROGRAM [RUNNER...]   (RUNNER: e.g. wine)
# Exits 77 (skipped) for a case the platform cannot show.
set -u
case_name=$1
program=$(realpath "$2")
shift 2
runner=("$@")
windows=false
[ "${#runner[@]}" -gt 0 ] && windows=true
sep=/
$windows && sep='\'
# Enough files for a run that can be cut into; Wine is slower per file.
many=20000
$windows && many=2000

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/quenlo-batch.XXXXXX")
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2

fixed_text="Project file successfully fixed."
done_text="Project file already fixed."
invalid_text="Invalid MIRD Project file version."
# makemany: every seventh file holds another version.
other_every=7

case $case_name in
order)
    # Several workers print exactly what one prints, in the same order.
    makemany one 300
    cp -r one many
    names=()
    for i in $(seq -w 1 300); do names+=("P$i.PRJ"); [ $((10#$i % 50)) -eq 0 ] && names+=("NONE$i.PRJ"); done
    (cd one && timeout 120 "${runner[@]}" "$program" -j 1 "${names[@]}" >../one.out 2>../one.err)
    one_status=$?
    cd many || exit 2
    fix -j 16 "${names[@]}"
    cd .. || exit 2
    check status "$one_status" "$status"
    check stdout "$(tr -d '\r' <one.out)" "$out"
    check stderr "$(tr -d '\r' <one.err)" "$err"
    check "stdout lines" 300 "$(grep -c . <<<"$out")"
    diff -r -x out.txt -x err.txt one many >/dev/null || fail "the files differ after -j 1 and -j 16"
    $windows || ! grep -q $'\r' many/err.txt || fail "a progress line although standard error is no terminal"
    ;;
same-file)
    # The same file three times (and more): the first name fixes it, the
    # later ones see it fixed, whatever the number of workers.
    project GOOD.PRJ good
    ln GOOD.PRJ HARD.PRJ
    names=(GOOD.PRJ ./GOOD.PRJ HARD.PRJ)
    expected=$(printf 'GOOD.PRJ: %s\n./GOOD.PRJ: %s\nHARD.PRJ: %s' "$fixed_text" "$done_text" "$done_text")
    if ! $windows; then
        ln -s GOOD.PRJ SOFT.PRJ
        names+=(SOFT.PRJ)
        expected+=$(printf '\nSOFT.PRJ: %s' "$done_text")
    fi
    for jobs in 1 2 8 32; do
        project GOOD.PRJ good
        fix -j "$jobs" "${names[@]}"
        check "status -j $jobs" 0 "$status"
        check "stdout -j $jobs" "$expected" "$out"
        check "stderr -j $jobs" "" "$err"
        check "file -j $jobs" "/8202 MIRD good" "$(cat GOOD.PRJ)"
    done
    ;;
many-names)
    # 100,000 names on one command line. Windows' command line holds 32,767
    # characters at most.
    $windows && skip "a Windows command line cannot hold 100,000 names"
    ulimit -s 65536 2>/dev/null # room for the arguments
    mkdir d && cd d || exit 2
    seq -f '%06g.PRJ' 1 100000 >../names.txt
    # One program makes them: a shell loop spends 16 system calls a file.
    python3 -c 'import os, sys
for name in sys.stdin.read().splitlines():
    fd = os.open(name, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644)
    os.write(fd, b"/8203 x\n")
    os.close(fd)' <../names.txt || fail "cannot make the files"
    mapfile -t names <../names.txt
    fix "${names[@]}"
    check status 0 "$status"
    check stderr "" "$err"
    check "stdout lines" 100000 "$(wc -l <out.txt)"
    check "stdout in argument order" "$(sed "s/\$/: $fixed_text/" ../names.txt)" "$out"
    check "files left unfixed" 0 "$(grep -l '^/8203' -- *.PRJ | wc -l)"
    ;;
recursive)
    # Every .PRJ of the tree in any letter case, in the system's order, depth first;
    # other files left alone and not reported; a file argument as such.
    mkdir -p tree/b/deep tree/empty
    for f in tree/A.PRJ tree/c.prj tree/b/x.Prj tree/b/deep/y.PRJ tree/Z.PRJ SOLO.PRJ; do project "$f" "$f"; done
    printf '/8203 not a project\n' >tree/notes.txt
    printf 'MIRD/8202\n' >tree/b/old.PRJ
    fix -r -j 4 tree SOLO.PRJ
    check status 0 "$status"
    lines=("A.PRJ: $fixed_text" "Z.PRJ: $fixed_text" "b/deep/y.PRJ: $fixed_text" "b/old.PRJ: $done_text"
           "b/x.Prj: $fixed_text" "c.prj: $fixed_text")
    # Windows shows names as dir does: letters without regard to case.
    $windows && lines=("${lines[0]}" "${lines[@]:2}" "${lines[1]}")
    check stdout "$(printf 'tree/%s\n' "${lines[@]}" | tr / "$sep")"$'\n'"SOLO.PRJ: $fixed_text" "$out"
    check stderr "" "$err"
    check "other file" "/8203 not a project" "$(cat tree/notes.txt)"
    # Without -r a folder stays an error, saying how to walk it.
    fix tree
    check "status without -r" 2 "$status"
    word=directory
    $windows && word=folder
    check "stderr without -r" "quenlo-fix: tree: is a $word (use -r to fix the files in it)" "$err"
    ;;
unreadable-folder)
    # A folder that cannot be read is reported and the walk goes on. Root
    # reads every folder, so the run is made as an ordinary user.
    $windows && skip "Wine does not keep a folder from its owner"
    mkdir -p tree/locked tree/open
    project tree/a.PRJ a
    project tree/locked/hidden.PRJ hidden
    project tree/open/z.PRJ z
    chmod 000 tree/locked
    as=()
    if [ "$(id -u)" -eq 0 ]; then
        chown -R 65534:65534 "$work"
        as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    fi
    timeout 120 "${as[@]}" "$program" -r tree >out.txt 2>err.txt
    status=$?
    out=$(cat out.txt) err=$(cat err.txt)
    check status 2 "$status"
    check stdout "$(printf 'tree/a.PRJ: %s\ntree/open/z.PRJ: %s' "$fixed_text" "$fixed_text")" "$out"
    check stderr "quenlo-fix: tree/locked: cannot read the directory: Permission denied" "$err"
    chmod 755 tree/locked
    check "file in the locked folder" "/8203 MIRD hidden" "$(cat tree/locked/hidden.PRJ)"
    ;;
odd-entries)
    # A symbolic-link loop, a FIFO and a socket named x.PRJ, in a tree and
    # on the command line: a clear line each, nothing hangs, the rest fixed;
    # links followed (-L), but never up the tree.
    $windows && skip "no FIFOs, sockets or Unix links under Wine"
    mkdir -p tree/sub
    project tree/sub/good.PRJ good
    ln -s .. tree/sub/up          # a loop of folders: never followed
    ln -s loop.PRJ tree/loop.PRJ  # a link to itself
    mkfifo tree/fifo.PRJ
    perl -MIO::Socket::UNIX -e 'IO::Socket::UNIX->new(Type => SOCK_STREAM(), Local => "tree/x.PRJ", Listen => 1) or die' ||
        fail "cannot make a socket"
    fix -r -L tree
    check status 2 "$status"
    check stdout "tree/sub/good.PRJ: $fixed_text" "$out"
    check stderr "$(printf '%s\n%s\n%s\n%s' \
        "quenlo-fix: tree/fifo.PRJ: cannot open: not a regular file (a FIFO)" \
        "quenlo-fix: tree/loop.PRJ: cannot open: Too many levels of symbolic links" \
        "quenlo-fix: tree/sub/up: cannot read the directory: symbolic link not followed: it leads back to a directory above it" \
        "quenlo-fix: tree/x.PRJ: cannot open: not a regular file (a socket)")" "$err"
    fix tree/x.PRJ tree/fifo.PRJ tree/sub/up
    check "status of names" 2 "$status"
    check "stderr lines of names" 3 "$(grep -c . <<<"$err")"
    ;;
removed-during-run)
    # Files removed while the run is under way: each name still gets one
    # clear line, either fixed before it went or not found.
    makemany d "$many"
    timeout 300 "${runner[@]}" "$program" -j 4 -r d >out.txt 2>err.txt &
    pid=$!
    for _ in $(seq 400); do [ "$(wc -l <out.txt)" -ge 200 ] && break; sleep 0.05; done
    # The last quarter of the files.
    removed=$(printf '%s\n' d/*.PRJ | tail -n $((many / 4)))
    rm -f $removed
    wait "$pid"
    status=$?
    out=$(tr -d '\r' <out.txt) err=$(tr -d '\r' <err.txt)
    check "lines, one a name" "$many" "$(( $(grep -c . <<<"$out") + $(grep -c . <<<"$err") ))"
    if [ -n "$err" ]; then
        check status 2 "$status"
        check "stderr is about removed files only" "" \
            "$(sed 's/^quenlo-fix: \(.*\): cannot open.*/\1/' <<<"$err" | tr '\\' / | grep -vxF "$removed")"
    fi
    check "files left unfixed" "" "$(grep -l '^/8203' d/*.PRJ)"
    ;;
interrupt)
    # Ctrl-C: the files under way are finished and reported, nothing new is
    # started, exit status 130. Every fixed file has its line.
    makemany d "$many"
    # A job started from a script has SIGINT ignored; a terminal's has not.
    # timeout passes the signal on (once: without --foreground it also sends
    # it to the process group, a second Ctrl-C); under Wine it reaches the
    # program as Ctrl+C.
    env --default-signal=INT timeout --foreground 300 "${runner[@]}" "$program" -j 4 -r d >out.txt 2>err.txt &
    pid=$!
    for _ in $(seq 400); do [ "$(wc -l <out.txt)" -ge 100 ] && break; sleep 0.05; done
    kill -INT "$pid"
    wait "$pid"
    status=$?
    out=$(tr -d '\r' <out.txt) err=$(tr -d '\r' <err.txt)
    $windows && [ "$status" -ne 130 ] && [ "$(grep -c . <<<"$out")" -eq "$many" ] && skip "Wine ended the run before Ctrl-C came"
    check status 130 "$status"
    printed=$(grep -c . <<<"$out")
    [ "$printed" -ge 100 ] && [ "$printed" -lt "$many" ] || fail "$printed lines: the run was not cut short"
    contains stderr "quenlo-fix: interrupted: " "$err"
    # The lines are those of the first files, every file changed has one,
    # and the files after them are untouched.
    check "fixed files against their lines" "$(grep -c "$fixed_text" <<<"$out")" "$(grep -l '^/8202' d/*.PRJ | grep -c .)"
    check "lines in order" "$(printf '%s\n' d/*.PRJ | head -n "$printed" | tr / "$sep")" "$(sed 's/: .*//' <<<"$out")"
    check "files after the last line touched" "" "$(printf '%s\n' d/*.PRJ | tail -n +$((printed + 1)) | xargs grep -l '^/8202')"
    ;;
interrupt-twice)
    # A second Ctrl-C ends the run at once, also while standard output is
    # stuck in a pipe nobody reads (the run waits there once it is full).
    $windows || skip "output on POSIX never waits for a pipe"
    makemany d "$many"
    mkfifo stuck && exec 7<>stuck
    env --default-signal=INT timeout --foreground 120 "${runner[@]}" "$program" -j 4 -r d >stuck 2>err.txt &
    pid=$!
    last=-1
    until fixed=$(grep -l '^/8202' d/*.PRJ | wc -l); [ "$fixed" -gt 0 ] && [ "$fixed" -eq "$last" ]; do last=$fixed; sleep 0.5; done
    kill -INT "$pid"
    sleep 1
    kill -INT "$pid"
    wait "$pid"
    check status 130 "$?"
    contains stderr "quenlo-fix: stopped at once" "$(tr -d '\r' <err.txt)"
    exec 7<&-
    ;;
terminate)
    # SIGTERM, as from kill or a service manager: the same as Ctrl-C, with
    # the exit status that tells SIGTERM.
    $windows && skip "Windows has no SIGTERM"
    makemany d "$many"
    timeout --foreground 300 "$program" -j 4 -r d >out.txt 2>err.txt &
    pid=$!
    for _ in $(seq 400); do [ "$(wc -l <out.txt)" -ge 100 ] && break; sleep 0.05; done
    kill -TERM "$pid"
    wait "$pid"
    status=$?
    out=$(cat out.txt) err=$(cat err.txt)
    check status 143 "$status"
    contains stderr "quenlo-fix: interrupted: " "$err"
    check "fixed files against their lines" "$(grep -c "$fixed_text" <<<"$out")" "$(grep -l '^/8202' d/*.PRJ | grep -c .)"
    ;;
few-descriptors)
    # Under a low limit of open files, files waiting for a shared flush stay
    # within it: never "Too many open files".
    $windows && skip "Windows has no limit of open files"
    makemany d 600
    (ulimit -n 40 && exec timeout 300 "$program" -j 4 -r d >out.txt 2>err.txt)
    check status 0 "$?"
    check stderr "" "$(cat err.txt)"
    check "fixed files" "$(grep -c "$fixed_text" out.txt)" "$(grep -l '^/8202 MIRD' d/*.PRJ | grep -c .)"
    ;;
jobs-grammar)
    # -j takes its value as getopt does; anything but 1 to 256 is refused
    # before any file is touched.
    for form in "-j4" "-nj4" "-nj 4" "-j 4" "--jobs=4" "--jobs 4" "-rnj 256" "-j 0004"; do
        project GOOD.PRJ good
        read -r -a words <<<"$form"
        fix GOOD.PRJ "${words[@]}"
        check "status $form" 0 "$status"
        contains "stdout $form" "GOOD.PRJ: " "$out"
        check "stderr $form" "" "$err"
    done
    project GOOD.PRJ good
    hint="Try 'quenlo-fix --help' for more information."
    for jobs in 0 -1 x 257 1.5 '' 99999999999999999999 ' 4'; do
        fix -j "$jobs" GOOD.PRJ
        check "status -j '$jobs'" 2 "$status"
        check "stdout -j '$jobs'" "" "$out"
        check "stderr -j '$jobs'" "$(printf "quenlo-fix: invalid number of jobs: '%s' (1 to 256)\n%s" "$jobs" "$hint")" "$err"
    done
    fix GOOD.PRJ -j
    check "stderr -j without a number" "$(printf "quenlo-fix: option requires an argument -- 'j'\n%s" "$hint")" "$err"
    fix GOOD.PRJ --jobs
    check "stderr --jobs without a number" "$(printf "quenlo-fix: option '--jobs' requires an argument\n%s" "$hint")" "$err"
    fix --recursive=yes GOOD.PRJ
    check "stderr --recursive=yes" "$(printf "quenlo-fix: option '--recursive' doesn't allow an argument\n%s" "$hint")" "$err"
    check "file after the refusals" "/8203 MIRD good" "$(head -c 15 GOOD.PRJ)"
    fix -- -j GOOD.PRJ
    contains "-j after -- is a file" "quenlo-fix: -j: cannot open" "$err"
    ;;
files0-from)
    # Names read from standard input, many workers, give the lines and
    # files the same names give on the command line; with -q only the
    # files of another version are left.
    makemany one 500
    mv one/P001.PRJ "one/a b & c.PRJ"
    cp -r one list
    mapfile -t names < <(cd one && ls)
    (cd one && timeout 120 "${runner[@]}" "$program" -j 1 "${names[@]}" >../one.out 2>&1)
    one_status=$?
    cd list || exit 2
    fix -j 8 --files0-from=- < <(printf '%s\0' "${names[@]}")
    check status "$one_status" "$status"
    check lines "$(tr -d '\r' <../one.out)" "$out"
    fix -q --files0-from=- < <(printf '%s\0' "${names[@]}")
    check "lines with -q" "$(grep -F "$invalid_text" ../one.out | tr -d '\r')" "$out"
    ;;
wildcards)
    # Windows programs expand their own wildcards; sorted; a pattern that
    # matches nothing is an error naming it.
    $windows || skip "only Windows expands wildcards in the program"
    mkdir sub
    for f in b.PRJ A.PRJ c.prj _x.PRJ F.PRJ sub/q.PRJ sub/qq.PRJ; do project "$f" "$f"; done
    printf 'x' >notes.txt
    fix '*.PRJ' 'sub\?.PRJ' 'none*.PRJ' notes.txt
    check status 2 "$status"
    # As dir shows them: letters without regard to case.
    check stdout "$(printf '%s: %s\n' A.PRJ "$fixed_text" b.PRJ "$fixed_text" c.prj "$fixed_text" F.PRJ "$fixed_text" \
        _x.PRJ "$fixed_text" 'sub\q.PRJ' "$fixed_text" notes.txt "$invalid_text")" "$out"
    check stderr "quenlo-fix: none*.PRJ: no file matches" "$err"
    check "unmatched file" "/8203 MIRD sub/qq.PRJ" "$(cat sub/qq.PRJ)"
    # With -r a matching folder is walked.
    project sub/q.PRJ again
    fix -r 's*'
    check "status -r" 0 "$status"
    check "stdout -r" "$(printf 'sub\\q.PRJ: %s\nsub\\qq.PRJ: %s' "$fixed_text" "$fixed_text")" "$out"
    ;;
odd-names)
    # Names from a listing (a pattern, -r) are worked on exactly as listed,
    # never as a namesake; a pattern matches long names only (Wine gives
    # Site.PRJOLD the short name SITE~2Y5.PRJ); a typed name that Windows
    # reads as another file is shown as the file worked on.
    $windows || skip "Windows' own names"
    mkdir data data. 'sp '
    for f in A.PRJ Site.PRJOLD Site.PRJ-2019 T.PRJ. data./x.PRJ 'sp /s.PRJ'; do project "$f" "$f"; done
    for f in T.PRJ data/x.PRJ; do printf 'MIRD/8202\n' >"$f"; done
    fix '*.PRJ' 'T*'
    check "stdout of patterns" "$(printf 'A.PRJ: %s\nT.PRJ: %s\nT.PRJ: %s\nT.PRJ.: %s' \
        "$fixed_text" "$done_text" "$done_text" "$fixed_text")" "$out"
    check "backups" "/8203 MIRD Site.PRJOLD|/8203 MIRD Site.PRJ-2019" "$(cat Site.PRJOLD)|$(cat Site.PRJ-2019)"
    fix -r 'd*'
    check "stdout of matching folders" "$(printf 'data\\x.PRJ: %s\ndata.\\x.PRJ: %s' "$done_text" "$fixed_text")" "$out"
    fix -r .
    check "stdout -r" "$(printf '.\\%s: %s\n' A.PRJ "$done_text" 'data\x.PRJ' "$done_text" 'data.\x.PRJ' "$done_text" \
        'sp \s.PRJ' "$fixed_text" T.PRJ "$done_text")" "$out"
    check "files" "MIRD/8202|/8202 MIRD data./x.PRJ|/8202 MIRD sp /s.PRJ" "$(cat data/x.PRJ)|$(cat data./x.PRJ)|$(cat 'sp /s.PRJ')"
    project T.PRJ T
    fix T.PRJ.
    [[ $out == [A-Z]:\\*\\T.PRJ:\ "$fixed_text" ]] || fail "typed T.PRJ. reported as: $out"
    check "T.PRJ" "/8202 MIRD T" "$(cat T.PRJ)"
    ;;
open-elsewhere)
    # Beside another program holding the file (holdfile.exe ACCESS SHARE),
    # the dry run foresees the real run: its reason and exit status.
    $windows || skip "Windows' sharing modes"
    for row in "viewer r r" "editor rw r" "writer w rw" "exclusive r -" "reader r rwd"; do
        read -r holder access share <<<"$row"
        project HELD.PRJ "$holder"
        mkfifo release
        "${runner[@]}" "$QUENLO_HOLDFILE" HELD.PRJ "$access" "$share" <release >held.txt &
        exec 7>release
        for _ in $(seq 300); do grep -q held held.txt && break; sleep 0.1; done
        fix -n HELD.PRJ
        dry="$status|$err"
        fix HELD.PRJ
        exec 7>&-
        wait
        rm release
        reason=${err#quenlo-fix: HELD.PRJ: }
        [ "$share" = - ] || reason="the real run would fail: $reason" # unread, the dry run fails as the real one
        if [ "$holder" = reader ]; then
            check "$holder" "0||0|HELD.PRJ: $fixed_text" "$dry|$status|$out"
        else
            check "$holder" "2|quenlo-fix: HELD.PRJ: $reason|2|/8203 MIRD $holder" "$dry|$status|$(cat HELD.PRJ)"
            contains "$holder's reason" "being used by another process" "$err"
        fi
    done
    ;;
system-folders)
    # A drive's own hidden system folders are not walked unless named;
    # hidden files are, and folders only hidden or only system. Wine keeps
    # DOS attributes in an extended attribute.
    $windows || skip "Windows' attributes"
    mkdir -p 'd/$RECYCLE.BIN/S-1' 'd/System Volume Information' d/Hidden d/Sys
    for f in 'd/$RECYCLE.BIN/S-1/$R0A.PRJ' 'd/System Volume Information/t.PRJ' d/Hidden/h.PRJ d/Sys/s.PRJ d/hid.PRJ; do
        project "$f" x
    done
    for row in '$RECYCLE.BIN 0x16' 'System Volume Information 0x16' 'Hidden 0x12' 'Sys 0x14' 'hid.PRJ 0x22'; do
        setfattr -n user.DOSATTRIB -v "\"${row##* }\"" "d/${row% *}" || skip "no extended attributes here"
    done
    walked=$(printf 'd\\%s: %s\n' hid.PRJ "$done_text" 'Hidden\h.PRJ' "$done_text" 'Sys\s.PRJ' "$done_text")
    fix -r d
    check "walk" "0|${walked//"$done_text"/$fixed_text}" "$status|$out"
    fix -r 'd\*'
    check "pattern" "0|$walked" "$status|$out"
    fix -r 'd\$RECYCLE.BIN'
    check "named" "0|d\\\$RECYCLE.BIN\\S-1\\\$R0A.PRJ: $fixed_text" "$status|$out"
    ;;
*)
    echo "unknown case $case_name"
    exit 2
    ;;
esac
[ "$failures" -eq 0 ]
