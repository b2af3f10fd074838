#!/usr/bin/env bash
# Builds the Windows release from this Linux machine and proves it under wine: Qt for Windows
# (built once into a cache, see packaging/windows/build-qt.sh), the tool cross-compiled with the
# same CMake project, the portable zip, a check that the zip holds exactly the files the program
# loads, and the release driven by real clicks under wine (ctest label wine).
# The zip ends up in build-windows/release/.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/packages.sh"
install_missing cmake ninja-build dpkg-dev perl python3 qt6-base-dev mingw-w64 \
    g++-mingw-w64-x86-64-posix zip unzip wine wine64 fonts-wine locales xvfb xdotool xclip \
    python3-xlib
MINGW=x86_64-w64-mingw32
BUILD="$ROOT/build-windows"

start=$SECONDS
QT="$(bash "$ROOT/packaging/windows/build-qt.sh")"
echo "Qt for Windows: $QT ($((SECONDS - start)) s)"

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/packaging/windows/mingw-w64.cmake" -DQUORLEX_QT_PREFIX="$QT" \
    -DCMAKE_PREFIX_PATH="$QT" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >/dev/null
cmake --build "$BUILD"
(cd "$BUILD" && cpack -B "$BUILD/release" >/dev/null)
ZIP="$(ls "$BUILD"/release/*-Windows-x86_64.zip)"

# The file list is the install rules' (packaging/windows/CMakeLists.txt). Checked here: each DLL
# beside the program is imported by it or by another shipped DLL (the two plugins are loaded by
# Qt by name), and every DLL they import from Qt or the compiler's runtime is there.
UNPACKED="$(mktemp -d)"
trap 'rm -rf "$UNPACKED"' EXIT
unzip -q "$ZIP" -d "$UNPACKED"
cd "$UNPACKED"/*/
find . -type f | sed 's|^\./|  |' | sort
imports() { "$MINGW-objdump" -p "$@" | sed -n 's/^\s*DLL Name: //p' | sort -u; }
# A DLL that Qt or the compiler's runtime provides, rather than Windows itself.
provided() { [ -e "$QT/bin/$1" ] || [ "$("$MINGW-g++-posix" -print-file-name="$1")" != "$1" ]; }
BINARIES=(quorlex-config.exe ./*.dll platforms/*.dll styles/*.dll)
for dll in $(imports "${BINARIES[@]}"); do
    if provided "$dll" && [ ! -e "$dll" ]; then
        echo "missing from the zip: $dll" >&2
        exit 1
    fi
done
for dll in *.dll; do
    imports "${BINARIES[@]}" | grep -qx "$dll" || { echo "loaded by nothing: $dll" >&2; exit 1; }
done
cd "$ROOT"
echo "Release: $ZIP ($(du -k "$ZIP" | cut -f1) KiB zipped, $(du -sk "$UNPACKED" | cut -f1) KiB unpacked)"

ctest --test-dir "$BUILD" --output-on-failure -L wine -FA release
