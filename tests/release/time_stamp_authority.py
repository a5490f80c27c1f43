#!/usr/bin/env python3
"""A throwaway RFC 3161 time-stamp authority on a loopback port, for the signing test: each
POST of a time-stamp query is answered by `openssl ts -reply` with the authority's own key.
Writes its port to PORT_FILE once it listens; serves until it is ended.

    time_stamp_authority.py CONFIG PORT_FILE [--garbage]

--garbage answers every query with bytes that are no time-stamp reply.
"""
import http.server
import os
import subprocess
import sys
import tempfile

config, port_file = sys.argv[1:3]
garbage = "--garbage" in sys.argv[3:]


class Authority(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        if garbage:
            reply = b"this is no time-stamp reply\n" * 4
        else:
            with tempfile.TemporaryDirectory() as work:
                with open(os.path.join(work, "query.tsq"), "wb") as f:
                    f.write(query)
                made = subprocess.run(
                    ["openssl", "ts", "-reply", "-config", config, "-queryfile",
                     os.path.join(work, "query.tsq"), "-out", os.path.join(work, "reply.tsr")],
                    capture_output=True, timeout=30)
                if made.returncode != 0:
                    self.send_error(500, made.stderr.decode(errors="replace")[:200])
                    return
                with open(os.path.join(work, "reply.tsr"), "rb") as f:
                    reply = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Authority)
with open(port_file + ".tmp", "w") as f:
    f.write(str(server.server_address[1]))
os.rename(port_file + ".tmp", port_file)
server.serve_forever()
