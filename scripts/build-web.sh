#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the browser's site into build-web/site/. Its images are made by the asset generator,
# which runs on this machine: a native build folder (the first argument, build-assets/ when
# none, configured without tests when new) makes them first.
set -euo pipefail
cd "$(dirname "$0")/.."
native=${1:-build-assets}
jobs=$(nproc)

# Debian's emscripten finds its JavaScript modules (acorn) only through NODE_PATH.
export NODE_PATH=/usr/share/nodejs
[[ -f $native/CMakeCache.txt ]] || cmake -S . -B "$native" -DBUILD_TESTING=OFF
cmake --build "$native" -j "$jobs" --target gemlets_assets
emcmake cmake -S . -B build-web -DGEMLETS_ASSETS_DIR="$PWD/$native/run"
cmake --build build-web -j "$jobs"
