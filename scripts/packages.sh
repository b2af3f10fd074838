# Installs the Debian packages named as arguments that are not installed yet.
# Sourced by run.sh and test.sh; uses sudo when not root.
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
