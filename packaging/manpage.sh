#!/bin/sh
# Makes a compressed man page from its scdoc source. The footer names the
# version and no build date, unless SOURCE_DATE_EPOCH gives one.
# Usage: manpage.sh SCDOC GZIP SOURCE OUT
set -eu
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    "$1" <"$3" | "$2" -9n >"$4"
else
    "$1" <"$3" | sed '/^\.TH /s/ "[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]" / "" /' | "$2" -9n >"$4"
fi
