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

# What cross-building for Windows and running the result under wine needs: mingw-w64 (the
# compiler's win32 thread model, as the program starts no thread), and wine with what the
# end-to-end driver uses; osslsigncode and openssl sign the release (and a throw-away certificate
# for the test of signing).
WINDOWS_PACKAGES=(cmake ninja-build python3 g++-mingw-w64-x86-64-win32 unzip wine wine64
    fonts-wine locales xvfb xdotool xclip python3-xlib osslsigncode openssl)

# Configures a Windows build into the folder $1; further arguments go to cmake.
configure_windows() {
    local build="$1"
    shift
    cmake -S "$ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/packaging/windows/mingw-w64.cmake" "$@" >/dev/null
}
