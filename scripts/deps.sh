#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages that building, playing and testing need, if any is missing:
# the Build-Depends of debian/control, the one list of what the game's build needs, and the
# tools below, which only the tests, the browser build, the cross builds and the package
# stage use. `deps.sh web`: the Build-Depends and the browser build's tools only.
# As root it runs apt-get; otherwise it prints the lines to run and fails.
set -euo pipefail
cd "$(dirname "$0")/.."

web=(emscripten python3-fonttools esbuild)
tools=(
    python3 libgtest-dev libgmock-dev libbenchmark-dev libsdl1.2-compat
    xvfb xauth xdotool x11-apps imagemagick
    clang libclang-rt-14-dev clang-format shellcheck
    lintian desktop-file-utils appstream man-db
    g++-arm-linux-gnueabi g++-aarch64-linux-gnu qemu-user qemu-user-static binfmt-support
    mmdebstrap patchelf zip unzip jq
    "${web[@]}" chromium python3-websocket
)
# The browsers the web test drives come with what they recommend (fonts, media), as they
# were tried; everything else without.
browsers=(firefox-esr webkit2gtk-driver)
if [[ ${1:-} == web ]]; then
    tools=("${web[@]}")
    browsers=()
fi

# Each apt-get line, as arguments after "apt-get -y": only what is missing is installed,
# nothing already there is upgraded.
steps=(
    "build-dep --no-install-recommends --no-upgrade ./"
    "install --no-install-recommends --no-upgrade ${tools[*]}"
)
((${#browsers[@]} == 0)) || steps+=("install --no-upgrade ${browsers[*]}")

# A step is needed when apt, simulating it, would install anything, or cannot tell (no
# package lists yet).
needed=()
for step in "${steps[@]}"; do
    # shellcheck disable=SC2086 # each step is words for apt-get
    if ! plan=$(apt-get -s -q $step 2>&1) || grep -q '^Inst ' <<<"$plan"; then
        needed+=("$step")
    fi
done
((${#needed[@]} == 0)) && exit 0

if [[ $(id -u) -ne 0 ]]; then
    echo "Missing Debian packages. Run as root, in $PWD:" >&2
    echo "  apt-get update" >&2
    printf '  apt-get -y %s\n' "${needed[@]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
for step in "${needed[@]}"; do
    echo "apt-get -y $step" >&2
    # shellcheck disable=SC2086
    apt-get -y -q -o DPkg::Lock::Timeout=900 $step
done
