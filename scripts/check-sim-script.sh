#!/usr/bin/env bash
# Runs one tarvex-sim script and compares what it prints with what is expected.
# Usage: check-sim-script.sh DIR NAME PROGRAM [ARGS...]
#   DIR/NAME.tsim      the script (run with --empty --registry none, the add-in in
#                      "C:\Program Files\Tarvex" and the help pages of docs/help)
#   DIR/NAME.expected  the expected standard output
#   DIR/NAME.stderr    the expected standard error (optional; otherwise it must be empty)
#   DIR/NAME.status    the expected exit status (optional; otherwise 0)
#   DIR/NAME.args      more options for tarvex-sim, on one line (optional)
# PROGRAM [ARGS...] runs tarvex-sim (for example through Wine).
set -uo pipefail
dir=$1 name=$2
shift 2
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

# Scripts name their data files relative to their own folder.
extra=()
[ -f "$dir/$name.args" ] && read -ra extra <"$dir/$name.args"
(cd "$dir" && "$@" "${extra[@]}" --empty --registry none --addin-folder 'C:\Program Files\Tarvex' \
    --help-pages ../../docs/help - <"$name.tsim") >"$out" 2>"$err"
status=$?
expected_status=0
[ -f "$dir/$name.status" ] && expected_status=$(cat "$dir/$name.status")

failed=0
if ! diff -u "$dir/$name.expected" "$out"; then
    echo "check-sim-script: $name: standard output differs (above)" >&2
    failed=1
fi
if [ -f "$dir/$name.stderr" ]; then
    if ! diff -u "$dir/$name.stderr" "$err"; then
        echo "check-sim-script: $name: standard error differs (above)" >&2
        failed=1
    fi
elif [ -s "$err" ]; then
    echo "check-sim-script: $name: unexpected standard error:" >&2
    cat "$err" >&2
    failed=1
fi
if [ "$status" != "$expected_status" ]; then
    echo "check-sim-script: $name: exit status $status, expected $expected_status" >&2
    failed=1
fi
exit $failed
