#!/usr/bin/env bash
# Runs a Windows test program under Wine as an ordinary user (uid 65534)
# with a Wine prefix and home of its own, since Wine run by root ignores the
# read-only attribute. Run by someone else, it just runs the program.
# Usage: as-ordinary-user.sh PROGRAM.exe [ARGS...]
set -eu
program=$1
shift
if [ "$(id -u)" -ne 0 ]; then
    exec wine "$program" "$@"
fi
home=$(mktemp -d /tmp/quenlo-wine-user.XXXXXX)
trap 'rm -rf "$home"' EXIT
cp "$program" "$home/"
chmod 755 "$home"
chown -R 65534:65534 "$home"
exec setpriv --reuid=65534 --regid=65534 --clear-groups \
    env HOME="$home" WINEPREFIX="$home/prefix" WINEDEBUG=-all \
    wine "$home/$(basename "$program")" "$@"
