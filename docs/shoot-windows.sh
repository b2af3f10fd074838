#!/usr/bin/env bash
# Takes a picture of the Windows build's window under wine, as docs/window-windows.png was taken:
# the window's client area, in a fresh wine prefix under an Xvfb of its own, with no window
# manager. Compare two pictures with `compare -metric AE A.png B.png null:` (0: the same pixels).
# Usage: bash docs/shoot-windows.sh QUORLEX-CONFIG.EXE OUT.png [DPI]   (96 is 100 %, 144 150 %)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
EXE="$(realpath "$1")" OUT="$(realpath "$2")" DPI="${3:-96}"
source "$ROOT/scripts/packages.sh"
install_missing "${WINDOWS_PACKAGES[@]}" imagemagick
TMP="$(mktemp -d)"
export WINEPREFIX="$TMP/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$TMP/display" >/dev/null 2>&1 &
XVFB=$!
trap 'wineserver -k 2>/dev/null || true; kill $XVFB; rm -rf "$TMP"' EXIT
while [ ! -s "$TMP/display" ]; do sleep 0.1; done
export DISPLAY=":$(cat "$TMP/display")"
xdotool mousemove 1599 1199 # off the window: nothing hovered
bash "$ROOT/packaging/windows/wine-prefix.sh"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$DPI" /f >/dev/null 2>&1
(wine "$EXE" >/dev/null 2>&1 &)
WINDOW="$(xdotool search --sync --onlyvisible --name '^QUORLEX_CONFIG$' | head -1)"
sleep 3 # drawn
import -window "$WINDOW" "$OUT"
echo "$OUT: $(identify -format '%w x %h' "$OUT")"
