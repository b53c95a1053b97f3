#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# The browser build in headless Chromium, driven by web/devtools.py: what the page
# shows (canvas pixels) and what the game writes (window.gemletsStdout). Builds nothing: it
# serves build-web/site and takes the desktop's trace from build/run (or the run folder of
# the build folder given) under Xvfb.
# Screenshots go to build-web/*.png.
import os, shutil, subprocess, sys, time

repo = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, f"{repo}/web")
import devtools

site, shots = f"{repo}/build-web/site", f"{repo}/build-web"
native = os.path.join(repo, sys.argv[1] if len(sys.argv) > 1 else "build", "run")  # the desktop's
passed, env = [], dict(os.environ)
# The first pair (yellow over red) clears four yellows; the blue that stood on them falls
# beside three blues, which clear in turn.
CHAIN = ["******"] * 8 + ["****0*", "****30", "**3*30", "**0*20"]
# Each cell's mean colour (grid) and how far right the ink beside the field reaches (ink: a
# score is narrower than "Paused"), from the canvas's pixels.
PAGE_JS = """const px = (x, y, w, h) => document.getElementById('canvas').getContext('2d')
  .getImageData(x, y, w, h).data;
grid = () => Array.from({ length: 72 }, (_, c) => { const s = [0, 0, 0];
  px(c % 6 * 32, (c / 6 | 0) * 32, 32, 32).forEach((v, i) => i % 4 < 3 && (s[i % 4] += v / 1024));
  return s; });
ink = () => { const d = px(202, 176, 182, 80); let w = 0;
  for (let i = 0; i < d.length; i += 4) if (d[i] < 96) w = Math.max(w, i / 4 % 182); return w; };"""


def until(what, check, timeout=10):  # timeout 0: checked once
    try:
        value = devtools.wait(what, check, timeout)
    except devtools.Error as error:
        fail(str(error))
    passed.append(what)
    return value


browser = devtools.Browser(wait=until)
start, js = browser.start, browser.js


def xdotool(*args):
    return subprocess.run(["xdotool", *args], env=env, timeout=30, check=True,
                          capture_output=True, text=True).stdout.split()


def desktop(rows, keys):  # the desktop game's standard output and error for a field and keys
    run = shutil.copytree(native, f"{browser.tmp}/run{len(browser.children)}")
    open(f"{run}/test.txt", "w").write("".join(row + "\n" for row in rows))
    out, err = open(f"{run}/out", "w+"), open(f"{run}/err", "w+")
    game = start("./gemlets", cwd=run, env=env, stdout=out, stderr=err)
    if keys:  # a turn step's trace is written whole as the step ends
        xdotool("windowfocus", "--sync", xdotool("search", "--sync", "--onlyvisible", "--pid",
                                                 str(game.pid))[0])
        xdotool("key", *keys)
        until("the desktop's trace", lambda: open(out.name).read())
        xdotool("key", "Escape")
    game.wait(20)
    return open(out.name).read(), open(err.name).read()


def open_page(url):
    browser.open(url)
    js(PAGE_JS)


def key(code, what, check):  # a key pressed and released, and what it does
    browser.key(code)
    until(what, check)


def grid():  # the field as rows of '*' and colour codes, each cell's nearest colour
    near = lambda m: min(PALETTE, key=lambda p: sum((a - b) ** 2 for a, b in zip(m, p[1])))[0]
    cells = "".join(near(m) for m in js("grid()"))
    return [cells[i:i + 6] for i in range(0, 72, 6)]


def falling():  # the gemlets above the bottom two rows, as (row, column)
    return [(r, c) for r, row in enumerate(grid()[:10]) for c, v in enumerate(row) if v != "*"]


def shot(name):
    browser.screenshot(f"{shots}/{name}.png")


def fail(what):  # with what the page shows, once there is one
    page = browser.ws and (shot("failed"), f"; grid {grid()}, message {js(MESSAGE)!r}")[1]
    sys.exit(f"FAIL: {what}{page or ''}")


MESSAGE = "document.getElementById('message').textContent"
PALETTE = [("*", [255] * 3)] + [(str(i), list(subprocess.run(["convert", f"{native}/gemlet_{c}.jpg",
    "-scale", "1x1!", "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout))
    for i, c in enumerate(["blue", "red", "green", "yellow"])]


def main():
    read, write = os.pipe()
    start("Xvfb", "-displayfd", str(write), "-nolisten", "tcp", pass_fds=[write],
          stderr=subprocess.DEVNULL)
    env["DISPLAY"] = ":" + os.read(read, 16).decode().strip()
    trace, _ = desktop(CHAIN, ["space"])
    _, refusal = desktop(["******"] * 11, None)
    base = start(f"{repo}/web/serve.py", site, "--port=0", text=True,
                 stdout=subprocess.PIPE).stdout.readline().split()[-1]
    browser.launch()
    open_page(base)
    until("the page needs no cross-origin isolation", lambda: not js("crossOriginIsolated"), 0)
    until("the first pair on the white field, the score beside it", lambda: 0 < js("ink()") < 40
          and falling() == [(1, 3), (2, 3)] and grid()[1][3] + grid()[2][3] == "31")
    shot("first-frame")
    # Mouse motion that would hold a key press up for 16 s if it reached SDL's queue.
    js("for (let i = 0; i < 1000; ++i) document.getElementById('canvas')"
       ".dispatchEvent(new MouseEvent('mousemove', { clientX: i % 384, bubbles: true }))")
    key("ArrowLeft", "Left moves the pair past them", lambda: [c for _, c in falling()] == [2, 2])
    key("ArrowUp", "Up rotates it",
        lambda: len(rows := [r for r, _ in falling()]) == 2 and rows[0] == rows[1])
    key("Space", "Space drops it", lambda: sorted(grid()[11].replace("*", "")) == ["1", "3"])
    key("KeyP", "P shows Paused", lambda: js("ink()") > 90)
    shot("paused")
    key("KeyP", "P resumes", lambda: js("ink()") < 40)
    at = until("the next pair", column := lambda: min((c for _, c in falling()), default=None))
    x, y = js("(r => [r.x + r.width / 2, r.y + r.height / 2])(document.querySelector("
              "'[data-key=ArrowRight]').getBoundingClientRect())")
    for kind in ("mousePressed", "mouseReleased"):
        browser.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left", clickCount=1)
    until("a touch button moves the pair", lambda: column() == at + 1)
    # A gamepad whose d-pad left is down from its fourth poll on.
    js("polls = 0; navigator.getGamepads = () => [{ index: 0, mapping: 'standard', buttons: "
       "Array.from({ length: 17 }, (_, i) => ({ pressed: i == 14 && ++polls > 3 })) }];"
       "window.dispatchEvent(new Event('gamepadconnected'))")
    until("a gamepad's d-pad moves it", lambda: column() == at)
    for hidden in ("true", "false"):
        js(f"Object.defineProperty(document, 'hidden', {{ value: {hidden}, configurable: true }});"
           "document.dispatchEvent(new Event('visibilitychange'))")
    until("a hidden tab pauses", lambda: js("ink()") > 90)
    time.sleep(1.1)  # the drop at the end of the interval under way still comes
    held = grid()
    time.sleep(1.5)
    until("shown again it stays paused", lambda: js("ink()") > 90 and grid() == held, 0)
    key("Escape", "Escape ends the game, the page offers a new one",
          lambda: js("document.querySelector('#message button')?.textContent") == "New game")
    open_page(base + "?field=" + "/".join(CHAIN))
    until("the prepared field", lambda: grid()[8:] == CHAIN[8:])
    key("Space", "the chain clears", lambda: grid()[8:] == ["******"] * 3 + ["**012*"])
    until("the trace equals the desktop's byte for byte", lambda: js("gemletsStdout") == trace)
    open_page(base + "?field=" + "/".join(["******"] * 11))
    until("a malformed field link shows the desktop's message, word for word",
          lambda: (shown := js(MESSAGE)) and shown + "\n" == refusal)
    print(f"web: {len(passed)} checks passed; screenshots in {shots}/*.png")


try:
    main()
except devtools.Error as error:
    sys.exit(f"FAIL: {error}")
finally:
    browser.close()
