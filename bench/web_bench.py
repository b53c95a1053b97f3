#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The browser's figures, in headless Chromium: one main-loop iteration on a full field; the
animation frames that draw on the canvas over 10 s of play at level 0 without input and over
5 s paused; the processor time of every Chromium process over 10 s of play, of a plain page
that draws every frame (bench/plain_page.html) and of an empty page, in the same run; the
site's size; with --first-pair, how long a first visit takes to show the first pair, on a phone
on a slow network and unthrottled. Each figure with a budget says met or MISSED beside it, and
a missed one makes the exit status 1. Builds nothing: serves build-web/site (scripts/build-web.sh
builds it)."""
import argparse
import os
import sys
import time

repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, f"{repo}/drivers")
import client
import devtools

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
SETTLE = 3  # seconds after a load, for WebAssembly's optimising compiler to finish
# A phone on a slow network: 150 ms latency, 1.6 Mbit/s down, 750 kbit/s up, a processor four
# times slower, a 390 x 844 screen.
SLOW_NETWORK = {"offline": False, "latency": 150, "downloadThroughput": 1.6e6 / 8,
                "uploadThroughput": 750e3 / 8}
PHONE = {"width": 390, "height": 844, "deviceScaleFactor": 3, "mobile": True}
# The time since the address was asked for, at the first frame whose canvas shows both cells of
# the first pair (column 3, rows 1 and 2) in colour: their least channel is 160 or less on
# average, where the white field's is 255. Looked at once a frame.
FIRST_PAIR = """window.firstPair = new Promise((resolve) => {
  const coloured = (y) => { const d = Module.ctx.getImageData(96, y, 32, 32).data; let s = 0;
    for (let i = 0; i < d.length; i += 4) s += Math.min(d[i], d[i + 1], d[i + 2]);
    return s / 1024 <= 160; };
  const look = () => window.Module?.ctx && coloured(32) && coloured(64)
    ? resolve(performance.now()) : requestAnimationFrame(look);
  requestAnimationFrame(look); });"""
VISITS = 9  # each in a fresh browser: nothing cached, no service worker


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


# When the last of the files that the game waits for had come, in ms, as the page saw it.
FILES_IN = """Math.max(...performance.getEntriesByType('resource')
  .filter((e) => /gemlets\\.|font\\.ttf/.test(e.name)).map((e) => e.responseEnd))"""


def first_pair(base, slow):  # s from asking for the page to the files and to the first pair
    browser = devtools.Browser()
    try:
        browser.launch()
        browser.call("Page.enable")
        browser.call("Page.addScriptToEvaluateOnNewDocument", source=FIRST_PAIR)
        if slow:
            browser.call("Network.enable")
            browser.call("Network.emulateNetworkConditions", **SLOW_NETWORK)
            browser.call("Emulation.setCPUThrottlingRate", rate=4)
            browser.call("Emulation.setDeviceMetricsOverride", **PHONE)
        browser.call("Page.navigate", url=base)
        browser.wait("the page", lambda: browser.js(f"location.href == '{base}' && !!window.firstPair"))
        shown = browser.call("Runtime.evaluate", expression="window.firstPair",
                             awaitPromise=True, timeout=30000)["result"]["value"]
        return browser.js(FILES_IN) / 1000, shown / 1000
    finally:
        browser.close()


def first_pairs(base):
    for slow, what in ((True, "a phone on a slow network"), (False, "unthrottled")):
        visits = sorted((first_pair(base, slow) for _ in range(VISITS)), key=lambda v: v[1])
        median = visits[VISITS // 2][1]
        print(f"first visit to the first pair, {what}, {VISITS} visits: median "
              f"{median:.2f} s (" + ", ".join(f"{shown:.2f}" for _, shown in visits)
              + "); the files in at " + ", ".join(f"{files:.2f}" for files, _ in visits) + " s"
              + (f"; {budget('first visit, slow', median, 2.5, ' s')}" if slow else ""))


def main(browser, site, first_pair_only):
    if not os.path.isfile(f"{site}/index.html"):
        raise devtools.Error(f"{site}/index.html: missing; scripts/build-web.sh builds the site")
    base = browser.serve(site)
    if first_pair_only:
        return first_pairs(base)
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
parser.add_argument("--site", default=f"{repo}/build-web/site", help="the site to serve")
args = parser.parse_args()
browser = devtools.Browser()
try:
    main(browser, args.site, args.first_pair)
except devtools.Error as error:
    sys.exit(f"web_bench.py: {error}")
finally:
    browser.close()
if missed:
    sys.exit("web_bench.py: budget missed: " + ", ".join(missed))
