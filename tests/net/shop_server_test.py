#!/usr/bin/env python3
"""lirractl's network commands against the shop server (serve and scripted mode).

usage: shop_server_test.py --lirractl PATH [--emulator CMD] [--source DIR]
With --emulator (the Windows build's Wine runner) lirractl.exe runs under Wine, so the same
cases cover Winsock and the Windows C runtime's files.
"""
import argparse
import hashlib
import json
import os
import re
import signal
import subprocess
import sys
import tempfile
import time
import unittest

ARGS = None
# Every server a test starts ends by itself after this many connections or seconds.
SERVER_MAX_CONNECTIONS = 50
SERVER_MAX_SECONDS = 240
# The client's low-speed floor (bytes per second over a window) and per-receive limit.
LOW_SPEED_WINDOW = 30
RECEIVE_LIMIT = 4


def md5_of(path):
    with open(path, "rb") as f:
        return hashlib.md5(f.read()).hexdigest()


def sha256_of(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


class ShopServer:
    """The server as a child process on any free port; its log goes to a file."""

    def __init__(self, workdir, *server_args):
        self.log_path = os.path.join(workdir, "server-%d.log" % time.monotonic_ns())
        self.count_path = os.path.join(workdir, "connections-%d" % time.monotonic_ns())
        script = os.path.join(ARGS.source, "tools", "shop-server", "shop_server.py")
        self.log = open(self.log_path, "w")
        self.process = subprocess.Popen(
            [sys.executable, script, "--port", "0", "--count-file", self.count_path,
             "--max-connections", str(SERVER_MAX_CONNECTIONS), "--max-seconds", str(SERVER_MAX_SECONDS),
             *server_args],
            stdout=subprocess.PIPE, stderr=self.log, text=True)
        line = self.process.stdout.readline()
        match = re.match(r"listening on (http://127\.0\.0\.1:\d+)/$", line.strip())
        if not match:
            self.stop()
            raise RuntimeError("server did not start: %r" % line)
        self.base = match.group(1)

    def connections(self):
        with open(self.count_path) as f:
            return int(f.read())

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        code = self.process.wait(timeout=10)
        self.process.stdout.close()
        self.log.close()
        return code


def native_path(path):
    """A path as lirractl takes it (a Windows path under Wine)."""
    if ARGS.emulator:
        return "Z:" + os.path.abspath(path).replace("/", "\\")
    return path


def lirractl(*args, timeout=60):
    command = ([ARGS.emulator] if ARGS.emulator else []) + [ARGS.lirractl, *args]
    started = time.monotonic()
    done = subprocess.run(command, capture_output=True, timeout=timeout)
    return done.returncode, done.stdout, done.stderr, time.monotonic() - started


class ServeModeTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.data = os.path.join(cls.tmp.name, "data")
        subprocess.run([os.path.join(ARGS.source, "tools", "shop-server", "make-demo-data.sh"), cls.data],
                       check=True, stdout=subprocess.DEVNULL)
        cls.store = os.path.join(cls.data, "mervo", "store", "mervoDrivce")
        cls.server = ShopServer(cls.tmp.name, "--root", cls.data)

    @classmethod
    def tearDownClass(cls):
        code = cls.server.stop()
        with open(cls.server.log_path) as f:
            log = f.read()
        cls.tmp.cleanup()
        assert code == 0, "server did not stop cleanly: %d" % code
        assert "stopped" in log

    def fetch(self, path, name):
        out = os.path.join(self.tmp.name, name)
        code, _, err, _ = lirractl("http", "get", self.server.base + path, "-o", native_path(out))
        return code, out, err

    def test_installer_under_the_backslash_url(self):
        code, out, err = self.fetch("/mervo/store/mervoDrivce/NJYS\\clientsetup.exe", "njys.exe")
        self.assertEqual(code, 0, err)
        self.assertIn(b"result 0", err)
        self.assertEqual(md5_of(out), md5_of(os.path.join(self.store, "NJYS", "clientsetup.exe")))

    def test_missing_file_is_3(self):
        code, out, err = self.fetch("/mervo/store/mervoDrivce/nothing.exe", "nothing.exe")
        self.assertEqual(code, 3, err)
        self.assertFalse(os.path.exists(out))

    def test_manifest_names_every_installer_with_its_true_digests(self):
        code, manifest, err = self.fetch("/mervo/store/mervoDrivce/file.ini", "file.ini")
        self.assertEqual(code, 0, err)
        base = self.server.base + "/mervo/store/mervoDrivce/"
        code, out, err, _ = lirractl("manifest", native_path(manifest), "--os", "7", "--bits", "64",
                                     "--dir", "C:\\shop", "--base", base)
        self.assertEqual(code, 0, err)
        rows = [line.split("\t") for line in out.decode().splitlines()]
        # The table alone on standard output; the trace goes to standard error.
        self.assertEqual([r[0] for r in rows], ["HID", "YSB", "NJYS", "WHJL", "SDSS", "IE8"])
        self.assertIn(b"si.wProcessorArchitecture = 9", err)
        self.assertEqual(rows[0][3], "W764.exe")
        self.assertEqual(rows[0][5], "1")
        for key, remote, local, name, digest, available, sha256 in rows:
            self.assertTrue(remote.startswith(base), remote)
            served = os.path.join(self.store, *remote[len(base):].split("\\"))
            self.assertEqual(md5_of(served), digest, key)
            self.assertEqual(sha256_of(served), sha256, key)
            self.assertTrue(local.endswith(name), local)

    def test_update_check(self):
        code, out, err, _ = lirractl("update-check", self.server.base + "/backend/plugin/version/get")
        self.assertEqual(code, 0, err)
        lines = out.decode("utf-8", "replace").splitlines()
        names = [line.split("=", 1)[0] for line in lines]
        self.assertEqual(names, ["code", "msg", "key", "desc", "value", "feeInfo", "downloadPage", "downloadUrl",
                                 "localVersion", "needUpdate", "ret"])
        self.assertIn("code=0", lines)
        self.assertIn("value=1.0.0.2", lines)
        self.assertIn("ret=0", lines)

    def test_pages_and_connection_count(self):
        before = self.server.connections()
        code, out, err, _ = lirractl("http", "get", self.server.base + "/jxsplatform/login.html")
        self.assertEqual(code, 0, err)
        self.assertIn(b"getpc", out)
        self.assertIn(b'href="javascript:void(0);"', out)
        self.assertIn(b'href="javascript:;"', out)
        self.assertEqual(self.server.connections(), before + 1)


class ScriptedModeTest(unittest.TestCase):
    def run_script(self, entries, *request_args, timeout=60):
        with tempfile.TemporaryDirectory() as tmp:
            script = os.path.join(tmp, "script.json")
            with open(script, "w") as f:
                json.dump(entries, f)
            server = ShopServer(tmp, "--script", script)
            try:
                results = []
                for args in request_args:
                    out = None
                    if "-o" in args:
                        out = os.path.join(tmp, "body")
                        args = [a if a != "OUT" else native_path(out) for a in args]
                    code, stdout, err, seconds = lirractl("http", "get", server.base + "/x", *args[1:], timeout=timeout)
                    body = stdout
                    if out and os.path.exists(out):
                        with open(out, "rb") as f:
                            body = f.read()
                    results.append((code, body, seconds))
                return results, server.connections()
            finally:
                self.assertEqual(server.stop(), 0)

    def test_scripted_answers(self):
        binary = "MZ\r\n\x00\x1a\n\r\xff" * 100
        entries = [
            {"send": "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello"},
            {"send": "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nno!"},
            {"send": "HTTP/1.1 200 OK\r\nContent-Length:5\r\n\r\nhello"},
            {"send": ["HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\n", "first half"], "gap": 0.2},
            {"send": "HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n%s" % (len(binary), binary)},
            {"send": "", "then": "stall", "stall": 20},
        ]
        entries.insert(5, {"send": "HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n%s" % (len(binary), binary)})
        requests = [["get"], ["get"], ["get"], ["get", "-o", "OUT"], ["get", "-o", "OUT"], ["get"], ["get"]]
        results, connections = self.run_script(entries, *requests)
        self.assertEqual(connections, len(requests))
        codes = [r[0] for r in results]
        self.assertEqual(codes, [0, 3, 0, 8, 0, 0, 10])
        self.assertEqual(results[0][1], b"hello")
        self.assertEqual(results[2][1], b"hello")
        self.assertEqual(results[3][1], b"")  # a body cut short never becomes the file
        self.assertEqual(results[4][1], binary.encode("latin-1"))  # bytes as sent, no text-mode changes
        self.assertEqual(results[5][1], binary.encode("latin-1"))  # to stdout too, NUL bytes and all
        self.assertLess(results[6][2], 15)  # a silent server ends the request within seconds

    def get_over(self, tmp, server, existing):
        """lirractl http get -o FILE over an existing FILE: (code, FILE's bytes, stderr, seconds, folder)."""
        out = os.path.join(tmp, "out", "package.exe")
        os.makedirs(os.path.dirname(out), exist_ok=True)
        with open(out, "wb") as f:
            f.write(existing)
        code, _, err, seconds = lirractl("http", "get", server.base + "/x", "-o", native_path(out))
        with open(out, "rb") as f:
            body = f.read()
        return code, body, err, seconds, sorted(os.listdir(os.path.dirname(out)))

    def test_output_file_changes_only_when_the_transfer_was_complete(self):
        page = "<html><body>login</body></html>"
        cases = [
            ("cut short", {"send": "HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\nfirst half"}, 8),
            ("no length", {"send": "HTTP/1.1 200 OK\r\n\r\n" + page}, 8),
            ("chunked", {"send": "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n"}, 8),
            ("not found", {"send": "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nno!"}, 3),
            ("beyond the cap", {"send": "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999\r\n\r\nxx",
                                "then": "stall", "stall": 10}, 10),
            ("header cut at its deadline", {"send": "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n",
                                            "then": "stall", "stall": 10}, 10),
            ("complete", {"send": "HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n%s" % (len(page), page)}, 0),
        ]
        for name, entry, want in cases:
            with self.subTest(name), tempfile.TemporaryDirectory() as tmp:
                script = os.path.join(tmp, "script.json")
                with open(script, "w") as f:
                    json.dump([entry], f)
                server = ShopServer(tmp, "--script", script)
                try:
                    code, body, err, seconds, listing = self.get_over(tmp, server, b"old installer")
                finally:
                    self.assertEqual(server.stop(), 0)
                self.assertEqual(code, want, err)
                self.assertEqual(body, page.encode() if want == 0 else b"old installer")
                self.assertEqual(listing, ["package.exe"])  # no temporary file stays behind
                self.assertLess(seconds, RECEIVE_LIMIT + 10)

    def test_a_slow_drip_is_dropped_at_the_low_speed_floor(self):
        # One byte every 3 s: each receive is within its limit, the floor ends it.
        entry = {"send": ["HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n"] + ["x"] * 40, "gap": 3}
        with tempfile.TemporaryDirectory() as tmp:
            script = os.path.join(tmp, "script.json")
            with open(script, "w") as f:
                json.dump([entry], f)
            server = ShopServer(tmp, "--script", script)
            try:
                code, body, err, seconds, listing = self.get_over(tmp, server, b"old installer")
            finally:
                self.assertEqual(server.stop(), 0)
        self.assertEqual(code, 8, err)
        self.assertIn(b"slower than", err)
        self.assertEqual(body, b"old installer")
        self.assertEqual(listing, ["package.exe"])
        self.assertGreaterEqual(seconds, LOW_SPEED_WINDOW)
        self.assertLess(seconds, LOW_SPEED_WINDOW + RECEIVE_LIMIT + 15)


class FetchTest(unittest.TestCase):
    """lirractl fetch: the manifest and the packages of a shop PC's folder, as the client does it."""

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.data = os.path.join(self.tmp.name, "data")
        subprocess.run([os.path.join(ARGS.source, "tools", "shop-server", "make-demo-data.sh"), self.data],
                       check=True, stdout=subprocess.DEVNULL)
        self.store = os.path.join(self.data, "mervo", "store", "mervoDrivce")
        self.dir = os.path.join(self.tmp.name, "shop")
        os.makedirs(self.dir)

    def tearDown(self):
        self.tmp.cleanup()

    def fetch(self, base, *words):
        code, out, err, _ = lirractl("fetch", "--dir", native_path(self.dir), "--base", base, *words)
        return code, out.decode("utf-8", "replace").splitlines(), err

    def serve(self, *server_args):
        server = ShopServer(self.tmp.name, *server_args)
        self.addCleanup(server.stop)
        return server

    def test_fresh_folder_then_everything_current(self):
        server = self.serve("--root", self.data)
        base = server.base + "/mervo/store/mervoDrivce/"
        code, lines, err = self.fetch(base, "--os", "7", "--bits", "64")
        self.assertEqual(code, 0, err)
        self.assertEqual(lines, ["manifest: replaced", "HID: downloaded", "YSB: downloaded", "NJYS: downloaded",
                                 "WHJL: downloaded", "SDSS: downloaded"])
        with open(os.path.join(self.dir, "file.ini"), "rb") as a, open(os.path.join(self.store, "file.ini"), "rb") as b:
            self.assertEqual(a.read(), b.read())
        self.assertEqual(md5_of(os.path.join(self.dir, "HID", "W764.exe")),
                         md5_of(os.path.join(self.store, "HID", "W764.exe")))

        before = server.connections()
        code, lines, err = self.fetch(base, "--os", "7", "--bits", "64", "NJYS", "IE8")
        self.assertEqual(code, 0, err)
        self.assertEqual(lines, ["manifest: kept (already current)", "NJYS: present", "IE8: downloaded"])
        self.assertEqual(server.connections(), before + 2)  # the manifest and IE8 only
        self.assertEqual(sorted(n for n in os.listdir(self.dir) if n.startswith("~")), [])

    def test_windows_10_takes_no_hid_package_as_the_client_decides(self):
        server = self.serve("--root", self.data)
        base = server.base + "/mervo/store/mervoDrivce/"
        code, lines, err = self.fetch(base, "--os", "10", "--bits", "64")
        self.assertEqual(code, 0, err)
        self.assertEqual(lines, ["manifest: replaced", "YSB: downloaded", "NJYS: downloaded", "WHJL: downloaded",
                                 "SDSS: downloaded"])
        self.assertFalse(os.path.exists(os.path.join(self.dir, "HID")))
        # Asked for by name, it is refused for the same reason.
        code, lines, err = self.fetch(base, "--os", "10", "--bits", "32", "HID")
        self.assertEqual(code, 1, err)
        self.assertEqual(lines, ["manifest: kept (already current)",
                                 "HID: failed (the client installs no HID package on this Windows)"])
        self.assertFalse(os.path.exists(os.path.join(self.dir, "HID")))

    def test_a_package_that_fails_its_digest_exits_1(self):
        manifest = os.path.join(self.store, "file.ini")
        with open(manifest, "rb") as f:
            text = f.read()
        njys = md5_of(os.path.join(self.store, "NJYS", "clientsetup.exe")).encode()
        with open(manifest, "wb") as f:
            f.write(text.replace(njys, b"0" * 32))
        server = self.serve("--root", self.data)
        code, lines, err = self.fetch(server.base + "/mervo/store/mervoDrivce/", "--os", "XP", "--bits", "32",
                                      "NJYS", "YSB")
        self.assertEqual(code, 1, err)
        self.assertEqual(lines[0], "manifest: replaced")
        self.assertRegex(lines[1], r"^NJYS: failed \(md5 [0-9a-f]{32}, expected %s\)$" % ("0" * 32))
        self.assertEqual(lines[2], "YSB: downloaded")
        self.assertFalse(os.path.exists(os.path.join(self.dir, "NJYS", "clientsetup.exe")))

    def test_a_captive_portal_keeps_the_manifest_and_exits_2(self):
        old = b"[NJYS]\r\npath=old.exe\r\n"
        with open(os.path.join(self.dir, "file.ini"), "wb") as f:
            f.write(old)
        page = "<html><head><title>Wi-Fi</title></head><body>Please log in</body></html>"
        script = os.path.join(self.tmp.name, "portal.json")
        with open(script, "w") as f:
            json.dump([{"send": "HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n%s" % (len(page), page)}], f)
        server = self.serve("--script", script)
        code, lines, err = self.fetch(server.base + "/store/", "--os", "10", "--bits", "32", "NJYS")
        self.assertEqual(code, 2, err)
        self.assertEqual(lines[0], "manifest: kept (it names no package)")
        self.assertTrue(lines[1].startswith("NJYS: failed (md5 "), lines)
        with open(os.path.join(self.dir, "file.ini"), "rb") as f:
            self.assertEqual(f.read(), old)

    def test_usage_errors(self):
        for words in (["--os", "7"], ["--dir"], ["--dir", "x", "--bits", "16", "--os", "7"], ["--dir", "x", "FOO"]):
            code, _, _, _ = lirractl("fetch", *words)
            self.assertEqual(code, 64, words)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--lirractl", required=True)
    parser.add_argument("--emulator", default="")
    parser.add_argument("--source", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], "-v", *rest])


if __name__ == "__main__":
    main()
