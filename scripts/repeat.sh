#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The checks that drive a real game or browser, each run N times in a row (10 when not given)
# on the plain build (build/) and its site, each run counted: the web test in each engine and
# the page test, every Xvfb scenario with classic SDL and with sdl12-compat, the handheld
# stage. A check that fails one run in N fails by chance, which is a fault to find. PART
# (web, xvfb, compat, handheld) narrows it; a failed run's output is kept in build/repeat/.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=10
if [[ ${1:-} =~ ^[0-9]+$ ]]; then
    runs=$1
    shift
fi
parts=("$@")
[[ ${#parts[@]} -gt 0 ]] || parts=(web xvfb compat handheld)
for part in "${parts[@]}"; do
    case $part in
    web | xvfb | compat | handheld) ;;
    *)
        echo "usage: scripts/repeat.sh [N] [web|xvfb|compat|handheld]..." >&2
        exit 2
        ;;
    esac
done

logs=build/repeat
failed=0
cmake --preset plain >/dev/null
cmake --build --preset plain -j 2 >/dev/null
mkdir -p "$logs"

# Runs a command N times, each run's output in a log kept only when it fails, and says how
# many passed (or were skipped, as ctest says) under the name given.
repeat() {
    local name=$1 passes=0 skips=0 i log
    shift
    for ((i = 1; i <= runs; i++)); do
        log=$logs/$name-$i.log
        if "$@" >"$log" 2>&1; then
            passes=$((passes + 1))
            [[ $(<"$log") == *"***Skipped"* ]] && skips=$((skips + 1))
            rm "$log"
        else
            echo "$name: run $i failed: $(tail -n 1 "$log") ($log)"
        fi
    done
    echo "$name: $passes of $runs passed$([[ $skips -eq 0 ]] || echo ", $skips skipped")" \
        "(load average $(cut -d' ' -f1-3 /proc/loadavg))"
    [[ $passes -eq $runs ]] || failed=1
}

scenarios() {
    ctest --test-dir build -N -R '^xvfb\.' | sed -n 's/^ *Test *#[0-9]*: xvfb\.//p'
}

compat_dir=/usr/lib/$(gcc -print-multiarch)/sdl12-compat
for part in "${parts[@]}"; do
    case $part in
    web)
        scripts/build-web.sh build >/dev/null
        for engine in chromium firefox webkit; do
            repeat "web-$engine" /usr/bin/python3 tests/web/web_test.py build "$engine"
        done
        repeat web-page /usr/bin/python3 tests/web/page_test.py
        ;;
    xvfb | compat)
        for scenario in $(scenarios); do
            if [[ $part == xvfb ]]; then
                repeat "xvfb.$scenario" ctest --test-dir build -R "^xvfb\.$scenario\$" \
                    --output-on-failure --no-tests=error
            else
                repeat "compat-xvfb.$scenario" env LD_LIBRARY_PATH="$compat_dir" \
                    ctest --test-dir build -R "^xvfb\.$scenario\$" --output-on-failure \
                    --no-tests=error
            fi
        done
        ;;
    handheld)
        repeat handheld bash tests/handheld/handheld_test.sh build
        ;;
    esac
done
exit "$failed"
