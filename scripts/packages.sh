# Installs the Debian packages named as arguments that are not installed yet.
# Sourced by the scripts in scripts/ and bench/; uses sudo when not root.
install_missing() {
    local missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# What building and running the tool needs.
BUILD_PACKAGES=(build-essential cmake qt6-base-dev libgl-dev libxcb-cursor0
    qt6-qpa-plugins)

# Configures and builds into build/ with all cores.
build_project() {
    cmake -S "$ROOT" -B "$ROOT/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$ROOT/build" -j "$(nproc)"
}

# What cross-building for Windows and running the result under wine needs.
WINDOWS_PACKAGES=(cmake ninja-build dpkg-dev perl python3 qt6-base-dev mingw-w64
    g++-mingw-w64-x86-64-posix unzip wine wine64 fonts-wine locales xvfb xdotool xclip
    python3-xlib)

# Configures a Windows build into the folder $1, against Qt for Windows (built once into a cache
# by build-qt.sh); further arguments go to cmake.
configure_windows() {
    local build="$1" qt
    shift
    qt="$(bash "$ROOT/packaging/windows/build-qt.sh")"
    cmake -S "$ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/packaging/windows/mingw-w64.cmake" \
        -DQUORLEX_QT_PREFIX="$qt" -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake "$@" >/dev/null
}
