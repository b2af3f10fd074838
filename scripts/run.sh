#!/usr/bin/env bash
# Builds the tool and starts it.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/packages.sh"
install_missing "${BUILD_PACKAGES[@]}"
build_project
exec "$ROOT/build/app/quorlex-config"
