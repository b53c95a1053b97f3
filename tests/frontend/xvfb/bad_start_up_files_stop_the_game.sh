#!/usr/bin/env bash
# Every bad start-up file stops the game before play: a message on standard error naming the
# file, a non-zero status, nothing on standard output. Without an X display it says so.
# Usage: bad_start_up_files_stop_the_game.sh RUN_DIR
source "$(dirname "$0")/xvfb_lib.sh"
setUp "$@"
startXvfb

fieldWith() { # fieldWith ROW TEXT: an empty field but for one row
    local rows=() row
    for row in {0..11}; do
        if ((row == $1)); then
            rows+=("$2")
        else
            rows+=('******')
        fi
    done
    writeField "$dir" "${rows[@]}"
}
startUpStops() { # startUpStops CASE WORD-IN-MESSAGE [env ARGS]: runs the game in $dir
    local case=$1 word=$2 status=0
    shift 2
    (cd "$dir" && exec env "$@" timeout -k 2 10 ${GEMLETS_EMULATOR:-} ./gemlets) >"$tmp/stdout" 2>"$tmp/stderr" ||
        status=$?
    ((status != 124 && status != 137)) || fail "$case: the game did not stop; it was killed"
    ((status != 0)) || fail "$case: status 0"
    grep -qiF -- "$word" "$tmp/stderr" || fail "$case: the message does not name \"$word\""
    [[ ! -s $tmp/stdout ]] || fail "$case: standard output is not empty: $(head -c 300 "$tmp/stdout")"
    # ALSA reports a machine without a sound card on stderr too; the game's own line matters.
    note "$case: status $status: $(grep -v '^ALSA lib ' "$tmp/stderr" | tr '\n' ' ')"
}
newCase() { # newCase NAME: a fresh copy of the good run folder in $dir
    dir=$tmp/$1
    cp -r "$tmp/run" "$dir"
    writeBottomRows "$dir"
}

newCase no-field-file && rm "$dir/test.txt"
startUpStops "test.txt missing" test.txt
newCase bad-char && fieldWith 5 '**x***'
startUpStops "test.txt with an 'x'" test.txt
newCase short && writeField "$dir" '******' '******' '******' '******' '******'
startUpStops "test.txt of 5 lines" test.txt
newCase crlf && sed -i 's/$/\r/' "$dir/test.txt"
startUpStops "test.txt with CR LF line ends" test.txt
newCase covers-first && fieldWith 1 '***0**'
startUpStops "test.txt covering (3,1)" test.txt
newCase covers-second && fieldWith 2 '***2**'
startUpStops "test.txt covering (3,2)" test.txt
newCase no-font && rm "$dir/font.ttf"
startUpStops "font.ttf missing" font.ttf
newCase no-red && rm "$dir/gemlet_red.jpg"
startUpStops "gemlet_red.jpg missing" gemlet_red.jpg
newCase corrupt-game-over && head -c 2000 /dev/urandom >"$dir/gameover.jpg"
startUpStops "gameover.jpg corrupt" gameover.jpg
newCase no-display
startUpStops "DISPLAY unset" display -u DISPLAY
note "PASS: every bad start-up stopped with a message and a non-zero status"
