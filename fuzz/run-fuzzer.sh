#!/usr/bin/env bash
# run-fuzzer.sh FUZZER CORPUS [LIBFUZZER OPTION...]: runs FUZZER over a scratch copy of the
# seed corpus CORPUS, so that the inputs libFuzzer adds never land in the committed corpus.
# A crash input is kept in the build's fuzz-crashes folder and its path printed.
set -euo pipefail
fuzzer=$1 corpus=$2
shift 2

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tarvex-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/corpus"
cp -r "$corpus"/. "$scratch/corpus/"

crashes=$(dirname "$fuzzer")/../fuzz-crashes/$(basename "$fuzzer")
mkdir -p "$crashes"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
"$fuzzer" -artifact_prefix="$crashes/" -print_final_stats=1 "$@" "$scratch/corpus"
