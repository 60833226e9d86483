#!/usr/bin/env bash
# Regenerates the README's pictures of the add-in as a user sees it: builds the win64 preset,
# runs the end-to-end tests under Wine (they save each dialog, frame and caption included,
# and the ribbon group drawn from what the add-in hands the host into
# build/win64/tests/test-output/) and copies the prompt, the options dialog, the ribbon group
# and the group with its Help menu open into docs/images/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64
export WINEDEBUG=-all
ctest --preset win64 -L e2e
mkdir -p docs/images
output=build/win64/tests/test-output
cp "$output/road_of_one_entry.png" docs/images/prompt.png
cp "$output/options_end_to_end.png" docs/images/options.png
cp "$output/ribbon.png" docs/images/ribbon.png
cp "$output/ribbon_help_menu.png" docs/images/help-menu.png
pictures=(docs/images/{prompt,options,ribbon,help-menu}.png)
python3 scripts/compress-png.py "${pictures[@]}"
echo "update-screenshots: ${pictures[*]} rewritten"
