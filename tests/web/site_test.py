#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# The browser's site as an app, in headless Chromium (web/devtools.py): installable, our own
# files only (no policy violation while the game plays, an inline script refused), a new build
# replacing the old one whole, play with the server gone, and the site's size. Builds nothing:
# serves a copy of build-web/site, which it changes into a new build.
import os, shutil, subprocess, sys

repo = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, f"{repo}/web")
import devtools

MAX_BYTES = 600_000
CHAIN = "******/" * 8 + "****0*/****30/**3*30/**0*20"
# Policy violations, recorded from before the page's first script.
WATCH = ("window.violations = []; document.addEventListener('securitypolicyviolation', "
         "(e) => violations.push(e.violatedDirective + ' ' + e.blockedURI));")
# A cell's mean colour on the canvas, as the page drew it.
PAGE_JS = """cell = (column, row) => { const s = [0, 0, 0];
  Module.ctx.getImageData(column * 32, row * 32, 32, 32).data
    .forEach((v, i) => i % 4 < 3 && (s[i % 4] += v / 1024)); return s; };"""
CACHES = "caches.keys()"

browser = devtools.Browser()
passed = []


def js(expression):  # awaited when a promise
    return browser.call("Runtime.evaluate", expression=expression, returnByValue=True,
                        awaitPromise=True)["result"].get("value")


def check(what, test, timeout=10):
    try:
        devtools.wait(what, test, timeout)
    except devtools.Error as error:
        sys.exit(f"FAIL: {error}; violations {js('window.violations')}")
    passed.append(what)


def load(url):  # and wait for the game to draw
    browser.open(url)
    check(f"{url} plays", lambda: js("window.Module?.ctx && Module.calledRun"))
    js(PAGE_JS)


def first_pair():  # the shipped field's first pair, yellow over red, in column 3
    yellow, red = js("[cell(3, 1), cell(3, 2)]")
    return min(yellow[:2]) > yellow[2] + 60 and red[0] > max(red[1:]) + 60


def served(site):
    server = browser.start(f"{repo}/web/serve.py", site, "--port=0", text=True,
                           stdout=subprocess.PIPE)
    return server, server.stdout.readline().split()[-1]


def new_build(site):  # page.js changed, and the service worker that lists it
    with open(f"{site}/page.js", "a") as f:
        f.write("window.gemletsNewBuild = true;\n")
    subprocess.run(["cmake", f"-DSITE={site}", f"-DSOURCE={repo}/web/sw.js", "-P",
                    f"{repo}/web/service_worker.cmake"], check=True)


def main():
    site = shutil.copytree(f"{repo}/build-web/site", f"{browser.tmp}/site")
    size = sum(os.path.getsize(f"{site}/{name}") for name in os.listdir(site))
    check(f"the whole site, {size:,} bytes, is within {MAX_BYTES:,}", lambda: size <= MAX_BYTES, 0)
    server, base = served(site)
    browser.launch()
    browser.call("Page.enable")
    browser.call("Page.addScriptToEvaluateOnNewDocument", source=WATCH)
    load(base)
    check("the first pair shows", first_pair)
    for key in ("ArrowLeft", "ArrowUp", "Space", "KeyP", "KeyP"):
        browser.key(key)
    check("no policy violation while the game plays", lambda: js("violations") == [], 0)
    check("Chromium finds it installable", lambda: browser.call(
        "Page.getInstallabilityErrors")["installabilityErrors"] == [])
    check("the service worker keeps the site", lambda: js(
        "navigator.serviceWorker.getRegistration().then((r) => r?.active?.state)") == "activated"
        and len(js(CACHES)) == 1)
    old = js(CACHES)
    new_build(site)
    load(base)
    check("a new build: the next load is the old one whole",
          lambda: js("window.gemletsNewBuild") is None and first_pair(), 0)
    check("the new build takes over, the old cache goes",
          lambda: len(kept := js(CACHES)) == 1 and kept != old)
    load(base)
    check("the load after is the new one", lambda: js("window.gemletsNewBuild") and first_pair(), 0)
    server.kill()
    server.wait()
    load(base)
    check("with the server gone a reload plays", first_pair)
    load(f"{base}?field={CHAIN}")
    check("and so does a new ?field= link, its blues where it puts them", lambda: all(
        blue > red + 60 for red, _, blue in js("[cell(2, 11), cell(4, 8)]")))
    js("document.body.append(Object.assign(document.createElement('script'), "
       "{ textContent: 'window.inline = true' }))")
    check("an inline script is refused", lambda: js("window.inline") is None
          and js("violations.map((v) => v.split(' ')[0])") == ["script-src-elem"])
    print(f"site: {len(passed)} checks passed")


try:
    main()
except devtools.Error as error:
    sys.exit(f"FAIL: {error}")
finally:
    browser.close()
