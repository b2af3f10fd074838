#!/usr/bin/env bash
# Makes a fresh wine prefix in $WINEPREFIX ready for the Windows build to run in: initialised,
# and with wine's own fonts, which Debian's wine does not load by itself.
set -euo pipefail
wineboot -i >/dev/null 2>&1
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
