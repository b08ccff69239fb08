"""Loopback stand-ins for the benchmark: an update service with nothing pending and a probe that answers.
   standins.py [--slow SECONDS]   both hold every request that long before answering"""
import argparse
import http.server
import threading
import time

parser = argparse.ArgumentParser()
parser.add_argument("--slow", type=float, default=0.0)
slow = parser.parse_args().slow


class Update(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        time.sleep(slow)
        body = b"{}"
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


class Probe(Update):
    def do_HEAD(self):
        time.sleep(slow)
        self.send_response(200)
        self.send_header("Content-Length", "0")
        self.end_headers()


class Server(http.server.ThreadingHTTPServer):
    allow_reuse_address = True
    daemon_threads = True


servers = [Server(("127.0.0.1", 18080), Update), Server(("127.0.0.1", 18081), Probe)]
print("ready", flush=True)
for s in servers[1:]:
    threading.Thread(target=s.serve_forever, daemon=True).start()
servers[0].serve_forever()
