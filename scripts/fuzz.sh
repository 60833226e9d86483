#!/usr/bin/env bash
# fuzz.sh [SECONDS]: builds the libFuzzer targets (linux-asan preset) and runs each one for
# SECONDS (default 300) over a scratch copy of its seed corpus in fuzz/corpus/. Inputs that
# crash are kept in build/linux-asan/fuzz-crashes/<fuzzer>/; the committed corpus is never
# written. Set TARVEX_FUZZ_BUILD to use another build folder of the preset.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
build=${TARVEX_FUZZ_BUILD:-build/linux-asan}

cmake --preset linux-asan -B "$build" >/dev/null || exit 1
targets=()
for corpus in fuzz/corpus/*/; do
    targets+=("tarvex_fuzz_$(basename "$corpus")")
done
cmake --build "$build" --target "${targets[@]}" || exit 1

failed=0
summary=()
for target in "${targets[@]}"; do
    name=${target#tarvex_fuzz_}
    echo "==> $name for ${seconds}s"
    log=$build/fuzz-$name.log
    fuzz/run-fuzzer.sh "$build/bin/$target" "fuzz/corpus/$name" -max_total_time="$seconds" \
        >"$log" 2>&1
    status=$?
    runs=$(grep -oE 'number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' || true)
    if [ $status -eq 0 ]; then
        summary+=("PASS  $name  ${runs:-?} runs")
    else
        grep -E '^(==[0-9]+==ERROR|SUMMARY: |Test unit written)' "$log"
        summary+=("FAIL  $name  (see $log)")
        failed=1
    fi
done
echo
printf '%s\n' "${summary[@]}"
exit $failed
