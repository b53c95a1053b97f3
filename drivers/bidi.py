# SPDX-License-Identifier: MIT
"""A small client of Debian's headless Firefox over WebDriver BiDi, the websocket that its own
--remote-debugging-port opens (no geckodriver): starts it with a fresh profile, drives its one
page, and ends every process it started."""
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
        self.start("firefox-esr", "--headless", "--no-remote", "--profile", self.profile,
                   "--remote-debugging-port=0",
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        server = self.wait("Firefox", lambda: get(
            f"file://{self.profile}/WebDriverBiDiServer.json"), client.START)
        self.connect(f"ws://127.0.0.1:{json.loads(server)['ws_port']}/session")
        self.send("session.new", {"capabilities": {}})
        top = self.send("browsingContext.getTree", {})["contexts"][0]
        self.context, self.window = top["context"], top["clientWindow"]
        self.send("browsingContext.setViewport",
                  {"context": self.context, "viewport": {"width": 800, "height": 1000}})

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

    def click(self, x, y):
        self.send("input.performActions",
                  {"context": self.context, "actions": client.click_actions(x, y)})

    def hide(self, hidden=True):
        self.send("browser.setClientWindowState", {"clientWindow": self.window,
                                                   "state": "minimized" if hidden else "normal"})

    def capture(self):
        return self.send("browsingContext.captureScreenshot", {"context": self.context})["data"]
