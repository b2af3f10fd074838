#!/usr/bin/env bash
# Builds the tool and runs every test: the in-process tests (label unit) and the release archive
# driven end to end under Xvfb (label e2e). Extra arguments go to ctest, e.g. `-L unit`.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/packages.sh"
install_missing "${BUILD_PACKAGES[@]}" xvfb xdotool xclip python3 python3-xlib dbus \
    at-spi2-core python3-pyatspi e2fsprogs
build_project
cd "$ROOT/build"
ctest --output-on-failure -j 2 "$@"
