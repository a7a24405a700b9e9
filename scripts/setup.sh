#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need (only
# those missing), then configures and builds the given preset (default: debug).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libgl-dev libx11-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth x11-utils xdotool openbox imagemagick
    fonts-ipafont-gothic
    dbus playerctl desktop-file-utils appstream dpkg-dev
)
bash scripts/install-packages.sh "${packages[@]}"

preset="${1:-debug}"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
