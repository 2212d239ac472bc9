#!/usr/bin/env bash
# The size of each program a build installs, stripped as the packages hold
# it, and of each FILE as it is. Prints a Markdown table.
# Usage: sizes.sh BUILD_DIR [FILE...]
set -eu
build=$(realpath "$1")
shift
root=$(mktemp -d "${TMPDIR:-/tmp}/quenlo-sizes.XXXXXX")
trap 'rm -rf "$root"' EXIT
cmake --install "$build" --prefix "$root" --strip >/dev/null

shopt -s nullglob
echo "| program (stripped) | size |"
echo "|---|---|"
# Linux installs the programs in bin/, Windows at the top of the folder.
for file in "$root"/bin/* "$root"/*.exe "$@"; do
    echo "| ${file##*/} | $(($(stat -c %s "$file") / 1024)) KiB |"
done
