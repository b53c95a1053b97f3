#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The browser's figures, in headless Chromium: one main-loop iteration on a full field; the
animation frames that draw on the canvas over 10 s of play at level 0 without input and over
5 s paused; the processor time of every Chromium process over 10 s of play, of a plain page
that draws every frame (bench/plain_page.html) and of an empty page, in the same run; the
site's size; with --first-pair, how long a first visit takes to show the first pair, on a phone
on a slow network and unthrottled, with the bytes fetched before it, of one site or of several
side by side. Each figure with a budget says met or MISSED beside it, and a missed one makes
the exit status 1. Builds nothing: serves build-web/site (scripts/build-web.sh builds it)."""
import argparse
import os
import sys
import time

repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, f"{repo}/drivers")
import client
import devtools
import geometry

# A full field without a group: nothing clears, every iteration draws the same.
FULL = "02**02/131*13/202*20/313131/020202/131313/202020/313131/020202/131313/202020/313131"
# A page that is not cross-origin isolated gets a clock of 0.1 ms grain: 1,000 calls are timed
# in 20 runs of 50, each run's mean a sample; the 10th, 50th and 90th percentile in ms.
STEPS = """(() => { const t = [];
  for (let run = 0; run < 20; ++run) { const s = performance.now();
    for (let i = 0; i < 50; ++i) Module._gemletsStep();
    t.push((performance.now() - s) / 50); }
  t.sort((a, b) => a - b); return [t[2], t[10], t[18]]; })()"""
RUNNING = "typeof Module !== 'undefined' && Module.calledRun === true"
# Before the page's own scripts: counts the animation frames that run a callback and those in
# which something is put on #canvas (a draw outside any frame counts as a frame of its own).
FRAMES = """(() => { let current = null, frames = new Set(), drew = new Set(), alone = 0;
  const raf = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => raf((time) => {
    frames.add(time); current = time;
    try { callback(time); } finally { current = null; } });
  const proto = CanvasRenderingContext2D.prototype;
  for (const name of ['putImageData', 'drawImage', 'fillRect', 'fillText', 'clearRect']) {
    const draw = proto[name];
    proto[name] = function (...args) {
      if (this.canvas.id === 'canvas') current === null ? ++alone : drew.add(current);
      return draw.apply(this, args); };
  }
  window.benchFrames = () => [frames.size, drew.size + alone];
  window.benchFramesReset = () => { frames.clear(); drew.clear(); alone = 0; }; })()"""
PLAY, PAUSED = 10, 5  # seconds
G = geometry.read(f"{repo}/build-web")  # the field's size, as the site was built
SETTLE = 3  # seconds after a load, for WebAssembly's optimising compiler to finish
# A phone on a slow network: 150 ms latency, 1.6 Mbit/s down, 750 kbit/s up, a processor four
# times slower, a 390 x 844 screen; nothing cached.
SLOW_NETWORK = {"offline": False, "latency": 150, "downloadThroughput": 1.6e6 / 8,
                "uploadThroughput": 750e3 / 8}
PHONE = {"width": 390, "height": 844, "deviceScaleFactor": 3, "mobile": True}
FIRST_PAIR_BUDGET = 1.5  # s, the median on the slow phone
# The first pair as a player sees it: the first animation frame after which the canvas shows,
# in the pair's column, a yellow cell over a red one, each cell's colour the nearest by its mean
# of white and the game's own cell images (those the game preloaded). So that looking costs the
# page little, the column is read only after something was drawn on the canvas, and the images
# only once something shows in it. Resolves to the time since the address was asked for, with
# every file the page had asked for by then: its name, the bytes it took on the wire (headers
# and body, as sent) and when its last byte came, in ms.
FIRST_PAIR = """window.firstPair = new Promise((resolve) => {
  let drawn = false;
  const proto = CanvasRenderingContext2D.prototype;
  for (const name of ['putImageData', 'drawImage', 'fillRect', 'fillText']) {
    const draw = proto[name];
    proto[name] = function (...args) { drawn ||= this.canvas.id === 'canvas';
                                       return draw.apply(this, args); };
  }
  const mean = (d, from, to) => { const m = [0, 0, 0];
    for (let i = from; i < to; i += 4) { m[0] += d[i]; m[1] += d[i + 1]; m[2] += d[i + 2]; }
    return m.map((v) => v / ((to - from) / 4)); };
  const image = (c) => c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
  let palette = null;
  const colours = () => ['white', 'blue', 'red', 'green', 'yellow'].map((name, i) => [name, i
    ? (d => mean(d, 0, d.length))(image(Module.preloadedImages[`/gemlet_${name}.jpg`]))
    : [255, 255, 255]]);
  const far = (m, p) => (m[0] - p[0]) ** 2 + (m[1] - p[1]) ** 2 + (m[2] - p[2]) ** 2;
  const nearest = (m) => palette.reduce((a, p) => far(m, p[1]) < far(m, a[1]) ? p : a)[0];
  const column = () => { const d = Module.ctx.getImageData(%(x)d, 0, %(px)d, %(height)d).data;
    return Array.from({ length: %(rows)d }, (_, y) => mean(d, y * %(cell)d, (y + 1) * %(cell)d)); };
  const files = (before) => performance.getEntriesByType('navigation')
    .concat(performance.getEntriesByType('resource')).filter((e) => e.startTime < before)
    .map((e) => [e.name.replace(/.*\//, '').replace(/^$/, 'index.html'), e.transferSize,
                 e.responseEnd]);
  const look = () => {
    if (drawn && window.Module?.ctx) {
      const seen = performance.now(), cells = column();
      drawn = false;
      if (cells.some((m) => Math.min(...m) < 200)) {
        palette ||= colours();
        if (cells.map(nearest).join(' ').includes('yellow red'))
          return resolve([seen, files(seen)]);
      }
    }
    requestAnimationFrame(look);
  };
  requestAnimationFrame(look); });"""
VISITS = 9  # a side, each in a fresh browser: nothing cached, no service worker


missed = []  # the figures whose budget was missed


def budget(what, value, most, unit=""):  # met or MISSED, beside the budget
    if value > most:
        missed.append(what)
    return f"{'met' if value <= most else 'MISSED'}, budget at most {most:,}{unit}"


def browser_target(browser):  # the browser's own DevTools target, where SystemInfo answers
    port, path = open(f"{browser.profile}/DevToolsActivePort").read().split()[:2]
    target = client.Client()
    target.name = "the browser's target"
    target.connect(f"ws://127.0.0.1:{port}{path}")
    return target


def processor_seconds(target):  # each Chromium process's processor time so far, by its id
    info = target.send("SystemInfo.getProcessInfo", {})["processInfo"]
    return {p["id"]: p["cpuTime"] for p in info}


def frames_over(browser, seconds):  # [animation frames, those that drew] over seconds
    browser.js("benchFramesReset()")
    time.sleep(seconds)
    return browser.js("benchFrames()")


def processor_time(browser, target, url):  # over PLAY seconds of url, once it runs
    browser.open(url)
    if url.startswith("http"):
        browser.wait("the game running", lambda: browser.js(RUNNING))
        browser.key("ArrowLeft")  # a player's first key: the page makes its sound
        browser.wait("the game's sound", lambda: browser.js("!!Module.gemletsAudio"))
    time.sleep(SETTLE)
    before = processor_seconds(target)
    time.sleep(PLAY)
    after = processor_seconds(target)
    # A process that the last page left ends in the meantime: only those alive throughout count.
    return sum(after[id] - before[id] for id in after if id in before)


def first_pair(base, slow):  # a first visit: [s to the first pair, its files]
    browser = devtools.Browser()
    try:
        browser.launch()
        browser.call("Page.enable")
        source = FIRST_PAIR
        for name, value in {"x": 3 * G.px, "px": G.px, "height": G.rows * G.px, "rows": G.rows,
                            "cell": 4 * G.px * G.px}.items():
            source = source.replace(f"%({name})d", str(value))
        browser.call("Page.addScriptToEvaluateOnNewDocument", source=source)
        browser.call("Network.enable")
        browser.call("Network.setCacheDisabled", cacheDisabled=True)
        if slow:
            browser.call("Network.emulateNetworkConditions", **SLOW_NETWORK)
            browser.call("Emulation.setCPUThrottlingRate", rate=4)
            browser.call("Emulation.setDeviceMetricsOverride", **PHONE)
        browser.call("Page.navigate", url=base)
        browser.wait("the page", lambda: browser.js(f"location.href == '{base}' && !!window.firstPair"))
        shown, files = browser.call("Runtime.evaluate", expression="window.firstPair",
                                    awaitPromise=True, returnByValue=True,
                                    timeout=30000)["result"]["value"]
        return shown / 1000, files
    finally:
        browser.close()


def first_pairs(sites):
    """Each site's first visits, VISITS a side, taken in turn so that each sees the machine as
    the others do: the median on the slow phone beside its budget, unthrottled beside it, and
    the bytes of each file asked for before the first pair, as the median visit saw them."""
    bases = {label: browser.serve(folder) for label, folder in sites.items()}
    print(f"first visit to the first pair, {VISITS} visits a side, taken in turn; a phone on a "
          "slow network: 150 ms latency, 1.6 Mbit/s down, a processor 4x slower, cache off; "
          "load average " + " ".join(f"{v:.1f}" for v in os.getloadavg()))
    visits = {(label, slow): [] for label in sites for slow in (True, False)}
    for slow in (True, False):
        for _ in range(VISITS):
            for label, base in bases.items():
                visits[label, slow].append(first_pair(base, slow))
    width = max(map(len, sites))
    print(f"{'site':{width}}  {'bytes before':>12}  {'slow phone, median':>18}  unthrottled")
    for label in sites:
        slow, fast = (sorted(visits[label, s], key=lambda v: v[0]) for s in (True, False))
        (median, files), quick = slow[VISITS // 2], fast[VISITS // 2][0]
        sent = sum(size for _, size, _ in files)
        print(f"{label:{width}}  {sent:>12,}  {median:>16.2f} s  {quick:>9.2f} s; "
              + budget(f"first pair, {label}", median, FIRST_PAIR_BUDGET, " s"))
        print(f"{'':{width}}  each visit: " + ", ".join(f"{t:.2f}" for t, _ in slow) + " s; "
              + ", ".join(f"{name} {size:,} (in at {end / 1000:.2f} s)"
                          for name, size, end in files))


def main(browser, sites, first_pair_only):
    for folder in sites.values():
        if not os.path.isfile(f"{folder}/index.html"):
            raise devtools.Error(f"{folder}/index.html: missing; scripts/build-web.sh builds it")
    if first_pair_only:
        return first_pairs(sites)
    site = next(iter(sites.values()))
    base = browser.serve(site)
    browser.launch()
    target = browser_target(browser)
    try:
        figures(browser, target, base, site)
    finally:
        target.close()


def figures(browser, target, base, site):
    print(f"{browser.call('Browser.getVersion')['product']}, headless; load average "
          + " ".join(f"{v:.1f}" for v in os.getloadavg()))

    browser.open(f"{base}?field={FULL}")
    browser.wait("the game running", lambda: browser.js(RUNNING))
    browser.key("KeyP")
    time.sleep(0.5)
    low, median, high = (round(v * 1000) for v in browser.js(STEPS))
    print(f"one iteration, full field, paused, 1,000 calls in runs of 50: median {median} µs "
          f"(10th-90th percentile {low}-{high} µs)")

    browser.call("Page.enable")  # without it the script is not added
    browser.call("Page.addScriptToEvaluateOnNewDocument", source=FRAMES)
    browser.open(base)
    browser.wait("the game running", lambda: browser.js(RUNNING))
    time.sleep(1)
    frames, drew = frames_over(browser, PLAY)
    print(f"animation frames that drew on the canvas, {PLAY} s of play at level 0 without "
          f"input: {drew} of {frames}; {budget('frames drawn, playing', drew, 30)}")
    browser.key("KeyP")
    time.sleep(0.5)
    frames, drew = frames_over(browser, PAUSED)
    print(f"animation frames that drew on the canvas, {PAUSED} s paused: {drew} of {frames}; "
          + budget("frames drawn, paused", drew, 2))

    game = processor_time(browser, target, base)
    plain = processor_time(browser, target, f"file://{repo}/bench/plain_page.html")
    blank = processor_time(browser, target, "about:blank")
    print(f"processor time of every Chromium process over {PLAY} s, less an empty page's "
          f"({blank:.2f} s): the game, its sound made, {game - blank:.2f} s, a plain page "
          f"drawing every frame {plain - blank:.2f} s: {(game - blank) / (plain - blank):.0%} of it; "
          + budget("processor time", 100 * (game - blank) / (plain - blank), 25, " %"))

    files = [f"{site}/{name}" for name in sorted(os.listdir(site))]
    size = sum(map(os.path.getsize, files))
    print(f"the site: {size:,} bytes in {len(files)} files; "
          + budget("site", size, 600_000, " bytes"))
    for name in (f[len(site) + 1:] for f in files):
        print(f"  {name}: {os.path.getsize(f'{site}/{name}'):,} bytes")


parser = argparse.ArgumentParser(description=__doc__)
parser.add_argument("--first-pair", action="store_true",
                    help="only the time a first visit takes to show the first pair")
parser.add_argument("--site", action="append", metavar="[NAME=]FOLDER",
                    help="the site to serve, build-web/site when none; with --first-pair, "
                         "each of several, side by side")
args = parser.parse_args()
sites = dict(s.split("=", 1) if "=" in s else (os.path.basename(os.path.dirname(s)) or s, s)
             for s in args.site or [f"{repo}/build-web/site"])
browser = devtools.Browser()
try:
    main(browser, sites, args.first_pair)
except devtools.Error as error:
    sys.exit(f"web_bench.py: {error}")
finally:
    browser.close()
if missed:
    sys.exit("web_bench.py: budget missed: " + ", ".join(missed))
