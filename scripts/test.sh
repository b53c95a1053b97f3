#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, then builds and tests in the stages of the list below, in its order,
# stopping at the first failure; named stages run alone, each stage is the function stage_NAME.
# Each stage prints its name and duration; any sanitizer report fails the stage. The builds
# and test runs are the presets of the stage's name (CMakePresets.json).
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

# Each stage's name and what it runs, in the order they run; --help prints them.
stages=(
    "lint      clang-format, shellcheck, the licence check and the READMEs (scripts/lint.sh)"
    "plain     every test, in build/"
    "mutation  each mutant of tests/mutation/mutants.py in a scratch copy; every one must fail a test"
    "compat    the SDL and Xvfb tests again, the same build loading sdl12-compat"
    "web       the browser's site (emscripten, build-web/), played in Chromium, Firefox and WebKit"
    "fuzz      the field-file loader and the replay reader under libFuzzer (clang++, build-fuzz/), for a bounded time"
    "tsan      the tests labelled \"concurrency\", ThreadSanitizer (build-tsan/)"
    "asan      every test, AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/)"
    "armel     cross-built for 32-bit ARM, every test under qemu-arm (build-armel/)"
    "arm64     the same for 64-bit ARM (build-arm64/)"
    "handheld  the PortMaster port for ARM handhelds (build-port/), played under qemu"
    "package   the Debian package built, lintian, installed, played from /, purged"
)
# The stages that run on the plain build (build/): its game, images or tests.
on_plain=(compat web handheld)

usage() {
    local users
    printf -v users '%s, ' "${on_plain[@]:0:${#on_plain[@]}-1}"
    echo "usage: scripts/test.sh [STAGE...]"
    echo "Installs what is missing (scripts/deps.sh), then runs the stages named, or all of them,"
    echo "in this order, stopping at the first failure. ${users%, } and ${on_plain[-1]} run on the"
    echo "plain build (build/) and make it first when the plain stage does not run."
    printf '  %s\n' "${stages[@]}"
}

# The stages asked for, checked before anything is installed.
declare -A asked=()
for arg in "$@"; do
    case $arg in
    -h | --help)
        usage
        exit 0
        ;;
    esac
    known=false
    for line in "${stages[@]}"; do [[ ${line%% *} == "$arg" ]] && known=true; done
    if ! $known; then
        echo "test.sh: no stage '$arg'" >&2
        usage >&2
        exit 2
    fi
    asked[$arg]=1
done

jobs=$(nproc)
plain_dir=build
fuzz_runs=1000000
fuzz_seconds=60

# Every report stops the process at once, so that the test that triggered it fails.
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$repo/cmake/lsan.supp:print_suppressions=0
export TSAN_OPTIONS=halt_on_error=1:abort_on_error=1:second_deadlock_stack=1

stage=""
stage_start=$SECONDS
timings=()
summaries=() # ctest's line of each test run
results=()   # the last line of every other stage's checks
scratch=""
plain_built=false

finish() {
    local status=$?
    [[ -n "$scratch" ]] && rm -rf "$scratch"
    if [[ $status -ne 0 ]]; then
        echo >&2
        echo "test.sh: FAILED in stage '$stage' (exit status $status) after" \
            "$((SECONDS - stage_start)) s" >&2
    fi
    exit "$status"
}
trap finish EXIT

begin() {
    stage=$1
    stage_start=$SECONDS
    echo
    echo "=== $stage"
}

end() {
    local took=$((SECONDS - stage_start))
    timings+=("$(printf '%-12s %4d s' "$stage" "$took")")
    echo "=== $stage: done in $took s"
}

# Runs ctest with a test preset and further arguments, keeps its summary line for the final
# report under NAME.
run_ctest() {
    local name=$1 preset=$2 dir=build-$2
    shift 2
    [[ $preset == plain ]] && dir=$plain_dir
    ctest --preset "$preset" -j "$jobs" "$@" 2>&1 | tee "$dir/ctest.log"
    local summary
    summary=$(grep -E 'tests passed, [0-9]+ tests failed' "$dir/ctest.log" | tail -n 1 || true)
    summaries+=("$(printf '%-6s %s' "$name" "${summary:-(no summary)}")")
}

# Runs a command, shows its output on standard error, and keeps its last line for the final
# report.
last_line() {
    local log status=0
    log=$(mktemp)
    "$@" | tee "$log" >&2 || status=$?
    results+=("$(tail -n 1 "$log")")
    rm -f "$log"
    return "$status"
}

# Configures and builds with a preset.
build_preset() {
    cmake --preset "$1"
    cmake --build --preset "$1" -j "$jobs"
}

# The plain build, in build/, once: the plain stage's, or the first of a stage on it.
plain_build() {
    $plain_built && return
    begin "plain build"
    build_preset plain
    end
    plain_built=true
}

stage_deps() {
    begin deps
    scripts/deps.sh
    end
}

stage_lint() {
    begin lint
    scripts/lint.sh
    end
}

stage_plain() {
    plain_build
    begin "plain tests"
    run_ctest plain plain
    end
}

stage_mutation() {
    begin mutation
    # Its own scratch build outside the checkout: every plausible fault in the table must make
    # some test fail (scripts/mutate.py). The page's mutants of a portal's frame build the site
    # there too (about a minute): the portal check alone, in Chromium, must kill them.
    last_line python3 scripts/mutate.py
    end
}

stage_compat() {
    begin "compat tests"
    # sdl12-compat (SDL 1.2 on SDL2, what most distributions ship) installs beside the classic
    # library; the same executables load it from its own folder.
    local compat_dir
    compat_dir=/usr/lib/$(gcc -print-multiarch)/sdl12-compat
    [[ $(LD_LIBRARY_PATH=$compat_dir ldd "$plain_dir/run/gemlets") == *"$compat_dir/libSDL-1.2"* ]] || {
        echo "sdl12-compat is not what $plain_dir/run/gemlets loads from $compat_dir" >&2
        exit 1
    }
    LD_LIBRARY_PATH=$compat_dir run_ctest compat plain \
        -R '^(SdlTest|StartUp|DesktopImages|Display|Assets|SoundPlayer|xvfb|Replay)\.'
    end
}

stage_web() {
    begin web
    # The site takes its images from the plain build; the test plays it in three engines and
    # compares the page's traces with that build's game under Xvfb.
    scripts/build-web.sh "$plain_dir"
    last_line /usr/bin/python3 tests/web/web_test.py "$plain_dir"
    last_line /usr/bin/python3 tests/web/page_test.py
    end
}

# fuzz_run NAME SECONDS TIMEOUT SEEDS...: the libFuzzer target NAME for SECONDS (or
# $fuzz_runs inputs), each input allowed TIMEOUT seconds, on a scratch copy of the seed files;
# its own dictionary fuzz/NAME.dict, if any. Keeps its executions for the report.
fuzz_run() {
    local name=$1 seconds=$2 timeout=$3 log=build-fuzz/fuzz_$1.log done_line dict=()
    shift 3
    [[ -f fuzz/$name.dict ]] && dict=(-dict="$repo/fuzz/$name.dict")
    mkdir -p "$scratch/$name"
    cp "$@" "$scratch/$name/"
    if ! (cd "$scratch" && "$repo/build-fuzz/fuzz/fuzz_$name" -runs=$fuzz_runs \
        -max_total_time="$seconds" -timeout="$timeout" -print_final_stats=1 "${dict[@]}" \
        -artifact_prefix="$scratch/$name-" "$name") >"$log" 2>&1; then
        tail -n 60 "$log"
        mkdir -p build-fuzz/crashes
        cp "$scratch"/"$name"-crash-* "$scratch"/"$name"-timeout-* "$scratch"/"$name"-leak-* \
            "$scratch"/"$name"-oom-* build-fuzz/crashes/ 2>/dev/null || true
        echo "fuzz $name: FAILED; full log in $log, failing inputs in build-fuzz/crashes/" >&2
        exit 1
    fi
    done_line=$(grep -E '^Done [0-9]+ runs in [0-9]+ second' "$log" | tail -n 1 || true)
    if [[ ! "$done_line" =~ ^Done\ ([0-9]+)\ runs\ in\ ([0-9]+)\ second ]]; then
        tail -n 20 "$log"
        echo "fuzz $name: no 'Done N runs' line in $log" >&2
        exit 1
    fi
    results+=("fuzz ${name//_/ }: ${BASH_REMATCH[1]} executions in ${BASH_REMATCH[2]} s, no crash")
    echo "${results[-1]}"
}

stage_fuzz() {
    begin "fuzz build"
    build_preset fuzz
    end

    begin "fuzz run"
    # libFuzzer adds every new input to its corpus folder and drops crash files in the current
    # folder: both go to a scratch copy, never into the repository. The time is shared: the
    # field file's loader half, the replay reader half, its seeds the hand-made entries and the
    # replay corpus. A replay may take seconds to play under the sanitizers, hence its timeout.
    scratch=$(mktemp -d)
    fuzz_run field_file $((fuzz_seconds / 2)) 10 fuzz/corpus/*
    fuzz_run replay $((fuzz_seconds / 2)) 30 fuzz/replay_corpus/* tests/replays/*.replay
    end
}

stage_tsan() {
    begin "tsan build"
    build_preset tsan
    end

    begin "tsan tests"
    # The concurrency tests; ThreadSanitizer runs the soak many times slower, 400 games take
    # about three minutes.
    run_ctest tsan tsan
    end
}

stage_asan() {
    begin "asan build"
    build_preset asan
    end

    begin "asan tests"
    # The plain stage plays the full 10,000 games; here 2,000, each costing several times more.
    run_ctest asan asan
    end
}

# cross ARCH: the cross build for ARCH and the whole suite under qemu-user.
cross() {
    begin "$1"
    scripts/cross-test.sh "$1"
    summaries+=("$(printf '%-6s %s' "$1" "$(grep -E 'tests passed, [0-9]+ tests failed' \
        "build-$1/ctest.log" | tail -n 1)")")
    end
}
stage_armel() { cross armel; }
stage_arm64() { cross arm64; }

stage_handheld() {
    begin handheld
    # The PortMaster port (build-port/), played in Debian 11 arm64 and armhf roots under qemu.
    last_line bash tests/handheld/handheld_test.sh "$plain_dir"
    end
}

stage_package() {
    begin package
    last_line bash tests/package/package_test.sh
    end
}

stage_deps
for line in "${stages[@]}"; do
    name=${line%% *}
    ((${#asked[@]} == 0)) || [[ -n ${asked[$name]:-} ]] || continue
    [[ " ${on_plain[*]} " != *" $name "* ]] || plain_build
    "stage_$name"
done

echo
echo "=== stage times"
printf '%s\n' "${timings[@]}"
printf 'total        %4d s\n' "$SECONDS"
echo "=== results"
if ((${#summaries[@]} + ${#results[@]})); then printf '%s\n' "${summaries[@]}" "${results[@]}"; fi
