#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Mutation stage: puts each mutant of tests/mutation/mutants.py into a scratch copy of the
tree, one at a time, rebuilds the test executables that can see it and runs them until one
fails. Passes only if every mutant is killed.

Usage: scripts/mutate.py [WORD...]   only the mutants whose file or note holds a WORD
GEMLETS_MUTATION_DIR names a scratch folder to keep and reuse (default: a fresh one, removed).
"""
import importlib.util
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
JOBS = "2"
# A test executable may take this many times as long as it did on the unmutated tree (at
# least MIN_TIMEOUT seconds); one that takes longer is killed by the test it was running.
SLOWDOWN = 4
MIN_TIMEOUT = 20
timeouts = {}
SOAK_GAMES = "100"  # random games of the soak test; the plain stage plays 10,000
# The gtest executables each layer's code reaches, quickest and most telling first. The Xvfb
# tests (a real window, minutes each) and the asset checks (tools/ only) are left out.
TARGETS = {
    "model": ["model_tests", "play_tests", "play_concurrency_tests"],
    "play": ["play_tests", "play_concurrency_tests"],
    "frame": [],
}
SDL_TARGETS = ["sdl_tests", "sdl_frame_update_tests"]
LAST = ["play_soak_tests"]


def targets_for(path):
    layer = path.split("/")[0]
    if layer not in TARGETS:
        sys.exit(f"mutate.py: {path}: not in model/, play/ or frame/")
    return TARGETS[layer] + SDL_TARGETS + (LAST if layer != "frame" else [])


def executable(build, target):
    folder = "frame" if target.startswith("sdl") else target.split("_")[0]
    return os.path.join(build, "tests", folder, target)


def load_table():
    sys.dont_write_bytecode = True  # no __pycache__ in the checkout
    path = os.path.join(REPO, "tests", "mutation", "mutants.py")
    table = importlib.util.spec_from_file_location("mutants", path)
    module = importlib.util.module_from_spec(table)
    table.loader.exec_module(module)
    return module.MUTANTS


def check_table(mutants):
    """Every text must occur exactly once in its file; else names each that does not."""
    faults = []
    for number, (path, text, replacement, what) in enumerate(mutants, 1):
        try:
            with open(os.path.join(REPO, path), encoding="utf-8") as f:
                count = f.read().count(text)
        except OSError as error:
            faults.append(f"mutant {number} ({what}): {path}: {error.strerror}")
            continue
        if count != 1:
            faults.append(f"mutant {number} ({what}): {path}: the text {text!r} occurs "
                          f"{count} times, not once; update tests/mutation/mutants.py")
        if text == replacement:
            faults.append(f"mutant {number} ({what}): {path}: the replacement changes nothing")
    return faults


def copy_tree(scratch):
    """The checkout's tracked files as they are on disk; unchanged files keep their times."""
    files = subprocess.run(["git", "ls-files", "-z"], cwd=REPO, check=True,
                           capture_output=True).stdout.decode().split("\0")
    for name in filter(None, files):
        source = os.path.join(REPO, name)
        target = os.path.join(scratch, name)
        if not os.path.isfile(source):
            continue
        with open(source, "rb") as f:
            data = f.read()
        if os.path.isfile(target):
            with open(target, "rb") as f:
                if f.read() == data:
                    continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy2(source, target)
        os.utime(target)  # newer than any object built from an older copy


def build(build_dir, targets):
    done = subprocess.run(["cmake", "--build", build_dir, "-j", JOBS, "--target", *targets],
                          capture_output=True, text=True)
    return done.returncode == 0, done.stdout + done.stderr


def run_tests(build_dir, target):
    """The first failing test of the executable, or None when every test passes."""
    env = dict(os.environ, GEMLETS_SOAK_GAMES=SOAK_GAMES)
    binary = executable(build_dir, target)
    try:
        done = subprocess.run([binary], cwd=os.path.dirname(binary), env=env,
                              timeout=timeouts.get(target), capture_output=True, text=True,
                              errors="replace")
        output, status = done.stdout + done.stderr, done.returncode
    except subprocess.TimeoutExpired as expired:
        output = expired.stdout or ""
        if isinstance(output, bytes):
            output = output.decode(errors="replace")
        status = "timed out"
    failed = re.findall(r"^\[  FAILED  \] (\S+\.\S+) \(", output, re.M)
    if failed:
        return failed[0]
    if status == 0:
        return None
    started = re.findall(r"^\[ RUN      \] (\S+)", output, re.M)
    why = status if status == "timed out" else f"exit status {status}"
    return f"{started[-1] if started else target} ({why})"


def try_mutant(scratch, build_dir, path, text, replacement):
    """'killed by TEST', 'SURVIVED', or 'ERROR: ...' when the mutant does not compile."""
    file = os.path.join(scratch, path)
    with open(file, encoding="utf-8") as f:
        original = f.read()
    try:
        with open(file, "w", encoding="utf-8") as f:
            f.write(original.replace(text, replacement))
        for target in targets_for(path):
            built, log = build(build_dir, [target])
            if not built:
                errors = [line for line in log.splitlines() if ": error:" in line]
                return "ERROR: does not compile: " + (errors[0] if errors else log[-300:])
            killer = run_tests(build_dir, target)
            if killer:
                return f"killed by {killer}"
        return "SURVIVED"
    finally:
        # Written back and touched, so that the next build compiles the original again.
        with open(file, "w", encoding="utf-8") as f:
            f.write(original)
        os.utime(file)


def main():
    mutants = load_table()
    faults = check_table(mutants)
    if faults:
        print("\n".join(["mutate.py: the mutant table no longer matches the code:"] + faults),
              file=sys.stderr)
        return 2
    words = sys.argv[1:]
    chosen = [(n, m) for n, m in enumerate(mutants, 1)
              if not words or any(w in m[0] or w in m[3] for w in words)]
    if not chosen:
        sys.exit(f"mutate.py: no mutant's file or note holds {' or '.join(words)}")
    keep = os.environ.get("GEMLETS_MUTATION_DIR")
    scratch = os.path.abspath(keep) if keep else tempfile.mkdtemp(prefix="gemlets-mutation-")
    if scratch == REPO or scratch.startswith(REPO + os.sep):
        sys.exit(f"mutate.py: {scratch}: the scratch folder must lie outside the checkout")
    start = time.monotonic()
    try:
        copy_tree(scratch)
        build_dir = os.path.join(scratch, "build")
        configured = subprocess.run(["cmake", "-S", scratch, "-B", build_dir, "-G", "Ninja",
                                     "-DCMAKE_BUILD_TYPE=RelWithDebInfo"],
                                    capture_output=True, text=True)
        if configured.returncode != 0:
            print(configured.stdout + configured.stderr + "\nmutate.py: cmake cannot configure "
                  f"the copy in {scratch}", file=sys.stderr)
            return 1
        every = sorted({t for n, m in chosen for t in targets_for(m[0])})
        built, log = build(build_dir, every)
        if not built:
            print(log[-3000:] + "\nmutate.py: the unmutated tree does not build", file=sys.stderr)
            return 1
        for target in every:
            began = time.monotonic()
            failed = run_tests(build_dir, target)
            if failed:
                print(f"mutate.py: {failed} fails on the unmutated tree", file=sys.stderr)
                return 1
            timeouts[target] = max(MIN_TIMEOUT, SLOWDOWN * (time.monotonic() - began))
        print(f"unmutated build and tests: {time.monotonic() - start:.0f} s", flush=True)
        killed = errors = 0
        for number, (path, text, replacement, what) in chosen:
            result = try_mutant(scratch, build_dir, path, text, replacement)
            killed += result.startswith("killed")
            errors += result.startswith("ERROR")
            print(f"{number:3} {path}: {what}: {result}", flush=True)
    finally:
        if not keep:
            shutil.rmtree(scratch, ignore_errors=True)
    print(f"{len(chosen)} mutants, {killed} killed"
          + (f", {errors} that do not compile" if errors else "")
          + f" ({time.monotonic() - start:.0f} s)")
    return 0 if killed == len(chosen) else 1


if __name__ == "__main__":
    sys.exit(main())
