#!/usr/bin/env python3
"""Serves one folder on 127.0.0.1 for the download tests, and stops by itself.

Usage: http_server.py FOLDER PORT_FILE LIFETIME_SECONDS
The chosen port is written to PORT_FILE once the server listens, PORT_FILE.stopped once it
no longer does. GET /quit stops it at once;
GET /truncated announces 100000 bytes and sends 10 before closing the connection.
"""
import functools
import http.server
import os
import sys
import threading


def main():
    folder, port_file, lifetime = sys.argv[1], sys.argv[2], float(sys.argv[3])

    class Handler(http.server.SimpleHTTPRequestHandler):
        def do_GET(self):
            if self.path == "/quit":
                self.send_response(200)
                self.send_header("Content-Length", "0")
                self.end_headers()
                threading.Thread(target=server.shutdown, daemon=True).start()
                return
            if self.path == "/truncated":
                self.send_response(200)
                self.send_header("Content-Length", "100000")
                self.end_headers()
                self.wfile.write(b"0123456789")
                self.wfile.flush()
                self.close_connection = True
                return
            super().do_GET()

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=folder))
    stopper = threading.Timer(lifetime, server.shutdown)
    stopper.daemon = True
    stopper.start()
    with open(port_file + ".tmp", "w") as out:
        out.write(str(server.server_address[1]))
    os.replace(port_file + ".tmp", port_file)
    server.serve_forever()
    server.server_close()
    with open(port_file + ".stopped", "w") as out:
        out.write("stopped")


if __name__ == "__main__":
    main()
