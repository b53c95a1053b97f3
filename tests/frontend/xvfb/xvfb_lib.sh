# shellcheck shell=bash
# Sourced by the Xvfb tests: a private X server, a private copy of the run folder, the real
# game started in it, key presses through XTEST, screenshots read back as a field grid in the
# field-file form ('*' empty, '0' to '3' a colour, '?' anything else), and clean-up on any exit.
# Every wait polls a condition against a deadline; nothing relies on a fixed sleep.

set -euo pipefail

# Each game's main loop keeps one core busy, so waits are generous; a pass is usually quick.
windowTimeout=15
escapeLimitMs=500

tmp=""
xvfbPid=""
gamePid=""
win=""
grid=""
shot=""
gameStatus=""
failDetail="" # set by a predicate to say what it saw last

# What the test had to say, then the evidence: the last screen grid and the game's output.
fail() {
    {
        echo "FAIL: $*"
        [[ -z $failDetail ]] || echo "$failDetail"
        if [[ -n $grid ]]; then
            echo "last screen grid (field-file form; '?' = neither white nor a gemlet colour):"
            printf '%s\n' "$grid"
        fi
        if [[ -n $tmp && -s $tmp/stdout ]]; then
            echo "game stdout (last 30 lines):"
            tail -n 30 "$tmp/stdout" | cut -c1-300 | cat -v
        fi
        if [[ -n $tmp && -s $tmp/stderr ]]; then
            echo "game stderr:"
            cat "$tmp/stderr"
        fi
    } >&2
    exit 1
}

note() { echo "$*"; }

tearDown() {
    if [[ -n $gamePid ]] && kill -0 "$gamePid" 2>/dev/null; then
        kill -KILL "$gamePid" 2>/dev/null || true
        wait "$gamePid" 2>/dev/null || true
    fi
    if [[ -n $xvfbPid ]]; then
        kill "$xvfbPid" 2>/dev/null || true
        wait "$xvfbPid" 2>/dev/null || true
    fi
    # GEMLETS_XVFB_KEEP=1 leaves the folder (shots, output, run copy) for a post-mortem.
    if [[ -n $tmp && -z ${GEMLETS_XVFB_KEEP:-} ]]; then
        rm -rf "$tmp"
    fi
}

# setUp RUN_DIR: checks the tools, copies the run folder to a fresh temporary one ($tmp/run).
setUp() {
    local runDir=${1:?usage: $0 RUN_DIR}
    local tool
    for tool in Xvfb xdotool import convert compare od; do
        command -v "$tool" >/dev/null || fail "$tool is missing; scripts/deps.sh installs it"
    done
    [[ -x $runDir/gemlets ]] || fail "no executable $runDir/gemlets: build the gemlets target first"
    tmp=$(mktemp -d /tmp/gemlets-xvfb.XXXXXX)
    trap tearDown EXIT
    trap 'exit 143' TERM
    trap 'exit 130' INT HUP
    cp -r "$runDir" "$tmp/run"
    loadPalette "$tmp/run"
}

# Milliseconds since the epoch, without a fork.
nowMs() {
    local t=${EPOCHREALTIME/./}
    echo $((t / 1000))
}

# startXvfb: a server on a display number it picks itself (-displayfd), exported as DISPLAY.
startXvfb() {
    # -noreset: a server that resets when its last client leaves refuses the next game for a
    # moment, and SDL then falls back to a text-mode driver instead of failing.
    Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3>"$tmp/display" \
        2>"$tmp/xvfb.log" &
    xvfbPid=$!
    local deadline=$(($(nowMs) + 10000))
    until [[ -s $tmp/display ]]; do
        kill -0 "$xvfbPid" 2>/dev/null || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
        (($(nowMs) < deadline)) || fail "Xvfb gave no display number within 10 s"
        sleep 0.02
    done
    DISPLAY=:$(head -n 1 "$tmp/display")
    export DISPLAY
}

# startGame: runs ./gemlets in $tmp/run with its stdout and stderr in $tmp. A background job
# of a script ignores SIGINT; env gives the game the dispositions a terminal would.
startGame() {
    grid=""
    (cd "$tmp/run" && exec env --default-signal ${GEMLETS_EMULATOR:-} ./gemlets) >"$tmp/stdout" 2>"$tmp/stderr" &
    gamePid=$!
}

# True once the game process has ended (it stays a zombie until waitForExit reaps it).
gameExited() {
    [[ -r /proc/$gamePid/stat ]] || return 0
    local stat
    stat=$(<"/proc/$gamePid/stat") || return 0
    stat=${stat##*) }
    [[ ${stat%% *} == Z ]]
}

# waitForExit SECONDS: sets gameStatus; fails if the game is still running at the deadline.
waitForExit() {
    local deadline=$(($(nowMs) + $1 * 1000))
    until gameExited; do
        (($(nowMs) < deadline)) || fail "the game was still running after $1 s"
        sleep 0.005
    done
    gameStatus=0
    wait "$gamePid" || gameStatus=$?
    gamePid=""
}

# findWindow: waits for the game's top-level window (SDL tags it with _NET_WM_PID), gives it
# the keyboard focus and puts the pointer over it.
findWindow() {
    local deadline=$(($(nowMs) + windowTimeout * 1000))
    win=""
    while [[ -z $win ]]; do
        if gameExited; then
            waitForExit 1
            fail "the game ended with status $gameStatus before its window appeared"
        fi
        (($(nowMs) < deadline)) || fail "no game window within $windowTimeout s"
        win=$(xdotool search --onlyvisible --pid "$gamePid" 2>/dev/null | head -n 1) || true
        [[ -n $win ]] || sleep 0.05
    done
    xdotool windowfocus "$win" 2>/dev/null || true
    xdotool mousemove --window "$win" 100 100
}

pressKey() { xdotool key "$1"; }

# The mean colour of the top-left 32 x 32 of an image as "R G B", 0 to 255.
meanColour() {
    convert "$1" -crop 32x32+0+0 +repage -scale '1x1!' -depth 8 rgb:- | od -An -tu1 -v | xargs
}

# The gemlet images as the field file's colour codes; white is the empty cell.
loadPalette() {
    local names=(blue red green yellow) code
    paletteCodes=('*' 0 1 2 3)
    paletteColours=("255 255 255")
    for code in 0 1 2 3; do
        local image=$1/gemlet_${names[code]}.jpg
        [[ -r $image ]] || fail "no $image in the run folder"
        paletteColours+=("$(meanColour "$image")")
    done
}

# screenGrid PNG: each field cell's mean colour mapped to the nearest of white and the four
# gemlet images; a cell farther than 60 from all of them is '?'.
screenGrid() {
    local values
    read -ra values -d '' < <(convert "$1" -crop 192x384+0+0 +repage -scale '6x12!' -depth 8 \
        rgb:- | od -An -tu1 -v) || true
    ((${#values[@]} == 216)) || fail "could not read the field area of $1"
    local cell row line best bestDistance p r g b distance
    for ((row = 0; row < 12; ++row)); do
        line=""
        for ((cell = row * 6; cell < row * 6 + 6; ++cell)); do
            best='?'
            bestDistance=$((60 * 60))
            for p in "${!paletteCodes[@]}"; do
                read -r r g b <<<"${paletteColours[p]}"
                r=$((values[cell * 3] - r))
                g=$((values[cell * 3 + 1] - g))
                b=$((values[cell * 3 + 2] - b))
                distance=$((r * r + g * g + b * b))
                if ((distance < bestDistance)); then
                    best=${paletteCodes[p]}
                    bestDistance=$distance
                fi
            done
            line+=$best
        done
        printf '%s\n' "$line"
    done
}

# takeShot NAME: a screenshot of the game window into $tmp/NAME.png ($shot), read into $grid.
takeShot() {
    shot=$tmp/$1.png
    import -window "$win" "$shot" 2>"$tmp/import.log" ||
        fail "could not take a screenshot: $(cat "$tmp/import.log")"
    grid=$(screenGrid "$shot")
}

# keepShot NAME: with GEMLETS_XVFB_SHOTS naming a folder, the last shot is kept there as
# NAME.png, for a person to look at.
keepShot() {
    if [[ -n ${GEMLETS_XVFB_SHOTS:-} ]]; then
        mkdir -p "$GEMLETS_XVFB_SHOTS"
        cp "$shot" "$GEMLETS_XVFB_SHOTS/$1.png"
    fi
}

# waitForScreen SECONDS DESCRIPTION PREDICATE [ARGS]: takes screenshots until PREDICATE
# (called with the grid, then ARGS) holds; the last one stays in $shot and $grid.
waitForScreen() {
    local seconds=$1 description=$2 predicate=$3
    shift 3
    local deadline=$(($(nowMs) + seconds * 1000))
    while :; do
        if gameExited; then
            waitForExit 1
            fail "the game ended with status $gameStatus while waiting for: $description"
        fi
        takeShot screen
        "$predicate" "$grid" "$@" && return 0
        (($(nowMs) < deadline)) || fail "not seen within $seconds s: $description"
    done
}

# Row Y (0 at the top) and column X of a grid, as strings.
gridRow() { sed -n "$(($2 + 1))p" <<<"$1"; }
gridColumn() {
    local line column=""
    while read -r line; do
        column+=${line:$2:1}
    done <<<"$1"
    echo "$column"
}

# gridMatches GRID EXPECTED: equal cell for cell, where '.' in EXPECTED matches anything.
gridMatches() {
    local actual=$1 expected=$2 i
    ((${#actual} == ${#expected})) || return 1
    for ((i = 0; i < ${#expected}; ++i)); do
        [[ ${expected:i:1} == . || ${expected:i:1} == "${actual:i:1}" ]] || return 1
    done
}

# The first pair, yellow over red, falling in column 3 with nothing else in that column.
firstPairFalling() {
    [[ $(gridColumn "$1" 3) =~ ^\*+31\*+$ ]]
}

# greySpan SHOT GEOMETRY: "min max" grey level (0 to 255) of a region such as 182x48+202+192.
greySpan() {
    convert "$1" -crop "$2" +repage -colorspace gray -depth 8 -format '%[min] %[max]' info:
}

# The score or "Paused" is drawn: dark text pixels right of the field, around (202, 192).
textShown() {
    local span
    span=$(greySpan "$1" 182x48+202+192)
    ((${span%% *} < 96))
}

# regionChanged BEFORE AFTER GEOMETRY: some pixel of that region differs between two shots.
# ImageMagick's policy refuses /dev/fd paths, so the crops go through files.
regionChanged() {
    local differing
    convert "$1" -crop "$3" +repage "$tmp/region-before.png"
    convert "$2" -crop "$3" +repage "$tmp/region-after.png"
    differing=$(compare -metric AE "$tmp/region-before.png" "$tmp/region-after.png" null: 2>&1) ||
        true
    [[ $differing =~ ^[0-9] ]] || fail "could not compare $1 with $2: $differing"
    ((${differing%%[!0-9]*} > 0))
}

# quitWithEscape: Escape must end the game with status 0 within escapeLimitMs, measured from
# just before xdotool sends the key to the moment the process has ended.
quitWithEscape() {
    local start end
    start=$(nowMs)
    pressKey Escape
    waitForExit 5
    end=$(nowMs)
    note "Escape to exit: $((end - start)) ms, status $gameStatus"
    ((gameStatus == 0)) || fail "Escape ended the game with status $gameStatus, not 0"
    ((end - start < escapeLimitMs)) ||
        fail "Escape took $((end - start)) ms to end the game (limit $escapeLimitMs ms)"
}

# Standard output may hold only the game's diagnostics: joystick button lines, the group
# search trace and its grid dumps (six hex values, each followed by a blank); the trace writes
# no line end after a count or "sweeping returning 0", so a dump may start on that line.
checkStdoutIsDiagnostics() {
    local row='((-1|[0-9a-f]+) ){6}'
    local allowed="^(|backtrackGemlets|gemlets count = [0-9]+($row)?|$row|sweeping|sweeping returning 0($row)?|button  [0-9]+ pressed)\$"
    local stray
    stray=$(grep -Evn "$allowed" "$tmp/stdout" | head -n 10) || true
    [[ -z $stray ]] || fail "standard output holds more than the diagnostics:"$'\n'"$stray"
}

# writeField DIR ROW...: the field file test.txt in DIR from 12 rows, LF line ends.
writeField() {
    local dir=$1
    shift
    printf '%s\n' "$@" >"$dir/test.txt"
}

# writeBottomRows DIR [ROW...]: a field file whose last rows are ROWs, empty above them.
writeBottomRows() {
    local dir=$1 rows=()
    shift
    while ((${#rows[@]} + $# < 12)); do
        rows+=('******')
    done
    writeField "$dir" "${rows[@]}" "$@"
}
