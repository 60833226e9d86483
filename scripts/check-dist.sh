#!/usr/bin/env bash
# Checks a release folder written by make-dist.sh: exactly the files of VERSION for each
# architecture, the checksums, and that every version the files carry is VERSION: the
# package's ProductVersion, the DLL's version resource and type library (major.minor), in the
# zip and in the package alike (the same stripped DLL in both).
# Usage: check-dist.sh DIST VERSION x64|x86...
set -euo pipefail
dist=$1 version=$2
shift 2
scripts=$(cd "$(dirname "$0")" && pwd)
fail() { echo "check-dist: $dist: $*" >&2; exit 1; }
[ -d "$dist" ] || fail "missing"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

expected="INSTALL.txt SHA256SUMS"
for arch in "$@"; do
    expected="$expected Tarvex-$version-$arch.msi Tarvex-$version-$arch.zip"
done
expected=$(tr ' ' '\n' <<<"$expected" | sort | tr '\n' ' ')
files=$(cd "$dist" && ls | sort | tr '\n' ' ')
[ "$files" = "$expected" ] || fail "holds '$files', expected '$expected'"
(cd "$dist" && sha256sum --quiet --strict -c SHA256SUMS) || fail "checksums do not match"
listed=$(awk '{print $2}' "$dist/SHA256SUMS" | sort | tr '\n' ' ')
[ "$listed" = "$(tr ' ' '\n' <<<"$expected" | grep -vx -e SHA256SUMS -e '' | tr '\n' ' ')" ] ||
    fail "SHA256SUMS lists '$listed'"

major_minor=${version%.*}
for arch in "$@"; do
    msi=$dist/Tarvex-$version-$arch.msi
    grep -q "Tarvex-$version-$arch.msi" "$dist/INSTALL.txt" || fail "INSTALL.txt does not name $(basename "$msi")"
    product=$(msiinfo export "$msi" Property | tr -d '\r' | sed -n 's/^ProductVersion\t//p')
    [ "$product" = "$version" ] || fail "$(basename "$msi") has ProductVersion '$product'"
    mkdir -p "$work/$arch/zip" "$work/$arch/msi"
    python3 -m zipfile -e "$dist/Tarvex-$version-$arch.zip" "$work/$arch/zip"
    content=$(cd "$work/$arch/zip" && find . -type f | sort | tr '\n' ' ')
    [ "$content" = "./qorvel.chm ./qorvel.dll " ] || fail "the $arch zip holds '$content'"
    msiextract -C "$work/$arch/msi" "$msi" >/dev/null
    cmp -s "$work/$arch/zip/qorvel.dll" "$work/$arch/msi/Programs/Tarvex/qorvel.dll" ||
        fail "the $arch package and zip carry different DLLs"
    versions=$(python3 "$scripts/pe-versions.py" "$work/$arch/zip/qorvel.dll")
    want="file-version $version.0
product-version $version.0
FileVersion $version.0
ProductVersion $version.0
typelib $major_minor
symbols 0"
    [ "$versions" = "$want" ] || fail "the $arch DLL says: $(tr '\n' ',' <<<"$versions")"
done
echo "check-dist: $dist: $files all of version $version, checksums match"
