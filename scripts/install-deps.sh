#!/usr/bin/env bash
# Installs the Debian packages that Tarvex needs and are missing; quick when all are there.
# Usage: install-deps.sh [--native]   (--native: only what the Linux build needs)
set -euo pipefail

native=(cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev valgrind)
everything=("${native[@]}" clang-14 libclang-rt-14-dev ccache
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
    wine wine64 libwine-dev xvfb xauth libxml2-utils fp-utils python3 wixl msitools
    osslsigncode openssl fonts-wine)

if [ "${1:-}" = "--native" ]; then
    wanted=("${native[@]}" ccache)
else
    wanted=("${everything[@]}")
fi

missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
