#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# The browser build in three engines, each driven by our client over its own protocol
# (drivers/devtools.py, drivers/bidi.py, drivers/webdriver.py): the same checks in each of what the page
# shows (canvas pixels) and what the game writes (window.gemletsStdout). Builds nothing: it
# serves build-web/site and takes the desktop's traces from build/run (or the run folder of
# the build folder given) under Xvfb. Screenshots go to build-web/<engine>-*.png.
import base64, glob, gzip, json, os, shutil, subprocess, sys, time, zlib

repo = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, f"{repo}/drivers")
import bidi, client, devtools, webdriver

ENGINES = [devtools.Browser, bidi.Browser, webdriver.Browser]
site, shots = f"{repo}/build-web/site", f"{repo}/build-web"
native = os.path.join(repo, sys.argv[1] if len(sys.argv) > 1 else "build", "run")  # the desktop's
host = client.Client()  # Xvfb, the server and the desktop games
env, page, passed = dict(os.environ), None, []
# Fields, the keys then pressed, and the page's trace must be the desktop's. In the first the
# pair (yellow over red) clears four yellows; the blue that stood on them falls beside three
# blues, which clear in turn. In the second, two moves left make four reds.
CHAIN = ["******"] * 8 + ["****0*", "****30", "**3*30", "**0*20"]
TRACES = [(CHAIN, ["Space"]),
          (["******"] * 10 + ["*1****", "*11***"], ["ArrowLeft", "ArrowLeft", "Space"]),
          (["******"] * 9 + ["*****3", "***2*3", "0*2223"],
           ["ArrowUp", "ArrowRight", "ArrowDown", "Space"])]
X_KEYS = {"ArrowLeft": "Left", "ArrowUp": "Up", "ArrowRight": "Right", "ArrowDown": "Down",
          "Space": "space"}  # X's names of the keys, for the desktop game
# Each cell's mean colour (grid), how far right the ink beside the field reaches (ink: a score
# is narrower than "Paused"), and the keys that reached the page with their key codes.
PAGE_JS = """const px = (x, y, w, h) => document.getElementById('canvas').getContext('2d')
  .getImageData(x, y, w, h).data;
window.grid = () => Array.from({ length: 72 }, (_, c) => { const s = [0, 0, 0];
  px(c % 6 * 32, (c / 6 | 0) * 32, 32, 32).forEach((v, i) => i % 4 < 3 && (s[i % 4] += v / 1024));
  return s; });
window.ink = () => { const d = px(202, 176, 182, 80); let w = 0;
  for (let i = 0; i < d.length; i += 4) if (d[i] < 96) w = Math.max(w, i / 4 % 182); return w; };
window.pressed = []; document.addEventListener('keydown',
  (e) => e.isTrusted && pressed.push([e.code, e.keyCode]), true);"""
MESSAGE = "document.getElementById('message').textContent"
# The replay corpus, each with the standard output the game wrote when it was recorded.
CORPUS = {path: gzip.open(path[:-len(".replay")] + ".out.gz").read().decode()
          for path in sorted(glob.glob(f"{repo}/tests/replays/*.replay"))}
CHECK_JS = """(text => { Module.FS.writeFile('/check.replay', text); const status = Module._gemletsCheck();
  const out = Module.UTF8ToString(Module._gemletsCheckText(0)); let h = 2166136261;
  for (let i = 0; i < out.length; ++i) h = Math.imul(h ^ out.charCodeAt(i), 16777619) >>> 0;
  return [status, out.length, h, Module.UTF8ToString(Module._gemletsCheckText(1))]; })"""


def fnv(text):
    h = 2166136261
    for c in text.encode():
        h = (h ^ c) * 16777619 % 2**32
    return h


def until(what, check, timeout=10):  # timeout 0: checked once
    value = client.wait(what, check, timeout)
    passed.append(what)
    return value


def js(expression):
    return page.js(expression)


def ink():
    return js("ink()") or 0


def xdotool(*args):
    return subprocess.run(["xdotool", *args], env=env, timeout=30, check=True,
                          capture_output=True, text=True).stdout.split()


def desktop(rows, keys):  # the desktop game's standard output and error for a field and keys
    run = shutil.copytree(native, f"{host.tmp}/run{len(host.children)}")
    open(f"{run}/test.txt", "w").write("".join(row + "\n" for row in rows))
    out, err = open(f"{run}/out", "w+"), open(f"{run}/err", "w+")
    game = host.start("./gemlets", cwd=run, env=env, stdout=out, stderr=err)
    if keys:  # a turn step's trace is written whole as the step ends
        xdotool("windowfocus", "--sync", xdotool("search", "--sync", "--onlyvisible", "--pid",
                                                 str(game.pid))[0])
        xdotool("key", *(X_KEYS[k] for k in keys))
        client.wait("the desktop's trace", lambda: open(out.name).read())
        xdotool("key", "Escape")
    game.wait(20)
    return open(out.name).read(), open(err.name).read()


def open_page(url):
    page.open(url)
    page.run(PAGE_JS)


def key(code, what, check):  # a key pressed and released, and what it does
    page.key(code)
    until(what, check)


def frame():  # ink() and the field as rows of '*' and colour codes, from one look
    near = lambda m: min(PALETTE, key=lambda p: sum((a - b) ** 2 for a, b in zip(m, p[1])))[0]
    ink, means = js("[ink(), grid()]") or (0, [])  # nothing: no canvas, or an error page
    cells = "".join(near(m) for m in means)
    return ink, [cells[i:i + 6] for i in range(0, len(cells), 6)]


def grid():
    return frame()[1]


def falling(rows=None):  # the gemlets above the bottom two rows, as (row, column)
    rows = rows or grid()
    return [(r, c) for r, row in enumerate(rows[:10]) for c, v in enumerate(row) if v != "*"]


def first_frame():  # the first pair, yellow over red, alone; a loaded machine may look late
    ink, rows = frame()
    pair = [(r, c) for r, row in enumerate(rows) for c, v in enumerate(row) if v != "*"]
    top = pair[0][0] if pair else 0
    return (0 < ink < 40 and 1 <= top <= 3 and pair == [(top, 3), (top + 1, 3)]
            and rows[top][3] + rows[top + 1][3] == "31")


def shot(name):
    page.screenshot(f"{shots}/{page.name}-{name}.png")


def shown():  # what the page shows, once there is one
    try:
        shot("failed")
        return f"; grid {grid()}, message {js(MESSAGE)!r}"
    except Exception:
        return ""


PALETTE = [("*", [255] * 3)] + [(str(i), list(subprocess.run(["convert", f"{native}/gemlet_{c}.jpg",
    "-scale", "1x1!", "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout))
    for i, c in enumerate(["blue", "red", "green", "yellow"])]
# The first moves of a game, each with what it shows.
MOVES = [("ArrowLeft", "Left moves the pair past them",
          lambda: [c for _, c in falling()] == [2, 2]),
         ("ArrowUp", "Up rotates it",
          lambda: len(rows := [r for r, _ in falling()]) == 2 and rows[0] == rows[1]),
         # A P in the frame that announces the landing is lost, on the desktop too.
         ("Space", "Space drops it, the next pair comes",
          lambda: sorted((rows := grid())[11].replace("*", "")) == ["1", "3"] and falling(rows)),
         ("KeyP", "P shows Paused", lambda: ink() > 90),
         ("KeyP", "P resumes", lambda: ink() < 40)]


def play(base, traces, refusal):  # every check in the engine of `page`
    page.launch()
    open_page(base)
    until("the first pair on the white field, the score beside it", first_frame)
    until("the page needs no cross-origin isolation", lambda: not js("crossOriginIsolated"), 0)
    shot("first-frame")
    # Mouse motion that would hold a key press up for 16 s if it reached SDL's queue.
    page.run("for (let i = 0; i < 1000; ++i) document.getElementById('canvas')"
             ".dispatchEvent(new MouseEvent('mousemove', { clientX: i % 384, bubbles: true }))")
    for code, what, check in MOVES:
        key(code, what, check)
        if what == "P shows Paused":
            shot("paused")
    at = until("the next pair", column := lambda: min((c for _, c in falling()), default=None))
    page.click(*js("(r => [r.x + r.width / 2, r.y + r.height / 2])(document.querySelector("
                   "'[data-key=ArrowRight]').getBoundingClientRect())"))
    until("a touch button moves the pair", lambda: column() == at + 1)
    # A gamepad whose d-pad left is down from its fourth poll on.
    page.run("window.polls = 0; navigator.getGamepads = () => [{ index: 0, mapping: 'standard', "
             "buttons: Array.from({ length: 17 }, (_, i) => ({ pressed: i == 14 && ++polls > 3 }))"
             " }]; window.dispatchEvent(new Event('gamepadconnected'))")
    until("a gamepad's d-pad moves it", lambda: column() == at)
    # A hidden page draws nothing: one iteration of the game shows what the tab will show.
    page.hide()
    until("a hidden tab pauses while hidden",
          lambda: (js("document.hidden && (Module._gemletsStep(), ink())") or 0) > 90)
    time.sleep(1.1)  # the drop at the end of the interval under way still comes
    page.run("Module._gemletsStep()")
    held = grid()
    time.sleep(1.5)
    page.hide(False)
    until("shown again it stays paused",
          lambda: js("!document.hidden") and ink() > 90 and grid() == held)
    key("Escape", "Escape ends the game, the page offers a new one",
        lambda: js("document.querySelector('#message button')?.textContent") == "New game")
    until("the keys pressed carry the key codes the game gave the page", lambda: js(
        "pressed.length > 5 && pressed.every(([c, k]) => Module.gemletsKeys[c] === k)"), 0)
    replay, out = js("Module.UTF8ToString(Module._gemletsReplay())"), js("gemletsStdout")
    open(f"{shots}/{page.name}-game.replay", "w").write(replay)  # for the corpus
    open(f"{shots}/{page.name}-game.out", "w").write(out)
    checked = subprocess.run([f"{native}/gemlets", "--replay", f"{shots}/{page.name}-game.replay",
                              "--check"], capture_output=True, text=True, timeout=60)
    until("the page's replay, hidden tab and all, checks on the desktop with the page's output",
          lambda: " hidden\n" in replay and checked.returncode == 0 and checked.stdout == out, 0)
    for path, recorded in CORPUS.items():
        until(f"{os.path.basename(path)} checks in the page with the recorded output",
              lambda: js(f"{CHECK_JS}({json.dumps(open(path).read())})")[:3]
              == [0, len(recorded), fnv(recorded)], 0)
    watched = f"{repo}/tests/replays/soak-8.replay"
    code = base64.urlsafe_b64encode(zlib.compress(open(watched, "rb").read(), 9)).decode()
    open_page(base + "?replay=" + code.rstrip("="))
    until("a replay in the address plays to its end with the recorded output",
          lambda: "The replay has ended." in js(MESSAGE) and js("gemletsStdout") == CORPUS[watched],
          30)
    for (rows, keys), trace in zip(TRACES, traces):
        open_page(base + "?field=" + "/".join(rows))
        top = min(r for r, row in enumerate(rows) if row != "******")  # far below the pair
        until(f"the prepared field {rows[-1]}", lambda: grid()[top:] == rows[top:])
        for code in keys:
            page.key(code)
        if rows == CHAIN:
            until("the chain clears", lambda: grid()[8:] == ["******"] * 3 + ["**012*"])
        until(f"the trace after {' '.join(keys)} equals the desktop's byte for byte",
              lambda: js("gemletsStdout") == trace)
    open_page(base + "?field=" + "/".join(["******"] * 11))
    until("a malformed field link shows the desktop's message, word for word",
          lambda: (text := js(MESSAGE)) and text + "\n" == refusal)


def main():
    global page
    if not os.path.exists(f"{site}/index.html"):
        raise client.Error(f"{site}/index.html: missing; scripts/build-web.sh builds the site")
    env["DISPLAY"] = host.xvfb()
    traces = [desktop(rows, keys)[0] for rows, keys in TRACES]
    _, refusal = desktop(["******"] * 11, None)
    base = host.serve(site)
    failed = []
    for engine in ENGINES:
        page, before, start = engine(), len(passed), time.monotonic()
        try:
            play(base, traces, refusal)
            print(f"PASS: {page.name}: {len(passed) - before} checks in "
                  f"{time.monotonic() - start:.0f} s", flush=True)
        except Exception as error:  # a page that never loads, or a browser that never starts
            print(f"FAIL: {page.name}: {error}{shown()}", flush=True)
            failed.append(page.name)
        finally:
            page.close()
    if failed:
        print(f"web: FAILED in {', '.join(failed)}; {len(passed)} checks passed")
        sys.exit(1)
    print(f"web: {len(passed)} checks passed in {len(ENGINES)} engines; "
          f"screenshots in {shots}/*.png")


try:
    main()
except Exception as error:
    sys.exit(f"FAIL: {error}")
finally:
    host.close()
