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

# The web page: emscripten's em++ (with its Node tools), Debian's Liberation Sans and the font
# tools that cut it down (python3-brotli for WOFF2), esbuild to minify its scripts. Its tests: Debian's Chromium, driven by
# playwright-core from npm (package-lock.json).
KW_WEB_PACKAGES=(cmake make emscripten fonts-liberation2 python3-fonttools python3-brotli esbuild)
KW_WEB_TEST_PACKAGES=(chromium)

# Node and npm from Debian, unless some are installed already (another node's npm comes with it).
kw_require_node() {
    command -v node >/dev/null || kw_require_packages nodejs
    command -v npm >/dev/null || kw_require_packages npm
}

# The core compiled to WebAssembly in build-wasm/, and the page put together in build-web/.
kw_build_web() {
    # Emscripten's JavaScript tools need Debian's acorn, which another node does not find.
    export NODE_PATH=/usr/share/nodejs
    emcmake cmake -S . -B build-wasm -DCMAKE_BUILD_TYPE=MinSizeRel -DKW_BUILD_UI=OFF \
        -DKW_BUILD_TESTS=OFF -DKW_WEB_OUTPUT="$PWD/build-web"
    cmake --build build-wasm -j"$(nproc)" --target kw_web_page
}

# The test tier's npm packages, as package-lock.json pins them.
kw_npm_ci() {
    if [ ! -f node_modules/.package-lock.json ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
        npm ci --no-audit --no-fund
    fi
}
