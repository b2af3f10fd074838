#!/usr/bin/env bash
# Renders the icon's SVG into the PNG sizes that the program sets on its window, and into the
# Windows icon (.ico) that Explorer shows for the .exe. The program reads PNGs with Qt's built-in
# reader; an SVG would need the SVG plugins loaded at start-up. Run after changing
# quorlex-config.svg, and commit the results (needs librsvg2-bin and imagemagick).
set -euo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$HERE/quorlex-config.svg" -o "$TMP/$size.png"
done
for size in 16 32 64 128; do
    cp "$TMP/$size.png" "$HERE/icons/quorlex-config-$size.png"
done
convert "$TMP"/{16,24,32,48}.png "$TMP/small.ico"
python3 "$HERE/windows/make-ico.py" "$TMP/small.ico" "$TMP"/{64,128,256}.png \
    "$HERE/windows/quorlex-config.ico"
