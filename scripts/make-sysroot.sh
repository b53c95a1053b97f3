#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the sysroot that the cross builds compile against and that qemu runs the tests in:
# Debian's own ARCH packages (the -dev packages the build uses, with everything they depend on
# down to libc6) unpacked into DIR by mmdebstrap, from the Debian suites the system's own apt
# sources name. The system's package state is never touched. A finished sysroot is left as
# it is.
# Usage: scripts/make-sysroot.sh armel|arm64 [DIR]   (DIR: build-sysroot-ARCH in the checkout)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)

arch=${1:-}
case $arch in
armel | arm64) ;;
*)
    echo "usage: $0 armel|arm64 [DIR]" >&2
    exit 2
    ;;
esac
dir=${2:-$repo/build-sysroot-$arch}

# What the build compiles and links against, and the run-time libraries beyond those: what
# every C++ program loads, and libatomic, which 64-bit atomics need on ARMv5TE.
packages=(
    libsdl1.2-dev libsdl-image1.2-dev libsdl-ttf2.0-dev libsdl-mixer1.2-dev
    libsdl2-dev # SDL2's names for its controller layer, which sdl12-compat's SDL2 runs
    libjpeg62-turbo-dev libpng-dev zlib1g-dev # the images; the menu icon
    libx11-dev x11proto-dev # X11/X.h, which Xlib.h includes
    libgtest-dev
    libc6 libstdc++6 libatomic1
)

stamp=$dir/.complete
wanted="$arch: ${packages[*]}"
if [[ -f $stamp && $(head -n 1 "$stamp") == "$wanted" ]]; then
    echo "sysroot $dir: up to date ($(sed -n 2p "$stamp"))"
    exit 0
fi

# shellcheck source=/dev/null
. /etc/os-release
codename=${VERSION_CODENAME:?no VERSION_CODENAME in /etc/os-release}

# The system's entries for the release and its -updates, -security...: apt reads its sources
# (one-line or deb822) and names them, one "deb URI SUITE COMPONENT..." line each.
# shellcheck disable=SC2016 # apt's own $(FIELD) placeholders
format='$(TARGET_OF) $(REPO_URI) $(RELEASE) $(COMPONENT)'
mapfile -t sources < <(apt-get indextargets --no-release-info --format "$format" \
    'Identifier: Packages' | sort -u | awk -v release="$codename" '
        $1 == "deb" && ($3 == release || index($3, release "-") == 1) {
            parts[$2 " " $3] = parts[$2 " " $3] " " $4
        }
        END { for (entry in parts) print "deb " entry parts[entry] }' | sort)
if ((${#sources[@]} == 0)); then
    echo "make-sysroot: no '$codename' entry in the system's apt sources" >&2
    exit 1
fi

start=$SECONDS
work=$dir.partial
rm -rf "$work"
# Nothing half-made stays behind: the sysroot appears only once it is whole.
trap 'rm -rf "$work"' EXIT
echo "make-sysroot: $arch packages from"
printf '  %s\n' "${sources[@]}"
include=$(IFS=,; echo "${packages[*]}")
mmdebstrap --variant=extract --architectures="$arch" --include="$include" \
    "$codename" "$work" "${sources[@]}"

# Absolute links would lead qemu -L and the linker out of the sysroot into the host's files.
while IFS= read -r -d '' link; do
    target=$(readlink "$link")
    [[ $target == /* ]] || continue
    ln -sfn "$(realpath -s -m --relative-to="$(dirname "$link")" "$work$target")" "$link"
done < <(find "$work" -type l -print0)

{
    echo "$wanted"
    echo "$(du -sm "$work" | cut -f1) MB, made in $((SECONDS - start)) s"
} >"$work/.complete"
rm -rf "$dir"
mv "$work" "$dir"
echo "sysroot $dir: $(sed -n 2p "$stamp")"
