#!/usr/bin/env bash
# Redraws the add-in's images into a scratch folder and compares them with the committed
# BMP files and C++ data. Usage: check-glyphs.sh PYTHON SOURCE_DIR
set -euo pipefail
python=$1
source=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$python" "$source/scripts/gen-glyphs.py" "$scratch"
status=0
for file in "$scratch"/glyph_data.cpp "$scratch"/glyphs/*.bmp; do
    committed=$source/addin/${file#"$scratch"/}
    if ! cmp -s "$file" "$committed"; then
        echo "out of date: $committed (run scripts/gen-glyphs.py)" >&2
        status=1
    fi
done
exit $status
