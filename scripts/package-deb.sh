#!/usr/bin/env bash
# Builds the Debian package tunelark_VERSION_amd64.deb in the release tree
# (build/release) and prints its path. Its dependencies are the packages of
# the libraries the program is linked with (dpkg-shlibdeps).
#   bash scripts/package-deb.sh
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target tunelark >/dev/null
cd build/release
cpack -G DEB | sed -n 's|^CPack: - package: \(.*\) generated\.$|\1|p'
