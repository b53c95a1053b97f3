#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# The page around the game and the site as an app, in headless Chromium (drivers/devtools.py). The
# page: opened from the disk, or without its font or its wasm, it says why and starts nothing; a
# phone-sized screen shows every touch button whole below the canvas; the canvas has the
# window's shape; a paused game runs no animation frames and a key still acts at once (that the
# pair then falls on, web_test.py shows); a game over shows the game-over picture; a ?replay=
# link that cannot be read, unpacks to more than a link holds or that the game refuses plays
# nothing and says why, and one waiting a week stops on Escape (the argument "replay": these
# alone). The site: within its size, installable, our own files only (no policy violation while
# the game plays, an inline script refused), a new build replacing the old one whole on a fast
# and a slow network, other sites' caches kept, play with the server gone. Its sound: made at
# the player's first key, resting while nothing sounds, an off switch remembered for the visit,
# and a browser that refuses sound no error. Builds nothing: serves copies of build-web/site,
# one of which it turns into a new build. Screenshot in build-web/phone.png.
import base64, json, os, shutil, subprocess, sys, time, zlib

repo = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, f"{repo}/drivers")
import devtools, geometry

browser, passed = devtools.Browser(), []
G = geometry.read(f"{repo}/build-web")  # the field's size, as the site was built
MESSAGE = "document.getElementById('message').textContent"
RUNNING = "typeof Module !== 'undefined' && Module.calledRun === true"
# From before the page's first script: animation frames counted, the policy violations, and a
# cell's mean colour.
WATCH = f"""window.frames_ = 0; const raf = window.requestAnimationFrame.bind(window);
window.requestAnimationFrame = (f) => raf((t) => {{ ++frames_; f(t); }});
violations = []; document.addEventListener('securitypolicyviolation',
  (e) => violations.push(e.violatedDirective));
cell = (x, y) => {{ const s = [0, 0, 0], px = {G.px}; Module.ctx.getImageData(x * px, y * px, px, px)
  .data.forEach((v, i) => i % 4 < 3 && (s[i % 4] += v / px / px)); return s; }}"""
# The canvas's pixels summed: a change in what it shows changes it.
PIXELS = "(c => c.getContext('2d').getImageData(0, 0, c.width, c.height))(canvas)" \
         ".data.reduce((s, v, i) => s + v * (i % 7 + 1), 0)"
BOXES = """[...document.querySelectorAll('#canvas, #touch button')].map((e) =>
  (r => [r.left, r.top, r.right, r.bottom])(e.getBoundingClientRect()))"""
# The shipped field's first pair, yellow over red, wherever it has fallen to in column 3; a
# ?field= link's blue at the bottom of column 2.
PAIR = lambda column, _: any(min(y[:2]) > y[2] + 60 and r[0] > max(r[1:]) + 60
                             for y, r in zip(column, column[1:]))
BLUE = lambda _, cell: cell[2] > cell[0] + 60
# The upper half of the game-over picture, which the game fetches after its first frame, on the
# canvas as the picture itself holds it.
GAMEOVER = """(p => { if (!p) return false; const w = Math.min(p.width, canvas.width),
  h = Math.min(p.height, canvas.height) >> 1, a = p.getContext('2d').getImageData(0, 0, w, h).data,
  b = Module.ctx.getImageData(0, 0, w, h).data; let d = 0;
  for (let i = 0; i < a.length; ++i) d += Math.abs(a[i] - b[i]); return d / a.length < 4;
})(Module.preloadedImages['/gameover.jpg'])"""


def js(expression):  # a promise awaited
    return browser.call("Runtime.evaluate", expression=expression, returnByValue=True,
                        awaitPromise=True)["result"].get("value")


def check(what, test, timeout=10):
    try:
        devtools.wait(what, test, timeout)
    except devtools.Error as error:
        if browser.ws:
            browser.screenshot(f"{repo}/build-web/page-failed.png")
            error = f"{error}; message {js(MESSAGE)!r}; violations {js('window.violations')}"
        sys.exit(f"FAIL: {error}")
    passed.append(what)


def load(url, what, shown):  # shown(column 3's cells, the cell at the bottom of column 2)
    browser.open(url)
    check(what, lambda: js("window.Module?.calledRun && !!Module.ctx") and shown(
        *js(f"[Array.from({{ length: {G.rows} }}, (_, y) => cell(3, y)), cell(2, {G.rows - 1})]")))


def page(base, bare):
    browser.open(f"file://{repo}/build-web/site/index.html")
    check("opened from the disk it says how to serve it, and starts nothing",
          lambda: "scripts/play-web.sh" in js(MESSAGE) and js("typeof Module") == "undefined")
    for name, address in bare.items():
        browser.open(address)
        time.sleep(1)
        check(f"without {name} it says so and the game does not start",
              lambda: name in js(MESSAGE) and not js(RUNNING), 0)
    browser.call("Emulation.setDeviceMetricsOverride", width=390, height=844,
                 deviceScaleFactor=2, mobile=True)
    browser.open(base)
    check("the game running, nothing said", lambda: js(RUNNING) and js(MESSAGE) == "")
    browser.screenshot(f"{repo}/build-web/phone.png")
    (left, top, right, bottom), *buttons = js(BOXES)
    check("the canvas has the window's shape", lambda: abs(
        (right - left) / (bottom - top) - js("canvas.width / canvas.height")) < 0.01, 0)
    check("on a phone every touch button is whole, below the canvas, 44 x 44 or more, and "
          "they take most of the room there", lambda: all(
              r - l >= 44 and b - t >= 44 and t >= bottom and b <= 844 for l, t, r, b in buttons)
          and max(b for *_, b in buttons) - bottom > (844 - bottom) * 0.6, 0)
    browser.key("KeyP", hold=0.1)
    time.sleep(1.5)  # the drop at the end of the interval under way still comes
    shown, before = js(PIXELS), js("frames_")
    time.sleep(1.5)
    check("paused, no animation frame runs and nothing changes",
          lambda: js("frames_") == before and js(PIXELS) == shown, 0)
    browser.key("KeyP", hold=0.1)
    browser.call("Emulation.clearDeviceMetricsOverride")
    # Every column full but the pair's, in no group: the pair lands and the next has no room.
    rows = ["".join("*" if c == 3 else str((c + r) % 2) for c in range(G.cols))
            for r in range(G.rows)]
    load(f"{base}?field={'/'.join(rows)}", "a full field", lambda *_: True)
    browser.key("Space", hold=0.1)
    check("a game over shows the game-over picture", lambda: js(GAMEOVER))


def replays(base):  # ?replay= links from anyone: what cannot play says why, and nothing plays
    packed = lambda text: base64.urlsafe_b64encode(zlib.compress(text.encode())).decode()
    head = f"gemlets replay 2\ngame 1.0.0\nfield {G.cols} {G.rows}\nseed 7\n"
    for what, code, said in (
            ("cut short", packed(head)[:-8], "cannot be read: the link is cut short?"),
            ("of megabytes", packed("0 frame\n" * 200_000), "larger than a link can hold (1 MB)"),
            ("that the game refuses", packed(head + "0 drop 100001\n"),
             "gemlets: /watch.replay: line 5: drop steps in a row are counted from 2 to 100000")):
        browser.open(f"{base}?replay={code}")
        check(f"a ?replay= link {what} says so, and nothing plays", lambda: said in js(MESSAGE)
              and not js("document.body.classList.contains('open')"))
    browser.open(f"{base}?replay={packed(head + '604800000 drop' + chr(10))}")
    check("one that waits a week plays", lambda: js("document.body.classList.contains('open')"))
    browser.key("Escape", hold=0.1)
    check("and stops on Escape", lambda: "The replay has ended." in js(MESSAGE), 2)


def sound(base):
    control = "document.getElementById('sound')"
    load(base, "a new game for its sounds", PAIR)
    browser.key("ArrowLeft", hold=0.1)
    check("the sound control, beside the replay's, says it is on",
          lambda: js(f"{control}.textContent") == "Sound on"
          and js(f"{control}.nextElementSibling.id") == "save-replay", 0)
    check("the first key made the page's sound, which rests while nothing sounds",
          lambda: js("Module.gemletsAudio?.state") == "suspended")
    js("window.states = []; Module.gemletsAudio.addEventListener('statechange', "
       "() => states.push(Module.gemletsAudio.state))")
    browser.key("Space", hold=0.1)
    check("a landing wakes it, and it rests again once the knock is heard",
          lambda: js("states") == ["running", "suspended"], 5)
    js(f"{control}.click()")
    check("off, the page remembers it for the visit",
          lambda: js(f"{control}.textContent") == "Sound off"
          and js("sessionStorage.getItem('gemlets-sound')") == "off", 0)
    load(base, "reloaded, the game plays", PAIR)
    browser.key("Space", hold=0.1)
    check("with the sound still off, and no sound made for the key",
          lambda: js(f"{control}.textContent") == "Sound off"
          and js("Module.gemletsAudio") is None and js(MESSAGE) == "", 0)
    js(f"{control}.click()")
    check("on again, the control's click makes the sound",
          lambda: js(f"{control}.textContent") == "Sound on" and js("Module.gemletsAudio"), 0)
    blocked = browser.call("Page.addScriptToEvaluateOnNewDocument", source="window.AudioContext"
                           " = function () { throw new DOMException('no', 'NotAllowedError'); }")
    load(base, "with sound refused by the browser the game starts", PAIR)
    before = js(PIXELS)
    browser.key("Space", hold=0.1)
    check("and plays, without a word", lambda: js(PIXELS) != before and js(MESSAGE) == ""
          and js("Module.gemletsAudio") is None)
    browser.call("Page.removeScriptToEvaluateOnNewDocument", identifier=blocked["identifier"])


def app(site, base, server):
    browser.key("ArrowLeft", "ArrowUp", "Space", "KeyP", "KeyP", hold=0.1)
    check("no policy violation while the game plays", lambda: js("violations") == [], 0)
    check("Chromium finds it installable",
          lambda: browser.call("Page.getInstallabilityErrors")["installabilityErrors"] == [])
    check("the service worker keeps the site", lambda: len(js("caches.keys()")) == 1
          and js("navigator.serviceWorker.ready.then((r) => r.active.state)") == "activated")
    # Another site on the host, one of them ours under another folder, keeps its caches.
    others = js("Promise.all(['another site', `gemlets ${location.origin}/elsewhere/ 1`]"
                ".map((n) => caches.open(n).then(() => n)))")
    # A new build (page.js and the worker that lists it), on a fast network, then on a slow one
    # where each file comes a second late (DevTools' throttling misses the worker's fetches).
    for network, delay in (("fast", 0), ("slow", 1)):
        server.kill(), server.wait()
        browser.serve(site, f"--port={base.split(':')[-1].strip('/')}", f"--delay={delay}")
        server, old = browser.children[-1], [k for k in js("caches.keys()") if k not in others]
        with open(f"{site}/page.js", "a") as f:
            f.write(f"window.newBuild = '{network}';\n")
        names = [name for name in os.listdir(site) if name != "sw.js"]
        open(f"{site}/left.js", "w").close()  # made by an earlier build, not by this one
        subprocess.run(["cmake", f"-DSITE={site}", f"-DFILES={','.join(names)}", f"-DSOURCE="
                        f"{repo}/web/sw.js", "-P", f"{repo}/web/service_worker.cmake"], check=True)
        check("a file the build no longer makes leaves the site",
              lambda: not os.path.exists(f"{site}/left.js"), 0)
        load(base, f"a new build on a {network} network: the next load is the old one whole",
             lambda *cells: PAIR(*cells) and js("window.newBuild") != network)
        check("the new build takes over", lambda: old[0] not in js("caches.keys()"), 20)
        new = [k for k in js("caches.keys()") if k not in others]
        check("with all its files, the other sites' caches kept", lambda: len(new) == 1 and sorted(
            js("caches.keys()")) == sorted(others + new) and js(f"caches.open({json.dumps(new[0])})"
            ".then((c) => c.keys()).then((f) => f.length)") == len(names), 0)
        load(base, "the load after is the new one",
             lambda *cells: PAIR(*cells) and js("newBuild") == network)
    server.kill()
    load(base, "with the server gone a reload plays", PAIR)
    load(f"{base}?field={'/'.join(G.field('****0*', '****30', '**3*30', '**0*20'))}",
         "and so does a new ?field= link", BLUE)
    js("document.body.append(Object.assign(document.createElement('script'), "
       "{ textContent: 'inline = true' }))")
    check("an inline script is refused",
          lambda: js("violations") == ["script-src-elem"] and js("window.inline") is None)


try:
    site = shutil.copytree(f"{repo}/build-web/site", f"{browser.tmp}/site")
    cut = {name: shutil.copytree(site, f"{browser.tmp}/without-{name}")
           for name in ("font.ttf", "gemlets.wasm.gz")}
    for name, folder in cut.items():
        os.remove(f"{folder}/{name}")
    size = sum(os.path.getsize(f"{site}/{name}") for name in os.listdir(site))
    check(f"the site, {size:,} bytes, within 600 KB", lambda: size <= 600_000, 0)
    base = browser.serve(site)
    server = browser.children[-1]
    bare = {name: browser.serve(folder) for name, folder in cut.items()}
    browser.launch()
    browser.call("Page.enable")
    browser.call("Page.addScriptToEvaluateOnNewDocument", source=WATCH)
    replays(base)
    if sys.argv[1:] != ["replay"]:  # alone: the mutation stage's replay link mutants
        page(base, bare)
        sound(base)
        app(site, base, server)
    print(f"page: {len(passed)} checks passed; screenshot in {repo}/build-web/phone.png")
except devtools.Error as error:
    sys.exit(f"FAIL: {error}")
finally:
    browser.close()
