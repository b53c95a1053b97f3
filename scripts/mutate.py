#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Mutation stage: puts each mutant of tests/mutation/mutants.py into a scratch copy of the
tree, one at a time, rebuilds it and runs the test executables the build registers (ctest)
that the rebuild relinked, quickest first, until one fails. Passes only if every mutant is
killed. The Xvfb tests (label xvfb: a real window, minutes each) are left out.

The page's mutants (files under web/) need the site rebuilt with emscripten and the web stage's
tests (tests/web/page_test.py, then web_test.py) in the browsers, a minute or two each: they run
only when asked for by a WORD, e.g. scripts/mutate.py web/. Those whose note names a portal
or a ?replay= link run always: the site is built once (under a minute) and each meets the
portal check alone, or the page test's replay links alone, in Chromium (seconds).

Usage: scripts/mutate.py [WORD...]   only the mutants whose file or note holds a WORD
GEMLETS_MUTATION_DIR names a scratch folder to keep and reuse (default: a fresh one, removed).
"""
import importlib.util
import json
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
LEFT_OUT = "xvfb"  # a label: the tests that start the real game in a window
WEB = "web/"  # the page's files: their mutants meet the web stage's tests
PORTAL = "portal"  # in a page mutant's note: the portal check alone kills it, in Chromium
REPLAY_LINK = "?replay="  # in a page mutant's note: the page test's replay links alone kill it
QUICK = {PORTAL: lambda native: ["web_test.py", native, PORTAL, "chromium"],
         REPLAY_LINK: lambda native: ["page_test.py", "replay"]}


def registered(build_dir):
    """What ctest would run, as (name, command, folder), the Xvfb tests left out: a GoogleTest
    executable once, run whole, and any other test as ctest runs it."""
    listed = subprocess.run(["ctest", "--test-dir", build_dir, "--show-only=json-v1"],
                            check=True, capture_output=True, text=True).stdout
    units = {}
    for test in json.loads(listed)["tests"]:
        properties = {p["name"]: p["value"] for p in test.get("properties", [])}
        if LEFT_OUT in properties.get("LABELS", []):
            continue
        command = test.get("command")
        if not command:
            sys.exit(f"mutate.py: the test {test['name']} has no command: {command}")
        folder = properties.get("WORKING_DIRECTORY", build_dir)
        if any(arg.startswith("--gtest_filter=") for arg in command):
            units[command[0]] = (os.path.basename(command[0]), command[:1], folder)
        else:
            units[test["name"]] = (test["name"], command, folder)
    return list(units.values())


def built_files(build_dir, command):
    """The command's words that name files of the build, with their modification times."""
    return {arg: os.stat(arg).st_mtime_ns for arg in command
            if arg.startswith(build_dir + os.sep) and os.path.isfile(arg)}


def load_table():
    sys.dont_write_bytecode = True  # no __pycache__ in the checkout
    path = os.path.join(REPO, "tests", "mutation", "mutants.py")
    table = importlib.util.spec_from_file_location("mutants", path)
    module = importlib.util.module_from_spec(table)
    table.loader.exec_module(module)
    return module.MUTANTS


def edits(text, replacement):
    """A mutant's (text, replacement) pairs: one, or a tuple of texts and one of replacements."""
    return list(zip(text, replacement)) if isinstance(text, tuple) else [(text, replacement)]


def check_table(mutants):
    """Every text must occur exactly once in its file; else names each that does not."""
    faults = []
    for number, (path, texts, replacements, what) in enumerate(mutants, 1):
        for text, replacement in edits(texts, replacements):
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
                faults.append(f"mutant {number} ({what}): {path}: the replacement changes "
                              "nothing")
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


def build(build_dir):
    done = subprocess.run(["cmake", "--build", build_dir, "-j", JOBS],
                          capture_output=True, text=True)
    return done.returncode == 0, done.stdout + done.stderr


def run_tests(unit):
    """The first failing test of the unit, or None when every test passes."""
    name, command, folder = unit
    env = dict(os.environ, GEMLETS_SOAK_GAMES=SOAK_GAMES)
    try:
        done = subprocess.run(command, cwd=folder, env=env, timeout=timeouts.get(name),
                              capture_output=True, text=True, errors="replace")
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
    return f"{started[-1] if started else name} ({why})"


def quick(what):
    """The one quick web check that a page mutant's note names, if any."""
    return next((word for word in QUICK if word in what), None)


def web_tests(scratch, build_dir, checks=(None,)):
    """The site rebuilt and the web stage's tests run (those of QUICK that `checks` names
    alone, in Chromium): 'killed by TEST: why', 'SURVIVED', or 'ERROR: ...' when the site does
    not build."""
    native = os.path.relpath(build_dir, scratch)  # the site's build wants it relative
    built = subprocess.run([f"{scratch}/scripts/build-web.sh", native], cwd=scratch,
                           capture_output=True, text=True)
    if built.returncode != 0:
        return "ERROR: the site does not build: " + (built.stdout + built.stderr)[-300:]
    tests = [["page_test.py"], ["web_test.py", native]] if None in checks else [
        QUICK[check](native) for check in checks]
    for test in tests:
        done = subprocess.run(["/usr/bin/python3", f"{scratch}/tests/web/{test[0]}", *test[1:]],
                              cwd=scratch, capture_output=True, text=True, errors="replace")
        if done.returncode != 0:
            failed = re.findall(r"^FAIL: .*", done.stdout + done.stderr, re.M) or ["FAIL"]
            return f"killed by {test[0]}: {failed[0][:200]}"
    return "SURVIVED"


def try_mutant(scratch, build_dir, units, path, text, replacement, what):
    """'killed by TEST', 'SURVIVED', or 'ERROR: ...' when the mutant does not compile."""
    file = os.path.join(scratch, path)
    with open(file, encoding="utf-8") as f:
        original = f.read()
    try:
        mutated = original
        for old, new in edits(text, replacement):
            mutated = mutated.replace(old, new)
        with open(file, "w", encoding="utf-8") as f:
            f.write(mutated)
        if path.startswith(WEB):
            return web_tests(scratch, build_dir, (quick(what),))
        before = [built_files(build_dir, unit[1]) for unit in units]
        built, log = build(build_dir)
        if not built:
            errors = [line for line in log.splitlines() if ": error:" in line]
            return "ERROR: does not compile: " + (errors[0] if errors else log[-300:])
        # A test whose files the build left alone cannot see the mutant.
        for unit, files in zip(units, before):
            if built_files(build_dir, unit[1]) != files:
                killer = run_tests(unit)
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
    chosen = [(n, m) for n, m in enumerate(mutants, 1) if any(w in m[0] or w in m[3] for w in words)
              or not words and (not m[0].startswith(WEB) or quick(m[3]))]
    if not words:
        print(f"{len(mutants) - len(chosen)} mutants of the page left out: "
              "scripts/mutate.py web/ runs them", flush=True)
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
        built, log = build(build_dir)
        if not built:
            print(log[-3000:] + "\nmutate.py: the unmutated tree does not build", file=sys.stderr)
            return 1
        units, took = registered(build_dir), {}
        for unit in units:
            began = time.monotonic()
            failed = run_tests(unit)
            if failed:
                print(f"mutate.py: {failed} fails on the unmutated tree", file=sys.stderr)
                return 1
            took[unit[0]] = time.monotonic() - began
            timeouts[unit[0]] = max(MIN_TIMEOUT, SLOWDOWN * took[unit[0]])
        units.sort(key=lambda unit: took[unit[0]])
        native, site = time.monotonic() - start, ""
        if pages := [m for _, m in chosen if m[0].startswith(WEB)]:
            unmutated = web_tests(scratch, build_dir, sorted({quick(m[3]) for m in pages}, key=str))
            site = f" (the site and its tests {time.monotonic() - start - native:.0f} s)"
            if unmutated != "SURVIVED":
                print(f"mutate.py: the web stage on the unmutated tree: {unmutated}",
                      file=sys.stderr)
                return 1
        print(f"unmutated build and tests: {time.monotonic() - start:.0f} s{site}; quickest first: "
              f"{', '.join(unit[0] for unit in units)}", flush=True)
        killed = errors = 0
        for number, (path, text, replacement, what) in chosen:
            result = try_mutant(scratch, build_dir, units, path, text, replacement, what)
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
