#!/usr/bin/python3
"""Test HTTP server for the update tests: static files, Basic authentication and fault routes.

Usage: http_server.py ROOT [USER PASSWORD]. Listens on 127.0.0.1 at a free port and prints
"PORT <n>" as its first line.
  /files/<path>        a file below ROOT
  /auth/<path>         the same, behind Basic authentication with USER:PASSWORD
  /headers             the request's header lines as the body
  /status/<code>       that status with a short body
  /truncated           announces 1000 bytes, sends 500, closes
  /empty               200 with no body
  /redirect/<path>     302 to /files/<path>
  /redirect-ftp        302 to an ftp:// address (must not be followed)
  /slow                an endless body, one block every 50 ms
  POST /post           echoes "content-type|body"
A request in absolute form ("GET http://any.host/path", as sent to a proxy) is served by its path.
"""
import base64
import sys
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from pathlib import Path

ROOT = Path(sys.argv[1]).resolve()
USER = sys.argv[2] if len(sys.argv) > 2 else "user"
PASSWORD = sys.argv[3] if len(sys.argv) > 3 else "secret"


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
        elif p == "/empty":
            self.send_body(200, b"")
        elif p.startswith("/redirect/"):
            self.send_body(302, b"", [("Location", "/files/" + p[len("/redirect/"):])])
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
        if self.path == "/post":
            self.send_body(200, (self.headers.get("Content-Type", "") + "|").encode() + body)
        else:
            self.send_body(404, b"not found")


server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
print("PORT", server.server_address[1], flush=True)
server.serve_forever()
