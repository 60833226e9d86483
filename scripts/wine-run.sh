#!/usr/bin/env bash
# Runs a Windows program under Wine for the tests (CTest's cross-compiling emulator).
# Usage: wine-run.sh --prefix DIR PROGRAM [ARGS...]
#
# Each build tree has its own Wine prefix, created on first use and reused afterwards. The
# test command starts one wineserver and one X display for the whole run; when they are
# not running (a developer running one test by hand), Wine starts its own server and the
# program gets a private Xvfb display when it needs none.
set -euo pipefail

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

"$(dirname "$0")/wine-prefix.sh" "$prefix"

if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null 2>&1; then
    exec xvfb-run -a wine "$@"
fi
exec wine "$@"
