#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The browser's figures in the README, in headless Chromium: one main-loop iteration on a full
field; the animation frames that draw on the canvas over 10 s of play at level 0 without input
and over 5 s paused; the processor time of every Chromium process over 10 s of play, of a plain
page that draws every frame (bench/plain_page.html) and of an empty page, in the same run; the
site's size. Builds nothing: serves build-web/site (scripts/build-web.sh builds it)."""
import argparse
import json
import os
import subprocess
import sys
import time

import websocket

repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, f"{repo}/web")
import devtools

# A full field without a group: nothing clears, every iteration draws the same.
FULL = "02**02/131*13/202*20/313131/020202/131313/202020/313131/020202/131313/202020/313131"
# Every call timed on its own, in the page; the 10th, 50th and 90th percentile in ms.
STEPS = """(() => { const t = [];
  for (let i = 0; i < 1000; ++i) { const s = performance.now(); Module._gemletsStep();
    t.push(performance.now() - s); }
  t.sort((a, b) => a - b); return [t[100], t[500], t[900]]; })()"""
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


class BrowserTarget:
    """The browser's own DevTools target, where SystemInfo answers."""

    def __init__(self, browser):
        port, path = open(f"{browser.profile}/DevToolsActivePort").read().split()[:2]
        self.ws = websocket.create_connection(f"ws://127.0.0.1:{port}{path}", timeout=30,
                                              suppress_origin=True)
        self.id = 0

    def processor_seconds(self):  # every Chromium process's processor time so far
        self.id += 1
        self.ws.send(json.dumps({"id": self.id, "method": "SystemInfo.getProcessInfo"}))
        while (reply := json.loads(self.ws.recv())).get("id") != self.id:
            pass
        if "result" not in reply:
            raise devtools.Error(f"SystemInfo.getProcessInfo: {reply}")
        return sum(p["cpuTime"] for p in reply["result"]["processInfo"])


def frames_over(browser, seconds):  # [animation frames, those that drew] over seconds
    browser.js("benchFramesReset()")
    time.sleep(seconds)
    return browser.js("benchFrames()")


def processor_time(browser, target, url):  # over PLAY seconds of url, once it runs
    browser.open(url)
    if url.startswith("http"):
        browser.wait("the game running", lambda: browser.js(RUNNING))
    time.sleep(SETTLE)
    before = target.processor_seconds()
    time.sleep(PLAY)
    return target.processor_seconds() - before


def main(browser):
    site = f"{repo}/build-web/site"
    if not os.path.isfile(f"{site}/index.html"):
        raise devtools.Error(f"{site}/index.html: missing; scripts/build-web.sh builds the site")
    server = browser.start(f"{repo}/web/serve.py", site, "--port=0", text=True,
                           stdout=subprocess.PIPE)
    base = server.stdout.readline().split()[-1]
    browser.launch()
    target = BrowserTarget(browser)
    print(f"{browser.call('Browser.getVersion')['product']}, headless; load average "
          + " ".join(f"{v:.1f}" for v in os.getloadavg()))

    browser.open(f"{base}?field={FULL}")
    browser.wait("the game running", lambda: browser.js(RUNNING))
    browser.key("KeyP")
    time.sleep(0.5)
    low, median, high = (round(v * 1000) for v in browser.js(STEPS))
    print(f"one iteration, full field, paused, 1,000 calls: median {median} µs "
          f"(10th-90th percentile {low}-{high} µs)")

    browser.call("Page.enable")  # without it the script is not added
    browser.call("Page.addScriptToEvaluateOnNewDocument", source=FRAMES)
    browser.open(base)
    browser.wait("the game running", lambda: browser.js(RUNNING))
    time.sleep(1)
    frames, drew = frames_over(browser, PLAY)
    print(f"animation frames that drew on the canvas, {PLAY} s of play at level 0 without "
          f"input: {drew} of {frames} (target at most 30)")
    browser.key("KeyP")
    time.sleep(0.5)
    frames, drew = frames_over(browser, PAUSED)
    print(f"animation frames that drew on the canvas, {PAUSED} s paused: {drew} of {frames} "
          "(target at most 2)")

    game = processor_time(browser, target, base)
    plain = processor_time(browser, target, f"file://{repo}/bench/plain_page.html")
    blank = processor_time(browser, target, "about:blank")
    print(f"processor time of every Chromium process over {PLAY} s, less an empty page's "
          f"({blank:.2f} s): the game {game - blank:.2f} s, a plain page drawing every frame "
          f"{plain - blank:.2f} s: {(game - blank) / (plain - blank):.0%} of it (target at most 25%)")

    files = [f"{site}/{name}" for name in sorted(os.listdir(site))]
    print(f"the site: {sum(map(os.path.getsize, files)):,} bytes in {len(files)} files")


argparse.ArgumentParser(description=__doc__).parse_args()
browser = devtools.Browser()
try:
    main(browser)
except devtools.Error as error:
    sys.exit(f"web_bench.py: {error}")
finally:
    browser.close()
