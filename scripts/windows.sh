#!/usr/bin/env bash
# Builds the Windows release from this Linux machine and proves it under wine: the tool
# cross-compiled with mingw-w64 from the same CMake project into one .exe, the zip with its
# SHA256SUMS, checks that the .exe takes no DLL from its own folder, keeps Windows' exploit
# mitigations and stays within its size, a second build in another folder that must give the
# same bytes, and the release driven by real input under wine (ctest label wine). The zip ends
# up in build-windows/release/. Works from a git clone and from a source archive without .git.
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
# The source files: git's list in a clone; in an unpacked source archive, every file but builds.
source_files() {
    if [ -e "$ROOT/.git" ]; then
        git -C "$ROOT" ls-files -z
    else
        (cd "$ROOT" && find . -path './build*' -prune -o -path './.git' -prune -o -type f \
            -printf '%P\0')
    fi
}
# Every time stamp in the release (zip entries) is SOURCE_DATE_EPOCH when it is set, as
# reproducible-build tools set it; else the last commit's time, or in a source archive the
# newest time of its files (an archive made by git gives each file the commit's time).
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    if [ -e "$ROOT/.git" ]; then
        SOURCE_DATE_EPOCH="$(git -C "$ROOT" log -1 --format=%ct)"
    else
        SOURCE_DATE_EPOCH="$(source_files | (cd "$ROOT" && xargs -0 stat -c %Y) | sort -n | tail -n 1)"
    fi
fi
export SOURCE_DATE_EPOCH

start=$SECONDS
configure_windows "$BUILD"
cmake --build "$BUILD"
ctest --test-dir "$BUILD" -R '^release_pack$' --output-on-failure >/dev/null
echo "Built in $((SECONDS - start)) s"
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
# a folder); comctl32 comes side by side through the manifest, loaded once loading is limited
# to System32 (app/systemdlls.cpp).
KNOWN_DLLS=(advapi32 clbcatq combase comdlg32 coml2 difxapi gdi32 gdiplus imagehlp imm32
    kernel32 msctf msvcrt normaliz nsi ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore
    shell32 shlwapi user32 wldap32 ws2_32)
HEADERS="$("$MINGW-objdump" -p quorlex-config.exe)"
IMPORTS="$(sed -n 's/^\s*DLL Name: //p' <<<"$HEADERS" | tr 'A-Z\n' 'a-z ')"
for dll in $IMPORTS; do
    name="${dll%.*}"
    [[ "$name" == api-ms-win-* || " ${KNOWN_DLLS[*]} " == *" $name "* ]] ||
        fail "quorlex-config.exe takes $dll from its own folder first"
done
# Nothing is delay-loaded either: the delay-import directory is empty.
grep -q "^Entry d 0\+ 0\+ Delay Import Directory" <<<"$HEADERS" ||
    fail "quorlex-config.exe delay-loads DLLs"
# It keeps ASLR with high-entropy addresses and DEP, and carries no debug sections.
for flag in DYNAMIC_BASE HIGH_ENTROPY_VA NX_COMPAT; do
    grep -q "^\s*$flag\$" <<<"$HEADERS" || fail "quorlex-config.exe is not $flag"
done
! "$MINGW-objdump" -h quorlex-config.exe | grep -q ' \.debug' ||
    fail "quorlex-config.exe carries debug sections"
# It keeps its icon, version information and manifest, and the window's font (resource types
# 0xe, 0x10, 0x18 and 0xa).
TYPES=" $(sed -n 's/^[0-9a-f]*   Entry: ID: 0x0*\([0-9a-f]*\),.*/\1/p' <<<"$HEADERS" | tr '\n' ' ')"
for type in e 10 18 a; do
    [[ "$TYPES" == *" $type "* ]] || fail "no resource of type 0x$type in the .exe"
done
EXE_BYTES="$(stat -c %s quorlex-config.exe)" ZIP_BYTES="$(stat -c %s "$ZIP")"
cd "$ROOT"
echo "Release: $ZIP ($ZIP_BYTES bytes; quorlex-config.exe $EXE_BYTES bytes, importing $IMPORTS)"
cat "$BUILD/release/SHA256SUMS"
[ "$EXE_BYTES" -le 600000 ] && [ "$ZIP_BYTES" -le 300000 ] ||
    fail "over the size targets: the .exe 600 KB, the zip 300 KB"

# The same source in another folder, whose path has a blank and a non-ASCII letter, gives the
# same zip byte for byte.
AGAIN="$UNPACKED/again ü"
mkdir "$AGAIN"
source_files | (cd "$ROOT" && tar --null -T - -cf -) | tar -xf - -C "$AGAIN"
ROOT="$AGAIN" configure_windows "$AGAIN/build-windows"
cmake --build "$AGAIN/build-windows" >/dev/null
ctest --test-dir "$AGAIN/build-windows" -R '^release_pack$' >/dev/null
cmp "$BUILD/release/SHA256SUMS" "$AGAIN/build-windows/release/SHA256SUMS" ||
    fail "a second build in \"$AGAIN\" gave another zip"
echo "A second build in another folder gave the same zip."

# Given a code-signing certificate (QUORLEX_SIGN_PKCS12, QUORLEX_SIGN_PASSWORD and a time stamp
# server, QUORLEX_SIGN_TIMESTAMP), the release carries the signed program: signed only now, once the
# unsigned bytes have been shown to be reproducible, and packed again; the zip's other files keep
# their bytes. Without one, the release stays as built.
if [ -n "${QUORLEX_SIGN_PKCS12:-}" ]; then
    NAME="$(basename "$ZIP" .zip)" SIGNED="$UNPACKED/signed.exe"
    bash "$ROOT/packaging/windows/sign.sh" "$UNPACKED/$NAME/quorlex-config.exe" "$SIGNED"
    /usr/bin/python3 "$ROOT/packaging/windows/zip-release.py" "$BUILD" "$BUILD/release" "$NAME" \
        "$SIGNED"
    unzip -p "$ZIP" "$NAME/quorlex-config.exe" | cmp -s - "$SIGNED" ||
        fail "the zip does not hold the signed quorlex-config.exe"
    # Less its signature, the program is the reproducible one, so a rebuild can still be compared.
    osslsigncode remove-signature -in "$SIGNED" -out "$UNPACKED/unsigned.exe" >/dev/null
    cmp -s "$UNPACKED/unsigned.exe" "$UNPACKED/$NAME/quorlex-config.exe" ||
        fail "signing changed more of quorlex-config.exe than its signature"
    echo "Signed release: $ZIP ($(stat -c %s "$ZIP") bytes)"
    cat "$BUILD/release/SHA256SUMS"
fi

ctest --test-dir "$BUILD" --output-on-failure -j 2 -L wine -FA release
