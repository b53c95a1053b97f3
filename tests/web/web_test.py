#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# The browser build in headless Chromium, driven over the DevTools protocol: what the page
# shows (canvas pixels) and what the game writes (window.gemletsStdout). Builds nothing: it
# serves build-web/site and takes the desktop's trace from build/run (or the run folder of
# the build folder given) under Xvfb.
# Screenshots go to build-web/*.png.
import base64, json, os, shutil, subprocess, sys, tempfile, time, urllib.request
import websocket

repo = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
site, shots = f"{repo}/build-web/site", f"{repo}/build-web"
native = os.path.join(repo, sys.argv[1] if len(sys.argv) > 1 else "build", "run")  # the desktop's
tmp, children, passed, env = tempfile.mkdtemp(prefix="gemlets-web."), [], [], dict(os.environ)
# The first pair (yellow over red) clears four yellows; the blue that stood on them falls
# beside three blues, which clear in turn.
CHAIN = ["******"] * 8 + ["****0*", "****30", "**3*30", "**0*20"]
KEYS = {"ArrowLeft": 37, "ArrowUp": 38, "Space": 32, "KeyP": 80, "Escape": 27}
# Each cell's mean colour (grid) and how far right the ink beside the field reaches (ink: a
# score is narrower than "Paused"), from the canvas's pixels.
PAGE_JS = """const px = (x, y, w, h) => document.getElementById('canvas').getContext('2d')
  .getImageData(x, y, w, h).data;
grid = () => Array.from({ length: 72 }, (_, c) => { const s = [0, 0, 0];
  px(c % 6 * 32, (c / 6 | 0) * 32, 32, 32).forEach((v, i) => i % 4 < 3 && (s[i % 4] += v / 1024));
  return s; });
ink = () => { const d = px(202, 176, 182, 80); let w = 0;
  for (let i = 0; i < d.length; i += 4) if (d[i] < 96) w = Math.max(w, i / 4 % 182); return w; };"""


def get(url):
    try:
        return urllib.request.urlopen(url, timeout=2).read()
    except OSError:
        return None


def start(*command, **kwargs):
    return children.append(subprocess.Popen(command, **kwargs)) or children[-1]


def until(what, check, timeout=10):  # timeout 0: checked once
    deadline = time.monotonic() + timeout
    while not (value := check()):
        if time.monotonic() >= deadline:
            fail(f"not seen within {timeout} s: {what}")
        time.sleep(0.05)
    passed.append(what)
    return value


def xdotool(*args):
    return subprocess.run(["xdotool", *args], env=env, timeout=30, check=True,
                          capture_output=True, text=True).stdout.split()


def desktop(rows, keys):  # the desktop game's standard output and error for a field and keys
    run = shutil.copytree(native, f"{tmp}/run{len(children)}")
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


def call(method, **params):
    ws.id = getattr(ws, "id", 0) + 1
    ws.send(json.dumps({"id": ws.id, "method": method, "params": params}))
    while (reply := json.loads(ws.recv())).get("id") != ws.id:
        pass
    return reply["result"] if "result" in reply else sys.exit(f"FAIL: {method}: {reply}")


def js(expression):
    return call("Runtime.evaluate", expression=expression,
                returnByValue=True)["result"].get("value")


def open_page(url):
    call("Page.navigate", url=url)
    until(f"{url} loaded", lambda: js("document.readyState") == "complete")
    js(PAGE_JS)


def key(code, what, check):  # a key pressed and released, and what it does
    for kind in ("rawKeyDown", "keyUp"):
        call("Input.dispatchKeyEvent", type=kind, code=code, windowsVirtualKeyCode=KEYS[code])
    until(what, check)


def grid():  # the field as rows of '*' and colour codes, each cell's nearest colour
    near = lambda m: min(PALETTE, key=lambda p: sum((a - b) ** 2 for a, b in zip(m, p[1])))[0]
    cells = "".join(near(m) for m in js("grid()"))
    return [cells[i:i + 6] for i in range(0, 72, 6)]


def falling():  # the gemlets above the bottom two rows, as (row, column)
    return [(r, c) for r, row in enumerate(grid()[:10]) for c, v in enumerate(row) if v != "*"]


def shot(name):
    with open(f"{shots}/{name}.png", "wb") as f:
        f.write(base64.b64decode(call("Page.captureScreenshot")["data"]))


def fail(what):  # with what the page shows, once there is one
    page = "ws" in globals() and (shot("failed"), f"; grid {grid()}, message {js(MESSAGE)!r}")[1]
    sys.exit(f"FAIL: {what}{page or ''}")


MESSAGE = "document.getElementById('message').textContent"
PALETTE = [("*", [255] * 3)] + [(str(i), list(subprocess.run(["convert", f"{native}/gemlet_{c}.jpg",
    "-scale", "1x1!", "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout))
    for i, c in enumerate(["blue", "red", "green", "yellow"])]


def main():
    global ws
    read, write = os.pipe()
    start("Xvfb", "-displayfd", str(write), "-nolisten", "tcp", pass_fds=[write],
          stderr=subprocess.DEVNULL)
    env["DISPLAY"] = ":" + os.read(read, 16).decode().strip()
    trace, _ = desktop(CHAIN, ["space"])
    _, refusal = desktop(["******"] * 11, None)
    base, bare = (start(f"{repo}/web/serve.py", site, "--port=0", *extra, text=True,
                        stdout=subprocess.PIPE).stdout.readline().split()[-1]
                  for extra in ([], ["--no-isolation"]))
    start("chromium", "--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic",
          "--no-first-run", "--disable-background-networking", "--disable-component-update",
          "--disable-sync", "--window-size=800,1000", f"--user-data-dir={tmp}/profile",
          "--remote-debugging-port=0", stderr=subprocess.DEVNULL)
    active = until("Chromium", lambda: get(f"file://{tmp}/profile/DevToolsActivePort"))
    targets = until("its pages", lambda: get(f"http://127.0.0.1:{int(active.split()[0])}/json"))
    page = [t for t in json.loads(targets) if t["type"] == "page"][0]
    ws = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=30, suppress_origin=True)
    open_page(base)
    until("the page is cross-origin isolated", lambda: js("crossOriginIsolated"), 0)
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
        call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left", clickCount=1)
    until("a touch button moves the pair", lambda: column() == at + 1)
    # A gamepad whose d-pad left is down from its fourth poll on.
    js("polls = 0; navigator.getGamepads = () => [{ index: 0, mapping: 'standard', buttons: "
       "Array.from({ length: 17 }, (_, i) => ({ pressed: i == 14 && ++polls > 3 })) }]")
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
    open_page(bare)
    until("without the headers the page says so", lambda: "Cross-Origin" in js(MESSAGE))
    shot("no-headers")
    print(f"web: {len(passed)} checks passed; screenshots in {shots}/*.png")


try:
    main()
finally:
    for child in reversed(children):
        child.kill()
        child.wait()
    shutil.rmtree(tmp, ignore_errors=True)
