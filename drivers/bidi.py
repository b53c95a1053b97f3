# SPDX-License-Identifier: MIT
"""A small client of Debian's Firefox over WebDriver BiDi, the websocket that its own
--remote-debugging-port opens (no geckodriver): starts it with a fresh profile on an Xvfb
display of its own, drives its one page, and ends every process it started.

Not headless: a click must move the focus as a player's does, into another origin's frame
too. BiDi's clicks are made up inside the page and never make the window the active one (in
headless Firefox no window ever is: document.hasFocus() stays false), so without an active
window no click moves the focus into a frame, nor into a text box. So the clicks are X's
own, through xdotool, and so is hiding (the window unmapped: no window manager minimizes
it)."""
import json
import os
import subprocess

from client import Error, get
import client


def value(remote):  # a BiDi remote value as the JSON value it stands for
    kind, v = remote["type"], remote.get("value")
    if kind == "array":
        return [value(item) for item in v]
    if kind == "object":
        return {k: value(item) for k, item in v}
    return v


class Browser(client.Client):
    name = "firefox"

    def launch(self):
        os.makedirs(self.profile)
        firefox = self.start("firefox-esr", "--no-remote", "--profile", self.profile,
                             "--remote-debugging-port=0", env=self.own_display(*client.SCREEN),
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        server = self.wait("Firefox", lambda: get(
            f"file://{self.profile}/WebDriverBiDiServer.json"), client.START)
        self.connect(f"ws://127.0.0.1:{json.loads(server)['ws_port']}/session")
        self.send("session.new", {"capabilities": {}})
        top = self.send("browsingContext.getTree", {})["contexts"][0]
        self.context = top["context"]
        self.send("browsingContext.setViewport",
                  {"context": self.context, "viewport": {"width": 800, "height": 1000}})
        self.x_window = self.xdotool("search", "--sync", "--onlyvisible", "--pid",
                                     str(firefox.pid))[-1]
        self.xdotool("windowsize", "--sync", self.x_window, 1000, 1150)  # the page whole
        self.click(1, 1)  # the window made the active one, as a player's is

    def js(self, expression):
        reply = self.send("script.evaluate", {
            "expression": expression, "target": {"context": self.context}, "awaitPromise": False,
            "serializationOptions": {"maxObjectDepth": 4}})
        return value(reply["result"]) if reply["type"] == "success" else None

    def open(self, url):
        try:
            self.send("browsingContext.navigate",
                      {"context": self.context, "url": url, "wait": "complete"})  # loaded
        except Error as error:
            raise Error(f"{url}: {error}") from None

    def key(self, *codes, hold=0):
        self.send("input.performActions",
                  {"context": self.context, "actions": client.key_actions(codes, hold)})

    corner = "[mozInnerScreenX, mozInnerScreenY]"  # the viewport is not the window's size

    def click(self, x, y):
        self.x_click(x, y)

    def hide(self, hidden=True):  # an unmapped window's page is hidden
        self.xdotool("windowunmap" if hidden else "windowmap", "--sync", self.x_window)

    def capture(self):
        return self.send("browsingContext.captureScreenshot", {"context": self.context})["data"]
