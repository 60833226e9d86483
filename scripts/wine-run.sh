#!/usr/bin/env bash
# Runs a Windows program under Wine for the tests (CTest's cross-compiling emulator).
# Usage: wine-run.sh --prefix DIR PROGRAM [ARGS...]
#
# Each build tree has its own Wine prefix, created on first use and reused afterwards. The
# test command starts one wineserver and one X display for the whole run; when they are
# not running (a developer running one test by hand), Wine starts its own server and the
# program gets a private Xvfb display when it needs none.
set -uo pipefail

if [ "${1:-}" != "--prefix" ] || [ $# -lt 3 ]; then
    echo "usage: wine-run.sh --prefix DIR PROGRAM [ARGS...]" >&2
    exit 2
fi
prefix=$2
shift 2

if ! command -v wine >/dev/null 2>&1; then
    echo "wine-run: Wine is not installed; run scripts/install-deps.sh (Debian packages wine, wine64)" >&2
    exit 127
fi

export WINEPREFIX=$prefix
export WINEDEBUG=-all
# No Mono or Gecko install dialogs: nothing here needs .NET or an HTML engine.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"

"$(dirname "$0")/wine-prefix.sh" "$prefix" || exit 1

if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null 2>&1; then
    exec xvfb-run -a wine "$@"
fi

# Under heavy load a new Wine process can fail to reach the running wineserver before it
# starts the program at all: either Wine says so (it cannot connect, or its connection was
# reset), or the process ends in failure without the program having printed a single byte
# (every test program prints as it starts). That
# failure of Wine itself is retried once; any failure of the program is not.
errors=$(mktemp)
output=$(mktemp)
trap 'rm -f "$errors" "$output"' EXIT
for attempt in 1 2; do
    wine "$@" >"$output" 2>"$errors"
    status=$?
    if [ $status -ne 0 ] && [ $attempt -eq 1 ]; then
        if grep -q "wine server seems to be running, but I cannot connect" "$errors" ||
            { [ ! -s "$output" ] && [ ! -s "$errors" ]; } ||
            { [ ! -s "$output" ] && grep -q "^wine client error" "$errors"; }; then
            sleep 2
            continue
        fi
    fi
    break
done
cat "$output"
cat "$errors" >&2
exit $status
