#!/usr/bin/python3
"""A small HTTP server for the tests, on a free loopback port.

Usage: http_server.py DATA_DIR

Prints the port on the first line of stdout, then serves until it is killed or
its stdin reaches end of file (so it goes away with the test process that
started it).

Routes:
  /file/<name>              the file <name> from DATA_DIR (404 when missing)
  /redirect/<n>/<rest>      a chain of exactly n redirects (302) ending at /<rest>:
                            /redirect/<n-1>/<rest> next, /<rest> after the last;
                            at 0, answers as /<rest> at once
  /status/<code>            that status, with a short text body
  /slow/<seconds>/<rest>    waits that many seconds, then answers as /<rest>
  /bytes                    the 256 bytes 0x00, 0x01, ..., 0xFF in order
"""

import os
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

DATA_DIR = ""
ALL_BYTES = bytes(range(256))


class Handler(BaseHTTPRequestHandler):
    def log_message(self, format, *args):
        pass

    def do_GET(self):
        try:
            self.answer(urllib.parse.urlsplit(self.path).path)
        except (BrokenPipeError, ConnectionResetError):
            pass  # the client gave up, for instance after its own time-out

    def send(self, code, body, content_type="text/plain"):
        self.send_response(code)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def answer(self, path):
        parts = path.lstrip("/").split("/", 2)
        route = parts[0]
        if route == "file" and len(parts) >= 2:
            self.serve_file(urllib.parse.unquote("/".join(parts[1:])))
        elif route == "redirect" and len(parts) == 3 and parts[1].isdigit():
            left = int(parts[1])
            if left == 0:
                self.answer("/" + parts[2])
                return
            target = "/" + parts[2] if left == 1 else "/redirect/%d/%s" % (left - 1, parts[2])
            self.send_response(302)
            self.send_header("Location", target)
            self.send_header("Content-Length", "0")
            self.end_headers()
        elif route == "status" and len(parts) == 2 and parts[1].isdigit():
            code = int(parts[1])
            self.send(code, ("status %d\n" % code).encode("ascii"))
        elif route == "slow" and len(parts) == 3:
            time.sleep(float(parts[1]))
            self.answer("/" + parts[2])
        elif route == "bytes" and len(parts) == 1:
            self.send(200, ALL_BYTES, "application/octet-stream")
        else:
            self.send(404, b"not found\n")

    def serve_file(self, name):
        if not name or "/" in name or name in (".", ".."):
            self.send(404, b"not found\n")
            return
        try:
            with open(os.path.join(DATA_DIR, name), "rb") as f:
                body = f.read()
        except OSError:
            self.send(404, b"not found\n")
            return
        self.send(200, body, "application/octet-stream")


def exit_when_stdin_closes():
    while sys.stdin.buffer.read(4096):
        pass
    os._exit(0)


def main():
    global DATA_DIR
    if len(sys.argv) != 2:
        sys.stderr.write("usage: http_server.py DATA_DIR\n")
        return 2
    DATA_DIR = sys.argv[1]
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=exit_when_stdin_closes, daemon=True).start()
    sys.stdout.write("%d\n" % server.server_address[1])
    sys.stdout.flush()
    server.serve_forever()
    return 0


if __name__ == "__main__":
    sys.exit(main())
