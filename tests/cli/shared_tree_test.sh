#!/usr/bin/env bash
# quenlo-fix run by one user over folders that others may write to: links
# and hard links planted there, and names made to fake or reorder lines.
# Usage: shared_tree_test.sh CASE PROGRAM [RUNNER...]   (RUNNER: e.g. wine)
# Exits 77 (skipped) where the machine cannot set the case up.
set -u
case_name=$1
program=$(realpath "$2")
shift 2
runner=("$@")
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/quenlo-shared.XXXXXX") && chmod 755 "$work" && cd "$work" || exit 2
trap 'jobs -p | xargs -r kill 2>/dev/null; wait; rm -rf "$work"' EXIT
fixed="Project file successfully fixed." needs="Project file needs fixing."
as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
not_followed="symbolic link not followed: its owner is neither you nor the owner of what it points to"

case $case_name in
links)
    # Root walks a folder of uid 65534, who planted links to root's files
    # and folders; a hard link to a third user's file sits there too.
    [ "$(id -u)" -eq 0 ] || skip "needs root, to run over another user's folder"
    mkdir -m 700 secret victim && project secret/secret.PRJ root && chmod 600 secret/secret.PRJ
    project victim/plan.PRJ victim && chown -R 65533:65533 victim && chmod 600 victim/plan.PRJ
    mkdir home drop && chown 65534:65534 home drop
    as_nobody sh -c 'printf "/8203 MIRD own\n" >home/own.PRJ && ln -s own.PRJ home/alias.PRJ &&
        ln -s ../secret/secret.PRJ home/evil.PRJ && mkdir home/sub && ln -s ../../secret home/sub/dirlink &&
        ln -s ../secret drop/projects && ln -s ../secret/secret.PRJ drop/evil.PRJ &&
        ln -s ../home/own.PRJ drop/mine.PRJ' || skip "cannot act as uid 65534"
    ln victim/plan.PRJ home/plan.PRJ # as where protected_hardlinks is off
    ln -s own.PRJ home/rootlink.PRJ  # the runner's own link
    hard="quenlo-fix: home/plan.PRJ: cannot open: not fixed: it has other hard links and its owner does not own the directory"
    # arguments | standard output | standard error | status; dry runs first
    while IFS='|' read -r args expected_out expected_err expected_status; do
        case_name="links: $args"
        read -r -a words <<<"$args"
        fix "${words[@]}"
        check stdout "$(printf '%b' "$expected_out")" "$out"
        check stderr "$(printf '%b' "$expected_err")" "$err"
        check status "$expected_status" "$status"
    done <<EOF
-n -r home|home/own.PRJ: $needs|$hard|2
-n -r -L home|home/alias.PRJ: $needs\nhome/own.PRJ: $needs\nhome/rootlink.PRJ: $needs|quenlo-fix: home/evil.PRJ: cannot open: $not_followed\n$hard\nquenlo-fix: home/sub/dirlink: cannot read the directory: $not_followed|2
-n -r drop/projects/||quenlo-fix: drop/projects/: cannot read the directory: $not_followed|2
-n drop/evil.PRJ drop/mine.PRJ|drop/mine.PRJ: $needs|quenlo-fix: drop/evil.PRJ: cannot open: $not_followed|2
-r -L home drop/evil.PRJ drop/projects|home/alias.PRJ: $fixed\nhome/own.PRJ: Project file already fixed.\nhome/rootlink.PRJ: Project file already fixed.|quenlo-fix: home/evil.PRJ: cannot open: $not_followed\n$hard\nquenlo-fix: home/sub/dirlink: cannot read the directory: $not_followed\nquenlo-fix: drop/evil.PRJ: cannot open: $not_followed\nquenlo-fix: drop/projects: cannot read the directory: $not_followed|2
EOF
    check "root's file" "/8203 MIRD root" "$(cat secret/secret.PRJ)"
    check "the other user's file" "/8203 MIRD victim" "$(cat victim/plan.PRJ)"
    ;;
dll-search)
    # Started from a folder others may write to, it takes DLLs loaded later
    # from System32 only (LOAD_LIBRARY_SEARCH_SYSTEM32), as Wine's trace of
    # its calls shows. Wine loads its own DLLs whatever lies beside the
    # program, so a planted one cannot show it.
    [ "${#runner[@]}" -gt 0 ] || skip "only on Windows"
    WINEDEBUG=+relay "${runner[@]}" "$program" --version >out.txt 2>relay.txt
    calls=$(grep -E '(Call|Ret) +KERNEL32\.SetDefaultDllDirectories\(' relay.txt | sed 's/ ret=.*//; s/^[0-9a-f]*://')
    check "the call and its result" $'Call KERNEL32.SetDefaultDllDirectories(00000800)\nRet  KERNEL32.SetDefaultDllDirectories() retval=00000001' "$calls"
    ;;
wine-links)
    # A Unix link to a folder is a reparse point to Windows: not followed
    # but with -L, where one user owns all (Wine shows no other owner).
    # Wine lists a link to a file as the file itself, so it cannot show one.
    [ "${#runner[@]}" -gt 0 ] || skip "only under Wine"
    mkdir tree outside && project tree/a.PRJ && project outside/b.PRJ outside
    ln -s ../outside tree/sub
    fix -r tree
    check "stdout" "tree\\a.PRJ: $fixed" "$out"
    check "status" 0 "$status"
    check "file outside" "/8203 MIRD outside" "$(cat outside/b.PRJ)"
    fix -r -L tree
    check "stdout with -L" "$(printf 'tree\\%s\n' "a.PRJ: Project file already fixed." "sub\\b.PRJ: $fixed")" "$out"
    ;;
names)
    # Names that would fake a line, reorder it or end it; a folder so
    # named replaced while the run waits, under a limit of 64 descriptors
    # (so that it is opened again).
    command -v strace >/dev/null || skip "no strace"
    evil=$'f200\nfake.PRJ: Project file successfully fixed.'
    mkdir odd && for name in $'a\xe2\x80\xa8b' $'x\xe2\x80\xaeJRP' 'pay.PRJ: Project file already fixed. x'; do
        project "odd/$name.PRJ"
    done
    project " lead.PRJ"
    fix -n -r odd " lead.PRJ"
    check "odd names" "$(printf "%s: $needs\n" "'odd/a'\$'\\342\\200\\250''b.PRJ'" \
        "'odd/pay.PRJ: Project file already fixed. x.PRJ'" "'odd/x'\$'\\342\\200\\256''JRP.PRJ'" "' lead.PRJ'")" "$out"
    for i in $(seq -w 300); do mkdir -p "tree/f$i" && project "tree/f$i/a.PRJ"; done
    mv tree/f200 "tree/$evil"
    (ulimit -n 64 && exec env "ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0" strace -f -o /dev/null -e inject=fsync:delay_enter=20000 "$program" -j 1 -r tree \
        >out.txt 2>err.txt) &
    until grep -q f010 out.txt 2>/dev/null; do sleep 0.05; done
    mv "tree/$evil" moved && mkdir "tree/$evil" && project "tree/$evil/a.PRJ" new
    wait
    quoted="'tree/f200'\$'\\n''fake.PRJ: Project file successfully fixed.'"
    check "stderr" "quenlo-fix: ${quoted%\'}/a.PRJ': cannot open: the directory $quoted was replaced during the run" \
        "$(cat err.txt)"
    check "the new folder's file" "/8203 MIRD new" "$(cat "tree/$evil/a.PRJ")"
    ;;
*)
    echo "unknown case $case_name"
    exit 2
    ;;
esac
[ "$failures" -eq 0 ]
