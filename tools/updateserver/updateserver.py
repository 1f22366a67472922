#!/usr/bin/env python3
"""A small HTTP/1.0 update server for the program update and its tests.

Serves the files of one folder under a URL prefix (by default "/spezmemb/download/software/"),
asks for Basic credentials, and can be told to misbehave, for all paths or for single ones.
See README.md beside this file.
"""

import argparse
import base64
import html
import os
import signal
import socket
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

MODES_HELP = """misbehaviour MODE, for --mode (every path) or --rule PATH=MODE (one path):
  ok                   200 with Content-Length (default)
  no-length            200 without Content-Length
  not-found            404 with a short HTML page
  redirect:LOCATION    302 with "Location: LOCATION"
  moved:LOCATION       301 with "Location: LOCATION"
  slow:BYTES:MS        the body in pieces of BYTES bytes, MS milliseconds apart
  close-early:BYTES    announces the whole length, sends BYTES body bytes and closes
  never-answer         reads the request and never answers (until the client closes)
"""


def parse_mode(text):
    name, _, arg = text.partition(":")
    if name in ("ok", "no-length", "not-found", "never-answer") and not arg:
        return (name,)
    if name in ("redirect", "moved") and arg:
        return (name, arg)
    if name == "slow":
        size, _, pause = arg.partition(":")
        return (name, int(size), int(pause))
    if name == "close-early":
        return (name, int(arg))
    raise argparse.ArgumentTypeError("unknown mode: " + text)


def parse_rule(text):
    path, sep, mode = text.partition("=")
    if not sep or not path.startswith("/"):
        raise argparse.ArgumentTypeError("rule must be /PATH=MODE: " + text)
    return path, parse_mode(mode)


class UpdateHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    server_version = "updateserver/1.0"

    def log_message(self, fmt, *args):
        if not self.server.options.quiet:
            sys.stderr.write("%s %s\n" % (self.address_string(), fmt % args))

    # -- helpers -----------------------------------------------------------------------------

    def send_page(self, code, title, extra_headers=()):
        body = ("<html><head><title>%d %s</title></head><body><h1>%s</h1></body></html>\n"
                % (code, html.escape(title), html.escape(title))).encode("ascii")
        self.send_response(code, title)
        for name, value in extra_headers:
            self.send_header(name, value)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def authorised(self):
        opts = self.server.options
        if opts.no_auth:
            return True
        expected = "Basic " + base64.b64encode(
            (opts.user + ":" + opts.password).encode("latin-1")).decode("ascii")
        return self.headers.get("Authorization", "") == expected

    def local_file(self, path):
        """The file for a URL path under the prefix, or None."""
        prefix = self.server.options.prefix
        if not path.startswith(prefix):
            return None
        name = path[len(prefix):]
        if not name or "/" in name or name in (".", ".."):
            return None
        full = os.path.realpath(os.path.join(self.server.options.root, name))
        root = os.path.realpath(self.server.options.root)
        if os.path.dirname(full) != root or not os.path.isfile(full):
            return None
        return full

    # -- requests ----------------------------------------------------------------------------

    def do_HEAD(self):
        self.do_GET()

    def do_GET(self):
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        mode = self.server.rules.get(path, self.server.options.mode)
        kind = mode[0]

        if kind == "never-answer":
            self.close_connection = True
            try:
                while self.connection.recv(4096):
                    pass
            except OSError:
                pass
            return
        if not self.authorised():
            self.send_page(401, "Unauthorized",
                           [("WWW-Authenticate", 'Basic realm="update"')])
            return
        if kind == "redirect":
            self.send_page(302, "Found", [("Location", mode[1])])
            return
        if kind == "moved":
            self.send_page(301, "Moved Permanently", [("Location", mode[1])])
            return
        full = self.local_file(path)
        if kind == "not-found" or full is None:
            self.send_page(404, "Not Found")
            return

        size = os.path.getsize(full)
        self.send_response(200, "OK")
        self.send_header("Content-Type", "application/octet-stream")
        if kind != "no-length":
            self.send_header("Content-Length", str(size))
        self.end_headers()
        self.wfile.flush()
        if self.command == "HEAD":
            return
        with open(full, "rb") as f:
            if kind == "slow":
                _, piece, pause = mode
                while True:
                    chunk = f.read(piece)
                    if not chunk:
                        break
                    self.wfile.write(chunk)
                    time.sleep(pause / 1000.0)
            elif kind == "close-early":
                self.wfile.write(f.read(mode[1]))
            else:
                # sendfile keeps the server out of the way when a client's throughput is measured.
                self.connection.sendfile(f)
        self.close_connection = True


class UpdateServer(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    ap = argparse.ArgumentParser(description=__doc__, epilog=MODES_HELP,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--root", required=True, help="folder whose files are served")
    ap.add_argument("--bind", default="127.0.0.1", help="address to listen on (127.0.0.1)")
    ap.add_argument("--port", type=int, default=80, help="port; 0 picks a free one (80)")
    ap.add_argument("--port-file", help="write the port into this file once listening")
    ap.add_argument("--prefix", default="/spezmemb/download/software/",
                    help="URL folder of the files (/spezmemb/download/software/)")
    ap.add_argument("--user", default="58213", help="Basic user id (58213)")
    ap.add_argument("--password", default="VeNuSaR", help="Basic password (VeNuSaR)")
    ap.add_argument("--no-auth", action="store_true", help="do not ask for credentials")
    ap.add_argument("--mode", type=parse_mode, default=("ok",), help="misbehaviour for every path")
    ap.add_argument("--rule", type=parse_rule, action="append", default=[],
                    help="PATH=MODE: misbehaviour for one URL path (repeatable)")
    ap.add_argument("--quiet", action="store_true", help="do not log requests")
    opts = ap.parse_args()
    if not opts.prefix.endswith("/"):
        opts.prefix += "/"

    server = UpdateServer((opts.bind, opts.port), UpdateHandler)
    server.options = opts
    server.rules = dict(opts.rule)
    port = server.server_address[1]
    if opts.port_file:
        tmp = opts.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write("%d\n" % port)
        os.replace(tmp, opts.port_file)
    sys.stderr.write("updateserver: serving %s as http://%s:%d%s\n"
                     % (opts.root, opts.bind, port, opts.prefix))
    sys.stderr.flush()

    def stop(signum, frame):
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        server.server_close()
        if opts.port_file:
            try:
                os.remove(opts.port_file)
            except OSError:
                pass


if __name__ == "__main__":
    main()
