#!/usr/bin/env bash
# Builds the Windows release from this Linux machine and proves it under wine: Qt for Windows as
# static libraries (built once into a cache, see packaging/windows/build-qt.sh), the tool
# cross-compiled with the same CMake project into one .exe, the zip with its SHA256SUMS, checks
# that the .exe takes no DLL from its own folder and keeps Windows' exploit mitigations, a second
# build in another folder that must give the same bytes, and the release driven by real clicks
# under wine (ctest label wine). The zip ends up in build-windows/release/.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/packages.sh"
install_missing "${WINDOWS_PACKAGES[@]}"
MINGW=x86_64-w64-mingw32
BUILD="$ROOT/build-windows"
fail() {
    echo "$*" >&2
    exit 1
}
# Every time stamp in the release (compiled-in resources, zip entries) is the last commit's.
SOURCE_DATE_EPOCH="$(git -C "$ROOT" log -1 --format=%ct)"
export SOURCE_DATE_EPOCH

start=$SECONDS
configure_windows "$BUILD"
echo "Configured, with Qt for Windows built or found in the cache: $((SECONDS - start)) s"
cmake --build "$BUILD"
ctest --test-dir "$BUILD" -R '^release_pack$' --output-on-failure >/dev/null
ZIP="$(ls "$BUILD"/release/*-Windows-x86_64.zip)"

# The zip holds one program file and its texts.
UNPACKED="$(mktemp -d)"
trap 'rm -rf "$UNPACKED"' EXIT
unzip -q "$ZIP" -d "$UNPACKED"
cd "$UNPACKED"/*/
find . -type f | sed 's|^\./|  |' | sort
OTHERS="$(find . -type f ! -name quorlex-config.exe ! -name '*.txt')"
[ -z "$OTHERS" ] || fail "not a text, and not the program: $OTHERS"
# The program goes into a server's folder, where Windows looks first for every DLL that is not
# one of its KnownDLLs. So it imports at start only those (and API sets, which never come from
# a folder); the rest is delay-loaded once loading is limited to System32 (app/systemdlls.cpp).
KNOWN_DLLS=(advapi32 clbcatq combase comdlg32 coml2 difxapi gdi32 gdiplus imagehlp imm32
    kernel32 msctf msvcrt normaliz nsi ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore
    shell32 shlwapi user32 wldap32 ws2_32)
HEADERS="$("$MINGW-objdump" -p quorlex-config.exe)"
for dll in $(sed -n 's/^\s*DLL Name: //p' <<<"$HEADERS"); do
    name="$(echo "${dll%.*}" | tr 'A-Z' 'a-z')"
    [[ "$name" == api-ms-win-* || " ${KNOWN_DLLS[*]} " == *" $name "* ]] ||
        fail "quorlex-config.exe takes $dll from its own folder first"
done
# It keeps ASLR with high-entropy addresses and DEP, and carries no debug sections.
for flag in DYNAMIC_BASE HIGH_ENTROPY_VA NX_COMPAT; do
    grep -q "^\s*$flag\$" <<<"$HEADERS" || fail "quorlex-config.exe is not $flag"
done
! "$MINGW-objdump" -h quorlex-config.exe | grep -q ' \.debug' ||
    fail "quorlex-config.exe carries debug sections"
# It keeps its icon, version information and manifest (resource types 0xe, 0x10 and 0x18).
TYPES=" $(sed -n 's/^[0-9a-f]*   Entry: ID: 0x0*\([0-9a-f]*\),.*/\1/p' <<<"$HEADERS" | tr '\n' ' ')"
for type in e 10 18; do
    [[ "$TYPES" == *" $type "* ]] || fail "no resource of type 0x$type in the .exe"
done
EXE_BYTES="$(stat -c %s quorlex-config.exe)" ZIP_BYTES="$(stat -c %s "$ZIP")"
cd "$ROOT"
echo "Release: $ZIP ($ZIP_BYTES bytes; quorlex-config.exe $EXE_BYTES bytes)"
cat "$BUILD/release/SHA256SUMS"
[ "$EXE_BYTES" -le 10500000 ] && [ "$ZIP_BYTES" -le 4600000 ] ||
    fail "over the size targets: the .exe 10.5 MB, the zip 4.6 MB"

# The same source in another folder, whose path has a blank and a non-ASCII letter, built
# against the same Qt, gives the same zip byte for byte. (scripts/rebuild.sh also builds Qt
# afresh.)
AGAIN="$UNPACKED/again ü"
mkdir "$AGAIN"
git -C "$ROOT" ls-files -z | (cd "$ROOT" && tar --null -T - -cf -) | tar -xf - -C "$AGAIN"
ROOT="$AGAIN" configure_windows "$AGAIN/build-windows"
cmake --build "$AGAIN/build-windows" >/dev/null
ctest --test-dir "$AGAIN/build-windows" -R '^release_pack$' >/dev/null
cmp "$BUILD/release/SHA256SUMS" "$AGAIN/build-windows/release/SHA256SUMS" ||
    fail "a second build in \"$AGAIN\" gave another zip"
echo "A second build in another folder gave the same zip."

ctest --test-dir "$BUILD" --output-on-failure -L wine -FA release
