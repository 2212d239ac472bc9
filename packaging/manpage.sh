#!/bin/sh
# Makes a man page from its scdoc source and passes it through COMMAND:
# gzip for the installed page, mandoc for the HTML reference beside the
# Windows programs. The footer names the version and no build date, unless
# SOURCE_DATE_EPOCH gives one.
# Usage: manpage.sh SCDOC SOURCE OUT COMMAND [ARG...]
set -eu
scdoc=$1 source=$2 out=$3
shift 3
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    "$scdoc" <"$source" | "$@" >"$out"
else
    "$scdoc" <"$source" | sed '/^\.TH /s/ "[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]" / "" /' | "$@" >"$out"
fi
