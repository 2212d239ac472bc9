#!/usr/bin/env bash
# quenlo-fix as command-line users run it every day: --quiet and the summary
# on a terminal, names from find -print0, -x across a mount, and the shell
# completions against --help. Linux.
# Usage: everyday_test.sh CASE PROGRAM COMPLETIONS_FOLDER
set -u
case_name=$1
program=$(realpath "$2")
completions=$(realpath "$3")
runner=()
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/quenlo-everyday.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
fixed="Project file successfully fixed."
needs="Project file needs fixing."
other="Invalid MIRD Project file version."
files() { project A.PRJ; project B.PRJ; printf '/8202 MIRD\n' >D.PRJ; printf 'MIRD/8201\n' >O.PRJ; }
# The options a text names at the start of its lines, sorted.
optionsof() { sed -n 's/^[[:space:]]*\(-[[:alnum:]], \)\{0,1\}\(--[[:alnum:]-]*\).*/\2/p' | sort -u; }

case $case_name in
quiet-summary)
    # arguments | standard output | standard error's last line on a terminal | status
    makemany many 1200
    for row in "-q A.PRJ B.PRJ D.PRJ O.PRJ M.PRJ|O.PRJ: $other|quenlo-fix: 5 files: 2 fixed, 1 already fixed, 1 of another version, 1 failed|2" \
               "-nq A.PRJ B.PRJ D.PRJ O.PRJ|A.PRJ: $needs B.PRJ: $needs|quenlo-fix: 4 files: 2 need fixing, 1 already fixed, 1 of another version|1" \
               "-n A.PRJ D.PRJ|A.PRJ: $needs D.PRJ: Project file already fixed.|quenlo-fix: 2 files: 1 needs fixing, 1 already fixed|0" \
               "-q -r many||quenlo-fix: 1,200 files: 1,200 fixed|0" \
               "A.PRJ|A.PRJ: $fixed||0"; do
        IFS='|' read -r args expected_out expected_last expected_status <<<"$row"
        files
        script -qec "$program $args >out.txt" log.txt >/dev/null </dev/null
        status=$?
        check "status of $args" "$expected_status" "$status"
        check "stdout of $args" "$expected_out" "$(paste -sd' ' out.txt)"
        check "last line on the terminal of $args" "$expected_last" "$(tr '\r' '\n' <log.txt | grep -v '^Script ' | grep '[^ ]' | tail -1 | grep '^quenlo-fix: [0-9,]* files')"
        # Not a terminal: no summary, the lines as ever.
        files
        fix $args
        ! grep -q 'files:' <<<"$err" || fail "a summary although standard error is no terminal: $err"
    done
    ;;
files0-from)
    # Names with spaces, newlines and a leading dash, from a pipe and from a
    # file, give what the same names on the command line give.
    names=("a b.PRJ" $'new\nline.PRJ' "-dash.PRJ" "sub dir/x.PRJ" "O.PRJ")
    mkdir -p "one/sub dir" "list/sub dir"
    for name in "${names[@]}"; do project "one/$name"; project "list/$name"; done
    printf 'MIRD/8201\n' >one/O.PRJ && cp one/O.PRJ list/O.PRJ
    (cd one && "$program" -- "${names[@]}" >../one.out 2>&1)
    one_status=$?
    cd list || exit 2
    printf '%s\0' "${names[@]}" >../names0
    fix --files0-from=../names0
    check "status from a file" "$one_status" "$status"
    check "lines from a file" "$(cat ../one.out)" "$out"
    for name in "${names[@]::4}"; do check "header of $name" "/8202" "$(head -c 5 -- "$name")"; done
    fix -n --files0-from=- < <(printf '%s\0' "${names[@]}")
    check "lines from a pipe" "$(sed "s/: $fixed/: Project file already fixed./" ../one.out)" "$out"
    # list | stdout | stderr | status
    for row in "x.PRJ\0\0O.PRJ|O.PRJ: $other|quenlo-fix: -:2: invalid zero-length file name|2" \
               "sub dir|-|quenlo-fix: sub dir: is a directory (use -r to fix the files in it)|2" \
               "-r|sub dir/x.PRJ: Project file already fixed.||0"; do
        IFS='|' read -r list expected_out expected_err expected_status <<<"$row"
        if [ "$list" = -r ]; then fix -r --files0-from=- < <(printf 'sub dir\0'); else fix --files0-from=- < <(printf "$list"); fi
        [ "$expected_out" = - ] && expected_out=
        check "status of [$list]" "$expected_status" "$status"
        check "stdout of [$list]" "$expected_out" "$out"
        [ -z "$expected_err" ] || contains "stderr of [$list]" "$expected_err" "$err"
    done
    # More names than one block holds, the last one without its NUL.
    makemany big 3000
    printf 'big/./././././././%s\0' $(cd big && echo P*.PRJ) | head -c -1 >../big0
    fix -q --files0-from=../big0
    check "status of 3000 names" 0 "$status"
    check "lines of 3000 names with -q" "" "$out$err"
    check "files fixed from 3000 names" 3000 "$(grep -l '^/8202' big/*.PRJ | wc -l)"
    fix --files0-from=../names0 O.PRJ
    check "status with an operand" 2 "$status"
    contains "the refusal of an operand" "file operands cannot be combined with --files0-from" "$err"
    fix --files0-from=../nothing
    check "status of a missing list" 2 "$status"
    contains "the missing list" "../nothing: cannot open the list of names" "$err"
    ;;
one-file-system)
    # -x does not walk into a file system mounted inside the tree.
    [ "$(id -u)" -eq 0 ] || skip "needs root for a mount namespace"
    unshare -m true 2>/dev/null || skip "mount namespaces are not available here"
    mkdir -p tree/mnt tree/sub
    project tree/A.PRJ && project tree/sub/S.PRJ
    unshare -m --propagation private bash -c '
        mount -t tmpfs quenlo-test tree/mnt || exit 77
        printf "/8203 MIRD\n" >tree/mnt/M.PRJ
        "$0" -n -r tree >all.txt; "$0" -n -x -r tree >one.txt
        printf "tree\0" | "$0" -n -x -r --files0-from=- >listed.txt; "$0" -x -r tree/mnt >inside.txt' "$program"
    [ $? -ne 77 ] || skip "cannot mount a tmpfs"
    check "without -x" "tree/A.PRJ|tree/mnt/M.PRJ|tree/sub/S.PRJ" "$(cut -d: -f1 all.txt | paste -sd'|')"
    check "with -x" "tree/A.PRJ|tree/sub/S.PRJ" "$(cut -d: -f1 one.txt | paste -sd'|')"
    check "with -x, from a list" "$(cat one.txt)" "$(cat listed.txt)"
    check "with -x, the mount named" "tree/mnt/M.PRJ: $fixed" "$(cat inside.txt)"
    ;;
completions)
    # Each shell offers exactly --help's options, and as operands folders
    # and project files (folders alone after -r).
    helped=$("$program" --help | optionsof)
    mkdir dir && project P.PRJ && project q.prj && touch other.txt
    bashcomplete() { # the command line; prints the offers, one a line
        bash -c 'source /usr/share/bash-completion/bash_completion && source "$1" || exit 3
            COMP_LINE=$2 COMP_POINT=${#2}; read -r -a COMP_WORDS <<<"$2 "; [[ $2 == *" " ]] && COMP_WORDS+=("")
            COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _quenlo_fix; printf "%s\n" "${COMPREPLY[@]}" | sort' \
            _ "$completions/quenlo-fix" "$1"
    }
    check "bash's options" "$helped" "$(bashcomplete 'quenlo-fix --' | sed 's/=$//' | optionsof)"
    check "bash's operands" "$(printf '%s\n' P.PRJ dir q.prj)" "$(bashcomplete 'quenlo-fix -n ')"
    check "bash's operands after -r" "dir" "$(bashcomplete 'quenlo-fix -nr ')"
    check "bash's jobs" "$(printf '%s\n' 25 250 251 252 253 254 255 256)" "$(bashcomplete 'quenlo-fix -j 25')"
    if command -v zsh >/dev/null; then
        # _arguments shows what the script gives it.
        offered=$(zsh -f -c 'fpath=("$1" $fpath); autoload -Uz _quenlo-fix; _arguments() { print -rl -- "$@"; }
            _quenlo-fix' _ "$completions" | sed 's/^([^)]*)//; s/[=+]*\[.*//' | optionsof)
        check "zsh's options" "$helped" "$offered"
        # What it asks _files for, as compsys runs it (extendedglob set).
        zshfiles() {
            zsh -f -c 'setopt extendedglob; fpath=("$1" $fpath); autoload -Uz _quenlo-fix
                _arguments() { state=operands; }; _files() { print -r -- "$*"; }; words=(${=2}); _quenlo-fix' \
                _ "$completions" "$1"
        }
        check "zsh's operands" "-g *.(#i)prj(-.)" "$(zshfiles 'quenlo-fix -n -j4 x')"
        check "zsh's operands after -r" "-/" "$(zshfiles 'quenlo-fix -nr x')"
        check "zsh's operands after --recursive" "-/" "$(zshfiles 'quenlo-fix --recursive x')"
    fi
    if command -v fish >/dev/null; then
        fishcomplete() { fish -c 'source $argv[1]; complete -C$argv[2]' "$completions/quenlo-fix.fish" "$1" | cut -f1; }
        check "fish's options" "$helped" "$(fishcomplete 'quenlo-fix --' | optionsof)"
        check "fish's operands" "$(printf '%s\n' P.PRJ dir/ q.prj)" "$(fishcomplete 'quenlo-fix ' | sort)"
        check "fish's operands after -r" "dir/" "$(fishcomplete 'quenlo-fix -r ')"
    fi
    ;;
*) fail "no such case" && exit 2 ;;
esac
[ "$failures" -eq 0 ]
