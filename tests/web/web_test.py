#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# The browser build in three engines, each driven by our client over its own protocol
# (drivers/devtools.py, drivers/bidi.py, drivers/webdriver.py): the same checks in each of what
# the page shows (canvas pixels) and what the game writes (window.gemletsStdout). Builds nothing: it
# serves build-web/site and takes the desktop's traces from build/run (or the run folder of
# the build folder given) under Xvfb. Screenshots go to build-web/<engine>-*.png.
import base64, functools, glob, gzip, json, os, re, shutil, subprocess, sys, time, zlib

repo = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, f"{repo}/drivers")
import bidi, client, devtools, geometry, webdriver

ONLY = sys.argv[2:]  # engines by name, and "portal": that check alone (a page mutant's)
ENGINES = [e for e in (devtools.OnX, bidi.Browser, webdriver.Browser)  # clicked by X's pointer
           if e.name in ONLY or not set(ONLY) - {"portal"}]
site, shots = f"{repo}/build-web/site", f"{repo}/build-web"
native = os.path.join(repo, sys.argv[1] if len(sys.argv) > 1 else "build", "run")  # the desktop's
host = client.Client()  # Xvfb, the server and the desktop games
env, page, passed = dict(os.environ), None, []
G = geometry.read(shots)  # the field's and the window's size, as the site was built
COLS, ROWS, PX, EMPTY, field = G.cols, G.rows, G.px, "*" * G.cols, G.field
# Fields, the keys then pressed, and the page's trace must be the desktop's. In the first the
# pair (yellow over red) clears four yellows; the blue that stood on them falls beside three
# blues, which clear in turn. In the second, two moves left make four reds.
CHAIN = field("****0*", "****30", "**3*30", "**0*20")
TRACES = [(CHAIN, ["Space"]),
          (field("*1****", "*11***"), ["ArrowLeft", "ArrowLeft", "Space"]),
          (field("*****3", "***2*3", "0*2223"),
           ["ArrowUp", "ArrowRight", "ArrowDown", "Space"])]
MALFORMED = [[EMPTY] * (ROWS - 1), [""]]  # the last: an empty ?field=
X_KEYS = {"ArrowLeft": "Left", "ArrowUp": "Up", "ArrowRight": "Right", "ArrowDown": "Down",
          "Space": "space"}  # X's names of the keys, for the desktop game
# The field as rows of each cell's nearest colour by its mean (cells), the left, top and width of
# the ink beside the field (ink), every change the page shows with the time and animation frame
# it shows it at (looks), and the keys that reached the page (from the keyboard, a touch button or
# a gamepad) with their key codes, time and frame. Plain loops read the pixels: a callback a byte
# at every frame is slow enough in WebKit to hold the page back by seconds on a loaded machine.
FW, RW = COLS * PX, G.width - COLS * PX  # the field's width, and the room right of it
PAGE_JS = f"""const px = (x, y, w, h) => document.getElementById('canvas').getContext('2d')
  .getImageData(x, y, w, h).data;
const far = (m, p) => p.reduce((a, v, i) => a + (v - m[i]) ** 2, 0);
window.cells = () => {{ const s = Array.from({{ length: {COLS * ROWS} }}, () => [0, 0, 0]),
  d = px(0, 0, {FW}, {G.height}); for (let i = 0; i < d.length; i += 4) {{
    const m = s[(i / {4 * FW * PX} | 0) * {COLS} + (i / {4 * PX} | 0) % {COLS}];
    m[0] += d[i] / {PX * PX}; m[1] += d[i + 1] / {PX * PX}; m[2] += d[i + 2] / {PX * PX}; }}
  return s.map((m) => palette.reduce((a, p) => far(m, p[1]) < far(m, a[1]) ? p : a)[0]).join('')
    .match(/.{{{COLS}}}/g); }};
window.ink = () => {{ const d = px({FW}, 0, {RW}, {G.height}); let l = {G.width}, t = {G.height}, r = 0;
  for (let i = 0; i < d.length; i += 4) if (d[i] <= 95) {{ const x = {FW} + i / 4 % {RW};
    l = Math.min(l, x); t = Math.min(t, i / {4 * RW} | 0); r = Math.max(r, x + 1); }}
  return [l, t, Math.max(0, r - l)]; }};
window.looks = []; let frames = 0;
(function look() {{ requestAnimationFrame(look); const now = [cells(), ink(), gemletsStdout.length];
  if (JSON.stringify(now) != JSON.stringify(looks.at(-1)?.slice(2)))
    looks.push([performance.now(), frames, ...now]); ++frames; }})();
window.pressed = []; document.addEventListener('keydown',
  (e) => pressed.push([e.code, e.keyCode, performance.now(), frames]), true);"""
MESSAGE = "document.getElementById('message').textContent"
# The replay corpus, each with the standard output the game wrote when it was recorded.
# It was played on the standard field, which its files name: a site of another size has none.
CORPUS = {path: gzip.open(path[:-len(".replay")] + ".out.gz").read().decode()
          for path in sorted(glob.glob(f"{repo}/tests/replays/*.replay"))
          if (COLS, ROWS) == (6, 12)}
CHECK_JS = """(text => { Module.FS.writeFile('/check.replay', text); const status = Module._gemletsCheck();
  const out = Module.UTF8ToString(Module._gemletsCheckText(0)); let h = 2166136261;
  for (let i = 0; i < out.length; ++i) h = Math.imul(h ^ out.charCodeAt(i), 16777619) >>> 0;
  return [status, out.length, h, Module.UTF8ToString(Module._gemletsCheckText(1))]; })"""


fnv = lambda s: functools.reduce(lambda h, c: (h ^ c) * 16777619 % 2**32, s.encode(), 2166136261)


def until(what, check, timeout=10):  # timeout 0: checked once
    value = client.wait(what, check, timeout)
    passed.append(what)
    return value


js = lambda expression: page.js(expression)


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
    page.run(f"const palette = {json.dumps(PALETTE)};\n{PAGE_JS}")


grid = lambda: js("cells()") or []  # nothing: no canvas, or an error page


def ink(expression="ink()"):  # the width of the ink that the expression gives, if any
    return (js(expression) or [0] * 3)[2]


def falling(rows):  # the gemlets above the bottom two rows, as (row, column)
    return [(r, c) for r, row in enumerate(rows[:-2]) for c, v in enumerate(row) if v != "*"]


# The first look since `since` (a look or a key press; else the last press) that passes test,
# as [time, frame, rows, ink, trace length]: it must come within that many frames, and seconds,
# of it.
def seen(what, test, frames=None, seconds=(0, 10), since=None):
    at, frame = since[:2] if since else js("pressed.at(-1)")[2:]
    look = until(what, lambda: next(filter(test, js(f"looks.filter((l) => l[0] >= {at})")), 0))
    took = (look[0] - at) / 1000, look[1] - frame
    if not (seconds[0] <= took[0] <= seconds[1] and took[1] <= (frames or took[1])):
        raise client.Error(f"{what}: after {took[0]:.3f} s, {took[1]} frames")
    return look


def reached(count):  # the count-th key press, once the page has it (a click's comes later)
    return client.wait("a key press reaching the page", lambda: js(f"pressed[{count - 1}]"))[2:]


def press(what, test, frames, *keys):  # keys as a player presses them, or two within a frame
    count = js("pressed.length") + len(keys)
    page.key(*keys, hold=0.1 if len(keys) == 1 else 0)
    return seen(what, test, frames, since=reached(count))


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
# The score's and "Paused"'s place: right of the field with 10 pixels between, its top at half
# the window's height; their ink starts a few pixels in.
placed = lambda ink: 0 <= ink[0] - FW - 10 <= 4 and 0 <= ink[1] - G.height // 2 <= 3
cols = lambda look: [c for _, c in falling(look[2])]


# A portal's page on another origin: a text box, the game in a frame, a page long enough to
# scroll. Its Module names the key codes for the drivers' key presses.
PORTAL = """<!doctype html><script>window.Module = { gemletsKeys: { ArrowLeft: 37, ArrowUp: 38, ArrowDown: 40,
Space: 32, KeyP: 80 } };</script><input id="box"><br><iframe src="%s" width="420" height="720"
onload="window.framed = true"></iframe><div style="height: 4000px"></div>
<style>::-webkit-scrollbar { display: none }</style>"""


def on_screen():  # the portal's frame as the screen shows it, as cells() and ink() read a page
    png = base64.b64decode(page.capture())
    frame = js("(r => [r.width, r.height, r.x, r.y].map(Math.round))"
               "(document.querySelector('iframe').getBoundingClientRect())")
    magick = lambda *ops: subprocess.run(["convert", "png:-", "-crop", "%dx%d+%d+%d" % tuple(frame),
                                          "+repage", *ops], input=png, capture_output=True,
                                         check=True).stdout
    # The canvas is the frame's one white box, the game's window scaled by nearest pixel.
    box = magick("-fill", "black", "+opaque", "white", "-format", "%@", "info:").decode()
    if int(box.split("x")[0]) < G.width // 2:
        return [], [0] * 3  # not shown yet
    img = magick("-crop", box, "+repage", "-sample", f"{G.width}x{G.height}!", "rgb:-")
    at = lambda x, y, w=1: img[3 * (y * G.width + x):3 * (y * G.width + x + w)]
    mean = lambda c, r: [sum(sum(at(c * PX, r * PX + y, PX)[k::3]) for y in range(PX)) / PX ** 2
                         for k in range(3)]
    far = lambda m, p: sum((v - m[i]) ** 2 for i, v in enumerate(p))
    rows = ["".join(min(PALETTE, key=lambda p: far(mean(c, r), p[1]))[0] for c in range(COLS))
            for r in range(ROWS)]
    dark = [(x, y) for y in range(G.height) for x, v in enumerate(at(FW, y, RW)[::3]) if v <= 95]
    xs, ys = [x for x, _ in dark] or [0], [y for _, y in dark] or [0]
    return rows, [FW + min(xs), min(ys), (max(xs) + 1 - min(xs)) * bool(dark)]


def portal(base, host_base):  # the game in another origin's frame takes the keys it is given
    open_page(host_base + "portal.html")
    until("the game loads in a portal's frame", lambda: js("window.framed") and on_screen()[0])
    count = lambda rows: sum(len(row) - row.count("*") for row in rows)
    for landed, again in ((2, ""), (4, " again after a click elsewhere")):
        page.click(218, 230)  # the canvas, below the text box and the frame's title
        until("a click on the game gives its frame the keys" + again,
              lambda: js("document.activeElement.tagName") == "IFRAME", 2)
        # The second pair dropped two columns left of the first, which it cannot then clear.
        for code in ("ArrowLeft", "ArrowLeft")[:landed - 2] + ("ArrowDown", "Space", "ArrowUp"):
            page.key(code)
        # A P from the landing to the next pair is lost, on the desktop too: P once it shows,
        # the pairs dropped on the floor and the next one above them.
        until("Space drops it, and the next pair comes" + again, lambda: (rows := on_screen()[0])
              and count(rows[-2:]) == landed and count(rows[:-2]) == 2)
        page.key("KeyP")
        until('P in the frame shows "Paused"' + again, lambda: on_screen()[1][2] > 90)
        until("the game's keys scroll nothing of the host" + again, lambda: js("scrollY") == 0, 0)
        page.key("KeyP")
        until("P resumes it: the score again" + again, lambda: 0 < on_screen()[1][2] < 40)
        page.click(*js("(r => [r.x + 5, r.y + 5])(box.getBoundingClientRect())"))
        until("a click on the host's text box takes the keys from the game" + again,
              lambda: js("document.activeElement.id") == "box", 2)


def play(base, traces, refusals, host_base):  # every check in the engine of `page`
    page.launch()
    if "portal" in ONLY:
        return portal(base, host_base)
    open_page(base)
    seen("the first pair, yellow over red, alone in column 3 of row 1 to 3, the score in its place",
         lambda l: re.fullmatch(rf"(\*{{{COLS}}}){{1,3}}\*{{3}}3\*{{{COLS - 1}}}1\*+", "".join(l[2]))
         and 0 < l[3][2] < 40 and placed(l[3]), since=(0, 0))
    until("the page needs no cross-origin isolation", lambda: not js("crossOriginIsolated"), 0)
    shot("first-frame")
    # Mouse motion that would hold a key press up for 16 s if it reached SDL's queue.
    page.run("for (let i = 0; i < 1000; ++i) document.getElementById('canvas')"
             f".dispatchEvent(new MouseEvent('mousemove', {{ clientX: i % {G.width}, bubbles: true }}))")
    # The first moves of a game, each acting within the frames that the events before it take.
    press("two Lefts within a frame move the pair twice", lambda l: cols(l) == [1, 1], 2,
          "ArrowLeft", "ArrowLeft")
    press("Up rotates it", lambda l: len(r := [r for r, _ in falling(l[2])]) == 2 and r[0] == r[1],
          1, "ArrowUp")
    out = js("gemletsStdout.length")
    press("Space drops it", lambda l: sorted(l[2][-1].replace("*", "")) == ["1", "3"]
          and not falling(l[2]), 1, "Space")
    turn = seen("the landing's turn, at the next drop", lambda l: l[4] > out)
    seen("the next pair in its spawn row a frame after it",
         lambda l: falling(l[2]) == [(0, 2), (0, 3)], 1, since=turn)
    press('P shows "Paused" in its place', lambda l: l[3][2] > 90 and placed(l[3]), 1, "KeyP")
    shot("paused")
    # The drop at the end of the interval under way still comes, at the latest one interval on
    # the game's clock after P: an iteration then makes it, however late the page's timer.
    time.sleep(1.1)
    held = falling(js("Module._gemletsStep(), cells()"))
    # With the sound off, as a player may keep it: a sound under way keeps the page iterating.
    page.run("document.getElementById('sound').click()")
    press("P shows the score again", lambda l: l[3][2] < 40, 1, "KeyP")
    seen("not before one interval after P the pair falls again", lambda l: falling(l[2]) != held,
         seconds=(0.95, 10))
    at, count = min(cols([0, 0, grid()])), js("pressed.length") + 1
    page.click(*js("(r => [r.x + r.width / 2, r.y + r.height / 2])(document.querySelector("
                   "'[data-key=ArrowRight]').getBoundingClientRect())"))
    seen("a touch button moves the pair", lambda l: min(cols(l)) == at + 1, 1, since=reached(count))
    # A gamepad whose d-pad left is down from its fourth poll on.
    page.run("window.polls = 0; navigator.getGamepads = () => [{ index: 0, mapping: 'standard', "
             "buttons: Array.from({ length: 17 }, (_, i) => ({ pressed: i == 14 && ++polls > 3 }))"
             " }]; window.dispatchEvent(new Event('gamepadconnected'))")
    until("the gamepad's d-pad pressed", lambda: js("pressed.at(-1)[0] == 'ArrowLeft'"))
    seen("a gamepad's d-pad moves it", lambda l: min(cols(l)) == at, 1)
    # A hidden page draws nothing: one iteration of the game shows what the tab will show.
    # Hidden while it runs, it pauses; hidden while paused, it stays paused.
    for what in ("a hidden tab pauses while hidden", "hidden again it stays paused"):
        page.hide()
        until(what, lambda: ink("document.hidden && (Module._gemletsStep(), ink())") > 90)
        time.sleep(1.1)  # the drop at the end of the interval under way still comes
        held = js("Module._gemletsStep(), cells()")
        time.sleep(1.5)
        page.hide(False)
        until("shown again it stays paused, the pair where it was",
              lambda: js("!document.hidden") and ink() > 90 and grid() == held)
    page.key("Escape", hold=0.1)
    until("Escape ends the game, the page offers a new one",
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
    if watched in CORPUS:
        code = base64.urlsafe_b64encode(zlib.compress(open(watched, "rb").read(), 9)).decode()
        open_page(base + "?replay=" + code.rstrip("="))
        until("a replay in the address plays to its end with the recorded output", lambda:
              "The replay has ended." in js(MESSAGE) and js("gemletsStdout") == CORPUS[watched], 30)
    for (rows, keys), trace in zip(TRACES, traces):
        open_page(base + "?field=" + "/".join(rows))
        top = min(r for r, row in enumerate(rows) if row != EMPTY)  # far below the pair
        until(f"the prepared field {rows[-1]}", lambda: grid()[top:] == rows[top:])
        page.key(*keys, hold=0.1)
        if rows == CHAIN:
            until("the chain clears", lambda: grid()[-4:] == field("", "", "", "**012*")[-4:])
        until(f"the trace after {' '.join(keys)} equals the desktop's byte for byte",
              lambda: js("gemletsStdout") == trace)
    portal(base, host_base)
    for rows, refusal in zip(MALFORMED, refusals):
        open_page(base + "?field=" + "/".join(rows))
        until(f"?field={'/'.join(rows)[:14]}... shows the desktop's message, word for word",
              lambda: (text := js(MESSAGE)) and text + "\n" == refusal)


def main():
    global page
    if not os.path.exists(f"{site}/index.html"):
        raise client.Error(f"{site}/index.html: missing; scripts/build-web.sh builds the site")
    env["DISPLAY"] = host.xvfb()
    traces, refusals = ([], []) if "portal" in ONLY else (
        [desktop(rows, keys)[0] for rows, keys in TRACES], [desktop(r, None)[1] for r in MALFORMED])
    base = host.serve(site)
    portal_dir = f"{shots}/portal"
    os.makedirs(portal_dir, exist_ok=True)
    with open(f"{portal_dir}/portal.html", "w") as f:
        f.write(PORTAL % base)
    host_base = host.serve(portal_dir)  # another port: another origin
    failed = []
    for engine in ENGINES:
        page, before, start = engine(), len(passed), time.monotonic()
        try:
            play(base, traces, refusals, host_base)
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
    print(f"web: {len(passed)} checks passed in {len(ENGINES)} engines"
          f"{' (the portal alone)' * ('portal' in ONLY)}; screenshots in {shots}/*.png")


try:
    main()
except Exception as error:
    sys.exit(f"FAIL: {error}")
finally:
    host.close()
