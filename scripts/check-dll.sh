#!/usr/bin/env bash
# Checks a built qorvel.dll: its PE format, exactly the four COM server exports and DllInstall with
# undecorated names, imports from system DLLs only (no mingw runtime DLL), and no symbols (they
# are in the debug file it links to).
# Usage: check-dll.sh OBJDUMP DLL PE32|PE32+
set -euo pipefail
objdump=$1 dll=$2 format=$3

fail() { echo "check-dll: $dll: $*" >&2; exit 1; }
[ -f "$dll" ] || fail "missing"
dump=$("$objdump" -p "$dll")

case $format in
    PE32+) grep -qE '^Magic[[:space:]]+020b[[:space:]]+\(PE32\+\)' <<<"$dump" || fail "not PE32+" ;;
    PE32) grep -qE '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)' <<<"$dump" || fail "not PE32" ;;
    *) fail "unknown format $format" ;;
esac

# The export table lists "[ordinal] Name" lines after "[Ordinal/Name Pointer] Table".
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^[[:space:]]*\[/ {print $NF; next} on && NF==0 {on=0}' <<<"$dump" | sort | tr '\n' ' ')
expected="DllCanUnloadNow DllGetClassObject DllInstall DllRegisterServer DllUnregisterServer "
[ "$exports" = "$expected" ] || fail "exports are '$exports', expected '$expected'"

imports=$(awk '/DLL Name:/ {print tolower($3)}' <<<"$dump" | sort -u)
allowed='^(kernel32|user32|gdi32|advapi32|ole32|oleaut32|olepro32|shell32|comctl32|comdlg32|shlwapi|uxtheme|version|msvcrt)\.dll$'
for lib in $imports; do
    grep -qE "$allowed" <<<"$lib" || fail "imports $lib, which is not a system DLL"
done
grep -qx "no symbols" <<<"$("$objdump" -t "$dll")" || fail "carries its symbols"
grep -q '[[:space:]]\.gnu_debuglink[[:space:]]' <<<"$("$objdump" -h "$dll")" || fail "links to no debug file"
echo "check-dll: $(basename "$dll") is $format, exports: $exports; imports: $(tr '\n' ' ' <<<"$imports")"
