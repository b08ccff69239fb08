#!/usr/bin/env python3
"""Loopback HTTP stand-in: answers every request with one canned response and logs the raw request bytes.

    loopback_http.py --port 18080 [--status 200] [--body '{}'] [--log FILE]

Prints "ready PORT" on stdout once it listens. Each request is appended to FILE as one JSON line:
{"t": seconds, "method": ..., "path": ..., "raw": "<request head and body, latin-1>"}. HEAD gets the headers only.
Stops on SIGTERM.
"""
import argparse
import json
import signal
import socketserver
import sys
import threading
import time


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        self.request.settimeout(30)
        data = b""
        try:
            while b"\r\n\r\n" not in data:
                chunk = self.request.recv(65536)
                if not chunk:
                    break
                data += chunk
            head, _, body = data.partition(b"\r\n\r\n")
            length = 0
            for line in head.split(b"\r\n")[1:]:
                name, _, value = line.partition(b":")
                if name.strip().lower() == b"content-length":
                    length = int(value.strip() or 0)
            while len(body) < length:
                chunk = self.request.recv(65536)
                if not chunk:
                    break
                body += chunk
                data += chunk
        except OSError:
            pass
        if not data:
            return
        request_line = data.split(b"\r\n", 1)[0].decode("latin-1")
        method, path = (request_line.split(" ") + ["", ""])[:2]
        self.server.log(method, path, data)
        opts = self.server.opts
        payload = opts.body.encode()
        reply = (f"HTTP/1.1 {opts.status} X\r\nContent-Type: text/plain; charset=utf-8\r\n"
                 f"Content-Length: {len(payload)}\r\nConnection: close\r\n\r\n").encode()
        try:
            self.request.sendall(reply + (b"" if method == "HEAD" else payload))
        except OSError:
            pass


class Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True

    def __init__(self, opts):
        super().__init__(("127.0.0.1", opts.port), Handler)
        self.opts = opts
        self.lock = threading.Lock()

    def log(self, method, path, raw):
        if not self.opts.log:
            return
        line = json.dumps({"t": time.time(), "method": method, "path": path, "raw": raw.decode("latin-1")})
        with self.lock, open(self.opts.log, "a", encoding="utf-8") as f:
            f.write(line + "\n")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--port", type=int, required=True)
    ap.add_argument("--status", type=int, default=200)
    ap.add_argument("--body", default="")
    ap.add_argument("--log")
    opts = ap.parse_args()
    server = Server(opts)
    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown).start())
    print(f"ready {opts.port}", flush=True)
    server.serve_forever()
    server.server_close()


if __name__ == "__main__":
    sys.exit(main())
