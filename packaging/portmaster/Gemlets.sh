#!/bin/bash
# SPDX-License-Identifier: MIT
# What PortMaster starts: the firmware's settings from PortMaster's control.txt, the pad
# turned into the game's keys by gptokeyb (gemlets.gptk), and the game built for the device's
# processor (gemlets.aarch64 or gemlets.armhf, as DEVICE_ARCH names it) in its own folder,
# where it reads its images, font and field file.
XDG_DATA_HOME=${XDG_DATA_HOME:-$HOME/.local/share}
if [ -d /opt/system/Tools/PortMaster/ ]; then
    controlfolder=/opt/system/Tools/PortMaster
elif [ -d /opt/tools/PortMaster/ ]; then
    controlfolder=/opt/tools/PortMaster
elif [ -d "$XDG_DATA_HOME/PortMaster/" ]; then
    controlfolder=$XDG_DATA_HOME/PortMaster
else
    controlfolder=/roms/ports/PortMaster
fi
# shellcheck source=/dev/null
source "$controlfolder/control.txt"
# shellcheck source=/dev/null
[ -f "$controlfolder/mod_$CFW_NAME.txt" ] && source "$controlfolder/mod_$CFW_NAME.txt"
get_controls

# shellcheck disable=SC2154 # control.txt sets directory, ESUDO, GPTOKEYB, DEVICE_ARCH, the screen
GAMEDIR=/$directory/ports/gemlets
cd "$GAMEDIR" || exit 1
# Everything from here on, the game's output and errors among it, also goes to log.txt, as
# PortMaster's launchers do, for a report.
# shellcheck disable=SC2188 # PortMaster's own line: the redirection alone empties the file
> "$GAMEDIR/log.txt" && exec > >(tee "$GAMEDIR/log.txt") 2>&1
game=gemlets.$DEVICE_ARCH
if [ ! -f "$game" ]; then
    echo "gemlets: no build for this device's processor, $DEVICE_ARCH"
    pm_finish
    exit 1
fi
# A zip unpacked by a tool that drops Unix permissions leaves the game without its execute bit.
$ESUDO chmod +x "$GAMEDIR/$game"
# The player's field file: the zip brings only the default, so an update keeps an edited one.
[ -f test.txt ] || cp test.txt.default test.txt

export LD_LIBRARY_PATH=$GAMEDIR/libs.$DEVICE_ARCH${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
# The game's window, as its build wrote it down beside it (384x384 for the standard field).
# sdl12-compat scales it by the factor that fits the screen (rounded up to the next 1/10000),
# keeps its shape and centres it; nearest-neighbour where the factor is whole (2 on 1024x768),
# linear where it is not (0.8334 on 480x320, 1.25 on 640x480, 1.875 on 720x720 and 1280x720).
# shellcheck source=/dev/null
. ./geometry.env
byWidth=$(((DISPLAY_WIDTH * 10000 + GEMLETS_WINDOW_WIDTH - 1) / GEMLETS_WINDOW_WIDTH))
byHeight=$(((DISPLAY_HEIGHT * 10000 + GEMLETS_WINDOW_HEIGHT - 1) / GEMLETS_WINDOW_HEIGHT))
scale=$((byWidth < byHeight ? byWidth : byHeight))
printf -v SDL12COMPAT_WINDOW_SCALING %d.%04d $((scale / 10000)) $((scale % 10000))
SDL12COMPAT_SCALE_METHOD=linear
[ $((scale % 10000)) -eq 0 ] && SDL12COMPAT_SCALE_METHOD=nearest
export SDL12COMPAT_WINDOW_SCALING SDL12COMPAT_SCALE_METHOD SDL_VIDEO_CENTERED=1

$GPTOKEYB "$game" -c ./gemlets.gptk &

pm_platform_helper "$GAMEDIR/$game"
# Paced at 60 frames a second: unpaced, the main loop keeps a core busy on a battery.
# gptokeyb alone reads the pad: the game opens no joystick, so that a press acts once.
# It sounds through the firmware's SDL2, in silence where no sound device opens.
# PortMaster passes no arguments; a test passes --record FILE.
"./$game" --frame-rate 60 --no-joystick "$@"
status=$?
pm_finish
exit $status
