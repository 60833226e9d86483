#!/usr/bin/env bash
# Checks a built Tarvex package through its tables, as msiinfo reads them: both files in the
# user's own programs folder, every registry row below HKEY_CURRENT_USER (the COM class,
# ProgID, type library, Excel's add-in key) with a removal row for each top key, a
# per-user installation without elevation, and the upgrade of older versions.
# Usage: check-msi.sh MSI x64|x86 CLSID PROGID LIBID   (GUIDs without braces)
set -euo pipefail
msi=$1 arch=$2 clsid=$3 progid=$4 libid=$5

fail() { echo "check-msi: $(basename "$msi"): $*" >&2; exit 1; }
[ -f "$msi" ] || fail "missing"
# A table's rows without its three header lines; msiinfo ends each line in CR LF.
table() { msiinfo export "$msi" "$1" 2>/dev/null | tr -d '\r' | tail -n +4; }

case $arch in
    x64) platform=win64 template='^x64;' bit64=1 ;;
    x86) platform=win32 template='^Intel;' bit64=0 ;;
    *) fail "unknown architecture $arch" ;;
esac

suminfo=$(msiinfo suminfo "$msi")
grep -qE "^Template: " <<<"$suminfo" || fail "no template in the summary"
sed -n 's/^Template: //p' <<<"$suminfo" | grep -qE "$template" || fail "not an $arch package"
# Word count bit 8: elevated privileges are not required.
source=$(sed -n 's/^Source: \([0-9]*\).*/\1/p' <<<"$suminfo")
[ $((source & 8)) -eq 8 ] || fail "asks for elevation (word count $source)"

properties=$(table Property)
! grep -qP '^ALLUSERS\t' <<<"$properties" || fail "sets ALLUSERS: not a per-user package"
grep -qP '^MSIINSTALLPERUSER\t1$' <<<"$properties" || fail "no MSIINSTALLPERUSER=1"
grep -qP '^UpgradeCode\t\{[0-9A-F-]{36}\}$' <<<"$properties" || fail "no upgrade code"
grep -qP '\tWIX_UPGRADE_DETECTED$' <<<"$(table Upgrade)" ||
    fail "does not upgrade older versions"
grep -qP '^RemoveExistingProducts\t' <<<"$(table InstallExecuteSequence)" ||
    fail "never removes the version it upgrades"

# The files, side by side, in LocalAppDataFolder\Programs\Tarvex.
files=$(table File | cut -f3 | sed 's/.*|//' | sort | tr '\n' ' ')
[ "$files" = "qorvel.chm qorvel.dll " ] || fail "files are '$files'"
directories=$(table Directory)
grep -qP '^INSTALLDIR\tUserProgramsFolder\tTarvex$' <<<"$directories" || fail "no Tarvex folder"
grep -qP '^UserProgramsFolder\tLocalAppDataFolder\tPrograms$' <<<"$directories" ||
    fail "not in the user's programs folder"
attributes=$(table Component | cut -f4 | sort -u)
for value in $attributes; do
    [ $(((value >> 8) & 1)) -eq "$bit64" ] || fail "component attributes $value for $arch"
done

registry=$(table Registry)
! cut -f2 <<<"$registry" | grep -qv '^1$' || fail "writes outside HKEY_CURRENT_USER"
row() {
    # Through the environment: awk -v would read the keys' backslashes as escapes.
    key=$1 name=$2 value=$3 awk -F'\t' '$3 == ENVIRON["key"] && $4 == ENVIRON["name"] &&
        $5 == ENVIRON["value"] { found = 1 } END { exit !found }' <<<"$registry" ||
        fail "no registry row $1 [$2] = $3"
}
classes='Software\Classes'
class="$classes\\CLSID\\{$clsid}"
addin="Software\\Microsoft\\Office\\Excel\\AddIns\\$progid"
typelib="$classes\\TypeLib\\{$libid}"
row "$class\\InprocServer32" "" '[#qorvel.dll]'
row "$class\\InprocServer32" ThreadingModel Apartment
row "$class\\ProgID" "" "$progid"
row "$class\\TypeLib" "" "{$libid}"
row "$classes\\$progid\\Clsid" "" "{$clsid}"
row "$typelib\\1.0\\0\\$platform" "" '[#qorvel.dll]'
row "$typelib\\1.0\\HELPDIR" "" '[INSTALLDIR]'
row "$addin" FriendlyName Tarvex
row "$addin" LoadBehavior '#3'
row "$addin" CommandLineSafe '#0'
for key in "$class" "$classes\\$progid" "$typelib" "$addin"; do
    row "$key" '*' ''
done

echo "check-msi: $(basename "$msi") is a per-user $arch package: $files; $(wc -l <<<"$registry") registry rows below HKEY_CURRENT_USER"
