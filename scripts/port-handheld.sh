#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the PortMaster port for 64-bit ARM handhelds, build-port/gemlets.zip. Their firmware
# has glibc 2.31 and SDL2, so everything comes from Debian 11 (bullseye), its GCC 10 cross
# compiler and its arm64 SDL_image 1.2 and SDL_ttf 2.0, but for SDL 1.2: Debian 12's arm64
# sdl12-compat (SDL 1.2 on the firmware's SDL2), brought back to glibc 2.31 (relinkDl). The
# .deb files are downloaded once into a cache folder outside the checkout
# (GEMLETS_PORT_CACHE, else /var/cache/gemlets-port as root, else ~/.cache/gemlets-port) and
# unpacked with dpkg -x; the system's packages stay as they are. The asset generator runs on
# this machine: a native build folder (the first argument, build-assets/ when none) paints
# the images first.
# Usage: scripts/port-handheld.sh [NATIVE_BUILD]
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
native=$(realpath -m "${1:-build-assets}")
out=$repo/build-port
jobs=$(nproc)
mirror=${GEMLETS_PORT_MIRROR:-http://deb.debian.org/debian}
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
if [[ -n ${GEMLETS_PORT_CACHE:-} ]]; then
    cache=$GEMLETS_PORT_CACHE
elif [[ $(id -u) -eq 0 ]]; then
    cache=/var/cache/gemlets-port
else
    cache=${XDG_CACHE_HOME:-$HOME/.cache}/gemlets-port
fi
sysroot=$out/sysroot

fail() {
    echo "port-handheld: $*" >&2
    exit 1
}

# GCC 10 for aarch64 as Debian 11 ships it, for this machine (amd64).
toolchain=(
    g++-10-aarch64-linux-gnu gcc-10-aarch64-linux-gnu cpp-10-aarch64-linux-gnu
    gcc-10-aarch64-linux-gnu-base binutils-aarch64-linux-gnu libgcc-10-dev-arm64-cross
    libstdc++-10-dev-arm64-cross libc6-dev-arm64-cross libc6-arm64-cross
    linux-libc-dev-arm64-cross libgcc-s1-arm64-cross libstdc++6-arm64-cross
    libatomic1-arm64-cross libasan6-arm64-cross liblsan0-arm64-cross libtsan0-arm64-cross
    libubsan1-arm64-cross
)
# What the port bundles, with every library they load (apt resolves the closure), and the
# headers the build needs. libsdl1.2debian comes with them and is left out: sdl12-compat
# takes its place.
bundled=(libsdl-image1.2 libsdl-ttf2.0-0)
headers=(libsdl-image1.2-dev libsdl-ttf2.0-dev)
# SDL 1.2 on SDL2: Debian 12's build, whose only calls beyond glibc 2.31 are dlopen, dlsym
# and dlclose, which moved from libdl into libc in glibc 2.34 (see relinkDl).
compat=(libsdl1.2-compat libsdl1.2-compat-dev)
# A stand-in for the firmware, which the handheld test runs the port on: the C and C++
# libraries, SDL2 2.0.14 with its X11 driver, and libudev, which SDL2 opens to find pads
# (2.0.14 without it crashes in SDL_Quit).
firmware=(libc6 libstdc++6 libsdl2-2.0-0 libudev1)

# shellcheck source=scripts/private-apt.sh
source scripts/private-apt.sh
# aptConf NAME ARCH LINE: a private apt configuration in the cache, printed as its file name.
aptConf() {
    privateAptConf "$cache/apt-$1" "$2" "$3"
}

# fetch SET ARCH SUITE CLOSURE EXACT...: the .deb files of SET in the cache: the packages
# named by CLOSURE (space-separated) with everything they depend on, and the EXACT ones alone.
# Kept while the list is the same; a partial download is never taken for a whole one.
fetch() {
    local set=$1 arch=$2 suite=$3 closure=$4
    shift 4
    local dir=$cache/debs-$set wanted="$suite $arch: $closure + $*"
    [[ -f $dir/.complete && $(cat "$dir/.complete") == "$wanted" ]] && return
    local conf log
    conf=$(aptConf "$set" "$arch" "deb [arch=$arch signed-by=$keyring] $mirror $suite main")
    log=$cache/apt-$set/log
    rm -rf "$dir" "$dir.partial"
    mkdir -p "$dir.partial"
    echo "port-handheld: downloading $set ($suite, $arch) into $dir"
    {
        apt-get -c "$conf" -q update &&
            if [[ -n $closure ]]; then
                # shellcheck disable=SC2086 # a list of package names
                apt-get -c "$conf" -q install --download-only -y $closure &&
                    mv "$cache/apt-$set/archives/"*.deb "$dir.partial/"
            fi &&
            if (($#)); then (cd "$dir.partial" && apt-get -c "$conf" -q download "$@"); fi
    } >"$log" 2>&1 || {
        cat "$log" >&2
        fail "downloading $set from $mirror failed (log: $log)"
    }
    echo "$wanted" >"$dir.partial/.complete"
    mv "$dir.partial" "$dir"
}

scripts/deps.sh
{ mkdir -p "$cache" 2>/dev/null && [[ -w $cache ]]; } || fail "cannot write to the cache folder $cache"
start=$SECONDS
fetch toolchain amd64 bullseye "" "${toolchain[@]}"
fetch arm64 arm64 bullseye "${bundled[*]}" "${headers[@]}"
fetch firmware arm64 bullseye "${firmware[*]}"
fetch compat arm64 bookworm "" "${compat[@]}"
echo "port-handheld: downloads ready in $((SECONDS - start)) s"
mkdir -p "$out"
ln -sfn "$cache" "$out/cache" # the handheld test's stand-in firmware is unpacked from there

# unpack DIR DEB...: the packages' files in DIR, absolute links turned relative so that they
# stay inside it.
unpack() {
    local dir=$1 deb link target
    shift
    for deb in "$@"; do dpkg-deb -x "$deb" "$dir"; done
    while IFS= read -r -d '' link; do
        target=$(readlink "$link")
        [[ $target == /* ]] || continue
        ln -sfn "$(realpath -s -m --relative-to="$(dirname "$link")" "$dir$target")" "$link"
    done < <(find "$dir" -type l -print0)
}

# relinkDl LIBRARY: its dlopen, dlsym and dlclose taken from glibc 2.31's libdl.so.2 (their
# home before 2.34) instead of 2.34's libc.so.6, and the GLIBC_2.34 requirement dropped.
# Refuses a library in which anything still uses GLIBC_2.34.
relinkDl() {
    patchelf --add-needed libdl.so.2 \
        --clear-symbol-version dlopen --clear-symbol-version dlsym \
        --clear-symbol-version dlclose "$1"
    python3 - "$1" <<'PYTHON'
import struct, sys
path = sys.argv[1]
elf = bytearray(open(path, "rb").read())
shoff, = struct.unpack_from("<Q", elf, 0x28)
shentsize, shnum = struct.unpack_from("<HH", elf, 0x3A)
sections = [struct.unpack_from("<IIQQQQIIQQ", elf, shoff + i * shentsize) for i in range(shnum)]
verneed = next(s for s in sections if s[1] == 0x6FFFFFFE)
versym = next(s for s in sections if s[1] == 0x6FFFFFFF)
strings = sections[verneed[6]][4]
name = lambda at: elf[strings + at:elf.index(0, strings + at)].decode()
used = {struct.unpack_from("<H", elf, versym[4] + i)[0] & 0x7FFF for i in range(0, versym[5], 2)}
need = verneed[4]
while True:
    _, count, _, aux, following = struct.unpack_from("<HHIII", elf, need)
    previous, at = None, need + aux
    for _ in range(count):
        _, _, other, vername, step = struct.unpack_from("<IHHII", elf, at)
        if name(vername) == "GLIBC_2.34":
            if other in used:
                sys.exit(f"{path}: still needs GLIBC_2.34")
            if previous is None:
                struct.pack_into("<I", elf, need + 8, aux + step)
            else:
                struct.pack_into("<I", elf, previous + 12, (at - previous + step) if step else 0)
            struct.pack_into("<H", elf, need + 2, count - 1)
        else:
            previous = at
        at += step
    if not following:
        break
    need += following
open(path, "wb").write(elf)
PYTHON
}

# The compiler, glibc 2.31 and the arm64 libraries in one folder, made afresh each time (a few
# seconds), with sdl12-compat where classic SDL 1.2 would be.
start=$SECONDS
made=$(cat "$cache"/debs-{toolchain,arm64,compat}/.complete)
multiarch=$sysroot/usr/lib/aarch64-linux-gnu
if [[ ! -f $sysroot/.complete || $(cat "$sysroot/.complete") != "$made" ]]; then
    rm -rf "$sysroot"
    mkdir -p "$sysroot"
    mapfile -t arm64 < <(find "$cache/debs-arm64" "$cache/debs-compat" -name '*.deb' \
        ! -name 'libsdl1.2debian_*')
    unpack "$sysroot" "$cache/debs-toolchain"/*.deb "${arm64[@]}"
    mv "$multiarch/sdl12-compat/libSDL-1.2.so.1.2."* "$multiarch/libSDL-1.2.so.0"
    rm -r "$multiarch/sdl12-compat"
    relinkDl "$multiarch/libSDL-1.2.so.0"
    # Debian 11's binutils find their own libbfd and libopcodes beside them, not in the system's.
    for tool in "$sysroot/usr/bin/aarch64-linux-gnu-"*; do
        if [[ ! -L $tool ]] && readelf -d "$tool" 2>/dev/null | grep -q 'NEEDED.*-arm64'; then
            patchelf --set-rpath "\$ORIGIN/../lib/x86_64-linux-gnu" "$tool"
        fi
    done
    echo "$made" >"$sysroot/.complete"
fi
echo "port-handheld: sysroot made in $((SECONDS - start)) s"

# The images from a native build; then the game alone, warnings as errors.
start=$SECONDS
[[ -f $native/CMakeCache.txt ]] || cmake -S . -B "$native" -DBUILD_TESTING=OFF
cmake --build "$native" -j "$jobs" --target gemlets_assets gemlets
cmake -S . -B "$out/game" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-handheld.cmake \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
    -DGEMLETS_ASSETS_DIR="$native/run"
cmake --build "$out/game" -j "$jobs" --target gemlets
echo "port-handheld: built in $((SECONDS - start)) s"

# The port: the launcher beside the game's folder, as PortMaster lays ports out.
stage=$out/stage
game=$stage/gemlets
rm -rf "$stage" "$out/gemlets.zip"
mkdir -p "$game/libs.aarch64" "$game/licenses"
cp packaging/portmaster/Gemlets.sh "$stage/"
cp packaging/portmaster/{gemlets.gptk,port.json,README.md,gameinfo.xml} "$game/"
"$sysroot/usr/bin/aarch64-linux-gnu-strip" -o "$game/gemlets" "$out/game/run/gemlets"
run=$out/game/run
cp "$run/font.ttf" "$run/font-LICENSE.txt" "$game/"
cp "$run/test.txt" "$game/test.txt.default"
cp "$out/game/geometry.env" "$game/" # the window's size, which the launcher scales
for image in "$run"/*.jpg; do cp "$image" "$game/"; done
cp LICENSE "$game/licenses/gemlets-LICENSE.txt"
cp "$run/font-LICENSE.txt" "$game/licenses/DejaVuSans-LICENSE.txt"

# Every library the game loads, and those they load in turn, but for what every firmware
# has: glibc, the C++ and GCC runtime, and SDL2, which sdl12-compat opens by name. Each comes
# with the copyright file of the package it came from.
firmwareLibraries=(libc.so.6 libm.so.6 libdl.so.2 libpthread.so.0 librt.so.1 ld-linux-aarch64.so.1
    libstdc++.so.6 libgcc_s.so.1)
declare -A owner
for deb in "$cache/debs-arm64"/*.deb "$cache/debs-compat"/*.deb; do
    package=$(dpkg-deb -f "$deb" Package)
    while read -r path; do owner[${path##*/}]=$package; done < <(dpkg-deb -c "$deb" |
        awk '$6 ~ /\/lib[^/]*\.so\.[0-9]+$/ { print $6 }')
done
queue=("$game/gemlets")
while ((${#queue[@]})); do
    for needed in $(readelf -d "${queue[0]}" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        [[ " ${firmwareLibraries[*]} " == *" $needed "* || -e $game/libs.aarch64/$needed ]] && continue
        found=("$multiarch/$needed" "$sysroot/lib/aarch64-linux-gnu/$needed")
        [[ -e ${found[0]} ]] || found=("${found[@]:1}")
        [[ -e ${found[0]} ]] || fail "$needed, which ${queue[0]##*/} needs, is not in $sysroot"
        cp -L "${found[0]}" "$game/libs.aarch64/"
        queue+=("$game/libs.aarch64/$needed")
        package=${owner[$needed]:-libsdl1.2-compat}
        cp -L "$sysroot/usr/share/doc/$package/copyright" "$game/licenses/$package-copyright.txt"
    done
    queue=("${queue[@]:1}")
done

# The screenshot: the native game on a 640x480 Xvfb with sdl12-compat scaling it as the
# launcher does, a few gemlets on the field, put in the middle of the screen.
shot=$(mktemp -d)
# shellcheck source=drivers/geometry.sh
source drivers/geometry.sh "$native"
fieldRows '*1****' '*12*3*' '012033' '001223' >"$shot/test.txt"
trap 'kill "${xvfbPid:-}" "${player:-}" 2>/dev/null || true; rm -rf "$shot"' EXIT
# shellcheck source=drivers/xvfb.sh
source drivers/xvfb.sh
startXvfb "$shot" -screen 0 640x480x24 -nolisten tcp || fail "no X server for the screenshot"
cp "$native/run/"*.jpg "$native/run/font.ttf" "$native/run/gemlets" "$shot/"
(cd "$shot" && exec env SDL12COMPAT_WINDOW_SCALING=1.25 \
    SDL12COMPAT_SCALE_METHOD=linear \
    LD_LIBRARY_PATH="/usr/lib/$(gcc -print-multiarch)/sdl12-compat" ./gemlets) >/dev/null &
player=$!
window=$(timeout 20 xdotool search --sync --onlyvisible \
    --pid "$player") || fail "the game's window did not appear for the screenshot"
sleep 1.5
import -window "$window" "$shot/window.png"
convert -size 640x480 xc:black "$shot/window.png" -gravity center -composite \
    "$game/screenshot.png"
kill "$player"

(cd "$stage" && zip -q -r -X "$out/gemlets.zip" Gemlets.sh gemlets)
echo "port-handheld: $out/gemlets.zip, $(stat -c %s "$out/gemlets.zip") bytes"
