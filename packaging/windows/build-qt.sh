#!/usr/bin/env bash
# Cross-builds Qt's base module (Core, Gui, Widgets and the Windows plugins) for 64-bit Windows,
# as static libraries that are linked into the tool, from Debian's own qt6-base source package,
# its patches applied, the same version as the host's Qt, whose tools (moc, rcc, uic) the build
# uses. The result goes into a cache folder named for that version and the options below and is
# reused from then on; the folder is printed last. The same version and options give the same
# libraries in any folder: they hold no path of the build (relocatable, so no install prefix;
# source paths mapped to /qt) and no time of it (resources stamped with the package's date).
# Needs: dpkg-dev, mingw-w64 (posix), cmake, ninja-build, perl, qt6-base-dev.
set -euo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
CACHE="${QUORLEX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quorlex-config}"
VERSION="$(dpkg-query -W -f='${source:Version}' qt6-base-dev)"

# Only what a Widgets program needs. Debian's tarball lacks wintab (hence no tablet events);
# -no-opengl is INPUT_opengl=no (FEATURE_opengl=OFF leaves dynamic GL on); without Direct2D the
# DirectWrite font database does not link, and the default GDI one is used anyway.
OPTIONS=(
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DFEATURE_static_runtime=ON
    -DFEATURE_optimize_size=ON -DFEATURE_relocatable=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DINPUT_opengl=no -DFEATURE_tabletevent=OFF -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF
    -DFEATURE_directwrite3=OFF
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_testlib=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DFEATURE_androiddeployqt=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF -DFEATURE_freetype=OFF
    -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF -DFEATURE_pdf=OFF
    -DFEATURE_textmarkdownreader=OFF -DFEATURE_textmarkdownwriter=OFF -DFEATURE_textodfwriter=OFF
    -DFEATURE_sessionmanager=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_doubleconversion=OFF
)
# And of that only what the window uses: labels, check boxes, option buttons, line edits (with
# their context menu, clipboard, drag and drop and input methods), group boxes, a push button,
# tooltips and message boxes, in the Windows Vista style, with accessibility. Each line says why
# the tool does without what it cuts (and without what needs it).
CUTS=(
    # Core
    commandlineparser             # it takes no command line,
    process processenvironment    # starts no other program
    sharedmemory systemsemaphore  # and shares nothing with one,
    translation                   # speaks one language,
    mimetype                      # asks no MIME type (the 0.3 MB database goes with it),
    filesystemwatcher             # watches no file,
    timezone datetimeparser       # shows and reads no date or time,
    jalalicalendar hijricalendar  # in no calendar but the Gregorian,
    cborstreamwriter xmlstream    # writes no CBOR and reads and writes no XML,
    sha3_fast                     # hashes nothing (small SHA-3 tables, not fast ones),
    gestures future               # takes no touch gestures, runs nothing in the background
    proxymodel stringlistmodel    # and shows no item model.
    # Gui
    cssparser texthtmlparser      # No style sheet and no rich text: every text is plain.
    movie picture colornames      # No animation played, no painting recorded, no colour named.
    imageformat_ppm imageformat_xbm imageformatplugin image_heuristic_mask image_text
    imageio_text_loading raster_64bit raster_fp  # Only its own PNG icons, 8 bits a channel.
    desktopservices systemtrayicon multiprocess whatsthis  # No URL, tray icon or "What's this".
    filesystemmodel undocommand   # No file list, no undo stack (line edits keep their own undo).
    directwrite                   # GDI draws the text, as Qt chooses for the window's font anyway.
    # Widgets: the Windows Vista style alone, and no widget or dialog the window does not have.
    style_fusion style_stylesheet
    listwidget treewidget tablewidget columnview datawidgetmapper dial graphicsview
    graphicseffect fontcombobox datetimeedit calendarwidget keysequenceedit lcdnumber
    commandlinkbutton toolbox splitter dockwidget statusbar statustip mdiarea sizegrip
    rubberband progressbar splashscreen textbrowser syntaxhighlighter formlayout completer
    colordialog filedialog fontdialog progressdialog errormessage wizard undoview
)
# Kept although the window does without them, because Qt 6.4's own build fails without them:
# regularexpression (PCRE2 is required); settings (the Windows platform plugin includes
# QSettings); abstractslider, slider, scrollbar (Widgets' precompiled header); buttongroup
# (QAbstractButton); menubar and toolbar, with mainwindow, toolbutton and resizehandler (Widgets'
# compatibility code); and for the Windows Vista style, which names them without asking whether
# they are there: tabbar, tabwidget, treeview, tableview, inputdialog, and with it combobox,
# listview, itemviews, itemmodel, standarditemmodel, spinbox, validator, stackedwidget, textedit
# and scrollarea. Kept because the window needs them: xpm images (drag and drop), library (input
# methods), animation (the Vista style's transitions).
for feature in "${CUTS[@]}"; do
    OPTIONS+=("-DFEATURE_$feature=OFF")
done
# Qt's regular expressions (a few short ones, file-dialog filters) run without PCRE2's JIT: 0.15 MB
# less code, and no memory that is both written and run.
PCRE2_FLAGS="-DPCRE2_DISABLE_JIT"
KEY="$( (echo "$VERSION $PCRE2_FLAGS"; printf '%s\n' "${OPTIONS[@]}"; cat "$HERE/mingw-w64.cmake") |
    sha256sum | cut -c1-12)"
PREFIX="$CACHE/qt-$VERSION-mingw-w64-$KEY"
if [ -f "$PREFIX/.complete" ]; then
    echo "$PREFIX"
    exit 0
fi

WORK="$CACHE/work-$KEY"
rm -rf "$WORK" "$PREFIX"
mkdir -p "$WORK/apt/lists/partial" "$WORK/apt/cache/archives/partial" "$WORK/apt/sources"
# The source needs deb-src entries: the machine's own deb entries, turned into deb-src, so the
# source comes from whatever mirror the machine uses. apt runs on lists and a cache of its own
# here, so that the machine's own package lists stay as they are.
eval "$(apt-config shell LIST Dir::Etc::sourcelist/f PARTS Dir::Etc::sourceparts/d)"
for file in "$LIST" "$PARTS"*.list; do
    [ ! -f "$file" ] || sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$file"
done >"$WORK/apt/sources/machine.list"
# deb822 stanzas whose Types name deb, with deb-src as their only type.
for file in "$PARTS"*.sources; do
    [ ! -f "$file" ] || awk 'BEGIN { RS = ""; ORS = "\n\n" }
        /(^|\n)Types:[^\n]*[[:space:]]deb([[:space:]]|$)/ && !/(^|\n)Enabled:[[:space:]]*no/ {
            sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print }' "$file"
done >"$WORK/apt/sources/machine.sources"
APT=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$WORK/apt/sources"
    -o "Dir::State::Lists=$WORK/apt/lists" -o "Dir::Cache=$WORK/apt/cache")
APT+=(-o APT::Sandbox::User=root)
apt-get "${APT[@]}" update -qq
(cd "$WORK" && apt-get "${APT[@]}" source --download-only -qq "qt6-base=$VERSION")
# dpkg-source applies Debian's patches, its security fixes among them. The .dsc was checked by
# apt against the archive's signed lists; dpkg-source only finds no key to check it again.
(cd "$WORK" && dpkg-source -x ./qt6-base_*.dsc src >/dev/null 2>&1)
SOURCE_DATE_EPOCH="$(dpkg-parsechangelog -l "$WORK/src/debian/changelog" -S Timestamp)"
export SOURCE_DATE_EPOCH
# Quoted for the shell that runs each compile, since the path may hold blanks.
MAP="-ffile-prefix-map='${WORK//\'/\'\\\'\'}'=/qt"

# Some 870 steps and thousands of lines of compiler notes: they go to a log, and only its end is
# shown should the build fail.
LOG="$WORK/build.log"
echo "Building Qt for Windows into $PREFIX (log: $LOG)" >&2
if ! { cmake -S "$WORK/src" -B "$WORK/build" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$HERE/mingw-w64.cmake" -DCMAKE_INSTALL_PREFIX="$PREFIX" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_C_FLAGS="$MAP $PCRE2_FLAGS" -DCMAKE_CXX_FLAGS="$MAP" "${OPTIONS[@]}" &&
    cmake --build "$WORK/build" -j "$(nproc)" &&
    cmake --install "$WORK/build" --strip; } >"$LOG" 2>&1; then
    tail -n 40 "$LOG" >&2
    exit 1
fi
# What the notices shipped with Qt's libraries are made from: the source package's description,
# Qt's licence texts, and the licence of every third-party part built into the libraries.
mkdir -p "$PREFIX/notices"
cp "$WORK"/qt6-base_*.dsc "$WORK/src/LICENSES/LGPL-3.0-only.txt" \
    "$WORK/src/LICENSES/GPL-3.0-only.txt" "$PREFIX/notices/"
python3 "$HERE/qt-notices.py" "$WORK/src" >"$PREFIX/notices/Qt-third-party.txt"
touch "$PREFIX/.complete"
rm -rf "$WORK"
echo "$PREFIX"
