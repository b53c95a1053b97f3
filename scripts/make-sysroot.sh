#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the sysroot that the cross builds compile against and that qemu runs the tests in:
# Debian's own ARCH packages (the -dev packages the build uses, and the run-time libraries
# they need down to libc6) unpacked into DIR. The system's package state is never touched:
# apt-get runs on a private state, cache and sources folder (DIR/.apt) with an empty dpkg
# status, and the packages are unpacked with dpkg -x. A finished sysroot is left as it is.
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

# What the build compiles and links against. Only these packages' headers and link files are
# needed; the other -dev packages they depend on (ALSA, PulseAudio, libcaca... for SDL's
# static linking) are left out, their run-time libraries are not.
headers=(
    libsdl1.2-dev libsdl-image1.2-dev libsdl-ttf2.0-dev
    libjpeg62-turbo-dev libpng-dev zlib1g-dev # the images; the menu icon
    libx11-dev x11proto-dev # X11/X.h, which Xlib.h includes
    libgtest-dev
)
# Run-time libraries beyond those the -dev packages name: what every C++ program loads, and
# libatomic, which 64-bit atomics need on ARMv5TE.
runtime=(libc6 libstdc++6 libatomic1)

stamp=$dir/.complete
wanted="$arch: ${headers[*]} + ${runtime[*]}"
if [[ -f $stamp && $(head -n 1 "$stamp") == "$wanted" ]]; then
    echo "sysroot $dir: up to date ($(sed -n 2p "$stamp"))"
    exit 0
fi

# shellcheck source=/dev/null
. /etc/os-release
codename=${VERSION_CODENAME:?no VERSION_CODENAME in /etc/os-release}

# The mirror and keyring of the system's own entry for "$codename", from its deb822 .sources
# files or its classic one-line .list files, printed as "URI KEYRING" (KEYRING may be empty).
systemMirror() {
    local list parts
    eval "$(apt-config shell list Dir::Etc::SourceList/f parts Dir::Etc::SourceParts/d)"
    {
        # Classic: deb [option=value ...] URI SUITE COMPONENT...
        local file
        for file in "$list" "$parts"*.list; do
            [[ -r $file ]] || continue
            cat "$file"
        done | awk -v suite="$codename" '
            { sub(/#.*/, "") }
            $1 != "deb" { next }
            {
                keyring = ""
                if ($2 ~ /^\[/) {
                    while (1) {
                        if ($2 ~ /^\[?signed-by=/) { keyring = $2; sub(/^\[?signed-by=/, "", keyring); sub(/\]$/, "", keyring) }
                        last = ($2 ~ /\]$/); $2 = ""; $0 = $0; if (last) break
                    }
                }
                if ($3 == suite) { print $2, keyring; exit }
            }'
        # deb822: stanzas of Field: value lines, separated by blank lines.
        for file in "$parts"*.sources; do
            [[ -r $file ]] || continue
            awk -v suite="$codename" '
                function flush() {
                    if (types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " suite " ") && enabled != "no") {
                        split(uris, u, " "); print u[1], keyring; found = 1; exit
                    }
                    types = uris = suites = keyring = enabled = ""
                }
                /^#/ { next }
                /^[ \t]*$/ { flush(); next }
                /^[ \t]/ { next }
                {
                    field = tolower($1); sub(/:$/, "", field); value = $0; sub(/^[^:]*:[ \t]*/, "", value)
                    if (field == "types") types = value
                    else if (field == "uris") uris = value
                    else if (field == "suites") suites = value
                    else if (field == "enabled") enabled = tolower(value)
                    else if (field == "signed-by" && value ~ /^\//) keyring = value
                }
                END { if (!found) flush() }' "$file"
        done
    } | head -n 1
}

read -r mirror keyring < <(systemMirror) || true
if [[ -z ${mirror:-} ]]; then
    echo "make-sysroot: no '$codename' entry in the system's apt sources" >&2
    exit 1
fi

start=$SECONDS
work=$dir.partial
rm -rf "$work"
# Nothing half-made stays behind: the sysroot appears only once it is whole.
trap 'rm -rf "$work"' EXIT
apt=$work/.apt
mkdir -p "$apt/debs"
# shellcheck source=scripts/private-apt.sh
source "$repo/scripts/private-apt.sh"
privateAptConf "$apt" "$arch" \
    "deb [arch=$arch${keyring:+ signed-by=$keyring}] $mirror $codename main" >/dev/null
aptGet() { apt-get -c "$apt/apt.conf" -q "$@"; }

echo "make-sysroot: $arch packages of $codename main from the system's mirror"
aptGet update >"$apt/update.log" 2>&1 || {
    cat "$apt/update.log" >&2
    echo "make-sysroot: apt-get update failed" >&2
    exit 1
}

# The run-time libraries the -dev packages name (lib*, not -dev), with what they need in turn
# as apt resolves it against an empty system.
depends=$(apt-cache -c "$apt/apt.conf" depends --no-recommends --no-suggests --no-conflicts \
    --no-breaks --no-replaces --no-enhances "${headers[@]}")
mapfile -t named < <(sed -n 's/^ *|\{0,1\}\(Pre\)\{0,1\}Depends: \(lib[^<>]*\)$/\2/p' \
    <<<"$depends" | grep -v -- '-dev$' | sort -u)
resolved=$(aptGet install -s "${runtime[@]}" "${named[@]}")
mapfile -t closure < <(awk '/^Inst /{ print $2 }' <<<"$resolved")
packages=("${headers[@]}" "${closure[@]}")

(cd "$apt/debs" && aptGet download "${packages[@]}" >"$apt/download.log" 2>&1) || {
    cat "$apt/download.log" >&2
    echo "make-sysroot: apt-get download failed" >&2
    exit 1
}
for deb in "$apt/debs"/*.deb; do
    dpkg-deb -x "$deb" "$work"
done

# Absolute links would lead qemu -L and the linker out of the sysroot into the host's files.
while IFS= read -r -d '' link; do
    target=$(readlink "$link")
    [[ $target == /* ]] || continue
    ln -sfn "$(realpath -s -m --relative-to="$(dirname "$link")" "$work$target")" "$link"
done < <(find "$work" -path "$apt" -prune -o -type l -print0)

count=$(find "$apt/debs" -name '*.deb' | wc -l)
size=$(du -sk "$apt/debs" | cut -f1)
rm -rf "$apt/lists"
{
    echo "$wanted"
    echo "$count packages, $((size / 1024)) MB of .deb files, made in $((SECONDS - start)) s"
} >"$work/.complete"
rm -rf "$dir"
mv "$work" "$dir"
echo "sysroot $dir: $(sed -n 2p "$stamp")"
