#!/usr/bin/env bash
# Creates the Wine prefix DIR if it does not exist yet (once, even when several tests start
# at the same moment). Usage: wine-prefix.sh DIR
set -euo pipefail
prefix=$1
[ -f "$prefix/.tarvex-ready" ] && [ -f "$prefix/.tarvex-fonts" ] && exit 0
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [ ! -f "$prefix/.tarvex-ready" ]; then
    export WINEPREFIX=$prefix WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
    # A server the caller already runs for this prefix (a persistent one) is the caller's.
    started_server=yes
    timeout 1 wineserver -w 9>&- || started_server=no
    wineboot --init >/dev/null 2>&1 9>&- || { echo "wine-prefix: wineboot failed for $prefix" >&2; exit 1; }
    # Tests run on a bare X server with no window manager: Wine then waits two seconds for
    # one whenever a top-level window goes, unless it draws and manages the windows itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 9>&- ||
        { echo "wine-prefix: cannot configure $prefix" >&2; exit 1; }
    # The prefix is ready once the server that built it is gone: until then Wine's desktop
    # process started by wineboot, on this script's display (or none), serves every program
    # in the prefix, and windows opened on the display a test brings fail to be created
    # ("class does not exist"). Its going also writes the registry to the prefix's files.
    if [ "$started_server" = yes ]; then
        wineserver -w 9>&- || { echo "wine-prefix: Wine's server did not finish for $prefix" >&2; exit 1; }
    fi
    touch "$prefix/.tarvex-ready"
fi
# Wine draws caption buttons with its own Marlett font (and dialogs with its MS Sans Serif),
# which Debian installs where Wine does not look for them: without it the buttons come out
# as letters. Fonts in the prefix's Fonts folder are found.
if [ ! -f "$prefix/.tarvex-fonts" ]; then
    for fonts in /usr/share/wine/fonts /usr/lib/x86_64-linux-gnu/wine/fonts /usr/lib/wine/fonts; do
        if [ -f "$fonts/marlett.ttf" ]; then
            cp "$fonts"/*.ttf "$fonts"/*.fon "$prefix/drive_c/windows/Fonts/"
            break
        fi
    done
    [ -f "$prefix/drive_c/windows/Fonts/marlett.ttf" ] ||
        echo "wine-prefix: Wine's fonts (marlett.ttf, Debian package fonts-wine) not found" >&2
    touch "$prefix/.tarvex-fonts"
fi
