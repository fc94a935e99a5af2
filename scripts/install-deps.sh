#!/usr/bin/env bash
# install-deps.sh: installs everything that building and testing Larkspan
# needs on Debian 12, from Debian's archive only. Idempotent: when every
# package is already installed it returns at once without touching apt.
# Needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ python3 # native build and the test runners
    googletest                    # GoogleTest sources, /usr/src/googletest
    clang-14 libclang-rt-14-dev   # fuzz preset (libFuzzer runtime)
    g++-mingw-w64-x86-64-posix    # windows preset (cross compiler, posix threads)
    wine wine64 fonts-wine        # runs the Windows tests
    xvfb xauth x11-utils xdotool  # a display for Wine, xdpyinfo, input
    imagemagick librsvg2-bin      # screenshots (import), SVG icon sources
    fonts-wqy-microhei fonts-symbola  # Chinese and emoji in Wine's screenshots
    nsis                          # the installer (scripts/release.sh)
)

installed() {
    [[ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" == installed ]]
}

missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
((${#missing[@]} == 0)) && exit 0

as_root=()
if ((EUID != 0)); then
    if command -v sudo >/dev/null; then
        as_root=(sudo)
    else
        echo "install-deps: missing ${missing[*]}; run as root to install them" >&2
        exit 1
    fi
fi

echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq >/dev/null
# Recommends stay on: Wine relies on its recommended libraries (XRandR,
# XRender, fonts) for screen metrics and drawing.
"${as_root[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
for p in "${missing[@]}"; do
    installed "$p" || { echo "install-deps: $p did not install" >&2; exit 1; }
done
