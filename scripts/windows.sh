#!/usr/bin/env bash
# Builds the Windows release from this Linux machine and proves it under wine: Qt for Windows as
# static libraries (built once into a cache, see packaging/windows/build-qt.sh), the tool
# cross-compiled with the same CMake project into one .exe, the zip, a check that the .exe needs
# no DLL beside it, and the release driven by real clicks under wine (ctest label wine).
# The zip ends up in build-windows/release/.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/packages.sh"
install_missing "${WINDOWS_PACKAGES[@]}"
MINGW=x86_64-w64-mingw32
BUILD="$ROOT/build-windows"

start=$SECONDS
configure_windows "$BUILD"
echo "Configured, with Qt for Windows built or found in the cache: $((SECONDS - start)) s"
cmake --build "$BUILD"
(cd "$BUILD" && cpack -B "$BUILD/release" >/dev/null)
ZIP="$(ls "$BUILD"/release/*-Windows-x86_64.zip)"

# The zip holds one program file and its texts, and the program needs nothing beside it: every
# DLL it imports is one that Windows 10 and 11 bring themselves.
UNPACKED="$(mktemp -d)"
trap 'rm -rf "$UNPACKED"' EXIT
unzip -q "$ZIP" -d "$UNPACKED"
cd "$UNPACKED"/*/
find . -type f | sed 's|^\./|  |' | sort
OTHERS="$(find . -type f ! -name quorlex-config.exe ! -name '*.txt')"
[ -z "$OTHERS" ] || { echo "not a text, and not the program: $OTHERS" >&2; exit 1; }
WINDOWS_DLLS=(kernel32 user32 gdi32 advapi32 shell32 ole32 oleaut32 uxtheme dwmapi d3d11 dxgi
    imm32 winmm version shlwapi comdlg32 msvcrt ws2_32 userenv netapi32 wtsapi32 authz
    shcore d3d9)
for dll in $("$MINGW-objdump" -p quorlex-config.exe | sed -n 's/^\s*DLL Name: //p'); do
    name="$(echo "$dll" | tr 'A-Z' 'a-z')"
    name="${name%.dll}"
    [[ "$name" == api-ms-win-* || " ${WINDOWS_DLLS[*]} " == *" $name "* ]] || {
        echo "quorlex-config.exe imports a DLL that Windows does not bring: $dll" >&2
        exit 1
    }
done
# It keeps its icon, version information and manifest (resource types 0xe, 0x10 and 0x18).
TYPES=" $("$MINGW-objdump" -p quorlex-config.exe |
    sed -n 's/^[0-9a-f]*   Entry: ID: 0x0*\([0-9a-f]*\),.*/\1/p' | tr '\n' ' ')"
for type in e 10 18; do
    [[ "$TYPES" == *" $type "* ]] || { echo "no resource of type 0x$type in the .exe" >&2; exit 1; }
done
EXE_BYTES="$(stat -c %s quorlex-config.exe)" ZIP_BYTES="$(stat -c %s "$ZIP")"
cd "$ROOT"
echo "Release: $ZIP ($ZIP_BYTES bytes; quorlex-config.exe $EXE_BYTES bytes)"
[ "$EXE_BYTES" -le 14000000 ] && [ "$ZIP_BYTES" -le 7000000 ] ||
    { echo "over the size targets: the .exe 14 MB, the zip 7 MB" >&2; exit 1; }

ctest --test-dir "$BUILD" --output-on-failure -L wine -FA release
