#!/usr/bin/env bash
# Builds the tool and runs every test: unit, window and end-to-end (label e2e).
# Extra arguments go to ctest, e.g. `-L unit` for the unit tests alone.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/packages.sh"
install_missing "${BUILD_PACKAGES[@]}" xvfb xauth xdotool xclip x11-utils imagemagick \
    python3 python3-pyatspi python3-xlib at-spi2-core dbus dbus-x11 desktop-file-utils librsvg2-bin
build_project
cd "$ROOT/build"
ctest --output-on-failure -j 2 "$@"
