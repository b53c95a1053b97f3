#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# The browser's site as an app, in headless Chromium (web/devtools.py): within its size,
# installable, our own files only (no policy violation while the game plays, an inline script
# refused), a new build replacing the old one whole, play with the server gone. Builds nothing:
# serves a copy of build-web/site, which it turns into a new build.
import os, shutil, subprocess, sys

repo = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, f"{repo}/web")
import devtools

browser, passed = devtools.Browser(), []
# From before the page's first script: the policy violations, and a cell's mean colour.
WATCH = """violations = []; document.addEventListener('securitypolicyviolation',
  (e) => violations.push(e.violatedDirective));
cell = (x, y) => { const s = [0, 0, 0]; Module.ctx.getImageData(x * 32, y * 32, 32, 32)
  .data.forEach((v, i) => i % 4 < 3 && (s[i % 4] += v / 1024)); return s; }"""
# The shipped field's first pair, yellow over red, wherever it has fallen to in column 3; a
# ?field= link's blue at the bottom of column 2.
PAIR = lambda column, _: any(min(y[:2]) > y[2] + 60 and r[0] > max(r[1:]) + 60
                             for y, r in zip(column, column[1:]))
BLUE = lambda _, cell: cell[2] > cell[0] + 60


def js(expression):  # a promise awaited
    return browser.call("Runtime.evaluate", expression=expression, returnByValue=True,
                        awaitPromise=True)["result"].get("value")


def check(what, test, timeout=10):
    try:
        devtools.wait(what, test, timeout)
    except devtools.Error as error:
        sys.exit(f"FAIL: {error}; policy violations {js('window.violations')}")
    passed.append(what)


def load(url, what, shown):  # shown(column 3's cells, the cell at the bottom of column 2)
    browser.open(url)
    check(what, lambda: js("window.Module?.calledRun && !!Module.ctx") and shown(
        *js("[Array.from({ length: 12 }, (_, y) => cell(3, y)), cell(2, 11)]")))


try:
    site = shutil.copytree(f"{repo}/build-web/site", f"{browser.tmp}/site")
    size = sum(os.path.getsize(f"{site}/{name}") for name in os.listdir(site))
    check(f"the site, {size:,} bytes, within 600 KB", lambda: size <= 600_000, 0)
    server = browser.start(f"{repo}/web/serve.py", site, "--port=0", text=True,
                           stdout=subprocess.PIPE)
    base = server.stdout.readline().split()[-1]
    browser.launch()
    browser.call("Page.enable")
    browser.call("Page.addScriptToEvaluateOnNewDocument", source=WATCH)
    load(base, "the first pair shows", PAIR)
    for key in ("ArrowLeft", "ArrowUp", "Space", "KeyP", "KeyP"):
        browser.key(key)
    check("no policy violation while the game plays", lambda: js("violations") == [], 0)
    check("Chromium finds it installable",
          lambda: browser.call("Page.getInstallabilityErrors")["installabilityErrors"] == [])
    check("the service worker keeps the site", lambda: len(js("caches.keys()")) == 1
          and js("navigator.serviceWorker.ready.then((r) => r.active.state)") == "activated")
    old = js("caches.keys()")
    with open(f"{site}/page.js", "a") as f:  # a new build: page.js and the worker that lists it
        f.write("window.newBuild = true;\n")
    subprocess.run(["cmake", f"-DSITE={site}", f"-DSOURCE={repo}/web/sw.js", "-P",
                    f"{repo}/web/service_worker.cmake"], check=True)
    load(base, "a new build: the next load is the old one whole",
         lambda *cells: PAIR(*cells) and js("window.newBuild") is None)
    check("the new build takes over, the old cache goes",
          lambda: len(kept := js("caches.keys()")) == 1 and kept != old)
    load(base, "the load after is the new one", lambda *cells: PAIR(*cells) and js("newBuild"))
    server.kill()
    load(base, "with the server gone a reload plays", PAIR)
    load(f"{base}?field={'******/' * 8}****0*/****30/**3*30/**0*20",
         "and so does a new ?field= link", BLUE)
    js("document.body.append(Object.assign(document.createElement('script'), "
       "{ textContent: 'inline = true' }))")
    check("an inline script is refused",
          lambda: js("violations") == ["script-src-elem"] and js("window.inline") is None)
    print(f"site: {len(passed)} checks passed")
except devtools.Error as error:
    sys.exit(f"FAIL: {error}")
finally:
    browser.close()
