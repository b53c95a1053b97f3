# SPDX-License-Identifier: MIT
"""A small client of WebKitGTK over classic W3C WebDriver: WebKitWebDriver drives MiniBrowser
--automation on an Xvfb display of its own. It starts them with a fresh session, drives its one
page, and ends every process it started."""
import glob
import json
import subprocess
import urllib.error
import urllib.request

from client import Error, get
import client

MINI_BROWSER = "/usr/lib/*/webkit2gtk-4.[01]/MiniBrowser"


class Browser(client.Client):
    name = "webkit"

    def launch(self):
        binary = (glob.glob(MINI_BROWSER) or [None])[0]
        if not binary:
            raise Error(f"webkit: no MiniBrowser at {MINI_BROWSER}: install libwebkit2gtk-4.1-0")
        port = client.free_port()
        self.driver, self.session = f"http://127.0.0.1:{port}", ""
        self.start("WebKitWebDriver", f"--port={port}", env=self.own_display(),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.wait("WebKitWebDriver", lambda: get(f"{self.driver}/status"), client.START)
        options = {"binary": binary, "args": ["--automation"]}
        session = self.call("POST", "/session", {"capabilities": {
            "alwaysMatch": {"webkitgtk:browserOptions": options}}})
        self.session = f"/session/{session['sessionId']}"
        self.hide(False)

    def call(self, method, path, body=None):
        request = urllib.request.Request(
            self.driver + self.session + path, method=method,
            data=None if body is None else json.dumps(body).encode(),
            headers={"Content-Type": "application/json"})
        try:
            with urllib.request.urlopen(request, timeout=60) as reply:
                return json.loads(reply.read())["value"]
        except urllib.error.HTTPError as error:
            value = json.loads(error.read() or "{}").get("value", {})
            raise Error(f"webkit: {method} {path}: {value.get('error')}: "
                        f"{value.get('message')}") from None
        except OSError as error:
            raise Error(f"webkit: {method} {path}: {error}") from None

    def js(self, expression):  # no eval: the page's Content-Security-Policy forbids it
        return self.run(f"return ({expression}\n);")

    def run(self, statements):  # the body of a function, sloppy: assignments make globals
        try:
            return self.call("POST", "/execute/sync", {"script": statements, "args": []})
        except Error as error:
            if "javascript error" in str(error):
                return None
            raise

    def open(self, url):
        self.call("POST", "/url", {"url": url})  # answered once the page has loaded

    def key(self, *codes, hold=0):
        self.call("POST", "/actions", {"actions": client.key_actions(codes, hold)})

    def click(self, x, y):
        self.x_click(x, y)

    def hide(self, hidden=True):  # a minimized window's page is hidden; a new size restores it
        if hidden:
            self.call("POST", "/window/minimize", {})
        else:
            self.call("POST", "/window/rect", {"width": 800, "height": 1000})

    def capture(self):
        return self.call("GET", "/screenshot")

    def close(self):  # MiniBrowser ends with its session
        if getattr(self, "session", None):
            try:
                self.call("DELETE", "")
            except Error:
                pass
        super().close()
