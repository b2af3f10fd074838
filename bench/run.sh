#!/usr/bin/env bash
# Builds the benchmark programs into build-bench/ and prints every figure: start-up against a
# bare Qt window, the writer's time per file, and memory over 1,000 presses.
# Usage: bash bench/run.sh [PAIRS]   (start-up runs per program, at least 20; default 30)
#
# With "windows" first, only the start-up of the Windows build, under wine: the tool against a
# plain Win32 window (build-windows-bench/) and, when given, the quorlex-config.exe in an earlier
# release's unpacked folder (the Qt build of e0ee4c3, say). Xvfb, the wineserver and every
# program then run on one CPU, CPU 0 (see "pin" below).
# Usage: bash bench/run.sh windows [ROUNDS] [EARLIER_RELEASE_FOLDER]   (at least 10; default 30)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
WINDOWS=""
[ "${1:-}" != windows ] || { WINDOWS=yes; shift; }
PAIRS="${1:-30}"
EARLIER="${2:-}"
# A run under wine takes some 2.5 s to its exit, so fewer rounds there.
least=20
[ -z "$WINDOWS" ] || least=10
[ "$PAIRS" -ge "$least" ] || {
    echo "run.sh: at least $least runs of each program" >&2
    exit 2
}
source "$ROOT/scripts/packages.sh"
install_missing "${BUILD_PACKAGES[@]}" xvfb dbus pkg-config libxcb1-dev libxcb-damage0-dev
[ -z "$WINDOWS" ] || install_missing "${WINDOWS_PACKAGES[@]}"

# Under wine, what is timed is mostly waiting on other processes: a program makes thousands of
# wineserver requests before its first paint (the tool 6,829, the plain window 1,870), and on
# these VMs one answered from the other CPU takes some 5x longer (38 against 7 µs). Left to the
# scheduler, A/B swung from 2x to 6x between runs: the figure measured where the processes
# happened to land. An X round trip costs the same way (18 µs on the same CPU, 115 µs from the
# other, either of the two when Xvfb is left free), and with Xvfb on the other CPU the
# programs mostly took 20 to 40 % longer, so Xvfb joins them: it and wine work in turn. Only
# the watcher runs free, so that following every drawing takes no time from the programs.
pin=()
[ -z "$WINDOWS" ] || pin=(taskset -c 0)

xvfb=""
bus=""
runtime="$(mktemp -d)"
displayfile="$(mktemp)"
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    [ -n "$bus" ] && kill "$bus" 2>/dev/null
    [ -z "$WINDOWS" ] || WINEPREFIX="$runtime/wine" wineserver -k 2>/dev/null
    rm -rf "$displayfile" "$runtime"
}
trap cleanup EXIT
# The programs run as in a desktop session: a runtime folder and a session bus of their own.
# Without a bus, every Qt program would start one through X11 (dbus-launch --autolaunch) that
# outlives the run and changes what the next run finds.
export XDG_RUNTIME_DIR="$runtime"
chmod 700 "$runtime"
bus_info="$(dbus-daemon --session --fork --print-address=1 --print-pid=1)"
DBUS_SESSION_BUS_ADDRESS="$(echo "$bus_info" | sed -n 1p)"
export DBUS_SESSION_BUS_ADDRESS
bus="$(echo "$bus_info" | sed -n 2p)"

BUILD="$ROOT/build-bench"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DQUORLEX_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD" -j "$(nproc)" >/dev/null

echo "== Machine"
echo "cpu:    $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1), $(nproc) cores"
echo "memory: $(awk '/MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo)"
echo "system: $(. /etc/os-release && echo "$PRETTY_NAME"), kernel $(uname -r)"
echo "qt:     $(dpkg-query -W -f='${Version}' libqt6widgets6), xvfb $(dpkg-query -W -f='${Version}' xvfb)"
echo "commit: $(git -C "$ROOT" rev-parse --short HEAD 2>/dev/null || echo unknown)$(
    git -C "$ROOT" diff --quiet HEAD 2>/dev/null || echo ' (with uncommitted changes)')"

"${pin[@]}" Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$displayfile" \
    >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$displayfile" ] && break
    sleep 0.1
done
export DISPLAY=":$(cat "$displayfile")"

if [ -n "$WINDOWS" ]; then
    WINBUILD="$ROOT/build-windows-bench"
    configure_windows "$WINBUILD" -DBUILD_TESTING=OFF -DQUORLEX_BUILD_BENCH=ON
    cmake --build "$WINBUILD" -j "$(nproc)" >/dev/null
    # Stripped, as the release is.
    for exe in app/quorlex-config bench/win32window; do
        x86_64-w64-mingw32-strip -o "$runtime/$(basename "$exe").exe" "$WINBUILD/$exe.exe"
    done
    # A prefix of its own, and one wineserver kept running through all runs; the folder of its
    # socket, which it makes in $TMPDIR and leaves behind, goes with the runtime folder.
    export WINEPREFIX="$runtime/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    export TMPDIR="$runtime"
    mkdir -p "$WINEPREFIX"
    "${pin[@]}" wineserver -p
    # The prefix's own processes (explorer.exe, services.exe, ...) answer the programs too.
    "${pin[@]}" bash "$ROOT/packaging/windows/wine-prefix.sh"
    echo "wine:   $(wine --version)"
    echo
    echo "== Start-up under wine: exec of wine to the window fully drawn, and to exit"
    echo "Xvfb, the wineserver and every program run on CPU 0 (${pin[*]}); the watcher runs free."
    echo "A = the tool, B = a plain Win32 window of 987 x 622 with one button."
    [ -z "$EARLIER" ] || echo "C = $EARLIER/quorlex-config.exe."
    echo "Targets, exec to drawn (exit adds wine's own ~2 s): A/B at most 2.0, A/C at most 0.6;"
    echo "peak resident of A at most 30 MiB."
    programs=("${pin[@]}" wine "$runtime/quorlex-config.exe" --
        "${pin[@]}" wine "$runtime/win32window.exe")
    [ -z "$EARLIER" ] || programs+=(-- "${pin[@]}" wine "$EARLIER/quorlex-config.exe")
    "$BUILD/bench/startwatch" "$PAIRS" "${programs[@]}"
    exit 0
fi

echo
echo "== 1. Start-up: exec to the window fully drawn, and to exit after a close request"
echo "A = the tool, B = a bare Qt window of 987 x 622 with one button; one Xvfb (-noreset),"
echo "run alternately. Targets: wall A/B at most 1.30, peak resident A at most B + 2 MiB."
"$BUILD/bench/startwatch" "$PAIRS" "$BUILD/app/quorlex-config" -- "$BUILD/bench/barewindow"

echo
echo "== 2. Writer (target: worst case under 1 ms per file)"
"$BUILD/bench/writerbench" 2000

echo
echo "== 3. Memory over 1,000 presses (target: growth within 1 MiB of the figure after 10)"
"$BUILD/bench/pressmemory" 1000
