#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The launchers, each starting a stand-in game that writes its folder, its arguments and the
# window's scaling. The desktop's (packaging/gemlets.sh as configured, its data and game moved
# here) makes the player's folder of links to the game's files and a copy of the field file,
# keeps what the player changed there, and makes a replay named relative to where the command
# was typed; the port's (Gemlets.sh, PortMaster stood in for) keeps the player's field file and
# fits the window to the screen.
# Usage: launcher_test.sh GEMLETS_SH GEMLETS_PORT_SH
set -euo pipefail
tmp=$(mktemp -d /tmp/gemlets-launcher.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "launchers: FAIL: $*" >&2 && exit 1; }
# shellcheck disable=SC2016 # the stand-in expands them
standIn() { printf '#!/bin/sh\necho "$PWD $* ${SDL12COMPAT_WINDOW_SCALING:-}"\n' >"$1" && chmod +x "$1"; }
export XDG_DATA_HOME=$tmp/share
dir=$XDG_DATA_HOME/gemlets port=$tmp/roms/ports/gemlets
mkdir -p "$tmp/data" "$tmp/here" "$port" "$XDG_DATA_HOME/PortMaster"

echo shipped >"$tmp/data/test.txt" && echo image >"$tmp/data/gemlet_red.jpg" && standIn "$tmp/game"
sed -e "s|^data=.*|data='$tmp/data'|" -e "s|^game=.*|game='$tmp/game'|" "$1" >"$tmp/gemlets"
desktop() { (cd "$tmp/here" && sh "$tmp/gemlets" "$@"); }
said=$(desktop --record a.replay --replay /b.replay --check)
[[ $said == "$dir --record $tmp/here/a.replay --replay /b.replay --check " ]] || fail "desktop: $said"
[[ -L $dir/gemlet_red.jpg && ! -L $dir/test.txt && $(<"$dir/test.txt") == shipped ]] ||
    fail "the player's folder: $(ls -l "$dir")"
echo edited >"$dir/test.txt" && rm "$dir/gemlet_red.jpg" && echo mine >"$dir/gemlet_red.jpg"
desktop >/dev/null
[[ $(cat "$dir/test.txt" "$dir/gemlet_red.jpg") == $'edited\nmine' ]] || fail "the player's files changed"

cat >"$XDG_DATA_HOME/PortMaster/control.txt" <<CONTROL
directory=${tmp#/}/roms ESUDO= GPTOKEYB=true DEVICE_ARCH=stub DISPLAY_WIDTH=640 DISPLAY_HEIGHT=480
get_controls() { :; }
pm_platform_helper() { :; }
pm_finish() { :; }
CONTROL
echo default >"$port/test.txt.default" && standIn "$port/gemlets.stub"
echo "GEMLETS_WINDOW_WIDTH=384 GEMLETS_WINDOW_HEIGHT=384" >"$port/geometry.env"
said=$(bash "$2" --record a.replay)
[[ $said == "$port --frame-rate 60 --no-joystick --record a.replay 1.2500" ]] || fail "port: $said"
echo edited >"$port/test.txt" && bash "$2" >/dev/null
[[ $(<"$port/test.txt") == edited ]] || fail "the port's start changed the player's test.txt"
echo "launchers: the player's files kept, the replay where it was named, the window fitted"
