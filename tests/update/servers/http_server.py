#!/usr/bin/python3
"""Test HTTP server for the update tests: static files, Basic authentication and fault routes.

Usage: http_server.py [--tls DIR] ROOT [USER PASSWORD]. Listens on 127.0.0.1 at a free port and
prints "PORT <n>" as its first line. With --tls it serves https with a new self-signed
certificate for 127.0.0.1, written to DIR/cert.pem for the client to trust.
  /files/<path>        a file below ROOT
  /auth/<path>         the same, behind Basic authentication with USER:PASSWORD
  /headers             the request's header lines as the body
  /status/<code>       that status with a short body
  /truncated           announces 1000 bytes, sends 500, closes
  /short/<path>        a file below ROOT announced with half its length
  /huge                32 MB without a length, then closes
  /stall               says nothing for 10 s, then 404
  /empty               200 with no body
  /redirect/<path>     302 to /files/<path>
  /redirect-ftp        302 to an ftp:// address (must not be followed)
  /goto?<address>      302 to that address
  /vast                announces a petabyte, sends a little, closes
  /slow                an endless body, one block every 50 ms
  POST /post           echoes "content-type|body"
  POST /hangup         reads the request and closes without an answer
A request in absolute form ("GET http://any.host/path", as sent to a proxy) is served by its path.
"""
import base64
import ssl
import subprocess
import sys
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from pathlib import Path

args = sys.argv[1:]
TLS_DIR = None
if args and args[0] == "--tls":
    TLS_DIR = Path(args[1])
    args = args[2:]
ROOT = Path(args[0]).resolve()
USER = args[1] if len(args) > 1 else "user"
PASSWORD = args[2] if len(args) > 2 else "secret"


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def send_body(self, code, body, headers=()):
        self.send_response(code)
        for k, v in headers:
            self.send_header(k, v)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def serve_file(self, rel):
        path = (ROOT / rel).resolve()
        if ROOT not in path.parents or not path.is_file():
            self.send_body(404, b"not found")
            return
        self.send_body(200, path.read_bytes())

    def do_GET(self):
        p = self.path.split("?", 1)[0]
        query = self.path.split("?", 1)[1] if "?" in self.path else ""
        if p.startswith("http://"):
            p = "/" + p[len("http://"):].split("/", 1)[-1]
        if p.startswith("/files/"):
            self.serve_file(p[len("/files/"):])
        elif p.startswith("/auth/"):
            expected = "Basic " + base64.b64encode(f"{USER}:{PASSWORD}".encode()).decode()
            if self.headers.get("Authorization") != expected:
                self.send_body(401, b"login needed", [("WWW-Authenticate", 'Basic realm="update"')])
            else:
                self.serve_file(p[len("/auth/"):])
        elif p == "/headers":
            self.send_body(200, str(self.headers).encode())
        elif p.startswith("/status/"):
            self.send_body(int(p[len("/status/"):]), b"error page")
        elif p == "/truncated":
            self.send_response(200)
            self.send_header("Content-Length", "1000")
            self.end_headers()
            self.wfile.write(b"x" * 500)
            self.wfile.flush()
            self.close_connection = True
        elif p.startswith("/short/"):
            path = (ROOT / p[len("/short/"):]).resolve()
            body = path.read_bytes()
            self.send_response(200)
            self.send_header("Content-Length", str(len(body) // 2))
            self.end_headers()
            self.wfile.write(body)
            self.close_connection = True
        elif p == "/huge":
            self.send_response(200)
            self.send_header("Connection", "close")
            self.end_headers()
            try:
                for _ in range(32 * 16):
                    self.wfile.write(b"[" * 65536)
            except (BrokenPipeError, ConnectionResetError):
                pass
            self.close_connection = True
        elif p == "/stall":
            time.sleep(10)
            self.send_body(404, b"not found")
        elif p == "/empty":
            self.send_body(200, b"")
        elif p.startswith("/redirect/"):
            self.send_body(302, b"", [("Location", "/files/" + p[len("/redirect/"):])])
        elif p == "/goto":
            self.send_body(302, b"", [("Location", query)])
        elif p == "/vast":
            self.send_response(200)
            self.send_header("Content-Length", str(1 << 50))
            self.end_headers()
            try:
                self.wfile.write(b"v" * 65536)
                self.wfile.flush()
            except (BrokenPipeError, ConnectionResetError):
                pass
            self.close_connection = True
        elif p == "/redirect-ftp":
            self.send_body(302, b"", [("Location", "ftp://127.0.0.1:1/x")])
        elif p == "/slow":
            self.send_response(200)
            self.send_header("Content-Length", str(1 << 30))
            self.end_headers()
            try:
                while True:
                    self.wfile.write(b"s" * 1000)
                    self.wfile.flush()
                    time.sleep(0.05)
            except (BrokenPipeError, ConnectionResetError):
                pass
            self.close_connection = True
        else:
            self.send_body(404, b"not found")

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length)
        if self.path.startswith("http://"):
            self.path = "/" + self.path[len("http://"):].split("/", 1)[-1]
        if self.path == "/post":
            self.send_body(200, (self.headers.get("Content-Type", "") + "|").encode() + body)
        elif self.path == "/hangup":
            self.close_connection = True
        else:
            self.send_body(404, b"not found")


server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
if TLS_DIR is not None:
    TLS_DIR.mkdir(parents=True, exist_ok=True)
    cert, key = TLS_DIR / "cert.pem", TLS_DIR / "key.pem"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                    "-nodes", "-keyout", str(key), "-out", str(cert), "-days", "2", "-subj", "/CN=127.0.0.1",
                    "-addext", "subjectAltName=IP:127.0.0.1"], check=True, capture_output=True)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(str(cert), str(key))
    server.socket = context.wrap_socket(server.socket, server_side=True)
print("PORT", server.server_address[1], flush=True)
server.serve_forever()
