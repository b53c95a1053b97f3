#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The play command: installs what is missing, builds into build/, and starts the game from
# build/run, where the executable sits beside its assets, paced at 60 frames a second and as
# large as fits the screen, as the menu entry starts it. The game needs an X display, so without one it stops before doing any
# work.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ -z ${DISPLAY:-} ]]; then
    echo "No X display: set DISPLAY or run it in a desktop session" >&2
    exit 1
fi

scripts/deps.sh
cmake -S . -B build
cmake --build build -j"$(nproc)"
cd build/run
exec ./gemlets --frame-rate 60 --scale fit
