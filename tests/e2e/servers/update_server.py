#!/usr/bin/env python3
"""Loopback stand-in for the update service.

Logs every request's raw bytes as one JSON line and answers from a script.

  update_server.py --port 18080 --log requests.jsonl [--script answers.json] [--port-file F] [--max-seconds S]
                   [--tls-dir DIR [--tls-max 1.1|1.2|1.3]]

With --port-file, the chosen port is written there once the server listens, and a file named "quit" in the
same folder stops it.

With --tls-dir the server speaks HTTPS as "localhost" (clients must use that name): it makes a throwaway test
CA (DIR/ca.crt, for the client to trust) and a server certificate signed by it with openssl, unless DIR
already holds them. --tls-max caps the protocol version it offers (1.1 stands for a server too old to use).
The certificates name the CA's revocation list (DIR/ca.crl, a file: URL on Wine's drive Z:), so that a client
that checks revocation can; --tls-revoked presents a second certificate, which that list revokes.

The script is a JSON object:
  {"answers": [ANSWER, ...],   # used one per request, in order
   "default": ANSWER}          # once the list is used up (default: 200 with an empty body)
ANSWER: {"status": 200, "body": "text", "headers": {"Name": "value"}, "delay": seconds,
         "hang": false,        # accept, read the request, never answer (until --max-seconds)
         "close": false,       # close the connection without answering
         "drip": seconds}      # the head at once, then the body one byte per this many seconds
Paths /redir/N/... answer 302 to /redir/N-1/... until N is 0; the script answers /redir/0/... (and every
other path). Redirects do not use up scripted answers.
"""
import argparse
import json
import os
import re
import socket
import ssl
import subprocess
import sys
import threading
import time
import warnings


def read_request(conn):
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = conn.recv(65536)
        if not chunk:
            return None
        data += chunk
        if len(data) > 1 << 20:
            return None
    head, _, rest = data.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    method, target, version = (lines[0].split(" ") + ["", "", ""])[:3]
    headers = []
    for line in lines[1:]:
        name, _, value = line.partition(":")
        headers.append([name, value.strip()])
    length = 0
    for name, value in headers:
        if name.lower() == "content-length":
            length = int(value or 0)
    while len(rest) < length:
        chunk = conn.recv(65536)
        if not chunk:
            break
        rest += chunk
    return {"method": method, "target": target, "version": version, "headers": headers,
            "raw": head.decode("latin-1") + "\r\n\r\n", "body": rest.decode("latin-1")}


def make_test_certificates(folder):
    """A CA valid for two days, two certificates for "localhost" signed by it (the second revoked) and the CA's
    revocation list, made with openssl. Returns the (certificate, key) pairs, good one first."""
    os.makedirs(folder, exist_ok=True)
    ca, ca_key = os.path.join(folder, "ca.crt"), os.path.join(folder, "ca.key")
    cert, key = os.path.join(folder, "server.crt"), os.path.join(folder, "server.key")
    revoked, revoked_key = os.path.join(folder, "revoked.crt"), os.path.join(folder, "revoked.key")
    crl = os.path.join(os.path.abspath(folder), "ca.crl")
    if all(os.path.exists(f) for f in (ca, cert, key, revoked, revoked_key, crl)):
        return (cert, key), (revoked, revoked_key)
    run = lambda *argv: subprocess.run(argv, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # A name of its own: clients pick the issuer by name among all the test CAs they were told to trust.
    name = "/CN=Tempowave Test CA %s" % os.urandom(8).hex()
    run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", ca_key, "-out", ca, "-days", "2",
        "-subj", name, "-addext", "basicConstraints=critical,CA:TRUE",
        "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    csr, ext = os.path.join(folder, "server.csr"), os.path.join(folder, "server.ext")
    with open(ext, "w") as f:
        f.write("subjectAltName=DNS:localhost\nextendedKeyUsage=serverAuth\n"
                "authorityKeyIdentifier=keyid\n"
                "crlDistributionPoints=URI:file:///Z:%s\n" % crl)
    for c, k in ((cert, key), (revoked, revoked_key)):
        run("openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", k, "-out", csr, "-subj", "/CN=localhost")
        run("openssl", "x509", "-req", "-in", csr, "-CA", ca, "-CAkey", ca_key, "-CAcreateserial", "-out", c,
            "-days", "2", "-extfile", ext)
    conf = os.path.join(folder, "ca.cnf")
    db = os.path.join(folder, "index.txt")
    open(db, "w").close()
    with open(conf, "w") as f:
        f.write("[ca]\ndefault_ca=test\n[test]\ndatabase=%s\ndefault_md=sha256\ndefault_crl_days=2\n" % db)
    run("openssl", "ca", "-config", conf, "-keyfile", ca_key, "-cert", ca, "-revoke", revoked)
    run("openssl", "ca", "-config", conf, "-gencrl", "-keyfile", ca_key, "-cert", ca, "-out", crl + ".pem")
    run("openssl", "crl", "-in", crl + ".pem", "-outform", "DER", "-out", crl + ".tmp")
    os.replace(crl + ".tmp", crl)
    return (cert, key), (revoked, revoked_key)


def tls_context(folder, max_version, revoked=False):
    good, bad = make_test_certificates(folder)
    cert, key = bad if revoked else good
    ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    ctx.load_cert_chain(cert, key)
    if max_version == "1.1":
        # Deliberately outdated: OpenSSL 3 offers TLS 1.1 only below its default security level.
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", DeprecationWarning)
            ctx.minimum_version = ssl.TLSVersion.TLSv1
            ctx.maximum_version = ssl.TLSVersion.TLSv1_1
        ctx.set_ciphers("DEFAULT:@SECLEVEL=0")
    elif max_version:
        ctx.maximum_version = {"1.2": ssl.TLSVersion.TLSv1_2, "1.3": ssl.TLSVersion.TLSv1_3}[max_version]
    return ctx


class Server:
    def __init__(self, args):
        self.args = args
        self.tls = tls_context(args.tls_dir, args.tls_max, args.tls_revoked) if args.tls_dir else None
        self.lock = threading.Lock()
        self.script = {"answers": [], "default": {"status": 200, "body": ""}}
        if args.script:
            with open(args.script, encoding="utf-8") as f:
                self.script.update(json.load(f))
        self.answers = list(self.script["answers"])
        self.stop = threading.Event()

    def log(self, request):
        if not self.args.log:
            return
        entry = dict(request)
        entry["time"] = time.time()
        with self.lock, open(self.args.log, "a", encoding="utf-8") as f:
            f.write(json.dumps(entry) + "\n")

    def next_answer(self):
        with self.lock:
            return self.answers.pop(0) if self.answers else self.script["default"]

    def handle(self, conn):
        try:
            conn.settimeout(self.args.max_seconds)
            try:
                if self.tls:
                    conn = self.tls.wrap_socket(conn, server_side=True)  # a refused handshake ends here
                request = read_request(conn)
            except OSError:
                return
            if request is None:
                return
            self.log(request)
            m = re.match(r"^/redir/(\d+)(/.*)?$", request["target"])
            if m and int(m.group(1)) > 0:
                location = "/redir/%d%s" % (int(m.group(1)) - 1, m.group(2) or "/")
                self.send(conn, {"status": 302, "headers": {"Location": location}, "body": ""})
                return
            self.send(conn, self.next_answer())
        finally:
            conn.close()

    def send(self, conn, answer):
        if answer.get("delay"):
            time.sleep(float(answer["delay"]))
        if answer.get("hang"):
            self.stop.wait(self.args.max_seconds)
            return
        if answer.get("close"):
            return
        body = answer.get("body", "")
        body = body.encode("utf-8") if isinstance(body, str) else bytes(body)
        if "body_repeat" in answer:
            body = body * int(answer["body_repeat"])
        status = int(answer.get("status", 200))
        head = "HTTP/1.1 %d %s\r\n" % (status, "OK" if status < 300 else "Status")
        headers = {"Content-Type": "text/html; charset=UTF-8", "Content-Length": str(len(body)),
                   "Connection": "close"}
        headers.update(answer.get("headers", {}))
        head += "".join("%s: %s\r\n" % kv for kv in headers.items()) + "\r\n"
        try:
            if answer.get("drip"):
                conn.sendall(head.encode("latin-1"))
                for i in range(len(body)):
                    if self.stop.wait(float(answer["drip"])):
                        return
                    conn.sendall(body[i:i + 1])
                return
            conn.sendall(head.encode("latin-1") + body)
        except OSError:
            pass

    def serve(self):
        sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        sock.bind(("127.0.0.1", self.args.port))
        sock.listen(64)
        port = sock.getsockname()[1]
        if self.args.port_file:
            tmp = self.args.port_file + ".tmp"
            with open(tmp, "w") as f:
                f.write(str(port))
            os.replace(tmp, self.args.port_file)
        sock.settimeout(0.2)
        deadline = time.time() + self.args.max_seconds
        quit_file = os.path.join(os.path.dirname(os.path.abspath(self.args.port_file)), "quit") \
            if self.args.port_file else None
        while time.time() < deadline and not self.stop.is_set():
            if quit_file and os.path.exists(quit_file):
                break
            try:
                conn, _ = sock.accept()
            except socket.timeout:
                continue
            threading.Thread(target=self.handle, args=(conn,), daemon=True).start()
        self.stop.set()
        sock.close()


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--port", type=int, default=0)
    p.add_argument("--port-file")
    p.add_argument("--log")
    p.add_argument("--script")
    p.add_argument("--max-seconds", type=float, default=300)
    p.add_argument("--tls-dir")
    p.add_argument("--tls-max", choices=["1.1", "1.2", "1.3"])
    p.add_argument("--tls-revoked", action="store_true")
    Server(p.parse_args()).serve()
    return 0


if __name__ == "__main__":
    sys.exit(main())
