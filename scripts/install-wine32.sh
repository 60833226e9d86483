#!/usr/bin/env bash
# install-wine32.sh: makes 32-bit Wine (Debian's wine32, from the i386 architecture) available
# to run the win32 build's tests, when the package source can provide it. Exits 0 when
# wine32 is installed (now or before). Otherwise it takes back everything it changed (the
# i386 architecture and any i386 package it installed), prints one line saying why 32-bit
# Wine is missing, and exits 1. It never leaves the machine with a half-installed set.
set -uo pipefail

installed() {
    dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'
}
installed && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp)
trap 'rm -f "$log"' EXIT

had_i386=0
dpkg --print-foreign-architectures | grep -qx i386 && had_i386=1

# undo REASON: removes what this run added and says why 32-bit Wine is missing.
undo() {
    if [ $had_i386 -eq 0 ]; then
        local added
        added=$(dpkg-query -W -f='${binary:Package} ${Status}\n' 2>/dev/null |
            awk '$1 ~ /:i386$/ && $NF == "installed" { print $1 }')
        if [ -n "$added" ]; then
            # shellcheck disable=SC2086
            "${sudo[@]}" apt-get purge -y -qq $added >/dev/null 2>&1
        fi
        "${sudo[@]}" dpkg --remove-architecture i386 >/dev/null 2>&1
        echo "$1; the i386 architecture was taken away again"
    else
        echo "$1"
    fi
    exit 1
}

if [ $had_i386 -eq 0 ] && ! "${sudo[@]}" dpkg --add-architecture i386 2>"$log"; then
    undo "the i386 architecture could not be added ($(tail -n 1 "$log"))"
fi
# A failed list is left out by apt and the older one used, which is how a mirror whose i386
# lists lag behind its amd64 ones shows: such a set is not consistent, so it is not used.
if ! timeout 600 "${sudo[@]}" apt-get update -qq >"$log" 2>&1 || grep -q '^E:' "$log"; then
    undo "the package source's i386 lists did not download consistently ($(grep -m 1 '^E:' "$log" | cut -c 4- | sed 's/ *\[IP:.*//'))"
fi
if ! timeout 900 "${sudo[@]}" apt-get install -y -qq wine32:i386 >"$log" 2>&1; then
    undo "the package source could not provide a consistent wine32:i386 ($(grep -m 1 '^E:' "$log" | cut -c 4- | sed 's/ *\[IP:.*//'))"
fi
installed || undo "wine32:i386 did not install"
exit 0
