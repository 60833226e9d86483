#!/usr/bin/env bash
# Writes the release folder DIST from the Windows builds' bin/ folders: each build's package,
# a zip of its qorvel.dll and qorvel.chm for those who register by hand, the README's
# installation section as INSTALL.txt, and SHA256SUMS over them all.
# Usage: make-dist.sh DIST VERSION README BIN...
set -euo pipefail
dist=$1 version=$2 readme=$3
shift 3
fail() { echo "make-dist: $*" >&2; exit 1; }

rm -rf "$dist"
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
for bin in "$@"; do
    packages=("$bin"/Tarvex-"$version"-x??.msi)
    [ ${#packages[@]} -eq 1 ] && [ -f "${packages[0]}" ] ||
        fail "$bin holds no single package of version $version"
    package=$(basename "${packages[0]}")
    cp "$bin/$package" "$dist/"
    # Python's zipfile, since the zip program is not always installed.
    (cd "$bin" && python3 -m zipfile -c "$dist/${package%.msi}.zip" qorvel.dll qorvel.chm)
done
# From its heading to the next one, without the Markdown heading marks.
awk '/^## / { on = ($0 == "## Install in Excel on Windows") } on { sub(/^## /, ""); print }' \
    "$readme" >"$dist/INSTALL.txt"
[ -s "$dist/INSTALL.txt" ] || fail "no installation section in $readme"
(cd "$dist" && sha256sum -- *.msi *.zip INSTALL.txt >SHA256SUMS)
echo "make-dist: $dist: $(cd "$dist" && ls | tr '\n' ' ')"
