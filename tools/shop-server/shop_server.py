#!/usr/bin/env python3
"""Stand-in for the shop's platform host and download host.

Serve mode (default): serves a data folder over HTTP/1.1 with Content-Length, GET and HEAD.
A backslash in a request path (sent raw or as %5C) counts as a slash, so an installer is
found at the same file whichever form a client sends.

Scripted mode (--script FILE): answers each connection with the next entry of a JSON list,
sending exact bytes; for tests of odd status lines, lengths, short bodies, closes and stalls.
An entry is an object:
  "send":  text (each character one byte, "\\r\\n" and "\\u00ff" as usual) or a list of texts
           sent one after another with "gap" seconds between them
  "read_request": read the request header first (default true)
  "then":  "close" (default), "stall" (keep the connection open, silent, for "stall" seconds,
           default 30, then close) or "reset" (close with a TCP reset)
The last entry answers every further connection. Requests received are logged as repr().

Both modes: prints "listening on http://127.0.0.1:PORT/" as the first line of stdout, logs
each connection and request on stderr, counts connections (--count-file writes the count
after each one), and stops cleanly on SIGTERM or SIGINT. --max-connections N stops it after
N connections (a further one is closed unanswered) and --max-seconds S after S seconds, so
a server started by a test that goes wrong ends by itself.
"""
import argparse
import http.server
import json
import mimetypes
import os
import posixpath
import signal
import socket
import socketserver
import struct
import sys
import threading
import time
import urllib.parse


class ConnectionCounter:
    def __init__(self, path):
        self.path = path
        self.count = 0
        self.lock = threading.Lock()
        if path:
            with open(path, "w") as f:
                f.write("0\n")

    def add(self):
        with self.lock:
            self.count += 1
            count = self.count
            if self.path:
                tmp = self.path + ".tmp"
                with open(tmp, "w") as f:
                    f.write("%d\n" % count)
                os.replace(tmp, self.path)
        return count


def log(message):
    sys.stderr.write("%s %s\n" % (time.strftime("%H:%M:%S"), message))
    sys.stderr.flush()


class CountingMixIn(socketserver.ThreadingMixIn):
    """Threads per connection, counts and logs connections, and takes a client's early
    close (our client closes without reading a 404 body) as a log line, not a traceback."""

    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, handler, counter, max_connections=0):
        self.counter = counter
        self.max_connections = max_connections
        super().__init__(address, handler)

    def process_request(self, request, client_address):
        n = self.counter.add()
        if self.max_connections and n > self.max_connections:
            log("connection %d over the limit of %d: closed, stopping" % (n, self.max_connections))
            self.shutdown_request(request)
            threading.Thread(target=self.shutdown, daemon=True).start()
            return
        log("connection %d from %s:%d" % (n, client_address[0], client_address[1]))
        super().process_request(request, client_address)

    def handle_error(self, request, client_address):
        error = sys.exc_info()[1]
        if isinstance(error, OSError):
            log("connection from %s:%d ended: %s" % (client_address[0], client_address[1], error))
        else:
            super().handle_error(request, client_address)


class CountingServer(CountingMixIn, http.server.HTTPServer):
    pass


class FileHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "ShopServer/1.0"
    root = "."

    def log_message(self, fmt, *args):
        log("%s %s" % (self.address_string(), fmt % args))

    def resolve(self):
        """The file under root that the request path names, or None."""
        path = self.path.split("?", 1)[0].split("#", 1)[0]
        path = urllib.parse.unquote(path).replace("\\", "/")
        parts = [p for p in posixpath.normpath(path).split("/") if p not in ("", ".", "..")]
        full = os.path.join(self.root, *parts)
        return full if os.path.isfile(full) else None

    def send_body_header(self, status, length, content_type):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(length))
        self.end_headers()

    def answer(self, with_body):
        full = self.resolve()
        if full is None:
            body = b"<html><body><h1>404 Not Found</h1></body></html>\n"
            self.send_body_header(404, len(body), "text/html")
            if with_body:
                self.wfile.write(body)
            return
        # The version document is stored as a file named "get".
        ctype = "application/json" if os.path.basename(full) == "get" else mimetypes.guess_type(full)[0]
        ctype = ctype or "application/octet-stream"
        if ctype.startswith("text/") or ctype == "application/json":
            ctype += "; charset=utf-8"
        with open(full, "rb") as f:
            size = os.fstat(f.fileno()).st_size
            self.send_body_header(200, size, ctype)
            if with_body:
                self.wfile.flush()
                self.connection.sendfile(f)

    def do_GET(self):
        self.answer(True)

    def do_HEAD(self):
        self.answer(False)


class ScriptHandler(socketserver.BaseRequestHandler):
    script = []
    next_index = 0
    index_lock = threading.Lock()

    @classmethod
    def take_entry(cls):
        with cls.index_lock:
            entry = cls.script[min(cls.next_index, len(cls.script) - 1)]
            cls.next_index += 1
            return entry

    def read_request(self):
        self.request.settimeout(5)
        data = b""
        try:
            while b"\r\n\r\n" not in data and len(data) < 65536:
                chunk = self.request.recv(4096)
                if not chunk:
                    break
                data += chunk
        except OSError:
            pass
        log("request %r" % data)

    def handle(self):
        entry = self.take_entry()
        if entry.get("read_request", True):
            self.read_request()
        pieces = entry.get("send", "")
        if isinstance(pieces, str):
            pieces = [pieces]
        try:
            for i, piece in enumerate(pieces):
                if i:
                    time.sleep(float(entry.get("gap", 0.2)))
                self.request.sendall(piece.encode("latin-1"))
        except OSError as e:
            log("send failed: %s" % e)
            return
        then = entry.get("then", "close")
        if then == "stall":
            time.sleep(float(entry.get("stall", 30)))
        elif then == "reset":
            self.request.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))


class ScriptServer(CountingMixIn, socketserver.TCPServer):
    pass


def main():
    parser = argparse.ArgumentParser(description="Stand-in for the shop's servers.")
    parser.add_argument("--root", default=".", help="data folder to serve (serve mode)")
    parser.add_argument("--script", help="JSON list of scripted answers, one per connection")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0, help="0: any free port")
    parser.add_argument("--count-file", help="file that holds the number of connections so far")
    parser.add_argument("--max-connections", type=int, default=0, help="stop after this many connections (0: no limit)")
    parser.add_argument("--max-seconds", type=float, default=0, help="stop after this many seconds (0: no limit)")
    args = parser.parse_args()

    counter = ConnectionCounter(args.count_file)

    if args.script:
        with open(args.script, encoding="utf-8") as f:
            script = json.load(f)
        if not isinstance(script, list) or not script:
            parser.error("the script must be a non-empty JSON list")
        ScriptHandler.script = script
        server = ScriptServer((args.host, args.port), ScriptHandler, counter, args.max_connections)
    else:
        if not os.path.isdir(args.root):
            parser.error("no such folder: %s" % args.root)
        FileHandler.root = os.path.abspath(args.root)
        server = CountingServer((args.host, args.port), FileHandler, counter, args.max_connections)

    def stop(signum, frame):
        raise SystemExit(0)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)

    if args.max_seconds > 0:
        timer = threading.Timer(args.max_seconds, server.shutdown)
        timer.daemon = True
        timer.start()

    host, port = server.server_address[:2]
    print("listening on http://%s:%d/" % (host, port), flush=True)
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        server.server_close()
        log("stopped")


if __name__ == "__main__":
    main()
