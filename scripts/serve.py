#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Serves the browser's site for play on this machine: a plain static server, as any host is."""
import argparse
import functools
import http.server
import sys
import time

parser = argparse.ArgumentParser(description=__doc__)
parser.add_argument("folder", help="the site, build-web/site")
parser.add_argument("--port", type=int, default=8000)
parser.add_argument("--bind", default="127.0.0.1")
parser.add_argument("--delay", type=float, default=0,
                    help="seconds each answer waits before it starts: a slow network, for tests")
args = parser.parse_args()


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript",
                      ".ttf": "font/ttf", ".data": "application/octet-stream"}

    def send_head(self):
        time.sleep(args.delay)
        return super().send_head()

    def end_headers(self):
        self.send_header("Cache-Control", "no-cache")
        super().end_headers()

    def log_message(self, *_):
        pass


class Server(http.server.ThreadingHTTPServer):
    def handle_error(self, request, client_address):
        # A browser that goes away part-way through an answer (a page closed) is no fault.
        if not isinstance(sys.exc_info()[1], ConnectionError):
            super().handle_error(request, client_address)


try:
    server = Server(
        (args.bind, args.port), functools.partial(Handler, directory=args.folder))
except OSError as error:
    sys.exit(f"serve.py: {args.bind}:{args.port}: {error.strerror}")
print(f"gemlets: http://{args.bind}:{server.server_address[1]}/", flush=True)
try:
    server.serve_forever()
except KeyboardInterrupt:
    pass
