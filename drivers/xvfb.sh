# shellcheck shell=bash
# SPDX-License-Identifier: MIT
# Sourced by every script that needs a private X server.
# startXvfb DIR ARGUMENT...: starts Xvfb with the arguments, its display line going to
# DIR/display and its messages to DIR/xvfb.log; sets xvfbPid at once, for the caller's cleanup,
# and exports DISPLAY once the line is whole. Gives up after 10 s, or when Xvfb ends, saying
# why on standard error, and returns 1.
startXvfb() {
    local dir=$1 display=""
    shift
    : >"$dir/display" # a line left from an earlier server must not be read as this one's
    Xvfb -displayfd 3 "$@" 3>"$dir/display" 2>"$dir/xvfb.log" &
    xvfbPid=$!
    local deadline=$((${EPOCHREALTIME/./} + 10000000))
    # Xvfb writes the number and its line end in two writes: only a whole line is read.
    until { read -r display <"$dir/display"; } 2>/dev/null && [[ -n $display ]]; do
        if ! kill -0 "$xvfbPid" 2>/dev/null; then
            echo "Xvfb ended before it wrote its display line: $(tail -c 500 "$dir/xvfb.log")" >&2
            return 1
        fi
        if ((${EPOCHREALTIME/./} > deadline)); then
            echo "Xvfb wrote no whole display line in 10 s; $dir/display holds" \
                "'$(cat "$dir/display" 2>/dev/null)'" >&2
            return 1
        fi
        sleep 0.02
    done
    export DISPLAY=:$display
}
