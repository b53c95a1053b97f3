#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The processor share of the X server and of the game while the game shows a window under
# Xvfb (no backing store, no window manager): unpaced and at --frame-rate 60, each playing
# (the first pair falling untouched on an empty field) and paused (P pressed), with sound (SDL's
# disk audio driver, which takes the samples at a sound card's pace, into /dev/null), and at
# --frame-rate 60 again with --no-sound. Each run has an Xvfb of its own; the shares are utime +
# stime from /proc/PID/stat over the window of time, the game's with every thread. Budgets: the
# X server at most 1 % of a core in every run (a frame that changes nothing hands it nothing),
# the game at most 10 % at --frame-rate 60 (the menu entry's rate), and paused, the sound device
# at most 0.5 % of a core more than none (it rests while nothing sounds); a missed one is marked
# MISSED and the script exits 1.
#
# Usage: bench/xvfb_share.sh [-c] [-s SECONDS] [RUN_DIR]
#   -c          the game loads sdl12-compat (LD_LIBRARY_PATH=/usr/lib/x86_64-linux-gnu/sdl12-compat)
#   -s SECONDS  how long each run is measured (default 10)
#   RUN_DIR     the run folder (default build/run)
set -euo pipefail

compat=()
seconds=10
while getopts cs: option; do
    case $option in
    c) compat=(LD_LIBRARY_PATH=/usr/lib/x86_64-linux-gnu/sdl12-compat) ;;
    s) seconds=$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
runDir=${1:-build/run}
[[ -x $runDir/gemlets ]] || {
    echo "no executable $runDir/gemlets: build the gemlets target first" >&2
    exit 1
}

tmp=$(mktemp -d /tmp/gemlets-xvfb-share.XXXXXX)
xvfbPid="" gamePid=""
stopBoth() {
    local pid
    for pid in "$gamePid" "$xvfbPid"; do
        if [[ -n $pid ]] && kill "$pid" 2>/dev/null; then
            wait "$pid" 2>/dev/null || true
        fi
    done
    gamePid="" xvfbPid=""
}
trap 'stopBoth; rm -rf "$tmp"' EXIT
trap 'exit 130' INT TERM HUP
cp -r "$runDir" "$tmp/run"
printf '******\n%.0s' {1..12} >"$tmp/run/test.txt"
ticks=$(getconf CLK_TCK)
# shellcheck source=drivers/xvfb.sh
source "$(dirname "$0")/../drivers/xvfb.sh"

# Processor time of a process so far, in clock ticks.
cpuTicks() {
    local stat fields
    read -r stat <"/proc/$1/stat"
    read -ra fields <<<"${stat##*) }"
    echo $((fields[11] + fields[12]))
}

# run LABEL PAUSE GAME-BUDGET GAME-ARGUMENTS...: one game on a fresh Xvfb, with sound unless
# the arguments say --no-sound; prints its line, notes a missed budget (a game budget of 100 %
# is none) and leaves the game's share in `share`.
missed=0 share=0
sound=(SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null SDL_DISKAUDIODELAY=46)
run() {
    local label=$1 pause=$2 gameBudget=$3 window="" i
    shift 3
    startXvfb "$tmp" -screen 0 640x480x24 -nolisten tcp -noreset || exit 1
    (cd "$tmp/run" && exec env "${compat[@]}" "${sound[@]}" ./gemlets "$@") \
        >/dev/null 2>"$tmp/stderr" &
    gamePid=$!
    for ((i = 0; i < 300; ++i)); do
        window=$(xdotool search --onlyvisible --pid "$gamePid" 2>/dev/null |
            head -n 1) || true
        [[ -z $window ]] || break
        sleep 0.05
    done
    [[ -n $window ]] || {
        echo "no game window: $(cat "$tmp/stderr")" >&2
        exit 1
    }
    ((pause == 0)) || xdotool windowfocus "$window" key p
    sleep 1 # start-up and the last X client's requests are over
    local game0 xvfb0 game1 xvfb1
    game0=$(cpuTicks "$gamePid") xvfb0=$(cpuTicks "$xvfbPid")
    sleep "$seconds"
    game1=$(cpuTicks "$gamePid") xvfb1=$(cpuTicks "$xvfbPid")
    stopBoth
    share=$(awk -v g=$((game1 - game0)) -v t="$ticks" -v s="$seconds" 'BEGIN { print 100 * g / t / s }')
    awk -v label="$label" -v g=$((game1 - game0)) -v x=$((xvfb1 - xvfb0)) -v t="$ticks" \
        -v s="$seconds" -v budget="$gameBudget" 'BEGIN {
            xs = 100 * x / t / s; gs = 100 * g / t / s
            xm = (xs > 1) ? " MISSED (budget 1 %)" : ""
            gm = (gs > budget) ? (" MISSED (budget " budget " %)") : ""
            printf "%-37s Xvfb %6.2f s = %5.1f %%%s   game %6.2f s = %5.1f %%%s\n", label,
                x / t, xs, xm, g / t, gs, gm
            exit (xm != "" || gm != "") }' || missed=1
}

echo "processor time over ${seconds} s${compat[*]:+ (sdl12-compat)}, load average $(cut -d' ' -f1-3 /proc/loadavg)"
run "unpaced, playing" 0 100
run "unpaced, paused" 1 100
run "--frame-rate 60, playing" 0 10 --frame-rate 60
run "--frame-rate 60, paused" 1 10 --frame-rate 60
withSound=$share
run "--frame-rate 60, playing, --no-sound" 0 10 --frame-rate 60 --no-sound
run "--frame-rate 60, paused, --no-sound" 1 10 --frame-rate 60 --no-sound
awk -v with="$withSound" -v without="$share" 'BEGIN {
    more = with - without
    printf "paused at --frame-rate 60, the sound device adds %5.2f %% of a core%s\n", more,
        (more > 0.5) ? " MISSED (budget 0.5 %)" : ""
    exit (more > 0.5) }' || missed=1
exit "$missed"
