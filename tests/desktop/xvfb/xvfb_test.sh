#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The real game under a private Xvfb: one game per scenario, keys through XTEST (xdotool),
# screenshots read back as a field grid in the field-file form ('*' white, '0' to '3' a gemlet
# colour, '?' anything else). Every wait polls against a deadline.
# Usage: xvfb_test.sh SCENARIO RUN_DIR [SEND_DELETE_WINDOW [VIRTUAL_PAD]]; GEMLETS_EMULATOR, when
# set, is the command that runs the game (qemu for a cross build). Exit status 77: skipped.
set -euo pipefail
scenario=$1 runDir=$2 sendDeleteWindow=${3:-} virtualPad=${4:-}
tmp=$(mktemp -d /tmp/gemlets-xvfb.XXXXXX)
gamePid="" xvfbPid="" grid="" status="" said=""

fail() {
    echo "FAIL: $*" >&2
    [[ -z $grid ]] || printf 'last screen grid:\n%s\n' "${grid//\//$'\n'}" >&2
    tail -c 2000 "$tmp/stderr" >&2 2>/dev/null || true
    exit 1
}
tearDown() {
    [[ -z $gamePid ]] || kill -KILL "$gamePid" 2>/dev/null || true
    [[ -z $xvfbPid ]] || kill "$xvfbPid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$tmp"
}
trap tearDown EXIT
# shellcheck source=drivers/xvfb.sh
source "$(dirname "$0")/../../../drivers/xvfb.sh"

now() { echo $((${EPOCHREALTIME/./} / 1000)); }
# until SECONDS WHAT COMMAND...: polls the command until it holds.
until_() {
    local deadline=$(($(now) + $1 * 1000)) what=$2
    shift 2
    until "$@"; do
        (($(now) < deadline)) || fail "not seen within the deadline: $what"
        sleep 0.02
    done
}

# -noreset: a server that resets when its last client leaves refuses the next one a moment.
startXvfb "$tmp" -screen 0 640x480x24 -nolisten tcp -noreset || fail "no X server"
cp -r "$runDir" "$tmp/run"
# shellcheck source=drivers/geometry.sh
source "$(dirname "$0")/../../../drivers/geometry.sh" "$runDir/.." # the run folder's build's
# Scenarios write rows for the standard 6 columns; a wider field has $pad more empty cells on
# the right of each, as a regular expression.
pad="\\*{$((cols - 6))}"

# field ROW...: test.txt from the bottom rows given.
field() { fieldRows "$@" >"$tmp/run/test.txt"; }
# A background job ignores SIGINT; env gives the game a terminal's signal dispositions and
# the scenario's settings. The emulator command is split into words; a scenario may give the
# game arguments.
settings=()
# shellcheck disable=SC2086,SC2120
start() {
    (cd "$tmp/run" && exec env --default-signal "${settings[@]}" ${GEMLETS_EMULATOR:-} ./gemlets "$@") \
        >"$tmp/stdout" 2>"$tmp/stderr" &
    gamePid=$!
    until_ 30 "the game window" findWindow
}
findWindow() {
    kill -0 "$gamePid" 2>/dev/null || fail "the game ended before its window appeared"
    win=$(xdotool search --onlyvisible --pid "$gamePid" 2>/dev/null | head -n 1) || true
    [[ -n $win ]] && xdotool windowfocus "$win" 2>/dev/null
}
ended() { ! kill -0 "$gamePid" 2>/dev/null || [[ $(ps -o stat= -p "$gamePid") == Z* ]]; }
# finish HOW: Escape or a signal must end the game with status 0.
finish() {
    if [[ $1 == Escape ]]; then xdotool key Escape; else kill -s "$1" "$gamePid"; fi
    until_ 5 "the game ending after $1" ended
    status=0
    wait "$gamePid" || status=$?
    gamePid=""
    ((status == 0)) || fail "$1 ended the game with status $status"
    # Standard output carries only the diagnostics: button lines and the search trace.
    local dump="((-1|[0-9a-f]+) ){$cols}"
    ! grep -Evq "^(|backtrackGemlets|gemlets count = [0-9]+($dump)?|$dump|sweeping|sweeping returning 0($dump)?|button  [0-9]+ pressed)\$" \
        "$tmp/stdout" || fail "standard output holds more than the diagnostics"
    [[ $(<"$tmp/stderr") == "$said" ]] || fail "standard error is not ${said:-empty}"
}

# The mean colour of each cell, nearest of white and the four gemlet images within 60.
palette=("*" "255 255 255")
for code in 0 1 2 3; do
    name=(blue red green yellow)
    palette+=("$code" "$(convert "$tmp/run/gemlet_${name[code]}.jpg" -scale '1x1!' -depth 8 \
        rgb:- | od -An -tu1 | xargs)")
done
shoot() {
    import -window "${shotWindow:-$win}" "$tmp/shot.png" 2>/dev/null || return 1
    local values cell p
    read -ra values -d '' < <(convert "$tmp/shot.png" -crop "$fieldArea" +repage -scale "${cols}x$rows!" \
        -depth 8 rgb:- | od -An -tu1 -v) || true
    grid=""
    for ((cell = 0; cell < cols * rows; ++cell)); do
        local best='?' bestDistance=3600 r g b
        for ((p = 0; p < ${#palette[@]}; p += 2)); do
            read -r r g b <<<"${palette[p + 1]}"
            r=$((values[cell * 3] - r)) g=$((values[cell * 3 + 1] - g)) b=$((values[cell * 3 + 2] - b))
            ((r * r + g * g + b * b >= bestDistance)) || { best=${palette[p]}; bestDistance=$((r * r + g * g + b * b)); }
        done
        grid+=$best
        ((cell % cols != cols - 1)) || grid+=/
    done
}
# shows REGEX: the next screenshot's grid (each row followed by '/') matches.
shows() { shoot && [[ $grid =~ ^$1$ ]]; }
# The score or "Paused": dark pixels right of the field.
textArea() { convert "$tmp/shot.png" -crop "$textArea" +repage -depth 8 gray:- | md5sum; }
inked() { (($(convert "$tmp/shot.png" -crop "$textArea" -format '%[fx:int(255*minima)]' info:) < 96)); }

# frameAt X Y W: the shots show the frame W pixels wide, its top-left corner at (X, Y).
frameAt() {
    local s=$3 W=$GEMLETS_WINDOW_WIDTH H=$GEMLETS_WINDOW_HEIGHT
    fieldArea=$((cols * GEMLETS_CELL_PIXELS * s / W))x$((H * s / W))+$1+$2
    textArea=$(((W - textX) * s / W))x$((48 * s / W))+$(($1 + textX * s / W))+$(($2 + H * s / W / 2))
}
# black GEOMETRY...: those parts of the last shot are black.
black() { for g; do [[ $(convert "$tmp/shot.png" -crop "$g" -format '%[fx:maxima]' info:) == 0 ]] || return; done; }
# newScreen WxH: a fresh X server with a screen of that size in place of the one running.
newScreen() {
    kill "$xvfbPid"
    # shellcheck disable=SC2016 # eval expands it at each try
    until_ 10 "the last screen's X server ending" eval '! kill -0 "$xvfbPid" 2>/dev/null || [[ $(ps -o stat= -p "$xvfbPid") == Z* ]]'
    wait "$xvfbPid" || true
    startXvfb "$tmp" -screen 0 "$1x24" -nolisten tcp -noreset || fail "no X server of $1"
}
sized() { [[ $(xdotool getwindowgeometry "$win" 2>/dev/null) == *"Geometry: $1"* ]]; }
refound() { findWindow && sized "$1"; }
# Classic SDL shows the whole screen on a window of its own; sdl12-compat on the game's window,
# which no window manager here moves to the corner, and which SDL 2 may make anew as it opens:
# the frame on the screen tells that the game's window is found.
onWholeScreen() {
    { refound 1920x1080 && xdotool windowmove "$win" 0 0; } || return
    shotWindow=root && frameAt 420 0 1080 && shoot && [[ $grid != *'?'* ]]
}
# enlarged N SHOT: SHOT is the game window's picture enlarged N times, pixel for pixel.
enlarged() {
    findWindow && import -window "$win" "$tmp/small.png" 2>/dev/null && convert "$tmp/small.png" -scale "$(($1 * 100))%" "$tmp/expected.png" &&
        [[ $(compare -metric AE "$2" "$tmp/expected.png" null: 2>&1) == 0 ]]
}
# pauseGame: P once the score shows, "Paused" in its place, and the drop under way come; shot.png
# and grid show the paused game.
pauseGame() {
    until_ 10 "the score beside the field" eval 'shoot && inked'
    local before
    before=$(textArea)
    xdotool key p
    # shellcheck disable=SC2016 # eval expands it at each try
    until_ 5 "Paused in place of the score" eval 'shoot && [[ $(textArea) != "$before" ]]'
    sleep 1.1 # the drop at the end of the interval under way still comes
    shoot
}
w=$GEMLETS_WINDOW_WIDTH h=$GEMLETS_WINDOW_HEIGHT
pairAt3="(\\*{$cols}/)*\\*\\*\\*3\\*\\*$pad/\\*\\*\\*1\\*\\*$pad/(\\*{$cols}/)*"
landed="([*0-3]{$cols}/){$((rows - 2))}\\*\\*\\*3\\*\\*$pad/\\*\\*\\*1\\*\\*$pad/"
case $scenario in
game_over)
    for ((row = 0; row < rows; ++row)); do fieldRows "**$((row % 2))***" | tail -n 1; done >"$tmp/run/test.txt"
    start
    xdotool key space
    convert "$tmp/run/gameover.jpg" -crop "$fieldArea" +repage "$tmp/expected.png"
    overImage() { # RMSE below 0.08: the 16-bit window and JPEG decoding add a little
        shoot && convert "$tmp/shot.png" -crop "$fieldArea" +repage "$tmp/field.png" &&
            { compare -metric RMSE "$tmp/field.png" "$tmp/expected.png" null: 2>&1 || true; } |
            awk -F'[()]' '{ exit !($2 < 0.08) }'
    }
    until_ 10 "gameover.jpg over the field" overImage
    { sleep 1.2 && overImage; } || fail "the game-over picture did not stay"
    finish Escape ;;
keys_beside_a_moving_pointer)
    # The menu entry's frame rate, with the pointer sweeping over the window several hundred
    # times a second: a key press must not wait behind the motion.
    field
    start --frame-rate 60
    until_ 10 "the first pair falling in column 3" shows "$pairAt3"
    before=$(textArea)
    moves=$(for ((x = 0; x < w; x += 4)); do printf 'mousemove --window %s %s 200 ' "$win" "$x"; done)
    # shellcheck disable=SC2086 # one argument per word
    (while :; do xdotool $moves; done) & mover=$!
    # Paced, the main thread sleeps between frames; flat out it never does.
    sleeps=0
    for _ in {1..50}; do
        [[ $(cat "/proc/$gamePid/task/$gamePid/wchan") != *nanosleep* ]] || ((++sleeps))
        sleep 0.02
    done
    ((sleeps >= 10)) || fail "--frame-rate 60: the main thread slept at $sleeps of 50 looks"
    xdotool key p
    # shellcheck disable=SC2016 # eval expands it at each try
    until_ 3 "Paused, the pointer moving" eval 'shoot && [[ $(textArea) != "$before" ]]'
    kill "$mover"
    finish Escape ;;
uncovered_and_remapped)
    # Paused, nothing changes: on a server that keeps nothing of a covered window, only the
    # game's answer to the expose can bring the picture back.
    field
    start
    # P once the game shows its score: one sent as the window appears may come before the first
    # pair, which takes none (under qemu, a while).
    pauseGame && paused=$grid
    asPaused() { shoot && [[ $grid == "$paused" ]] && inked; }
    convert -size 640x480 xc:magenta "$tmp/cover.png"
    display -geometry 640x480+0+0 "$tmp/cover.png" &
    cover=$!
    until_ 10 "the window covered" eval '! asPaused'
    kill "$cover" && { wait "$cover" || true; }
    until_ 5 "the paused game shown once uncovered" asPaused
    xdotool windowunmap --sync "$win" windowmap --sync "$win"
    until_ 5 "the paused game shown once mapped again" asPaused
    finish Escape ;;
bad_start_up_files)
    cp -r "$tmp/run" "$tmp/good"
    # case WORD SETUP: the game started after SETUP in a fresh run folder stops at once with a
    # message naming WORD, a non-zero status and nothing on standard output.
    case_() {
        rm -rf "$tmp/run" && cp -r "$tmp/good" "$tmp/run" && eval "$2"
        # shellcheck disable=SC2086 # the settings and the emulator command are split into words
        (cd "$tmp/run" && exec timeout -k 2 20 env ${3:-} ${GEMLETS_EMULATOR:-} ./gemlets) \
            >"$tmp/stdout" 2>"$tmp/stderr" && fail "$1: status 0"
        grep -qF -- "$1" "$tmp/stderr" || fail "$1: the message does not name it"
        [[ ! -s $tmp/stdout ]] || fail "$1: standard output is not empty"
        (($(wc -l <"$tmp/stderr") == 1)) || fail "$1: standard error holds more than its message"
    }
    case_ test.txt "rm $tmp/run/test.txt"
    case_ test.txt "field; sed -i 's/\$/\r/' $tmp/run/test.txt"
    case_ font.ttf "rm $tmp/run/font.ttf"
    case_ gemlet_red.jpg "rm $tmp/run/gemlet_red.jpg"
    case_ gameover.jpg "head -c 2000 /dev/urandom >$tmp/run/gameover.jpg"
    case_ clear_3.wav "rm $tmp/run/clear_3.wav"
    case_ land.wav "head -c 2000 /dev/urandom >$tmp/run/land.wav"
    case_ display "true" "-u DISPLAY" ;;
landings_signals_and_sounds)
    # The first pair dropped by Space after the window was asked to close, which the game
    # ignores, then SIGTERM; a chain cleared and scored, P pausing and resuming, then SIGINT.
    # What each played, through SDL's disk audio driver, which writes to a file what a sound
    # card would play (at SDL 2's own rate and channels under sdl12-compat): a landing that
    # clears sounds beyond one that does not; --no-sound and --check play nothing; without a
    # device the game plays and says nothing.
    # drop NAME SHOWN ROWS [ARGUMENT...]: the first pair dropped onto the field of those bottom
    # rows until the screen shows SHOWN, what it played in NAME.raw (or $raw), its replay in
    # NAME.replay; the score before it in `before`.
    yellows="****3* **3*3* **0*2*"
    yellowsCleared="([*0-3]{$cols}/){$((rows - 3))}\\*{$cols}/\\*{$cols}/\\*\\*012\\*$pad/"
    drop() {
        local game=$1 shown=$2
        # shellcheck disable=SC2086 # the rows are words
        field $3
        settings=(SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="${raw:-$tmp/$game.raw}" SDL_DISKAUDIODELAY=46)
        start --record "$tmp/$game.replay" "${@:4}"
        sized "$windowSize" || fail "not $windowSize"
        until_ 10 "the first pair falling in column 3" shows "$pairAt3.*"
        ${GEMLETS_EMULATOR:-} "$sendDeleteWindow" "$win" || fail "could not ask the window to close"
        before=$(textArea)
        xdotool key space # taken after the close request, which must be ignored
        until_ 5 "$game: the pair down" shows "$shown"
        sleep 1 # the sounds of the landing and its turn step played out
    }
    # The 16-bit samples that are not silent.
    heard() { od -An -v -td2 -w2 "$@" | grep -v '^ *0$' || true; }
    drop land "$landed" ""
    finish TERM
    drop clear "$yellowsCleared" "$yellows"
    [[ $(textArea) != "$before" ]] || fail "the score did not change"
    # That nothing moves while paused the scenarios of the window's size show.
    pauseGame && paused=$grid
    xdotool key p
    # shellcheck disable=SC2016 # eval expands it at each try
    until_ 5 "the pair falling again" eval 'shoot && [[ $grid != "$paused" ]]'
    finish INT
    grep -qx 'sweeping' "$tmp/stdout" || fail "no sweeping in the trace"
    knocks=$(heard "$tmp/land.raw" | wc -l) both=$(heard "$tmp/clear.raw" | wc -l)
    ((knocks > 0 && both > knocks * 3 / 2)) || fail "a landing played $knocks samples, one that clears $both"
    # Classic SDL plays the file as it is.
    [[ $(ldd "$runDir/gemlets" 2>/dev/null) == *sdl12-compat* ]] ||
        cmp -s <(heard "$tmp/land.raw") <(tail -c +45 "$tmp/run/land.wav" | heard) ||
        fail "the landing played is not land.wav"
    drop quiet "$yellowsCleared" "$yellows" --no-sound
    finish Escape
    [[ ! -e $tmp/quiet.raw ]] || fail "--no-sound opened the sound device"
    # shellcheck disable=SC2086 # the emulator command is split into words
    (cd "$tmp/run" && exec env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$tmp/check.raw" \
        ${GEMLETS_EMULATOR:-} ./gemlets --replay "$tmp/clear.replay" --check) >/dev/null ||
        fail "the recorded game does not check"
    [[ ! -e $tmp/check.raw ]] || fail "--check opened the sound device"
    # A device that cannot open: the disk driver's folder is not there.
    raw=$tmp/nowhere/played.raw drop nowhere "$landed" ""
    finish Escape
    [[ ! -e $tmp/nowhere ]] || fail "a device opened in a folder that is not there" ;;
pads)
    # SDL2's virtual joystick in three shapes, every button pressed, the quitting one last: a pad
    # SDL2 maps as a game controller, one it has no mapping for (a hat, the common order) and
    # the GP2X's. Each press with the command and the pad button that the replay must hold for
    # it ("h": the hat's direction; the GP2X's buttons are no pad buttons).
    [[ $(ldd "$runDir/gemlets" 2>/dev/null) == *sdl12-compat* ]] ||
        { echo "SKIP: only sdl12-compat lists SDL2's virtual joystick"; exit 77; }
    shapes=(controller "0=rotate=a 1=hardDrop=b 2=-=x 3=-=y 5=-=guide 6=togglePause=start 7=-=leftStick 8=-=rightStick 9=-=leftShoulder 10=-=rightShoulder 11=rotate=dpadUp 12=dropOne=dpadDown 13=moveLeft=dpadLeft 14=moveRight=dpadRight 4=quit=back"
        "11,1" "0=rotate=a 1=hardDrop=b 2=-=x 3=-=y 4=-=leftShoulder 5=-=rightShoulder 7=togglePause=start 8=-=guide 9=-=leftStick 10=-=rightStick h8=moveLeft=dpadLeft h2=moveRight=dpadRight h4=dropOne=dpadDown h1=rotate=dpadUp 6=quit=back"
        "19,0" "0=- 1=- 2=moveLeft 3=- 4=dropOne 5=- 6=moveRight 7=- 8=togglePause 10=- 11=- 12=- 13=rotate 14=hardDrop 15=- 16=- 17=- 18=- 9=quit")
    field
    mkfifo "$tmp/presses"
    for ((s = 0; s < ${#shapes[@]}; s += 2)); do
        settings=(LD_PRELOAD="$virtualPad" GEMLETS_VIRTUAL_PAD="${shapes[s]}" GEMLETS_VIRTUAL_PAD_FIFO="$tmp/presses")
        start --record "$tmp/replay"
        expected="" lines=""
        for press in ${shapes[s + 1]}; do
            IFS='=' read -r b c name <<<"$press"
            [[ $b == h* ]] && expected+="pad $name $c"$'\n' && continue
            entry=button; [[ -z $name ]] || entry="pad $name"
            expected+="$entry $b $c"$'\n' lines+="button  $b pressed"$'\n'
        done
        tr ' ' '\n' <<<"${shapes[s + 1]}" | cut -d= -f1 >"$tmp/presses" # each held and let go 50 ms
        until_ 10 "the game ending after ${shapes[s]}'s last press" ended
        wait "$gamePid" || fail "${shapes[s]}: status $? after its last press"
        gamePid=""
        [[ $(sed -En 's/^[0-9]+ ((button|pad) .*)/\1/p' "$tmp/replay") == "${expected%$'\n'}" ]] ||
            fail "${shapes[s]}: the replay holds $(grep -E ' (button|pad) ' "$tmp/replay" | tr '\n' ,)"
        [[ $(grep '^button' "$tmp/stdout") == "${lines%$'\n'}" ]] || fail "${shapes[s]}: $(cat "$tmp/stdout")"
        [[ ! -s $tmp/stderr ]] || fail "${shapes[s]}: standard error is not empty"
    done ;;
scales_and_fit)
    # Paused, each scale's picture is the design's window enlarged: the window resized back to
    # the design's size gives that picture.
    newScreen 3840x2160
    field
    for n in 2 3 5; do
        start --scale $n
        sized $((n * w))x$((n * h)) || fail "--scale $n: not $((n * w))x$((n * h))"
        frameAt 0 0 $((n * w)) && pauseGame && cp "$tmp/shot.png" "$tmp/big.png"
        echo "--scale $n: a screenshot of $(identify -format %wx%h "$tmp/big.png")"
        xdotool windowsize "$win" "$w" "$h"
        until_ 5 "--scale $n: the design's window enlarged $n times" enlarged $n "$tmp/big.png"
        finish Escape
    done
    for fits in 3840x2160=1920 1920x1080=768 1280x720=384; do
        newScreen "${fits%=*}"
        start --scale fit
        sized "${fits#*=}x${fits#*=}" || fail "--scale fit on ${fits%=*}: not ${fits#*=}"
        finish Escape
    done
    said="gemlets: a $((3 * w)) x $((3 * h)) window (--scale 3) does not fit the 1280 x 720 screen: --scale 1"
    start --scale 3
    sized "${w}x$h" || fail "--scale 3 on 1280x720: not ${w}x$h"
    finish Escape ;;
fullscreen_resized_and_replayed)
    # Without --scale the window is the design's, of a fixed size; with it the player's to size.
    # F11 and Alt+Enter switch to the whole screen and back, a resize centres the game, and none
    # of it is the game's: its replay holds no key of theirs and checks without a window, at
    # another scale, with the game's standard output.
    newScreen 1920x1080
    field
    start
    [[ $(xprop -id "$win" WM_NORMAL_HINTS) == *"maximum size: $w by $h"* ]] || fail "the design's window may be resized"
    finish Escape
    start --scale 2 --record "$tmp/replay"
    frameAt 0 0 $((2 * w)) && pauseGame && pausedGrid=$grid && cp "$tmp/shot.png" "$tmp/window.png"
    # One switch at a time: a key sent while the window is remade finds no focus here, where no
    # window manager gives it back.
    for keys in F11 alt+Return; do
        xdotool key $keys
        until_ 5 "$keys: the whole screen" onWholeScreen
        onScreen() { shoot && [[ $grid == "$pausedGrid" ]] && inked && black 420x1080+0+0 420x1080+1500+0; }
        until_ 5 "$keys: the paused game filling the screen's height, centred, the rest black" onScreen
        xdotool key $keys
        shotWindow="" && frameAt 0 0 $((2 * w))
        until_ 5 "$keys again: the window as it was" enlarged 1 "$tmp/window.png"
    done
    xdotool windowsize "$win" 600 500
    frameAt 50 0 500
    resized() { sized 600x500 && shoot && [[ $grid == "$pausedGrid" ]] && inked && black 50x500+0+0 50x500+550+0; }
    until_ 5 "the paused game at 500 x 500, centred, the rest black" resized
    xdotool windowsize "$win" $((2 * w)) $((2 * h))
    frameAt 0 0 $((2 * w))
    until_ 5 "back at its size, the same picture" enlarged 1 "$tmp/window.png"
    xdotool key p space
    until_ 5 "the pair landed after Space" shows "$landed"
    finish Escape
    [[ $(grep -Eo ' key [^ ]+' "$tmp/replay" | tr -d '\n') == " key p key p key space key escape" ]] || fail "the replay holds $(grep ' key ' "$tmp/replay")"
    (cd "$tmp/run" && exec ${GEMLETS_EMULATOR:-} ./gemlets --replay "$tmp/replay" --check --scale 3) >"$tmp/checked" ||
        fail "the replay recorded at --scale 2 did not check"
    cmp -s "$tmp/checked" "$tmp/stdout" || fail "the checked replay's trace differs from the game's"
    start --fullscreen --scale fit
    until_ 5 "--fullscreen: the whole screen" onWholeScreen
    xdotool key F11
    until_ 5 "F11 from --fullscreen: the --scale fit window" refound 768x768
    finish Escape ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
