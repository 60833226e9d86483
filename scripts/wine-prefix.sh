#!/usr/bin/env bash
# Creates the Wine prefix DIR if it does not exist yet (once, even when several tests start
# at the same moment). Usage: wine-prefix.sh DIR
set -euo pipefail
prefix=$1
[ -f "$prefix/.tarvex-ready" ] && exit 0
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [ ! -f "$prefix/.tarvex-ready" ]; then
    export WINEPREFIX=$prefix WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
    wineboot --init >/dev/null 2>&1 9>&- || { echo "wine-prefix: wineboot failed for $prefix" >&2; exit 1; }
    # Tests run on a bare X server with no window manager: Wine then waits two seconds for
    # one whenever a top-level window goes, unless it draws and manages the windows itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 9>&- ||
        { echo "wine-prefix: cannot configure $prefix" >&2; exit 1; }
    touch "$prefix/.tarvex-ready"
fi
