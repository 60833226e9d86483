#!/usr/bin/env bash
# Builds both Windows configurations (win64, win32) and writes the release folder
# dist/Tarvex-<version>/: both packages, a zip per architecture, INSTALL.txt and SHA256SUMS,
# then checks it. The version is the project's, from addin/identity.txt.
# Usage: release.sh [--sign PFX [--timestamp URL]]
#   --sign PFX       sign qorvel.dll and the packages with the code-signing certificate in
#                    the PKCS#12 file PFX, whose password is in TARVEX_SIGN_PASSWORD
#   --timestamp URL  an RFC 3161 time-stamp server for the signatures
# Without --sign nothing is signed.
set -euo pipefail
cd "$(dirname "$0")/.."
usage() { echo "usage: release.sh [--sign PFX [--timestamp URL]]" >&2; exit 2; }
pfx='' timestamp=''
while [ $# -gt 0 ]; do
    case $1 in
        --sign) [ $# -ge 2 ] || usage; pfx=$(realpath "$2"); shift 2 ;;
        --timestamp) [ $# -ge 2 ] || usage; timestamp=$2; shift 2 ;;
        *) usage ;;
    esac
done
if [ -n "$pfx" ] && [ -z "${TARVEX_SIGN_PASSWORD+set}" ]; then
    echo "release: --sign needs the certificate's password in TARVEX_SIGN_PASSWORD" >&2
    exit 1
fi

scripts/install-deps.sh
for preset in win64 win32; do
    cmake --preset "$preset" -DTARVEX_SIGN_PFX="$pfx" \
        -DTARVEX_SIGN_TIMESTAMP_URL="$timestamp" >/dev/null
    cmake --build --preset "$preset" --target tarvex_msi
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win64/CMakeCache.txt)
dist=dist/Tarvex-$version
scripts/make-dist.sh "$dist" "$version" README.md build/win64/bin build/win32/bin
scripts/check-dist.sh "$dist" "$version" x64 x86
echo "release: $dist written$([ -n "$pfx" ] && echo ", signed with $pfx")"
