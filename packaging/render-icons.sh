#!/usr/bin/env bash
# Renders the icon's SVG into the PNG sizes that the program sets on its window. The program
# reads PNGs with Qt's built-in reader; an SVG would need the SVG plugins loaded at start-up.
# Run after changing quorlex-config.svg, and commit the PNGs (needs librsvg2-bin).
set -euo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
for size in 16 32 64 128; do
    rsvg-convert -w "$size" -h "$size" "$HERE/quorlex-config.svg" \
        -o "$HERE/icons/quorlex-config-$size.png"
done
