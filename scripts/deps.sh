# Sourced by the scripts: installs the Debian packages the build and tests need.
# As root they are installed with apt-get; otherwise the one command to run is printed.

kw_require_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
    else
        echo "Missing packages. Run:"
        echo "  sudo apt-get install -y ${missing[*]}"
        exit 1
    fi
}

# The desktop tier of the tests runs the program under Xvfb, with and without openbox,
# driven by xdotool, read with xprop/xwininfo (x11-utils), wmctrl and ImageMagick's import.
# The packaging tests: the Debian package (CPack with dpkg-shlibdeps, which needs file)
# checked by lintian; the staged install seen by the freedesktop tools (xdg-mime asks gio).
KW_PACKAGING_TEST_PACKAGES=(dpkg-dev file lintian desktop-file-utils appstream xdg-utils
    shared-mime-info libglib2.0-bin)
KW_BUILD_PACKAGES=(cmake g++ make qt6-base-dev libgl-dev libxcb1-dev libgtest-dev
    fonts-dejavu-core fonts-liberation2 strace
    xvfb openbox xdotool x11-utils wmctrl imagemagick
    "${KW_PACKAGING_TEST_PACKAGES[@]}")

kw_build() {
    local build_dir="$1"
    shift
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$build_dir" -j"$(nproc)"
}
