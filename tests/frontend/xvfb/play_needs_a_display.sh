#!/usr/bin/env bash
# The play command without an X display says so plainly and fails, before installing or
# building anything.
# Usage: play_needs_a_display.sh SOURCE_DIR
set -euo pipefail
sourceDir=${1:?usage: $0 SOURCE_DIR}
expected="No X display: set DISPLAY or run it in a desktop session"

for display in unset empty; do
    status=0
    if [[ $display == unset ]]; then
        output=$(env -u DISPLAY "$sourceDir/scripts/play.sh" 2>&1 >/dev/null) || status=$?
    else
        output=$(DISPLAY='' "$sourceDir/scripts/play.sh" 2>&1 >/dev/null) || status=$?
    fi
    if ((status == 0)) || [[ $output != "$expected" ]]; then
        echo "FAIL: DISPLAY $display: status $status, standard error:" >&2
        echo "$output" >&2
        exit 1
    fi
done
echo "PASS: play.sh refused to start without DISPLAY: $expected"
