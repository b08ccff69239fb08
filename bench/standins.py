"""Loopback stand-ins for the benchmark: an update service with nothing pending and a probe that answers."""
import http.server
import threading


class Update(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        body = b"{}"
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


class Probe(Update):
    def do_HEAD(self):
        self.send_response(200)
        self.send_header("Content-Length", "0")
        self.end_headers()


servers = [http.server.ThreadingHTTPServer(("127.0.0.1", 18080), Update),
           http.server.ThreadingHTTPServer(("127.0.0.1", 18081), Probe)]
for s in servers[1:]:
    threading.Thread(target=s.serve_forever, daemon=True).start()
servers[0].serve_forever()
