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
import struct
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

hostile replies, for the tests of the program update (FILE: the requested file's bytes):
  status-only          "HTTP/1.0 200 OK" CR LF, then closes
  close-at-once        closes without a byte;  reset-at-once: resets without a byte
  length-zero-body     "Content-Length: 0" followed by FILE
  chunked              FILE in chunked transfer coding
  partial              status 206 with a Content-Range and FILE
  length-no-space      "Content-Length:N" (no blank) and FILE: a sound reply
  length-no-space-short  "Content-Length:1000" and only 10 bytes of FILE
  length-tab           "Content-Length:<TAB>N" and FILE: a sound reply
  status-no-reason     "HTTP/1.0 200" without reason text: a sound reply
  status-two-blanks    "HTTP/1.0  200 OK": a sound reply
  status-huge          "HTTP/1.0 99999 OK"
  length-negative, length-text, length-huge, length-2g, length-4g-wrap
                       a Content-Length of -5, "abc", 10^23, 2^31, 2^32 + N with FILE
  length-twice         two Content-Length lines that disagree
  body-longer          FILE announced as half its length
  many-headers         200000 short header lines before FILE
  header-10mb          one header line of 10 MB
  header-no-colon      a header line without a colon among sound ones
  folded-header        a continuation line (starting with a blank)
  garbage              bytes that are no HTTP; http09: FILE alone, no status line or header
  reset-before-body    a sound header, then a reset
  reset-mid-body       a sound header, half of FILE, then a reset
  stall-header         the status line, then silence until the client closes
  stall-mid-body       a sound header, half of FILE, then silence until the client closes
  drip:MS              a sound reply one byte every MS milliseconds
  cr-only, lf-only     a sound reply with CR-only (broken) or LF-only line ends
  nul-status, nul-length  a NUL byte in the status line or in the Content-Length value
  not-program          200 with an HTML page of the right length
  empty-no-length      200 without Content-Length and without a body
  server-error         500 with a short HTML page
  redirect-loop        302 to the requested path itself
  redirect-same-host   302 to http://127.0.0.1:PORT/ + the path and "?moved"
  redirect-path        302 to the path and "?moved"
  redirect-cross-host  302 to http://localhost:PORT/ + the path and "?moved"
  redirect-no-location 302 without a Location line
  redirect-ftp, redirect-file, redirect-https  302 to such a URL
  redirect-crlf, redirect-nul  302 to a Location with a CR and a header behind it, or a NUL
  huge:BYTES           200 with "MZ" and BYTES - 2 more bytes, made up as they are sent
  huge-no-length:BYTES the same without Content-Length

Every redirect of the modes redirect and moved also sets the cookie "sid=update".
"""


RAW_MODES = set()


def raw_mode(name):
    def register(fn):
        RAW_MODES.add(name)
        HOSTILE[name] = fn
        return fn
    return register


HOSTILE = {}


def head(status, *lines, end=b"\r\n"):
    return b"".join(x + end for x in (status,) + lines) + end


def ok_head(length_line):
    return head(b"HTTP/1.0 200 OK", b"Content-Type: application/octet-stream", length_line)


def length_of(data):
    return b"Content-Length: %d" % len(data)


def hold_until_closed(conn, seconds=60):
    """Silence, until the client gives up (or a minute has passed)."""
    conn.settimeout(seconds)
    try:
        while conn.recv(4096):
            pass
    except OSError:
        pass


def reset(conn):
    conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    conn.close()


def redirect_to(location):
    return lambda h, data: h.raw(head(b"HTTP/1.0 302 Found", b"Location: " + location)
                                 + b"moved")


def simple(fn):
    """A mode whose whole reply is fn(handler, data)."""
    return lambda h, data: h.raw(fn(h, data))


for name, fn in {
    "status-only": lambda h, d: b"HTTP/1.0 200 OK\r\n",
    "close-at-once": lambda h, d: b"",
    "length-zero-body": lambda h, d: ok_head(b"Content-Length: 0") + d,
    "chunked": lambda h, d: ok_head(b"Transfer-Encoding: chunked")
    + (b"%x\r\n" % len(d) + d + b"\r\n" if d else b"") + b"0\r\n\r\n",
    "partial": lambda h, d: head(b"HTTP/1.0 206 Partial Content",
                                 b"Content-Range: bytes 0-%d/%d" % (max(len(d) - 1, 0), len(d) * 2),
                                 length_of(d)) + d,
    "length-no-space": lambda h, d: ok_head(b"Content-Length:%d" % len(d)) + d,
    "length-no-space-short": lambda h, d: ok_head(b"Content-Length:1000") + d[:10],
    "length-tab": lambda h, d: ok_head(b"Content-Length:\t%d" % len(d)) + d,
    "status-no-reason": lambda h, d: head(b"HTTP/1.0 200", length_of(d)) + d,
    "status-two-blanks": lambda h, d: head(b"HTTP/1.0  200 OK", length_of(d)) + d,
    "status-huge": lambda h, d: head(b"HTTP/1.0 99999 OK", length_of(d)) + d,
    "length-negative": lambda h, d: ok_head(b"Content-Length: -5") + d,
    "length-text": lambda h, d: ok_head(b"Content-Length: abc") + d,
    "length-huge": lambda h, d: ok_head(b"Content-Length: 99999999999999999999999") + d,
    "length-2g": lambda h, d: ok_head(b"Content-Length: 2147483648") + d,
    "length-4g-wrap": lambda h, d: ok_head(b"Content-Length: %d" % (len(d) + 2 ** 32)) + d,
    "length-twice": lambda h, d: head(b"HTTP/1.0 200 OK", length_of(d),
                                      b"Content-Length: %d" % (len(d) + 1)) + d,
    "body-longer": lambda h, d: ok_head(b"Content-Length: %d" % (len(d) // 2)) + d,
    "many-headers": lambda h, d: b"HTTP/1.0 200 OK\r\n"
    + b"".join(b"X-%d: y\r\n" % i for i in range(200000)) + length_of(d) + b"\r\n\r\n" + d,
    "header-10mb": lambda h, d: b"HTTP/1.0 200 OK\r\nX-Long: " + b"a" * (10 * 1024 * 1024)
    + b"\r\n" + length_of(d) + b"\r\n\r\n" + d,
    "header-no-colon": lambda h, d: head(b"HTTP/1.0 200 OK", b"This line has no colon",
                                         length_of(d)) + d,
    "folded-header": lambda h, d: head(b"HTTP/1.0 200 OK", b"Server: x", b" continued",
                                       length_of(d)) + d,
    "garbage": lambda h, d: bytes((i * 37 + 11) % 256 for i in range(3000)),
    "http09": lambda h, d: d,
    "cr-only": lambda h, d: head(b"HTTP/1.0 200 OK", length_of(d), end=b"\r") + d,
    "lf-only": lambda h, d: head(b"HTTP/1.0 200 OK", length_of(d), end=b"\n") + d,
    "nul-status": lambda h, d: head(b"HTTP/1.0 200\0OK", length_of(d)) + d,
    "nul-length": lambda h, d: ok_head(b"Content-Length: %d\0" % len(d)) + d,
    "not-program": lambda h, d: ok_head(length_of(PAGE)) + PAGE,
    "empty-no-length": lambda h, d: head(b"HTTP/1.0 200 OK"),
    "server-error": lambda h, d: head(b"HTTP/1.0 500 Internal Server Error",
                                      length_of(PAGE)) + PAGE,
}.items():
    raw_mode(name)(simple(fn))

PAGE = b"<html><body><h1>Hier ist kein Programm</h1></body></html>\n"


@raw_mode("reset-at-once")
def _reset_at_once(h, data):
    reset(h.connection)


@raw_mode("reset-before-body")
def _reset_before_body(h, data):
    h.connection.sendall(ok_head(length_of(data)))
    time.sleep(0.05)
    reset(h.connection)


@raw_mode("reset-mid-body")
def _reset_mid_body(h, data):
    h.connection.sendall(ok_head(length_of(data)) + data[:len(data) // 2])
    time.sleep(0.05)
    reset(h.connection)


@raw_mode("stall-header")
def _stall_header(h, data):
    h.connection.sendall(b"HTTP/1.0 200 OK\r\n")
    hold_until_closed(h.connection)


@raw_mode("stall-mid-body")
def _stall_mid_body(h, data):
    h.connection.sendall(ok_head(length_of(data)) + data[:len(data) // 2])
    hold_until_closed(h.connection)


def _drip(h, data, pause):
    for byte in ok_head(length_of(data)) + data:
        h.connection.sendall(bytes([byte]))
        time.sleep(pause)


def _huge(h, size, with_length):
    """A made-up file of size bytes starting with "MZ", sent until the client stops reading."""
    lines = [b"HTTP/1.0 200 OK", b"Content-Type: application/octet-stream"]
    if with_length:
        lines.append(b"Content-Length: %d" % size)
    piece = b"MZ" + b"\x5a" * (65536 - 2)
    try:
        h.connection.sendall(head(*lines))
        sent = 0
        while sent < size:
            chunk = piece[:size - sent] if sent == 0 else b"\x5a" * min(65536, size - sent)
            h.connection.sendall(chunk)
            sent += len(chunk)
    except OSError:
        pass


def _redirects():
    def here(h):
        return h.path.encode("latin-1")

    def port(h):
        return b"%d" % h.server.server_address[1]

    table = {
        "redirect-loop": lambda h: here(h),
        "redirect-same-host": lambda h: b"http://127.0.0.1:" + port(h) + here(h) + b"?moved",
        "redirect-path": lambda h: here(h) + b"?moved",
        "redirect-cross-host": lambda h: b"http://localhost:" + port(h) + here(h) + b"?moved",
        "redirect-ftp": lambda h: b"ftp://127.0.0.1:" + port(h) + here(h),
        "redirect-file": lambda h: b"file:///etc/passwd",
        "redirect-https": lambda h: b"https://127.0.0.1:" + port(h) + here(h),
        "redirect-crlf": lambda h: here(h) + b"\rX-Injected: yes",
        "redirect-nul": lambda h: here(h) + b"\0x",
    }
    for name, target in table.items():
        raw_mode(name)(lambda h, data, target=target: h.raw(
            head(b"HTTP/1.0 302 Found", b"Location: " + target(h)) + b"moved"))
    raw_mode("redirect-no-location")(simple(lambda h, d: head(b"HTTP/1.0 302 Found") + b"moved"))


_redirects()


def parse_mode(text):
    name, _, arg = text.partition(":")
    if name in RAW_MODES and not arg:
        return (name,)
    if name == "drip":
        return (name, int(arg))
    if name in ("ok", "no-length", "not-found", "never-answer") and not arg:
        return (name,)
    if name in ("redirect", "moved") and arg:
        return (name, arg)
    if name == "slow":
        size, _, pause = arg.partition(":")
        return (name, int(size), int(pause))
    if name in ("close-early", "huge", "huge-no-length"):
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

    def raw(self, data):
        """Sends bytes as they are, whatever HTTP would say."""
        try:
            self.connection.sendall(data)
        except OSError:
            pass  # the client gave up, as it should on much of what these modes send

    def mode_for(self, path):
        opts = self.server.options
        if opts.mode_file:
            try:
                with open(opts.mode_file) as f:
                    for line in f:
                        rule_path, sep, mode = line.strip().partition("=")
                        # The request's own path, query included: "?moved" is another path.
                        if sep and rule_path == self.path:
                            return parse_mode(mode)
            except FileNotFoundError:
                pass
        return self.server.rules.get(path, opts.mode)

    def record(self):
        """One line per request in --request-log: where it came in, what it asked for, and
        whether it carried the credentials and which cookie."""
        log = self.server.options.request_log
        if not log:
            return
        host, port = self.connection.getsockname()[:2]
        line = "%s:%d %s auth=%s cookie=%s\n" % (
            host, port, self.path, "yes" if "Authorization" in self.headers else "no",
            self.headers.get("Cookie", "-"))
        with open(log, "a") as f:
            f.write(line)

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
        self.record()
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        mode = self.mode_for(path)
        kind = mode[0]
        self.close_connection = True

        if kind in RAW_MODES or kind == "drip":
            full = self.local_file(path)
            data = b""
            if full is not None:
                with open(full, "rb") as f:
                    data = f.read()
            try:
                if kind == "drip":
                    _drip(self, data, mode[1] / 1000.0)
                else:
                    HOSTILE[kind](self, data)
            except OSError:
                pass
            return

        if kind in ("huge", "huge-no-length"):
            _huge(self, mode[1], kind == "huge")
            return
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
        cookie = ("Set-Cookie", "sid=update")
        if kind == "redirect":
            self.send_page(302, "Found", [("Location", mode[1]), cookie])
            return
        if kind == "moved":
            self.send_page(301, "Moved Permanently", [("Location", mode[1]), cookie])
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
    ap.add_argument("--mode-file",
                    help="file of PATH=MODE lines, read at every request (ahead of --rule)")
    ap.add_argument("--quiet", action="store_true", help="do not log requests")
    ap.add_argument("--request-log",
                    help="append a line per request: address, path, credentials, cookie")
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
