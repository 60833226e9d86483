#!/usr/bin/env bash
# Regenerates the README's pictures of the add-in's real dialogs: builds the win64 preset,
# runs the end-to-end tests under Wine (they save what each dialog looks like into
# build/win64/tests/test-output/) and copies the prompt and the options dialog into
# docs/images/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64
export WINEDEBUG=-all
ctest --preset win64 -L e2e
mkdir -p docs/images
cp build/win64/tests/test-output/road_of_one_entry.png docs/images/prompt.png
cp build/win64/tests/test-output/options_end_to_end.png docs/images/options.png
python3 scripts/compress-png.py docs/images/prompt.png docs/images/options.png
echo "update-screenshots: docs/images/prompt.png and docs/images/options.png rewritten"
