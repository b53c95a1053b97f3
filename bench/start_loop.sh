#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Starts the real game COUNT times in a row against one Xvfb, as a player who starts a game,
# plays a little and quits with Escape. A start succeeds when the game's window appears and
# Escape then ends it with status 0; anything else is a failed start, and its message is kept.
# Prints how many starts succeeded and failed, and the failures' messages with their counts.
#
# Usage: bench/start_loop.sh [-n] [-p] [-l LOOPS] [-s SECONDS] COUNT [RUN_DIR]
#   -n          start Xvfb with -noreset (by default it resets when its last client leaves,
#               as Xvfb does unless told otherwise)
#   -p          keep other X clients coming and going beside the games (xdotool and import
#               polling the server, as a test harness or a screenshot tool would)
#   -l LOOPS    keep LOOPS shell loops spinning beside the games, as on a machine busy with
#               other work (a build, say)
#   -s SECONDS  how long each game is played before Escape (default 0.3)
#   RUN_DIR     the run folder (default build/run)
set -euo pipefail

noreset=()
poll=0
loops=0
playSeconds=0.3
while getopts npl:s: option; do
    case $option in
    n) noreset=(-noreset) ;;
    p) poll=1 ;;
    l) loops=$OPTARG ;;
    s) playSeconds=$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
count=${1:?usage: $0 [-n] [-p] [-l LOOPS] [-s SECONDS] COUNT [RUN_DIR]}
runDir=${2:-build/run}
[[ -x $runDir/gemlets ]] || {
    echo "no executable $runDir/gemlets: build the gemlets target first" >&2
    exit 1
}

tmp=$(mktemp -d /tmp/gemlets-start-loop.XXXXXX)
xvfbPid=""
pollPid=""
gamePid=""
loopPids=()
tearDown() {
    local pid
    for pid in "$gamePid" "$pollPid" "${loopPids[@]}" "$xvfbPid"; do
        if [[ -n $pid ]] && kill "$pid" 2>/dev/null; then
            wait "$pid" 2>/dev/null || true
        fi
    done
    rm -rf "$tmp"
}
trap tearDown EXIT
trap 'exit 130' INT TERM HUP
cp -r "$runDir" "$tmp/run"

Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp "${noreset[@]}" 3>"$tmp/display" \
    2>"$tmp/xvfb.log" &
xvfbPid=$!
for ((i = 0; i < 500; ++i)); do
    [[ -s $tmp/display ]] && break
    sleep 0.02
done
[[ -s $tmp/display ]] || {
    echo "Xvfb gave no display number: $(cat "$tmp/xvfb.log")" >&2
    exit 1
}
read -r display <"$tmp/display"
export DISPLAY=:$display

if ((poll)); then
    (
        while :; do
            xdotool search --name gemlets >/dev/null 2>&1 || true
            import -window root "$tmp/root.png" 2>/dev/null || true
        done
    ) &
    pollPid=$!
fi

for ((i = 0; i < loops; ++i)); do
    (while :; do :; done) &
    loopPids+=($!)
done

# Milliseconds since the epoch, without a fork.
nowMs() {
    local t=${EPOCHREALTIME/./}
    echo $((t / 1000))
}

# True once the game has ended (a zombie until it is waited for).
gameEnded() {
    local stat
    # Not $(<file): under set -e a file that vanished meanwhile would end the script.
    read -r stat 2>/dev/null <"/proc/$gamePid/stat" || return 0
    stat=${stat##*) }
    [[ ${stat%% *} == Z ]]
}

# waitForEnd MILLISECONDS: polls until the game has ended or the time is up.
waitForEnd() {
    local deadline=$(($(nowMs) + $1))
    until gameEnded || (($(nowMs) >= deadline)); do
        sleep 0.01
    done
}

# oneStart: true when the window appeared and Escape ended the game with status 0; otherwise
# false with the reason in $reason.
oneStart() {
    local window="" status=0 deadline
    reason=""
    (cd "$tmp/run" && exec env --default-signal ./gemlets) >/dev/null 2>"$tmp/stderr" &
    gamePid=$!
    # No X client of ours until start-up is over (with its retries, about a second): the game
    # meets the server alone, as it would on a bare X server with no window manager.
    waitForEnd 1500
    deadline=$(($(nowMs) + 15000))
    until gameEnded || (($(nowMs) >= deadline)); do
        window=$(xdotool search --onlyvisible --pid "$gamePid" 2>/dev/null | head -n 1) || true
        [[ -z $window ]] || break
        sleep 0.05
    done
    if [[ -n $window ]]; then
        xdotool windowfocus "$window" 2>/dev/null || true
        sleep "$playSeconds"
        xdotool key --window "$window" Left Up 2>/dev/null || true
        xdotool key Escape 2>/dev/null || true
    fi
    waitForEnd 5000
    if ! gameEnded; then
        kill -KILL "$gamePid" 2>/dev/null || true
        reason=${window:+"still running 5 s after Escape, killed"}
        reason=${reason:-"no window within 16.5 s, killed"}
    fi
    wait "$gamePid" || status=$?
    gamePid=""
    if [[ -z $reason ]] && ((status != 0)); then
        # ALSA's complaints about a machine without a sound card are not the game's own.
        reason="status $status: $(grep -v '^ALSA lib ' "$tmp/stderr" | tr '\n' ' ')"
    elif [[ -z $reason && -z $window ]]; then
        reason="status 0 without a window"
    fi
    [[ -z $reason ]]
}

succeeded=0
failed=0
declare -A reasons=()
for ((start = 1; start <= count; ++start)); do
    if oneStart; then
        succeeded=$((succeeded + 1))
    else
        failed=$((failed + 1))
        reasons[$reason]=$((${reasons[$reason]:-0} + 1))
        echo "start $start failed: $reason" >&2
    fi
done

echo "Xvfb ${noreset[*]:-(resets)}, polling clients: $poll, busy loops: $loops," \
    "play ${playSeconds} s: $count starts, $succeeded succeeded, $failed failed"
for reason in "${!reasons[@]}"; do
    echo "  ${reasons[$reason]} x $reason"
done
