#!/usr/bin/env bash
# Builds tarvex-sim natively and runs it on its embedded demo workbook (--tour). Extra
# arguments go to tarvex-sim.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --native
cmake --preset linux >/dev/null
cmake --build --preset linux --target tarvex-sim >/dev/null
exec build/linux/bin/tarvex-sim --tour "$@"
