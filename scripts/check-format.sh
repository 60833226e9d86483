#!/usr/bin/env bash
# Checks that every C++ file of the tree is as clang-format 14 writes it with the committed
# .clang-format; names each file that is not. Usage: check-format.sh SOURCE_DIR
# (Generated files carry "// clang-format off" and are left as generated.)
set -euo pipefail
cd "$1"
format=$(command -v clang-format-14 || true)
if [ -z "$format" ]; then
    echo "check-format: clang-format-14 is not installed (scripts/install-deps.sh installs it)" >&2
    exit 1
fi
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z '*.cpp' '*.h' '*.c'
else
    find . -path ./build -prune -o -path ./dist -prune -o \
        \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print0
fi | xargs -0 "$format" --dry-run --Werror 2>"$errors" || {
    grep -o '^[^:]*:[0-9]*:[0-9]*: error' "$errors" | cut -d: -f1 | sort -u |
        sed 's/$/: not as clang-format-14 writes it (clang-format-14 -i FILE mends it)/'
    exit 1
}
echo "every C++ file is clang-format clean"
