#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The handheld stage: builds the port (scripts/port-handheld.sh), checks the zip's layout, its
# port.json and the symbol versions of everything in it, and plays it as handhelds would: Debian
# 11 roots (glibc 2.31, SDL2 2.0.14) for arm64 and armhf under qemu through binfmt_misc, the
# launcher run with a stand-in PortMaster (control.txt and gptokeyb) and SDL2's X11 driver on an
# Xvfb of each common screen size, the game's execute bit dropped as some unzip tools drop it.
# On each screen the window is square, fills the shorter side and is centred, a prepared
# chain's trace equals the native game's byte for byte in the launcher's output, and the game
# sounds through SDL2's disk audio driver. Each press goes to gptokeyb and to a pad the game
# could open as joystick 0 (drivers/virtual_pad.c); every button acts once.
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

# Layout: PortMaster's, the player's field file left out of the zip so that an update keeps it,
# the licences in one flat folder, the launcher's lines ending in LF alone.
unzip -q "$zip" -d "$tmp/ports"
game=$tmp/ports/gemlets
sounds=$(cd "$native/run" && printf 'gemlets/%s ' ./*.wav)
# shellcheck disable=SC2086 # the sounds are words
for file in Gemlets.sh gemlets/{gemlets.gptk,port.json,README.md,gameinfo.xml,screenshot.png} \
    gemlets/{font.ttf,test.txt.default,gameover.jpg} gemlets/gemlet_{blue,red,green,yellow}.jpg \
    ${sounds//.\//} gemlets/licenses/LICENSE.{gemlets,DejaVuSans,sdl12-compat,SDL_ttf,SDL_mixer,FreeType,libjpeg-turbo}.txt; do
    [[ -s $tmp/ports/$file ]] || fail "the zip holds no $file"
done
[[ -x $tmp/ports/Gemlets.sh && ! -e $game/test.txt ]] || fail "launcher not executable, or a test.txt"
[[ -z $(find "$game/licenses" -mindepth 1 \( -type d -o ! -name 'LICENSE.*.txt' \)) ]] ||
    fail "licenses/ holds more than LICENSE.<part>.txt files"
! grep -q $'\r' "$tmp/ports/Gemlets.sh" "$game/gemlets.gptk" || fail "CR line ends in the launcher"
[[ $(identify -format %wx%h "$game/screenshot.png") == 640x480 ]] || fail "screenshot not 640x480"

# For each processor port.json names, the game and only the libraries it loads.
arches=$(jq -r '.attr.arch | join(" ")' "$game/port.json")
[[ $arches == "aarch64 armhf" ]] || fail "port.json's arch is '$arches'"
elves=()
for arch in $arches; do
    elves+=("$game/gemlets.$arch" "$game/libs.$arch"/*)
    libs=$(cd "$game" && echo gemlets."$arch" libs."$arch"/*)
    [[ $libs == "gemlets.$arch$(printf " libs.$arch/%s" libSDL-1.2.so.0 libSDL_image-1.2.so.0 \
        libSDL_mixer-1.2.so.0 libSDL_ttf-2.0.so.0 libfreetype.so.6)" ]] ||
        fail "$arch: not the game and the five libraries it loads: $libs"
    # SDL_mixer loads nothing but SDL and the C library: no decoder.
    [[ $(readelf -d "$game/libs.$arch/libSDL_mixer-1.2.so.0" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' |
        sort | tr '\n' ' ') == "libSDL-1.2.so.0 libc.so.6 " ]] || fail "$arch: SDL_mixer loads more than SDL"
done

# Nothing needs more than glibc 2.31 and GCC 10's libstdc++ (GLIBCXX_3.4.28); port.json, in
# format 4, gives the highest glibc needed as min_glibc.
highest() { objdump -T -p "${elves[@]}" | grep -o "$1_[0-9.]*" | sort -V | tail -n 1; }
glibc=$(highest GLIBC) glibcxx=$(highest GLIBCXX)
[[ $(printf '%s\n' "$glibc" GLIBC_2.31 | sort -V | tail -n 1) == GLIBC_2.31 ]] || fail "needs $glibc"
[[ $(printf '%s\n' "$glibcxx" GLIBCXX_3.4.28 | sort -V | tail -n 1) == GLIBCXX_3.4.28 ]] ||
    fail "needs $glibcxx"
metadata=$(jq -r '"\(.version) \(.attr.availability) \(.attr.min_glibc)"' "$game/port.json")
[[ $metadata == "4 full ${glibc#GLIBC_}" ]] ||
    fail "port.json's version, availability and min_glibc: $metadata"

# The stand-in firmware for each processor, and binfmt_misc running its programs through qemu.
declare -A qemu=([aarch64]=aarch64 [armhf]=arm)
mountpoint -q /proc/sys/fs/binfmt_misc || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
for arch in $arches; do
    mkdir "$tmp/root-$arch"
    for deb in build-port/cache/debs-firmware-"$arch"/*.deb; do dpkg-deb -x "$deb" "$tmp/root-$arch"; done
    binfmt=/proc/sys/fs/binfmt_misc/qemu-${qemu[$arch]}
    [[ -f $binfmt ]] || update-binfmts --enable "qemu-${qemu[$arch]}"
    grep -qx enabled "$binfmt" || fail "binfmt_misc does not run $arch programs"
    # The virtual pad, built as the game is (glibc 2.31's libdl and libpthread); not in the zip.
    cc=(build-port/sysroot-"$arch"/usr/bin/*-gcc-10)
    "${cc[0]}" --sysroot="${cc[0]%/usr/bin/*}" -O2 -Wall -Wextra -Werror -fPIC -shared \
        -o "$tmp/virtual_pad.$arch.so" drivers/virtual_pad.c -ldl -lpthread
done

# freshScreen WxH: a fresh X server of that size.
freshScreen() {
    if [[ -n ${xvfbPid:-} ]]; then kill "$xvfbPid" && { wait "$xvfbPid" || true; }; fi
    startXvfb "$tmp" -screen 0 "$1"x24 -nolisten tcp -noreset || fail "no X server"
}
# press KEY: a key as X's, or once the pad's FIFOs are open (PAD), as the pad's button to both
# the stand-in gptokeyb and the virtual pad.
press() {
    if [[ -n ${PAD:-} ]]; then echo "$1" >&4 && echo "$1" >&5; else xdotool key "$1"; fi
}
# play COMMAND...: the game that COMMAND starts, its window focused, then each of `presses`
# pressed, a moment apart; "trace" waits for the game's trace, "hold" past two drop intervals.
play() {
    "$@" >"$tmp/stdout" 2>"$tmp/stderr" &
    local player=$! window tries=3 step
    # SDL2 may make the window afresh for its renderer, so the first one found can be gone.
    until { window=$(timeout 60 xdotool search --sync --onlyvisible --name '^gemlets$') ||
        fail "no window for $*"; } && timeout 10 xdotool windowfocus --sync "$window" 2>/dev/null; do
        ((--tries)) || fail "no window for $*"
        sleep 0.5
    done
    geometry=$(xdotool getwindowgeometry --shell "$window" | tr '\n' ' ')
    for step in "${presses[@]}"; do
        case $step in
        trace) timeout 60 bash -c "until [[ -s $tmp/stdout ]]; do sleep 0.1; done" || fail "no trace" ;;
        hold) sleep 2.7 ;;
        *) press "$step" && sleep 0.3 ;;
        esac
    done
    timeout 30 tail --pid="$player" -f /dev/null || fail "$* did not end"
    wait "$player" || fail "$* ended with status $?"
}
printf '%s\n' "${chain[@]}" >"$tmp/native.txt"
(cd "$native/run" && mkdir "$tmp/native" && cp ./*.jpg ./*.wav font.ttf gemlets "$tmp/native/")
cp "$tmp/native.txt" "$tmp/native/test.txt"
freshScreen 640x480
presses=(space trace Escape)
play env -C "$tmp/native" ./gemlets
mv "$tmp/stdout" "$tmp/expected"

# PortMaster's control.txt as far as the launcher reads it, and a gptokeyb that turns each
# press of a common handheld's pad into the key gemlets.gptk maps it to. The pad, in the
# kernel's order: south 0, east 1, north 2, west 3, L1 4, R1 5, L2 6, R2 7, Select 8, Start 9,
# the d-pad a hat ("hV": up 1, right 2, down 4, left 8); gptokeyb names them as SDL does.
mkdir -p "$tmp/data/PortMaster" "$tmp/roms"
mv "$tmp/ports" "$tmp/roms/ports"
cat >"$tmp/gptokeyb" <<'GPTOKEYB'
#!/bin/bash
declare -A name=([0]=a [1]=b [2]=y [3]=x [4]=l1 [5]=r1 [6]=l2 [7]=r2 [8]=back [9]=start
    [h1]=up [h2]=right [h4]=down [h8]=left)
declare -A keysym=([left]=Left [right]=Right [down]=Down [up]=Up [space]=space [p]=p [esc]=Escape)
[[ $1 == gemlets.* && $2 == -c && -f $3 ]] || exit 1
while read -r press; do
    key=$(sed -n "s/^${name[$press]} = //p" "$3")
    [[ -z $key ]] || xdotool key "${keysym[$key]}"
done <"$PAD"
GPTOKEYB
chmod +x "$tmp/gptokeyb"
mkfifo "$tmp/pad" "$tmp/virtual-pad"
exec 4<>"$tmp/pad" 5<>"$tmp/virtual-pad"
export PAD=$tmp/pad XDG_DATA_HOME=$tmp/data GEMLETS_VIRTUAL_PAD=10,1 \
    GEMLETS_VIRTUAL_PAD_FIFO=$tmp/virtual-pad
cp "$tmp/native.txt" "$tmp/roms/ports/gemlets/test.txt"
unzip -q -o "$zip" -d "$tmp/roms/ports" # an update keeps the player's field
# playPad ARCH LAUNCHER ARG...: the launcher run on ARCH's stand-in firmware, the pad preloaded
# into the game alone (qemu sets LD_PRELOAD for it, which the host's loader would refuse for
# every other program).
playPad() {
    QEMU_LD_PREFIX=$tmp/root-$1 LD_BIND_NOW=1 QEMU_SET_ENV=LD_PRELOAD=$tmp/virtual_pad.$1.so \
        play "${@:2}"
}
presses=(1 trace 8) # east (B: a hard drop), then Select
# Every common screen, each processor on some; the window as high as the shorter side and
# centred, the game immediately bound to every symbol it uses (LD_BIND_NOW).
for screen in 640x480:aarch64 480x320:armhf 720x720:aarch64 1024x768:armhf 1280x720:aarch64; do
    arch=${screen#*:} width=${screen%x*} height=${screen%:*} height=${height#*x}
    side=$((width < height ? width : height))
    freshScreen "$width"x"$height"
    cat >"$tmp/data/PortMaster/control.txt" <<CONTROL
directory=$tmp/roms ESUDO= GPTOKEYB=$tmp/gptokeyb DISPLAY_WIDTH=$width DISPLAY_HEIGHT=$height
CFW_NAME=stand-in DEVICE_ARCH=$arch
get_controls() { :; }
pm_platform_helper() { :; }
pm_finish() { kill \$(jobs -p); }
CONTROL
    chmod -x "$tmp/roms/ports/gemlets/gemlets.$arch"
    rm -f "$tmp/played.raw"
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$tmp/played.raw playPad "$arch" "$tmp/roms/ports/Gemlets.sh"
    placed="X=$(((width - side) / 2)) Y=$(((height - side) / 2)) WIDTH=$side HEIGHT=$side "
    [[ $geometry == *"$placed"* ]] || fail "$arch on ${screen%:*}: not $placed but $geometry"
    # The launcher's output, its tee finishing after it: the trace alone, nothing on standard error.
    timeout 10 bash -c "until cmp -s '$tmp/expected' '$tmp/stdout'; do sleep 0.1; done" ||
        { diff "$tmp/expected" "$tmp/stdout" | head -n 20 >&2; fail "$arch on ${screen%:*}: the trace differs"; }
    cmp -s "$tmp/stdout" "$tmp/roms/ports/gemlets/log.txt" || fail "$arch: log.txt is not the launcher's output"
    [[ $(od -An -v -td2 -w2 "$tmp/played.raw" | grep -cv '^ *0$') -gt 0 ]] ||
        fail "$arch on ${screen%:*}: the landing and its chain played no sound"
done

# Every button, the d-pad, Start twice with a hold between, Select last (on the last screen):
# from the game's replay, each key once as gemlets.gptk maps it, no joystick button or hat
# read, no more than the drop under way while paused, and the game ended by Select.
presses=(0 1 2 3 4 5 6 7 h1 h4 h8 h2 9 hold 9 8)
# acted LAUNCHER: what the game recorded of the presses, on aarch64.
acted() {
    playPad aarch64 "$1" --record "$tmp/pad.replay"
    awk '$2 ~ /^(key|button|signal)$/ { $1 = ""; printf "%s;", substr($0, 2) }
        $2 == "drop" && paused { ++drops }
        $4 == "togglePause" { paused = !paused }
        END { printf " %d dropped while paused; last %s", drops, $2 }' "$tmp/pad.replay"
}
once="key up rotate;key space hardDrop;key up rotate;key down dropOne;key left moveLeft;"
once+="key right moveRight;key p togglePause;key p togglePause;key escape quit;"
actedOnce() { [[ $1 =~ ^"$once "[01]" dropped while paused; last end"$ ]]; }
acts=$(acted "$tmp/roms/ports/Gemlets.sh")
actedOnce "$acts" || fail "the pad's presses: $acts"
# The launcher without --no-joystick (the game reading the pad too) must fail that check. It
# runs last: its game ends at L2, and the presses after that stay unread in the FIFOs.
sed 's/ --no-joystick//' "$tmp/roms/ports/Gemlets.sh" >"$tmp/roms/ports/Joystick.sh"
chmod +x "$tmp/roms/ports/Joystick.sh"
acts=$(acted "$tmp/roms/ports/Joystick.sh")
! actedOnce "$acts" || fail "the check misses the game reading the pad as well: $acts"

# A replay recorded on the desktop, checked by the port's binary: the recorded output exactly.
replay=tests/replays/desktop-chain.replay
QEMU_LD_PREFIX=$tmp/root-aarch64 LD_LIBRARY_PATH=$tmp/roms/ports/gemlets/libs.aarch64 \
    "$tmp/roms/ports/gemlets/gemlets.aarch64" --replay "$replay" --check >"$tmp/replayed" ||
    fail "the port's gemlets does not check $replay"
gzip -dc "${replay%.replay}.out.gz" | cmp -s - "$tmp/replayed" || fail "$replay: another output"
echo "handheld: on every screen the window in place and the chain's trace the native game's, and heard," \
    "every pad button acting once, and $replay checks; highest versions $glibc, $glibcxx"
