#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The browser build in headless Chromium, driven over the DevTools protocol: what the page
shows (canvas pixels) and what the game writes (window.gemletsStdout). Builds nothing: it
takes build-web/site and, for the desktop's trace, build/run. Screenshots go to build-web/."""
import json, os, shutil, socket, subprocess, sys, tempfile, time, urllib.request
import websocket

repo = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
site, native, shots = f"{repo}/build-web/site", f"{repo}/build/run", f"{repo}/build-web"
tmp = tempfile.mkdtemp(prefix="gemlets-web.")
children, passed = [], []
# A chain: the first pair (yellow over red) clears four yellows, and the blue that stood on
# them falls beside three blues.
CHAIN = ["******"] * 8 + ["****0*", "****30", "**3*30", "**0*20"]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def get(url):
    try:
        with urllib.request.urlopen(url, timeout=2) as response:
            return response.read()
    except OSError:
        return None


def start(*command, **kwargs):
    children.append(subprocess.Popen(command, **kwargs))
    return children[-1]


def until(what, check, timeout=10):
    deadline = time.monotonic() + timeout
    while not (value := check()):
        if time.monotonic() > deadline:
            sys.exit(f"FAIL: not seen within {timeout} s: {what}")
        time.sleep(0.05)
    passed.append(what)
    return value


def settled(what, read):
    """Waits for a trace that holds a search and stayed the same for a second."""
    last = [None, 0]

    def same():
        text, now = read(), time.monotonic()
        if text != last[0]:
            last[:] = [text, now]
        return "sweeping" in text and now - last[1] > 1

    until(what, same)


def desktop(rows, keys):
    """The desktop game under Xvfb from a field: its standard output after the keys and
    Escape, once a turn step's trace has ended, and its standard error."""
    run = f"{tmp}/run{len(children)}"
    shutil.copytree(native, run)
    with open(f"{run}/test.txt", "w") as f:
        f.write("".join(row + "\n" for row in rows))
    if "DISPLAY" not in env:
        read, write = os.pipe()
        start("Xvfb", "-displayfd", str(write), "-nolisten", "tcp", pass_fds=[write],
              stderr=subprocess.DEVNULL)
        env["DISPLAY"] = ":" + os.read(read, 16).decode().strip()
    out, err = open(f"{run}/out", "w+"), open(f"{run}/err", "w+")
    game = start("./gemlets", cwd=run, env=env, stdout=out, stderr=err)
    if keys:
        window = xdotool("search", "--sync", "--onlyvisible", "--pid", str(game.pid))[0]
        xdotool("windowfocus", "--sync", window)
        for key in keys:
            xdotool("key", key)
        settled("the desktop's trace", lambda: open(out.name).read())
        xdotool("key", "Escape")
    game.wait(20)
    return open(out.name).read(), open(err.name).read()


env = dict(os.environ)
xdotool = lambda *a: subprocess.run(["xdotool", *a], env=env, timeout=30, check=True,
                                    capture_output=True, text=True).stdout.split()


class Browser:
    def __init__(self):
        port = free_port()
        start("chromium", "--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic",
              "--no-first-run", "--disable-background-networking", "--disable-component-update",
              "--disable-sync", "--window-size=800,1000", f"--user-data-dir={tmp}/profile",
              f"--remote-debugging-port={port}",
              stderr=subprocess.DEVNULL)
        targets = until("Chromium's DevTools", lambda: get(f"http://127.0.0.1:{port}/json/list"))
        pages = [t for t in json.loads(targets) if t["type"] == "page"]
        self.ws = websocket.create_connection(pages[0]["webSocketDebuggerUrl"], timeout=30,
                                              suppress_origin=True)
        self.id = 0


    def call(self, method, **params):
        self.id += 1
        self.ws.send(json.dumps({"id": self.id, "method": method, "params": params}))
        while (reply := json.loads(self.ws.recv())).get("id") != self.id:
            pass
        return reply["result"]

    def eval(self, expression):
        return self.call("Runtime.evaluate", expression=expression,
                         returnByValue=True)["result"].get("value")

    def open(self, url):
        self.call("Page.navigate", url=url)
        until(f"{url} loaded", lambda: self.eval("document.readyState") == "complete")

    def key(self, code, key_code):
        for kind in ("rawKeyDown", "keyUp"):
            self.call("Input.dispatchKeyEvent", type=kind, code=code, windowsVirtualKeyCode=key_code)

    def grid(self):
        """The field as rows of '*' and colour codes, by each cell's average colour."""
        means = self.eval("""(() => { const d = document.getElementById('canvas')
            .getContext('2d').getImageData(0, 0, 192, 384).data, m = [];
          for (let c = 0; c < 72; ++c) { const s = [0, 0, 0];
            for (let y = 0; y < 32; ++y) for (let x = 0; x < 32; ++x) for (let k = 0; k < 3; ++k)
              s[k] += d[((Math.floor(c / 6) * 32 + y) * 192 + c % 6 * 32 + x) * 4 + k];
            m.push(s.map(v => v / 1024)); } return m; })()""")
        near = lambda m: min(PALETTE, key=lambda p: sum((a - b) ** 2 for a, b in zip(m, p[1])))[0]
        cells = "".join(near(m) for m in means)
        return [cells[i:i + 6] for i in range(0, 72, 6)]

    def text_width(self):
        """How far right the ink beside the field reaches: a score is narrower than "Paused"."""
        return self.eval("""(() => { const d = document.getElementById('canvas')
            .getContext('2d').getImageData(202, 176, 182, 80).data; let w = 0;
          for (let i = 0; i < d.length; i += 4) if (d[i] < 96) w = Math.max(w, i / 4 % 182);
          return w; })()""")

    def shot(self, name):
        data = self.call("Page.captureScreenshot")["data"]
        with open(f"{shots}/{name}.png", "wb") as f:
            f.write(__import__("base64").b64decode(data))


def image_mean(name):
    rgb = subprocess.run(["convert", f"{native}/gemlet_{name}.jpg", "-scale", "1x1!", "-depth",
                          "8", "rgb:-"], capture_output=True, check=True).stdout
    return list(rgb)


PALETTE = [("*", [255, 255, 255])] + [(str(i), image_mean(n)) for i, n in
                                       enumerate(["blue", "red", "green", "yellow"])]


def falling(grid, top=10):
    """The cells above row `top` that hold a gemlet, as (row, column, colour)."""
    return [(r, c, v) for r, row in enumerate(grid[:top]) for c, v in enumerate(row) if v != "*"]


def main():
    trace, _ = desktop(CHAIN, ["space"])
    _, refusal = desktop(["******"] * 11, None)
    port, bare = free_port(), free_port()
    for p, extra in ((port, []), (bare, ["--no-isolation"])):
        start("/usr/bin/python3", f"{repo}/web/serve.py", site, f"--port={p}", *extra,
              stdout=subprocess.DEVNULL)
    base = f"http://127.0.0.1:{port}/"
    until("the server", lambda: get(base))
    page = Browser()
    page.open(base)
    def check(what, ok):
        passed.append(what)
        if not ok:
            page.shot("failed")
            sys.exit(f"FAIL: {what}; the page's grid: {page.grid()}, message: "
                     f"{page.eval('document.getElementById(`message`).textContent')!r}")

    pairs = lambda: falling(page.grid())
    check("the page is cross-origin isolated", page.eval("crossOriginIsolated") is True)
    first = until("the first pair", lambda: [(c, v) for _, c, v in pairs()] == [(3, "3"), (3, "1")])
    check("the score beside the white field", 0 < page.text_width() < 40)
    page.shot("first-frame")
    page.key("ArrowLeft", 37)
    until("Left moves the pair", lambda: [c for _, c, _ in pairs()] == [2, 2])
    page.key("ArrowUp", 38)
    until("Up rotates the pair", lambda: len({r for r, _, _ in pairs()}) == 1 and len(pairs()) == 2)
    page.key("Space", 32)
    until("Space drops it", lambda: sorted(page.grid()[11].replace("*", "")) == ["1", "3"])
    page.key("KeyP", 80)
    until("P shows Paused", lambda: page.text_width() > 90)
    page.shot("paused")
    page.key("KeyP", 80)
    until("P resumes", lambda: page.text_width() < 40)
    column = lambda: min((c for _, c, _ in pairs()), default=None)
    at = until("the next pair", column)
    x, y = page.eval("(() => { const r = document.querySelector('[data-key=ArrowRight]')"
                     ".getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; })()")
    for kind in ("mousePressed", "mouseReleased"):
        page.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left", clickCount=1)
    until("the touch button moves the pair", lambda: column() == at + 1)
    page.eval("held = []; navigator.getGamepads = () => [{ index: 0, mapping: 'standard', "
              "buttons: Array.from({ length: 17 }, (_, i) => ({ pressed: !!held[i] })) }]")
    time.sleep(0.2)
    page.eval("held[14] = true")
    until("the gamepad's d-pad moves the pair", lambda: column() == at)
    tab = "Object.defineProperty(document, 'hidden', { value: %s, configurable: true });" \
          "document.dispatchEvent(new Event('visibilitychange'))"
    page.eval(tab % "true")
    page.eval(tab % "false")
    until("a hidden tab pauses", lambda: page.text_width() > 90)
    time.sleep(1.1)  # the drop at the end of the interval under way still comes
    held = page.grid()
    time.sleep(1.5)
    check("shown again it stays paused", page.text_width() > 90 and page.grid() == held)
    page.key("Escape", 27)
    until("Escape ends the game and the page offers a new one",
          lambda: page.eval("document.querySelector('#message button')?.textContent") == "New game")
    page.open(base + "?field=" + "/".join(CHAIN))
    until("the chain field", lambda: page.grid()[8:] == CHAIN[8:])
    page.key("Space", 32)
    settled("the chain's trace", lambda: page.eval("gemletsStdout"))
    page.shot("chain")
    page.key("Escape", 27)
    check("the trace equals the desktop's byte for byte", page.eval("gemletsStdout") == trace)
    page.open(base + "?field=" + "/".join(["******"] * 11))
    message = "document.getElementById('message').textContent"
    until("a malformed field link's message", lambda: page.eval(message))
    # The desktop's standard error also holds the sound library's complaints on Xvfb.
    check("the desktop's message for it", page.eval(message) in refusal.splitlines())
    page.shot("malformed-field")
    page.open(f"http://127.0.0.1:{bare}/")
    check("without the headers the page says so", "Cross-Origin" in page.eval(message))
    page.shot("no-headers")
    print(f"web: {len(passed)} checks passed; screenshots in {shots}/*.png")


try:
    main()
finally:
    for child in reversed(children):
        child.kill()
        child.wait()
    shutil.rmtree(tmp, ignore_errors=True)
