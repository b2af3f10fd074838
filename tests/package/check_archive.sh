#!/usr/bin/env bash
# Packs the release with cpack, unpacks it into a folder with a blank in its name, and checks it
# as an administrator would use it: the right files and nothing else in one top folder, the
# licence and the README, an icon and a launcher that desktop-file-validate accepts, a program
# that needs nothing from the build tree and that writes QUORLEX_CONFIG.txt into its own folder.
# Usage: check_archive.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
BUILD="$1"
SOURCE="$2"
WORK="$(mktemp -d)"
XVFB_PID=""
APP_PID=""
cleanup() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

failures=0
check() { # check DESCRIPTION COMMAND...
    local what="$1"
    shift
    if "$@"; then
        echo "ok:   $what"
    else
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}

cpack --config "$BUILD/CPackConfig.cmake" -B "$WORK/out" >"$WORK/cpack.log" 2>&1 || {
    cat "$WORK/cpack.log"
    echo "FAIL: cpack"
    exit 1
}
mapfile -t archives < <(find "$WORK/out" -maxdepth 1 -name '*.tar.gz')
[ ${#archives[@]} -eq 1 ] || {
    echo "FAIL: expected one .tar.gz, found ${#archives[@]}"
    exit 1
}
archive="${archives[0]}"
top="$(basename "$archive" .tar.gz)"
echo "archive: $(basename "$archive")"

# Exactly these files, all in one folder named like the archive.
expected="$(printf '%s\n' "$top/LICENSE" "$top/README.md" "$top/quorlex-config" \
    "$top/quorlex-config.desktop" "$top/quorlex-config.svg")"
listed="$(tar tzf "$archive" | grep -v '/$' | sort)"
check "archive holds exactly the program, README, LICENSE, icon and launcher under $top/" \
    test "$listed" = "$expected"
if [ "$listed" != "$expected" ]; then
    echo "  listed:"
    echo "$listed" | sed 's/^/    /'
fi
check "every entry lies under $top/" \
    test -z "$(tar tzf "$archive" | grep -v "^$top/")"

dest="$WORK/game server"
mkdir -p "$dest"
tar xzf "$archive" -C "$dest" || {
    echo "FAIL: unpacking"
    exit 1
}
dir="$dest/$top"

check "program is an executable file" test -x "$dir/quorlex-config" -a -f "$dir/quorlex-config"
check "program is an ELF binary" test "$(head -c 4 "$dir/quorlex-config" | od -An -c | tr -d ' ')" = '177ELF'
check "program carries no search path into the build tree" \
    bash -c "! readelf -d \"$dir/quorlex-config\" | grep -E 'R(UN)?PATH' | grep -qF \"$BUILD\""
check "every library the program needs is found" \
    bash -c "! ldd \"$dir/quorlex-config\" | grep -q 'not found'"
check "README is the project's README" cmp -s "$dir/README.md" "$SOURCE/README.md"
check "README says how to build the archive" grep -q 'cpack' "$dir/README.md"
check "LICENSE is the project's licence" cmp -s "$dir/LICENSE" "$SOURCE/LICENSE"
check "LICENSE is the MIT licence" grep -q '^MIT License$' "$dir/LICENSE"
check "LICENSE names the holder" \
    grep -q '^Copyright (c) [0-9]\{4\} the QUORLEX config tool authors$' "$dir/LICENSE"
check "icon is an SVG document" python3 -c '
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
sys.exit(0 if root.tag == "{http://www.w3.org/2000/svg}svg" else 1)' "$dir/quorlex-config.svg"
# The window shows PNG renderings of the icon (packaging/render-icons.sh); they must be current.
for size in 16 32 64 128; do
    rsvg-convert -w "$size" -h "$size" "$dir/quorlex-config.svg" -o "$WORK/icon-$size.png"
    check "window icon at $size px is the shipped SVG's rendering" \
        test "$(compare -metric AE -fuzz 2% "$SOURCE/packaging/icons/quorlex-config-$size.png" \
            "$WORK/icon-$size.png" null: 2>&1)" = 0
done
check "launcher passes desktop-file-validate" desktop-file-validate "$dir/quorlex-config.desktop"
check "launcher is executable, as file managers require" test -x "$dir/quorlex-config.desktop"
check "launcher names the icon" grep -qx 'Icon=quorlex-config' "$dir/quorlex-config.desktop"
check "launcher starts the program beside itself (%k)" \
    grep -qE '^Exec=.*quorlex-config.* %k$' "$dir/quorlex-config.desktop"

# The unpacked program, started as the launcher starts it, writes its file into its own folder.
exec_line="$(sed -n 's/^Exec=//p' "$dir/quorlex-config.desktop")"
displayfile="$WORK/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
XVFB_PID=$!
for _ in $(seq 100); do
    [ -s "$displayfile" ] && break
    sleep 0.1
done
export DISPLAY=":$(cat "$displayfile")"
# The launcher's Exec line: unescape the desktop-entry string, then let sh run it with %k.
command="$(printf '%s' "$exec_line" | sed 's/\\\\/\\/g; s/ %k$//')"
(cd / && bash -c 'eval "exec $0 \"\$1\""' "$command" "$dir/quorlex-config.desktop") \
    >/dev/null 2>&1 &
APP_PID=$!
window="$(timeout 20 xdotool search --sync --name '^QUORLEX_CONFIG$' 2>/dev/null | head -1)"
check "the launcher opens the window" test -n "$window"
if [ -n "$window" ]; then
    # "Create Config File" sits at 444,472 and is 101 x 21 pixels. A click that comes before the
    # window takes input is lost, so click again until the file is there (a second file is the
    # same file).
    for _ in $(seq 40); do
        xdotool mousemove --window "$window" 494 482 click 1
        sleep 0.25
        [ -s "$dir/QUORLEX_CONFIG.txt" ] && break
    done
    check "QUORLEX_CONFIG.txt is written into the program's folder" \
        cmp -s -n 13 "$dir/QUORLEX_CONFIG.txt" <(printf '[WeaponBan]\r\n')
    check "and nowhere else" test ! -e "/QUORLEX_CONFIG.txt"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all archive checks passed"
