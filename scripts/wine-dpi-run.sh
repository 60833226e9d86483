#!/usr/bin/env bash
# wine-dpi-run.sh PREFIX DPI PROGRAM [ARGUMENT...]: runs a Windows test program under Wine
# with the display set to DPI, in a Wine prefix of its own (created when missing): Wine reads
# the DPI when a process starts, so the shared prefix, where other tests run at the same
# time at 96 DPI, cannot be used. The program gets an X display of its own too, so that the
# windows of tests in other prefixes cannot cover its dialogs or take their focus.
# TARVEX_EXPECTED_DPI tells the program what it should see.
set -euo pipefail
prefix=$1 dpi=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} TARVEX_EXPECTED_DPI=$dpi
# Only one run at a time sets up and uses this prefix.
# (Wine's processes must not inherit the lock, or its server would hold it after the run.)
exec 8>"$prefix.run-lock"
flock 8
"$here/wine-prefix.sh" "$prefix" >/dev/null 8>&-
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    >/dev/null 2>&1 8>&-
# Wine's desktop process belongs to the display it started on: end it before the program
# starts on its own display.
wineserver -k 2>/dev/null 8>&- || true
wineserver -w 2>/dev/null 8>&- || true
status=0
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" wine "$@" 8>&- || status=$?
wineserver -k 2>/dev/null 8>&- || true
exit $status
