# SPDX-License-Identifier: MIT
"""A small client of Debian's headless Chromium over the DevTools protocol: starts it with a
fresh profile, drives its one page, and ends every process it started."""
import base64
import json
import shutil
import subprocess
import tempfile
import time
import urllib.request

import websocket

FLAGS = ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--window-size=800,1000", "--remote-debugging-port=0"]
KEYS = {"ArrowLeft": 37, "ArrowUp": 38, "ArrowRight": 39, "ArrowDown": 40, "Space": 32,
        "KeyP": 80, "Escape": 27}


class Error(Exception):
    pass


def wait(what, check, timeout=10):
    """check()'s first true value, tried every 50 ms; timeout 0: checked once."""
    deadline = time.monotonic() + timeout
    while not (value := check()):
        if time.monotonic() >= deadline:
            raise Error(f"not seen within {timeout} s: {what}")
        time.sleep(0.05)
    return value


def get(url):
    try:
        return urllib.request.urlopen(url, timeout=2).read()
    except OSError:
        return None


class Browser:
    """Chromium and any other process started through start(); close() ends them all.
    wait(what, check, timeout) is how it waits, the module's wait unless given."""

    def __init__(self, wait=wait):
        self.wait, self.children, self.ws, self.id = wait, [], None, 0
        self.tmp = tempfile.mkdtemp(prefix="gemlets-web.")
        self.profile = f"{self.tmp}/profile"  # in the command line of every Chromium process

    def start(self, *command, **kwargs):
        self.children.append(subprocess.Popen(command, **kwargs))
        return self.children[-1]

    def launch(self):
        self.start("chromium", *FLAGS, f"--user-data-dir={self.profile}",
                   stderr=subprocess.DEVNULL)
        active = self.wait("Chromium", lambda: get(f"file://{self.profile}/DevToolsActivePort"))
        targets = self.wait("its pages",
                            lambda: get(f"http://127.0.0.1:{int(active.split()[0])}/json"))
        page = [t for t in json.loads(targets) if t["type"] == "page"][0]
        self.ws = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=30,
                                              suppress_origin=True)

    def call(self, method, **params):
        self.id += 1
        self.ws.send(json.dumps({"id": self.id, "method": method, "params": params}))
        while (reply := json.loads(self.ws.recv())).get("id") != self.id:
            pass
        if "result" not in reply:
            raise Error(f"{method}: {reply}")
        return reply["result"]

    def js(self, expression):
        return self.call("Runtime.evaluate", expression=expression,
                         returnByValue=True)["result"].get("value")

    def open(self, url):
        self.call("Page.navigate", url=url)
        self.wait(f"{url} loaded", lambda: self.js("document.readyState") == "complete")

    def key(self, code):  # pressed and released
        for kind in ("rawKeyDown", "keyUp"):
            self.call("Input.dispatchKeyEvent", type=kind, code=code,
                      windowsVirtualKeyCode=KEYS[code])

    def screenshot(self, path):
        with open(path, "wb") as f:
            f.write(base64.b64decode(self.call("Page.captureScreenshot")["data"]))

    def close(self):
        for child in reversed(self.children):
            child.kill()
            child.wait()
        shutil.rmtree(self.tmp, ignore_errors=True)
