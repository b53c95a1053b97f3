#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# The page around the game in headless Chromium: a page opened from the disk or without its
# font says why and starts nothing; a phone-sized screen shows every touch button whole
# below the canvas; the canvas has the window's shape; a paused game runs no animation
# frames and a key still acts at once (that the pair then falls on, web_test.py shows).
# Serves build-web/site; screenshot in build-web/phone.png.
import os, shutil, subprocess, sys, time

repo = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, f"{repo}/web")
import devtools

site, passed = f"{repo}/build-web/site", []
browser = devtools.Browser()
js = browser.js
MESSAGE = "document.getElementById('message').textContent"
RUNNING = "typeof Module !== 'undefined' && Module.calledRun === true"
FRAMES = """window.frames_ = 0; const raf = window.requestAnimationFrame.bind(window);
window.requestAnimationFrame = (f) => raf((t) => { ++frames_; f(t); });"""
# The canvas's pixels summed: a change in what it shows changes it.
PIXELS = "(c => c.getContext('2d').getImageData(0, 0, c.width, c.height))(canvas)" \
         ".data.reduce((s, v, i) => s + v * (i % 7 + 1), 0)"
BOXES = """[...document.querySelectorAll('#canvas, #touch button')].map((e) =>
  (r => [r.left, r.top, r.right, r.bottom])(e.getBoundingClientRect()))"""


def check(what, ok, timeout=10):
    try:
        devtools.wait(what, ok, timeout)
    except devtools.Error as error:
        browser.screenshot(f"{repo}/build-web/page-failed.png")
        sys.exit(f"FAIL: {error}; message {js(MESSAGE)!r}")
    passed.append(what)


def serve(folder):
    return browser.start(f"{repo}/web/serve.py", folder, "--port=0", text=True,
                         stdout=subprocess.PIPE).stdout.readline().split()[-1]


def main():
    fontless = shutil.copytree(site, f"{browser.tmp}/fontless")
    os.remove(f"{fontless}/font.ttf")
    base, bare = serve(site), serve(fontless)
    browser.launch()
    browser.open(f"file://{site}/index.html")
    check("opened from the disk it says how to serve it, and starts nothing",
          lambda: "scripts/play-web.sh" in js(MESSAGE) and js("typeof Module") == "undefined")
    browser.open(bare)
    time.sleep(1)
    check("without its font it says so and the game does not start",
          lambda: "font.ttf" in js(MESSAGE) and not js(RUNNING), 0)

    browser.call("Emulation.setDeviceMetricsOverride", width=390, height=844,
                 deviceScaleFactor=2, mobile=True)
    browser.call("Page.enable")
    browser.call("Page.addScriptToEvaluateOnNewDocument", source=FRAMES)
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
    browser.key("KeyP")
    time.sleep(1.5)  # the drop at the end of the interval under way still comes
    shown, before = js(PIXELS), js("frames_")
    time.sleep(1.5)
    check("paused, no animation frame runs and nothing changes",
          lambda: js("frames_") == before and js(PIXELS) == shown, 0)
    browser.key("KeyP")
    check("P resumes at once", lambda: js(PIXELS) != shown, 1)
    print(f"page: {len(passed)} checks passed; screenshot in {repo}/build-web/phone.png")


try:
    main()
except devtools.Error as error:
    sys.exit(f"FAIL: {error}")
finally:
    browser.close()
