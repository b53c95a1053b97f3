#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages that building, playing and testing need, if any is missing;
# `deps.sh web` only those that building the browser's site needs.
# As root it runs apt-get; otherwise it prints the line to run and fails.
set -euo pipefail

web=(
    cmake make g++ pkg-config
    libsdl1.2-dev libsdl-image1.2-dev libsdl-ttf2.0-dev libjpeg-dev libpng-dev fonts-dejavu-core
    emscripten python3-fonttools esbuild
)
packages=(
    cmake make ninja-build g++ pkg-config python3
    libgtest-dev libgmock-dev libbenchmark-dev
    libsdl1.2-dev libsdl1.2-compat libsdl-image1.2-dev libsdl-ttf2.0-dev libjpeg-dev libpng-dev
    libx11-dev fonts-dejavu-core
    xvfb xauth xdotool x11-apps imagemagick
    clang libclang-rt-14-dev clang-format shellcheck
    build-essential dpkg-dev debhelper lintian desktop-file-utils appstream man-db
    g++-arm-linux-gnueabi g++-aarch64-linux-gnu qemu-user
    qemu-user-static binfmt-support patchelf zip unzip jq
    "${web[@]}" chromium firefox-esr webkit2gtk-driver python3-websocket
)
# The browsers the web test drives come with what they recommend (fonts, media), as they
# were tried; everything else without.
browsers=(firefox-esr webkit2gtk-driver)
[[ ${1:-} == web ]] && packages=("${web[@]}")

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -ne 0 ]]; then
    echo "Missing Debian packages. Run as root:" >&2
    echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
    exit 1
fi
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
plain=() withRecommends=()
for package in "${missing[@]}"; do
    if [[ " ${browsers[*]} " == *" $package "* ]]; then
        withRecommends+=("$package")
    else
        plain+=("$package")
    fi
done
((${#plain[@]} == 0)) || apt-get install -y -q --no-install-recommends "${plain[@]}"
((${#withRecommends[@]} == 0)) || apt-get install -y -q "${withRecommends[@]}"
