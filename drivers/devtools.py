# SPDX-License-Identifier: MIT
"""A small client of Debian's headless Chromium over the DevTools protocol: starts it with a
fresh profile, drives its one page, and ends every process it started."""
import json
import subprocess
import time

import client
from client import Error, get

wait = client.wait  # tests and the bench take it from here, with Error

FLAGS = ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--window-size=800,1000", "--remote-debugging-port=0"]


class Browser(client.Client):
    name = "chromium"
    headless, env = ["--headless=new"], None

    def launch(self):
        self.start("chromium", *self.headless, *FLAGS, f"--user-data-dir={self.profile}",
                   env=self.env, stderr=subprocess.DEVNULL)
        active = self.wait("Chromium", lambda: get(f"file://{self.profile}/DevToolsActivePort"),
                           client.START)
        targets = self.wait("its pages",
                            lambda: get(f"http://127.0.0.1:{int(active.split()[0])}/json"))
        page = [t for t in json.loads(targets) if t["type"] == "page"][0]
        self.connect(page["webSocketDebuggerUrl"])
        self.window = self.call("Browser.getWindowForTarget")["windowId"]

    def call(self, method, **params):
        return self.send(method, params)

    def js(self, expression):
        return self.call("Runtime.evaluate", expression=expression,
                         returnByValue=True)["result"].get("value")

    def open(self, url):
        if error := self.call("Page.navigate", url=url).get("errorText"):
            raise Error(f"{url}: {error}")
        self.wait(f"{url} loaded", lambda: self.js("document.readyState") == "complete")

    def key(self, *codes, hold=0):  # with the key codes the game gave the page
        keyCodes = self.js(f"{json.dumps(codes)}.map((c) => Module.gemletsKeys[c])")
        events = [("Input.dispatchKeyEvent", {"type": kind, "code": code,
                                              "windowsVirtualKeyCode": keyCode})
                  for code, keyCode in zip(codes, keyCodes) for kind in ("rawKeyDown", "keyUp")]
        if not hold:
            return self.send(*events[0], *events[1:])  # sent at once: all within a frame
        for at in range(0, len(events), 2):
            self.send(*events[at])
            time.sleep(hold)
            self.send(*events[at + 1])

    def click(self, x, y):
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left",
                      clickCount=1)

    def hide(self, hidden=True):  # a minimized window's page is hidden
        self.call("Browser.setWindowBounds", windowId=self.window,
                  bounds={"windowState": "minimized" if hidden else "normal"})

    def capture(self):
        return self.call("Page.captureScreenshot")["data"]


class OnX(Browser):
    """Chromium with a window on an Xvfb display of its own, clicked with X's own pointer, as
    the other engines are in tests/web/web_test.py. No window manager minimizes a window there:
    a tab is hidden behind another tab."""

    headless = []

    def launch(self):
        self.own_display(*client.SCREEN)
        super().launch()

    def click(self, x, y):
        self.x_click(x, y)

    def hide(self, hidden=True):  # behind another tab, as a player switches tabs
        if hidden:
            self.tab = self.call("Target.createTarget", url="about:blank")["targetId"]
        else:
            self.call("Target.closeTarget", targetId=self.tab)  # the game's tab is shown
