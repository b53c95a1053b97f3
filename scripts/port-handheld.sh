#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the PortMaster port for ARM handhelds, build-port/gemlets.zip, with one build of the
# game for each processor PortMaster names: aarch64 (64-bit) and armhf (32-bit). Their firmware
# has glibc 2.31 and SDL2, so everything comes from Debian 11 (bullseye): its GCC 10 cross
# compilers, its SDL_ttf 2.0, and FreeType built from its source package without the
# compression and PNG libraries Debian links it against; the game's JPEG images are read by our
# own IMG_Load (packaging/portmaster/jpeg_image.c) on Debian 11's libjpeg, as Debian's SDL_image
# brings TIFF, WebP and PNG with their libraries. SDL_mixer 1.2 is built from Debian's source
# package for WAV sounds alone, every music format and decoder off, as Debian's brings FluidSynth
# and four decoders. SDL 1.2 is Debian 12's sdl12-compat (SDL 1.2 on the firmware's SDL2), brought
# back to glibc 2.31 (relinkDl). Debian's packages are downloaded
# once with apt into a cache folder outside the checkout (GEMLETS_PORT_CACHE, else
# /var/cache/gemlets-port as root, else ~/.cache/gemlets-port) and unpacked with dpkg-deb -x or
# dpkg-source; the system's packages stay as they are. The asset generator runs on this
# machine: a native build folder (the first argument, build-assets/ when none) paints the
# images first. port.json's arch and min_glibc are what the zip's programs and libraries need,
# read from them. The steps are the functions that main, at the bottom, calls in order.
# Usage: scripts/port-handheld.sh [NATIVE_BUILD]
set -euo pipefail
shopt -s inherit_errexit # a failure in a function run for its output stops the script too
cd "$(dirname "$0")/.."
repo=$PWD
native=$(realpath -m "${1:-build-assets}")
out=$repo/build-port
stage=$out/stage # the zip's tree: the launcher beside the game's folder
game=$stage/gemlets
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

# PortMaster's names for the processors, Debian's, and the GNU triplets.
arches=(aarch64 armhf)
declare -A debian=([aarch64]=arm64 [armhf]=armhf)
declare -A triplet=([aarch64]=aarch64-linux-gnu [armhf]=arm-linux-gnueabihf)
# What the port bundles, with every library they load (apt resolves the closure), and the
# headers the build needs (SDL2's for the names of its controller layer, which the game starts
# in the firmware's SDL2). libsdl1.2debian comes with them and is left out: sdl12-compat
# takes its place.
bundled="libsdl-ttf2.0-0 libjpeg62-turbo"
headers=(libsdl-image1.2-dev libsdl-ttf2.0-dev libjpeg62-turbo-dev libsdl2-dev)
# SDL 1.2 on SDL2: Debian 12's build, whose only calls beyond glibc 2.31 are dlopen, dlsym
# and dlclose, which moved from libdl into libc in glibc 2.34 (see relinkDl).
compat=(libsdl1.2-compat libsdl1.2-compat-dev)
# A stand-in for the firmware, which the handheld test runs the port on: the C and C++
# libraries, SDL2 2.0.14 with its X11 driver, and libudev, which SDL2 opens to find pads
# (2.0.14 without it crashes in SDL_Quit).
firmware="libc6 libstdc++6 libsdl2-2.0-0 libudev1"
# FreeType for TrueType fonts alone: its TrueType driver, hinters and renderers. Its own
# ftmodule.h lists them, and the linker leaves out those it does not list.
freetypeModules=(
    "FT_Module_Class, autofit_module_class" "FT_Driver_ClassRec, tt_driver_class"
    "FT_Module_Class, psnames_module_class" "FT_Renderer_Class, ft_raster1_renderer_class"
    "FT_Module_Class, sfnt_module_class" "FT_Renderer_Class, ft_smooth_renderer_class")
# SDL_mixer for WAV sounds alone: no music of any format, so no decoder nor anything it loads
# but SDL. Debian 11's source package of it is not on the mirror; Debian 12's is the same
# upstream release, 1.2.12, the same tarball, with Debian's patches, none of which touches the
# WAV code.
mixerSuite=bookworm
mixerOptions=(--disable-static --disable-sdltest --disable-smpegtest
    --disable-music-{cmd,wave,mod,mod-modplug,midi,ogg,flac,mp3,mp3-mad-gpl})
# Each bundled part's licence, LICENSE.<part>.txt, and the part each library belongs to.
declare -A part=([libSDL-1.2.so.0]=sdl12-compat [libSDL_ttf-2.0.so.0]=SDL_ttf
    [libfreetype.so.6]=FreeType [libSDL_image-1.2.so.0]=gemlets [libSDL_mixer-1.2.so.0]=SDL_mixer)
# What every firmware has, which the port does not bundle: glibc, the C++ and GCC runtime (and
# SDL2, which sdl12-compat opens by name).
firmwareLibraries=" libc.so.6 libm.so.6 libdl.so.2 libpthread.so.0 librt.so.1 libstdc++.so.6 "
firmwareLibraries+="libgcc_s.so.1 "
# The screenshot's scratch folder, X server and game, ended at exit.
shot="" xvfbPid="" player=""

# shellcheck source=scripts/private-apt.sh
source scripts/private-apt.sh
# shellcheck source=drivers/xvfb.sh
source drivers/xvfb.sh

fail() {
    echo "port-handheld: $*" >&2
    exit 1
}

cleanUp() {
    kill "$xvfbPid" "$player" 2>/dev/null || true
    [[ -z $shot ]] || rm -rf "$shot"
}

# toolchain ARCH: GCC 10 for ARCH as Debian 11 ships it, for this machine (amd64).
toolchain() {
    local gnu=${triplet[$1]} cross=${debian[$1]}-cross
    echo "g++-10-$gnu gcc-10-$gnu cpp-10-$gnu gcc-10-$gnu-base binutils-$gnu libgcc-10-dev-$cross" \
        "libstdc++-10-dev-$cross libc6-dev-$cross libc6-$cross linux-libc-dev-$cross" \
        "libgcc-s1-$cross libstdc++6-$cross libatomic1-$cross libasan6-$cross libubsan1-$cross"
}

# fetch SET ARCH LINE WANTED COMMAND ARG...: COMMAND CONF ARG... run in the folder $cache/SET
# with CONF a private apt configuration (of ARCH, with the sources line LINE), once: kept while
# WANTED is the same. A partial download is never taken for a whole one.
fetch() {
    local set=$1 arch=$2 line=$3 wanted=$4 conf log dir=$cache/$1
    shift 4
    [[ -f $dir/.complete && $(cat "$dir/.complete") == "$wanted" ]] && return
    conf=$(privateAptConf "$cache/apt-$set" "$arch" "$line")
    log=$cache/apt-$set/log
    rm -rf "$dir" "$dir.partial"
    mkdir -p "$dir.partial"
    echo "port-handheld: downloading $set into $dir"
    (cd "$dir.partial" && apt-get -c "$conf" -q update && "$1" "$conf" "${@:2}") >"$log" 2>&1 || {
        cat "$log" >&2
        fail "downloading $set from $mirror failed (log: $log)"
    }
    echo "$wanted" >"$dir.partial/.complete"
    mv "$dir.partial" "$dir"
}

# downloadDebs CONF CLOSURE EXACT...: into the current folder, the .deb files of the packages
# named by CLOSURE (space-separated) with everything they depend on, and the EXACT ones alone.
downloadDebs() {
    local conf=$1 closure=$2
    shift 2
    if [[ -n $closure ]]; then
        # shellcheck disable=SC2086 # a list of package names
        apt-get -c "$conf" -q install --download-only -y $closure &&
            mv "$(dirname "$conf")/archives/"*.deb . || return
    fi
    if (($#)); then apt-get -c "$conf" -q download "$@"; fi
}

# debs SET ARCH SUITE CLOSURE EXACT...: downloadDebs into $cache/debs-SET, from SUITE for ARCH.
debs() {
    local set=$1 arch=$2 suite=$3 closure=$4
    shift 4
    fetch "debs-$set" "$arch" "deb [arch=$arch signed-by=$keyring] $mirror $suite main" \
        "$suite $arch: $closure + $*" downloadDebs "$closure" "$@"
}

# downloadSource CONF PACKAGE: Debian's source of PACKAGE, unpacked with its patches.
downloadSource() {
    apt-get -c "$1" -q source "$2"
}

# sourcePackage PACKAGE SUITE: downloadSource into $cache/source-PACKAGE, from SUITE.
sourcePackage() {
    fetch "source-$1" amd64 "deb-src [signed-by=$keyring] $mirror $2 main" "$2: $1" \
        downloadSource "$1"
}

# Every download the port needs: FreeType's and SDL_mixer's sources, and for each processor its
# compiler, the bundled libraries with their headers, the stand-in firmware and sdl12-compat.
downloadAll() {
    local start=$SECONDS arch
    { mkdir -p "$cache" 2>/dev/null && [[ -w $cache ]]; } || fail "cannot write to the cache folder $cache"
    sourcePackage freetype bullseye
    sourcePackage sdl-mixer1.2 "$mixerSuite"
    for arch in "${arches[@]}"; do
        # shellcheck disable=SC2046 # a list of package names
        debs "toolchain-$arch" amd64 bullseye "" $(toolchain "$arch")
        debs "libs-$arch" "${debian[$arch]}" bullseye "$bundled" "${headers[@]}"
        debs "firmware-$arch" "${debian[$arch]}" bullseye "$firmware"
        debs "compat-$arch" "${debian[$arch]}" bookworm "" "${compat[@]}"
    done
    echo "port-handheld: downloads ready in $((SECONDS - start)) s"
    mkdir -p "$out"
    ln -sfn "$cache" "$out/cache" # the handheld test's stand-in firmware is unpacked from there
}

# unpackedSource PACKAGE FOLDER FILE: the folder of PACKAGE's unpacked source, FOLDER-*, which
# holds FILE.
unpackedSource() {
    local source
    source=$(find "$cache/source-$1" -mindepth 1 -maxdepth 1 -type d -name "$2-*")
    [[ -f $source/$3 ]] || fail "no $1 source in $cache/source-$1"
    echo "$source"
}

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
    scripts/drop-version-need.py "$1" GLIBC_2.34
}

# unpackSysroot ARCH: the compiler, glibc 2.31 and the libraries for ARCH unpacked into
# build-port/sysroot-ARCH, sdl12-compat where classic SDL 1.2 would be.
unpackSysroot() {
    local arch=$1 gnu=${triplet[$1]} sysroot=$out/sysroot-$1 packages tool
    local lib=$sysroot/usr/lib/$gnu
    mkdir -p "$sysroot"
    mapfile -t packages < <(find "$cache/debs-libs-$arch" "$cache/debs-compat-$arch" -name '*.deb' \
        ! -name 'libsdl1.2debian_*')
    unpack "$sysroot" "$cache/debs-toolchain-$arch"/*.deb "${packages[@]}"
    mv "$lib/sdl12-compat/libSDL-1.2.so.1.2."* "$lib/libSDL-1.2.so.0"
    rm -r "$lib/sdl12-compat"
    relinkDl "$lib/libSDL-1.2.so.0"
    # Debian 11's binutils find their own libbfd and libopcodes beside them, not in the system's.
    for tool in "$sysroot/usr/bin/$gnu-"*; do
        if [[ ! -L $tool ]] && grep -q "NEEDED.*-${debian[$arch]}" <<<"$(readelf -d "$tool" 2>/dev/null)"; then
            patchelf --set-rpath "\$ORIGIN/../lib/x86_64-linux-gnu" "$tool"
        fi
    done
}

# buildFreetype ARCH SOURCE: FreeType for ARCH from SOURCE, with freetypeModules alone and no
# other font formats, and no zlib, bzip2, PNG, HarfBuzz or Brotli, in $cache/freetype-ARCH:
# built once for each compiler and source, and kept in the cache.
buildFreetype() {
    local arch=$1 source=$2 gnu=${triplet[$1]} built=$cache/freetype-$1 work=$out/freetype-$1 recipe
    recipe="$(cat "$cache/debs-toolchain-$arch/.complete" "$cache/source-freetype/.complete")
${freetypeModules[*]}"
    [[ -f $built/.complete && $(cat "$built/.complete") == "$recipe" ]] && return
    rm -rf "$built" "$work"
    mkdir -p "$work/include/freetype/config"
    printf 'FT_USE_MODULE( %s )\n' "${freetypeModules[@]}" >"$work/include/freetype/config/ftmodule.h"
    cmake -S "$source" -B "$work" -DGEMLETS_HANDHELD_ARCH="$arch" \
        -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-handheld.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
        -DCMAKE_C_FLAGS="-ffunction-sections -fdata-sections" \
        -DCMAKE_SHARED_LINKER_FLAGS=-Wl,--gc-sections \
        -DCMAKE_DISABLE_FIND_PACKAGE_{ZLIB,BZip2,PNG,HarfBuzz,BrotliDec}=TRUE >/dev/null
    cmake --build "$work" -j "$jobs" >/dev/null
    mkdir -p "$built"
    "$out/sysroot-$arch/usr/bin/$gnu-strip" -o "$built/libfreetype.so.6" "$work/libfreetype.so.6"
    echo "$recipe" >"$built/.complete"
}

# buildMixer ARCH SOURCE: SDL_mixer for ARCH from SOURCE with mixerOptions, against the
# sysroot's sdl12-compat, in $cache/sdl-mixer-ARCH: the library stripped, its header and its
# pkg-config file, built once for each compiler, sdl12-compat and source, and kept in the cache.
buildMixer() {
    local arch=$1 source=$2 gnu=${triplet[$1]} built=$cache/sdl-mixer-$1 work=$out/sdl-mixer-$1
    local sysroot=$out/sysroot-$1 recipe
    recipe="$(cat "$cache"/{debs-toolchain,debs-compat}-"$arch"/.complete \
        "$cache/source-sdl-mixer1.2/.complete")
${mixerOptions[*]}"
    [[ -f $built/.complete && $(cat "$built/.complete") == "$recipe" ]] && return
    rm -rf "$built" "$work"
    cp -r "$source" "$work"
    # Its config.sub of 2012 knows no aarch64: autotools-dev's (debhelper brings it) does.
    cp /usr/share/misc/config.{sub,guess} "$work/build-scripts/"
    (cd "$work" && PKG_CONFIG_LIBDIR=$sysroot/usr/lib/$gnu/pkgconfig PKG_CONFIG_SYSROOT_DIR=$sysroot \
        ./configure --host="$gnu" --prefix=/usr --libdir="/usr/lib/$gnu" "${mixerOptions[@]}" \
        CC="$sysroot/usr/bin/$gnu-gcc-10 --sysroot=$sysroot" \
        CFLAGS="-O2 -ffunction-sections -fdata-sections" LDFLAGS=-Wl,--gc-sections &&
        make -j "$jobs" && make install DESTDIR="$work/installed") >"$work.log" 2>&1 ||
        { tail -n 30 "$work.log" >&2; fail "building SDL_mixer for $arch failed (log: $work.log)"; }
    mkdir -p "$built"
    "$sysroot/usr/bin/$gnu-strip" -o "$built/libSDL_mixer-1.2.so.0" \
        "$work/installed/usr/lib/$gnu/libSDL_mixer-1.2.so.0"
    cp "$work/installed/usr/include/SDL/SDL_mixer.h" "$work/installed/usr/lib/$gnu/pkgconfig/SDL_mixer.pc" \
        "$built/"
    echo "$recipe" >"$built/.complete"
}

# makeSysroot ARCH FREETYPE_SOURCE MIXER_SOURCE: build-port/sysroot-ARCH, made afresh when what it
# is made of changes: unpackSysroot's, with FreeType built from Debian's source where Debian's
# would be, and SDL_mixer beside it.
makeSysroot() {
    local arch=$1 sysroot=$out/sysroot-$1 made
    local lib=$sysroot/usr/lib/${triplet[$1]}
    made="$(cat "$cache"/{debs-toolchain,debs-libs,debs-compat}-"$arch"/.complete \
        "$cache"/source-{freetype,sdl-mixer1.2}/.complete scripts/drop-version-need.py)
${mixerOptions[*]}"
    [[ -f $sysroot/.complete && $(cat "$sysroot/.complete") == "$made" ]] && return
    rm -rf "$sysroot"
    unpackSysroot "$arch"
    rm -f "$lib"/libfreetype.so* "$lib"/libSDL_image*
    buildFreetype "$arch" "$2"
    cp "$cache/freetype-$arch/libfreetype.so.6" "$lib/"
    buildMixer "$arch" "$3"
    cp "$cache/sdl-mixer-$arch/libSDL_mixer-1.2.so.0" "$lib/"
    ln -s libSDL_mixer-1.2.so.0 "$lib/libSDL_mixer.so"
    cp "$cache/sdl-mixer-$arch/SDL_mixer.h" "$sysroot/usr/include/SDL/"
    cp "$cache/sdl-mixer-$arch/SDL_mixer.pc" "$lib/pkgconfig/"
    echo "$made" >"$sysroot/.complete"
}

# The images from the native build, which the game's builds for the handhelds take.
buildAssets() {
    [[ -f $native/CMakeCache.txt ]] || cmake -S . -B "$native" -DBUILD_TESTING=OFF
    cmake --build "$native" -j "$jobs" --target gemlets_assets gemlets
}

# buildImageLoader ARCH: our IMG_Load as ARCH's libSDL_image, with the decoding half of
# libjpeg linked in and the rest left out.
buildImageLoader() {
    local gnu=${triplet[$1]} sysroot=$out/sysroot-$1
    "$sysroot/usr/bin/$gnu-gcc-10" --sysroot="$sysroot" -std=c11 -O2 -Wall -Wextra -Werror -fPIC \
        -shared -s -Wl,-soname,libSDL_image-1.2.so.0 -Wl,-z,defs -Wl,--gc-sections \
        -Wl,--exclude-libs,ALL -I"$sysroot/usr/include/SDL" \
        -o "$sysroot/usr/lib/$gnu/libSDL_image-1.2.so.0" packaging/portmaster/jpeg_image.c \
        -l:libjpeg.a -lSDL
    ln -sfn libSDL_image-1.2.so.0 "$sysroot/usr/lib/$gnu/libSDL_image.so"
}

# buildGame ARCH: the game alone for ARCH in build-port/game-ARCH, warnings as errors.
buildGame() {
    cmake -S . -B "$out/game-$1" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-handheld.cmake \
        -DGEMLETS_HANDHELD_ARCH="$1" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
        -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DGEMLETS_ASSETS_DIR="$native/run" >/dev/null
    cmake --build "$out/game-$1" -j "$jobs" --target gemlets
}

# buildArch ARCH FREETYPE_SOURCE MIXER_SOURCE: the sysroot, our IMG_Load and the game, for ARCH.
buildArch() {
    local start=$SECONDS
    makeSysroot "$1" "$2" "$3"
    buildImageLoader "$1"
    buildGame "$1"
    echo "port-handheld: $1 built in $((SECONDS - start)) s"
}

# stageFiles FREETYPE_SOURCE MIXER_SOURCE: the launcher, the game's data and every part's licence
# in the zip's tree, made afresh.
stageFiles() {
    local run=$out/game-${arches[0]}/run docs=$out/sysroot-${arches[0]}/usr/share/doc
    rm -rf "$stage" "$out/gemlets.zip"
    mkdir -p "$game/licenses"
    cp packaging/portmaster/Gemlets.sh "$stage/"
    cp packaging/portmaster/{gemlets.gptk,README.md,gameinfo.xml} "$run/font.ttf" "$run"/*.jpg \
        "$run"/*.wav "$game/"
    cp "$run/test.txt" "$game/test.txt.default"
    cp LICENSE "$game/licenses/LICENSE.gemlets.txt"
    cp "$run/font-LICENSE.txt" "$game/licenses/LICENSE.DejaVuSans.txt"
    cp -L "$docs/libsdl1.2-compat/copyright" "$game/licenses/LICENSE.sdl12-compat.txt"
    cp -L "$docs/libsdl-ttf2.0-0/copyright" "$game/licenses/LICENSE.SDL_ttf.txt"
    cp "$1/debian/copyright" "$game/licenses/LICENSE.FreeType.txt"
    cp "$2/debian/copyright" "$game/licenses/LICENSE.SDL_mixer.txt"
    cp -L "$docs/libjpeg62-turbo/copyright" "$game/licenses/LICENSE.libjpeg-turbo.txt"
    cp "$out/game-${arches[0]}/geometry.env" "$game/" # the window's size, which the launcher scales
}

# bundleLibraries ARCH: ARCH's game, stripped, with every library it loads and those they load
# in turn, but for firmwareLibraries; a library of no known part is refused.
bundleLibraries() {
    local gnu=${triplet[$1]} sysroot=$out/sysroot-$1 libs=$game/libs.$1 queue needed
    mkdir "$libs"
    "$sysroot/usr/bin/$gnu-strip" -o "$game/gemlets.$1" "$out/game-$1/run/gemlets"
    queue=("$game/gemlets.$1")
    while ((${#queue[@]})); do
        for needed in $(readelf -d "${queue[0]}" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
            [[ $firmwareLibraries == *" $needed "* || $needed == ld-linux* || -e $libs/$needed ]] &&
                continue
            [[ -n ${part[$needed]:-} ]] ||
                fail "$needed, which ${queue[0]##*/} needs, is of no known part"
            cp -L "$sysroot/usr/lib/$gnu/$needed" "$libs/" ||
                fail "$needed, which ${queue[0]##*/} needs, is not in $sysroot"
            queue+=("$libs/$needed")
        done
        queue=("${queue[@]:1}")
    done
}

# The oldest glibc that runs every program and library in the zip: the highest GLIBC_ version
# any of them needs.
neededGlibc() {
    local elves=() file glibc
    while IFS= read -r -d '' file; do
        if readelf -h "$file" >/dev/null 2>&1; then elves+=("$file"); fi
    done < <(find "$game" -type f -print0)
    glibc=$(readelf -V --wide "${elves[@]}" | grep -o 'Name: GLIBC_[0-9.]*' | sort -V | tail -n 1)
    glibc=${glibc#Name: }
    [[ -n $glibc ]] || fail "no GLIBC_ version needed by ${elves[*]}"
    echo "$glibc"
}

# writePortJson GLIBC: port.json, naming the processors built for and GLIBC; its description
# must be gameinfo.xml's.
writePortJson() {
    local desc
    jq --arg glibc "${1#GLIBC_}" '.attr.arch = $ARGS.positional | .attr.min_glibc = $glibc' \
        --args "${arches[@]}" <packaging/portmaster/port.json >"$game/port.json"
    desc=$(sed -n 's:.*<desc>\(.*\)</desc>.*:\1:p' "$game/gameinfo.xml")
    [[ $desc == $(jq -r .attr.desc "$game/port.json") ]] ||
        fail "gameinfo.xml's desc is not port.json's"
}

# The screenshot: the native game on a 640x480 Xvfb with sdl12-compat scaling it as the
# launcher does, a few gemlets on the field, put in the middle of the screen.
takeScreenshot() {
    local window
    shot=$(mktemp -d)
    # shellcheck source=drivers/geometry.sh
    source drivers/geometry.sh "$native"
    fieldRows '*1****' '*12*3*' '012033' '001223' >"$shot/test.txt"
    startXvfb "$shot" -screen 0 640x480x24 -nolisten tcp || fail "no X server for the screenshot"
    cp "$native/run/"*.{jpg,wav} "$native/run/font.ttf" "$native/run/gemlets" "$shot/"
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
}

# zipPort GLIBC: build-port/gemlets.zip from the zip's tree.
zipPort() {
    (cd "$stage" && zip -q -r -X "$out/gemlets.zip" Gemlets.sh gemlets)
    local arch
    for arch in "${arches[@]}"; do
        echo "port-handheld: libs.$arch: $(cd "$game/libs.$arch" && stat -c '%n %s bytes' -- * |
            paste -sd, | sed 's/,/, /g')"
    done
    echo "port-handheld: $out/gemlets.zip, $(stat -c %s "$out/gemlets.zip") bytes; needs $1"
}

main() {
    local freetype mixer arch glibc
    scripts/deps.sh
    downloadAll
    freetype=$(unpackedSource freetype freetype CMakeLists.txt)
    mixer=$(unpackedSource sdl-mixer1.2 sdl-mixer1.2 configure)
    buildAssets
    for arch in "${arches[@]}"; do buildArch "$arch" "$freetype" "$mixer"; done
    stageFiles "$freetype" "$mixer"
    for arch in "${arches[@]}"; do bundleLibraries "$arch"; done
    glibc=$(neededGlibc)
    writePortJson "$glibc"
    trap cleanUp EXIT
    takeScreenshot
    zipPort "$glibc"
}

main
