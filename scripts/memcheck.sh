#!/usr/bin/env bash
# memcheck.sh: builds the native test programs (linux preset) and runs every one of them
# under valgrind's memcheck: the unit tests, the fault sweeps, the customUI sample writer and
# tarvex-sim on each script of tests/sim. A program fails on any memory error and on any
# definitely or indirectly lost block. Ends with one line per program and a summary; the
# exit status is 1 when any failed. Set TARVEX_MEMCHECK_BUILD to use another build folder
# of the preset (default build/linux).
set -uo pipefail
cd "$(dirname "$0")/.."
build=${TARVEX_MEMCHECK_BUILD:-build/linux}

bash scripts/install-deps.sh --native || exit 1
cmake --preset linux -B "$build" >/dev/null || exit 1
cmake --build "$build" --target tarvex_unit_tests tarvex_fault_sweeps \
    tarvex_custom_ui_samples tarvex-sim || exit 1

memcheck=(valgrind --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect
    --quiet)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

failed=0
summary=()
run() {
    local name=$1
    shift
    echo "memcheck: $name"
    if "$@"; then
        summary+=("passed  $name")
    else
        summary+=("FAILED  $name")
        failed=1
    fi
}

bin=$build/bin
run tarvex_unit_tests "${memcheck[@]}" "$bin/tarvex_unit_tests" --gtest_brief=1
run tarvex_fault_sweeps "${memcheck[@]}" "$bin/tarvex_fault_sweeps" --gtest_brief=1
run tarvex_custom_ui_samples "${memcheck[@]}" "$bin/tarvex_custom_ui_samples" "$scratch/samples"
# memcheck reports on standard error and answers 1: either makes the transcript check fail.
for script in tests/sim/*.tsim; do
    name=$(basename "$script" .tsim)
    run "tarvex-sim $name" scripts/check-sim-script.sh tests/sim "$name" \
        "${memcheck[@]}" "$PWD/$bin/tarvex-sim"
done

echo
echo "memcheck summary:"
printf '  %s\n' "${summary[@]}"
exit $failed
