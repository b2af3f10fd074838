#!/usr/bin/env bash
# Proves that the Windows release can be rebuilt byte for byte from the source alone: two clean
# clones of this repository's last commit (the same one, should another come meanwhile), in two
# folders (the second with a blank and a non-ASCII letter in its path), each built by
# scripts/windows.sh, one after the other, must give the same quorlex-config.exe and the same zip.
# Usage: bash scripts/rebuild.sh [FOLDER]   (the clones and logs; default a new temporary folder,
# removed afterwards)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
WORK="${1:-}"
if [ -z "$WORK" ]; then
    WORK="$(mktemp -d)"
    trap 'rm -rf "$WORK"' EXIT
fi
COMMIT="$(git -C "$ROOT" rev-parse HEAD)"
RUNS=(first "second ü")
for run in "${RUNS[@]}"; do
    start=$SECONDS
    git clone -q "$ROOT" "$WORK/$run"
    git -C "$WORK/$run" checkout -q "$COMMIT"
    bash "$WORK/$run/scripts/windows.sh" >"$WORK/$run.log" 2>&1 ||
        { tail -n 30 "$WORK/$run.log" >&2; exit 1; }
    unzip -q "$WORK/$run"/build-windows/release/*.zip -d "$WORK/$run unpacked"
    echo "$run: built and checked in $((SECONDS - start)) s, at $(date -u '+%F %T') UTC"
    (cd "$WORK/$run unpacked" && sha256sum */quorlex-config.exe)
    cat "$WORK/$run/build-windows/release/SHA256SUMS"
done
cmp "$WORK/first unpacked"/*/quorlex-config.exe "$WORK/second ü unpacked"/*/quorlex-config.exe
cmp "$WORK/first"/build-windows/release/*.zip "$WORK/second ü"/build-windows/release/*.zip
echo "The same quorlex-config.exe and the same zip, byte for byte."
