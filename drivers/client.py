# SPDX-License-Identifier: MIT
"""What our three browser clients share (devtools.py for Chromium, bidi.py for Firefox,
webdriver.py for WebKit): waiting, the processes they start, JSON calls over a websocket, the
key actions both WebDriver protocols take alike, and clicks with X's own pointer. Each client
drives one page through launch, open, js (an expression's value), run (statements), key (codes
pressed in turn, each released `hold` s later: none, all within a frame), click, hide (False:
shown again), screenshot and close."""
import base64
import json
import os
import shutil
import socket
import subprocess
import tempfile
import time
import urllib.request

import websocket

# WebDriver's key values for the keys the game reads, by the page's key names.
WEBDRIVER_KEYS = {"ArrowLeft": "\ue012", "ArrowUp": "\ue013", "ArrowRight": "\ue014",
                  "ArrowDown": "\ue015", "Space": " ", "KeyP": "p", "Escape": "\ue00c"}


START = 30  # seconds a browser may take to start on a loaded machine
SCREEN = ("-screen", "0", "1280x1200x24")  # Xvfb's options: room for a window of the page whole


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


def free_port():  # for a driver that cannot be told to pick its own
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def key_actions(codes, hold):  # each pressed, released `hold` s later, then the next
    return [{"type": "key", "id": "keyboard", "actions": [action for code in codes for action in (
        {"type": "keyDown", "value": WEBDRIVER_KEYS[code]},
        {"type": "pause", "duration": round(hold * 1000)},
        {"type": "keyUp", "value": WEBDRIVER_KEYS[code]})]}]


class Client:
    """A browser and any other process started through start(); close() ends them all.
    wait(what, check, timeout) is how it waits, the module's wait unless given."""
    name = "browser"

    def __init__(self, wait=wait):
        self.wait, self.children, self.ws, self.id = wait, [], None, 0
        self.terminated = set()  # children that end what they started when terminated
        self.tmp = tempfile.mkdtemp(prefix="gemlets-web.")
        self.profile = f"{self.tmp}/profile"  # in the command line of every browser process

    def start(self, *command, **kwargs):
        self.children.append(subprocess.Popen(command, **kwargs))
        return self.children[-1]

    # The viewport's top left on the screen, for X's pointer; Firefox's own is exact.
    corner = "[screenX + outerWidth - innerWidth, screenY + outerHeight - innerHeight]"

    def xdotool(self, *args):  # on the display that self.env names
        try:
            return subprocess.run(["xdotool", *map(str, args)], env=self.env, timeout=30,
                                  check=True, capture_output=True, text=True).stdout.split()
        except (OSError, subprocess.SubprocessError) as error:
            raise Error(f"{self.name}: xdotool {' '.join(map(str, args))}: {error}") from None

    def x_click(self, x, y):  # the viewport's point pressed by X's own pointer, as a player's
        left, top = self.js(self.corner)
        self.xdotool("mousemove", "--sync", round(left + x), round(top + y), "click", 1)

    def own_display(self, *options):  # self.env: this environment on a display of its own
        self.env = {**os.environ, "DISPLAY": self.xvfb(*options)}
        return self.env

    def xvfb(self, *options):  # a display of its own from xvfb.sh, as DISPLAY names it
        # The shell stays to end its Xvfb when terminated (close), so that no server outlives us.
        shell = self.start("bash", "-c", 'source "$0" && startXvfb "$1" -nolisten tcp "${@:2}" '
                           '|| exit 1\ntrap \'kill "$xvfbPid"; wait "$xvfbPid"\' TERM\n'
                           'echo "$DISPLAY"\nwait "$xvfbPid"',
                           f"{os.path.dirname(__file__)}/xvfb.sh",
                           tempfile.mkdtemp(dir=self.tmp), *options, stdout=subprocess.PIPE,
                           text=True)
        self.terminated.add(shell)
        if not (display := shell.stdout.readline().strip()):
            raise Error("drivers/xvfb.sh: no display (its reason is on standard error)")
        return display

    def serve(self, folder, *options):  # the address of scripts/serve.py serving the folder
        line = self.start(f"{os.path.dirname(__file__)}/../scripts/serve.py", folder, "--port=0",
                          *options, text=True, stdout=subprocess.PIPE).stdout.readline()
        if not line.startswith("gemlets: http"):
            raise Error(f"scripts/serve.py {folder}: no address")
        return line.split()[-1]

    def connect(self, url):
        try:
            self.ws = websocket.create_connection(url, timeout=30, suppress_origin=True)
        except (OSError, websocket.WebSocketException) as error:
            raise Error(f"{self.name}: {url}: {error}") from None

    def send(self, method, params, *more):
        """The reply to one call over the websocket, other messages skipped; with more calls
        (method, params), all are sent before the first reply is read."""
        calls, first = [(method, params), *more], self.id + 1
        try:
            for method, params in calls:
                self.id += 1
                self.ws.send(json.dumps({"id": self.id, "method": method, "params": params}))
            while first <= self.id:
                if (reply := json.loads(self.ws.recv())).get("id") == first:
                    first += 1
                    if "result" not in reply or reply.get("type") == "error":
                        raise Error(f"{self.name}: {method}: {reply.get('error')} "
                                    f"{reply.get('message', '')}")
        except (OSError, websocket.WebSocketException) as error:
            raise Error(f"{self.name}: {method}: {error or type(error).__name__}") from None
        return reply["result"]

    def run(self, statements):  # script whose value nobody needs
        self.js(statements)

    def screenshot(self, path):
        with open(path, "wb") as f:
            f.write(base64.b64decode(self.capture()))

    def close(self):
        if self.ws:
            self.ws.close()
        for child in reversed(self.children):
            child.terminate() if child in self.terminated else child.kill()
            child.wait()
        shutil.rmtree(self.tmp, ignore_errors=True)
