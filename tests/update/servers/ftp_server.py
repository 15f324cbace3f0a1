#!/usr/bin/python3
"""Test FTP server for the update tests.

Usage: ftp_server.py ROOT [USER PASSWORD [REFUSED]]. ROOT is served to USER (read only) and
to anonymous logins. REFUSED lists commands answered "502 Command not implemented", as some
servers do (e.g. "SIZE,LIST"). Listens on 127.0.0.1 at a free port and prints "PORT <n>" first.
"""
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

root = sys.argv[1]
user = sys.argv[2] if len(sys.argv) > 2 else "user"
password = sys.argv[3] if len(sys.argv) > 3 else "secret"

logging.basicConfig(level=logging.CRITICAL)
authorizer = DummyAuthorizer()
authorizer.add_user(user, password, root, perm="elr")
authorizer.add_anonymous(root, perm="elr")
refused = set(filter(None, sys.argv[4].split(","))) if len(sys.argv) > 4 else set()


class Handler(FTPHandler):
    def pre_process_command(self, line, cmd, arg):
        if cmd in refused:
            self.respond("502 Command not implemented.")
            return
        super().pre_process_command(line, cmd, arg)


handler = Handler
handler.authorizer = authorizer
handler.permit_foreign_addresses = False
server = FTPServer(("127.0.0.1", 0), handler)
print("PORT", server.address[1], flush=True)
server.serve_forever()
