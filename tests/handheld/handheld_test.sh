#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The handheld stage: builds the port (scripts/port-handheld.sh), checks the zip's layout and
# the symbol versions of everything in it, and plays it as a handheld would: a Debian 11 arm64
# root (glibc 2.31, SDL2 2.0.14) under qemu-aarch64 through binfmt_misc, the launcher run with
# a stand-in PortMaster (control.txt and gptokeyb) and SDL2's X11 driver on Xvfb for a screen.
# A prepared chain's trace must equal the native game's byte for byte.
# Usage: tests/handheld/handheld_test.sh [NATIVE_BUILD]   (build/ when none)
set -euo pipefail
cd "$(dirname "$0")/../.."
native=$(realpath "${1:-build}")
scripts/port-handheld.sh "$native"
zip=$PWD/build-port/gemlets.zip tmp=$(mktemp -d /tmp/gemlets-handheld.XXXXXX)
trap 'kill $(jobs -p) 2>/dev/null || true; wait; rm -rf "$tmp"' EXIT
fail() {
    echo "handheld: FAIL: $*" >&2
    exit 1
}
# shellcheck source=drivers/xvfb.sh
source drivers/xvfb.sh
chain=('******' '******' '******' '******' '******' '******' '******' '******' '****0*' '****30'
    '**3*30' '**0*20')

# Layout: PortMaster's, the player's field file left out of the zip so that an update keeps it.
unzip -q "$zip" -d "$tmp/ports"
game=$tmp/ports/gemlets
for file in Gemlets.sh gemlets/{gemlets,gemlets.gptk,port.json,README.md,gameinfo.xml} \
    gemlets/{screenshot.png,font.ttf,font-LICENSE.txt,test.txt.default,gameover.jpg} \
    gemlets/gemlet_{blue,red,green,yellow}.jpg gemlets/libs.aarch64/libSDL{-1.2,_image-1.2}.so.0 \
    gemlets/libs.aarch64/libSDL_ttf-2.0.so.0 gemlets/licenses/{gemlets,DejaVuSans}-LICENSE.txt; do
    [[ -s $tmp/ports/$file ]] || fail "the zip holds no $file"
done
[[ -x $tmp/ports/Gemlets.sh && ! -e $game/test.txt ]] || fail "launcher not executable, or a test.txt"
for package in libsdl1.2-compat libsdl-image1.2 libsdl-ttf2.0-0 zlib1g; do
    [[ -s $game/licenses/$package-copyright.txt ]] || fail "no licence of $package"
done
[[ $(identify -format %wx%h "$game/screenshot.png") == 640x480 ]] || fail "screenshot not 640x480"

# Nothing needs more than glibc 2.31 and GCC 10's libstdc++ (GLIBCXX_3.4.28).
highest() { objdump -T -p "$game/gemlets" "$game"/libs.aarch64/* | grep -o "$1_[0-9.]*" | sort -V | tail -n 1; }
glibc=$(highest GLIBC) glibcxx=$(highest GLIBCXX)
[[ $(printf '%s\n' "$glibc" GLIBC_2.31 | sort -V | tail -n 1) == GLIBC_2.31 ]] || fail "needs $glibc"
[[ $(printf '%s\n' "$glibcxx" GLIBCXX_3.4.28 | sort -V | tail -n 1) == GLIBCXX_3.4.28 ]] ||
    fail "needs $glibcxx"

# The stand-in firmware, and binfmt_misc running its aarch64 programs through qemu.
mkdir "$tmp/root"
for deb in build-port/cache/debs-firmware/*.deb; do dpkg-deb -x "$deb" "$tmp/root"; done
if [[ ! -f /proc/sys/fs/binfmt_misc/qemu-aarch64 ]]; then
    mountpoint -q /proc/sys/fs/binfmt_misc || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    update-binfmts --enable qemu-aarch64
fi
grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-aarch64 || fail "binfmt_misc does not run aarch64 programs"

startXvfb "$tmp" -screen 0 640x480x24 -nolisten tcp -noreset || fail "no X server"
# play PAD_FIFO COMMAND...: the game that COMMAND starts, its window focused; B then SELECT
# pressed (written to PAD_FIFO for gptokeyb), or Space then Escape when it is "keys".
play() {
    local pad=$1 presses=("b" "back")
    shift
    [[ $pad == keys ]] && presses=(space Escape)
    "$@" >"$tmp/stdout" 2>"$tmp/stderr" &
    local player=$! window
    window=$(timeout 60 xdotool search --sync --onlyvisible --name '^gemlets$') || fail "no window"
    xdotool windowfocus --sync "$window"
    geometry=$(xdotool getwindowgeometry "$window")
    press "${presses[0]}"
    timeout 60 bash -c "until [[ -s $tmp/stdout ]]; do sleep 0.1; done" || fail "no trace"
    press "${presses[1]}"
    timeout 30 tail --pid="$player" -f /dev/null || fail "$* did not end"
    wait "$player" || fail "$* ended with status $?"
}
printf '%s\n' "${chain[@]}" >"$tmp/native.txt"
(cd "$native/run" && mkdir "$tmp/native" && cp ./*.jpg font.ttf gemlets "$tmp/native/")
cp "$tmp/native.txt" "$tmp/native/test.txt"
press() { xdotool key "$1"; }
play keys env -C "$tmp/native" ./gemlets
mv "$tmp/stdout" "$tmp/expected"

# PortMaster's control.txt as far as the launcher reads it, and a gptokeyb that turns each
# button read from the pad into the key gemlets.gptk maps it to.
mkdir -p "$tmp/data/PortMaster" "$tmp/roms"
mv "$tmp/ports" "$tmp/roms/ports"
cat >"$tmp/data/PortMaster/control.txt" <<CONTROL
directory=$tmp/roms ESUDO= GPTOKEYB=$tmp/gptokeyb DISPLAY_WIDTH=640 DISPLAY_HEIGHT=480
CFW_NAME=stand-in DEVICE_ARCH=aarch64
get_controls() { :; }
pm_platform_helper() { :; }
pm_finish() { kill \$(jobs -p); }
CONTROL
cat >"$tmp/gptokeyb" <<'GPTOKEYB'
#!/bin/bash
declare -A keysym=([left]=Left [right]=Right [down]=Down [up]=Up [space]=space [p]=p [esc]=Escape)
[[ $1 == gemlets && $2 == -c && -f $3 ]] || exit 1
while read -r button; do xdotool key "${keysym[$(sed -n "s/^$button = //p" "$3")]}"; done <"$PAD"
GPTOKEYB
chmod +x "$tmp/gptokeyb"
mkfifo "$tmp/pad"
exec 4<>"$tmp/pad"
cp "$tmp/native.txt" "$tmp/roms/ports/gemlets/test.txt"
unzip -q -o "$zip" -d "$tmp/roms/ports" # an update keeps the player's field
press() { echo "$1" >&4; }
PAD=$tmp/pad XDG_DATA_HOME=$tmp/data QEMU_LD_PREFIX=$tmp/root play pad "$tmp/roms/ports/Gemlets.sh"
# The launcher's scaling: the screen's height, the shape kept.
[[ $geometry == *"Geometry: 480x480"* ]] || fail "not 480x480 on a 640x480 screen: $geometry"
cmp -s "$tmp/expected" "$tmp/stdout" || { diff "$tmp/expected" "$tmp/stdout" | head -n 20 >&2; fail "the trace differs"; }
# A replay recorded on the desktop, checked by the port's binary: the recorded output exactly.
replay=tests/replays/desktop-chain.replay
QEMU_LD_PREFIX=$tmp/root LD_LIBRARY_PATH=$tmp/roms/ports/gemlets/libs.aarch64 \
    "$tmp/roms/ports/gemlets/gemlets" --replay "$replay" --check >"$tmp/replayed" ||
    fail "the port's gemlets does not check $replay"
gzip -dc "${replay%.replay}.out.gz" | cmp -s - "$tmp/replayed" || fail "$replay: another output"
echo "handheld: the chain's trace equals the native game's, and $replay checks;" \
    "highest versions $glibc, $glibcxx"
