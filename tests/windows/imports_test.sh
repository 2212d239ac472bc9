#!/usr/bin/env bash
# A Windows executable that runs alone: GUI subsystem, every DLL it imports
# is one that Windows itself has, and it narrows where later ones come from.
# Usage: imports_test.sh PROGRAM.exe
set -eu
headers=$(x86_64-w64-mingw32-objdump -p "$1")
grep -Eq '^Subsystem[[:space:]]+00000002' <<<"$headers" || { echo "imports_test: $1 is not a GUI program" >&2; exit 1; }
# DLLs loaded later come from System32 only, never from beside the program.
grep -q 'SetDefaultDllDirectories' <<<"$headers" || { echo "imports_test: $1 does not restrict its DLL search" >&2; exit 1; }
status=0
while read -r dll; do
    case ${dll,,} in
    kernel32.dll | user32.dll | gdi32.dll | comdlg32.dll | comctl32.dll | shell32.dll | uxtheme.dll | msvcrt.dll | advapi32.dll | ole32.dll) ;;
    *) echo "imports_test: $1 needs $dll, which Windows does not have" >&2; status=1 ;;
    esac
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
exit $status
