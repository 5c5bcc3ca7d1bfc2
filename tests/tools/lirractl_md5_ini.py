#!/usr/bin/env python3
"""Runs the built lirractl's md5 and ini commands and checks output, files and exit codes.

usage: lirractl_md5_ini.py [--emulator PROGRAM --hold-file HOLD_FILE_EXE] LIRRACTL

With an emulator (Wine for the Windows build) the program's CR LF line ends are read as LF,
and names given on the command line reach it in the ANSI code page (GBK under the project's Wine).
"""
import argparse
import hashlib
import locale
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

LIRRACTL = None
EMULATOR = None
HOLD_FILE = None  # a Windows program that holds a file open for reading only
NOBODY = 65534  # the ordinary user that root runs permission checks as


def run(*args, cwd):
    command = ([EMULATOR] if EMULATOR else []) + [LIRRACTL] + list(args)
    done = subprocess.run(command, cwd=cwd, capture_output=True, timeout=120)
    out, err = done.stdout, done.stderr
    if EMULATOR:
        out, err = out.replace(b"\r\n", b"\n"), err.replace(b"\r\n", b"\n")
    return done.returncode, out, err


def host_has_locale(name):
    saved = locale.setlocale(locale.LC_CTYPE)
    try:
        locale.setlocale(locale.LC_CTYPE, name)
        return True
    except locale.Error:
        return False
    finally:
        locale.setlocale(locale.LC_CTYPE, saved)


def start_emulator():
    """Starts Wine's background services with no pipe of ours, so none is held open by them."""
    subprocess.run([EMULATOR, "cmd", "/c", "exit"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=300, check=False)


class WriteRefusal:
    """Makes writes to a file in the folder really fail for lirractl, or fails the test.

    The file is read-only. Natively, root writes such files, so lirractl then runs as the user
    nobody (a copy of it in a folder nobody reaches; the test folder becomes nobody's). Wine's
    root writes them too, so there another Wine process holds the file open for reading only,
    which refuses every writer in the prefix.
    """

    def __init__(self, test, folder, name):
        self.test, self.folder, self.name = test, folder, name
        self.path = os.path.join(folder, name)
        self.program = LIRRACTL
        self.prefix = []
        self.holder = None
        self._tools = None

    def __enter__(self):
        os.chmod(self.path, 0o444)
        if EMULATOR:
            self._hold()
        elif os.geteuid() == 0:
            self._become_nobody()
        self._expect_real()
        return self

    def __exit__(self, *exc):
        if self.holder:
            self.holder.kill()
            self.holder.wait(timeout=60)
        if self._tools:
            self._tools.cleanup()

    def lirractl(self, *args):
        command = self.prefix + ([EMULATOR] if EMULATOR else []) + [self.program] + list(args)
        done = subprocess.run(command, cwd=self.folder, capture_output=True, timeout=120)
        out = done.stdout.replace(b"\r\n", b"\n") if EMULATOR else done.stdout
        return done.returncode, out

    def _become_nobody(self):
        self._tools = tempfile.TemporaryDirectory(prefix="lirractl-nobody-")
        os.chmod(self._tools.name, 0o755)
        self.program = shutil.copy(LIRRACTL, self._tools.name)
        os.chown(self.folder, NOBODY, NOBODY)
        os.chown(self.path, NOBODY, NOBODY)
        self.prefix = ["setpriv", "--reuid=%d" % NOBODY, "--regid=%d" % NOBODY, "--clear-groups"]

    def _hold(self):
        self.test.assertTrue(HOLD_FILE, "under Wine the test needs --hold-file to make the file refuse writes")
        marker = os.path.join(self.folder, "held.marker")
        self.holder = subprocess.Popen([EMULATOR, HOLD_FILE, self.name, "120000", "held.marker"], cwd=self.folder,
                                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 60
        while not os.path.exists(marker):
            if self.holder.poll() is not None:
                self.test.fail("hold_file ended with %d before holding %s" % (self.holder.returncode, self.name))
            if time.monotonic() > deadline:
                self.test.fail("hold_file did not hold %s within 60 s" % self.name)
            time.sleep(0.05)
        os.remove(marker)

    def _expect_real(self):
        before = self.test.bytes_of(self.name)
        if EMULATOR:
            probe = [EMULATOR, "cmd", "/c", "echo probe>>" + self.name]
        else:
            probe = self.prefix + ["sh", "-c", 'printf probe >> "$1"', "sh", self.name]
        subprocess.run(probe, cwd=self.folder, stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
        self.test.assertEqual(self.test.bytes_of(self.name), before,
                              "the test could not make %s refuse writes: a writer appended to it" % self.name)


class Base(unittest.TestCase):
    def setUp(self):
        self._dir = tempfile.TemporaryDirectory(prefix="lirractl-test-")
        self.dir = self._dir.name

    def tearDown(self):
        for root, dirs, files in os.walk(self.dir):
            for name in dirs + files:
                os.chmod(os.path.join(root, name), 0o700)
        self._dir.cleanup()

    def put(self, name, data):
        with open(os.path.join(self.dir, name), "wb") as f:
            f.write(data)

    def bytes_of(self, name):
        with open(os.path.join(self.dir, name), "rb") as f:
            return f.read()

    def lirractl(self, *args):
        return run(*args, cwd=self.dir)

    def assert_failure_line(self, err, name):
        lines = err.decode("utf-8", "replace").splitlines()
        self.assertEqual(len(lines), 1, err)
        self.assertIn(name, lines[0])
        reason = lines[0].split(name, 1)[1].strip(" :")
        self.assertTrue(reason, "no reason after the file name: %r" % lines[0])

    def assert_usage(self, *args):
        code, out, err = self.lirractl(*args)
        self.assertEqual(code, 64, args)
        self.assertEqual(out, b"", args)
        self.assertIn(b"lirractl md5", err, args)
        self.assertIn(b"lirractl ini", err, args)


class Md5(Base):
    def test_digest_line(self):
        self.put("abc.txt", b"abc")
        self.assertEqual(self.lirractl("md5", "abc.txt"), (0, b"900150983cd24fb0d6963f7d28e17f72\n", b""))

    def test_sizes_around_buffers(self):
        data = bytes((i * 7919 + (i >> 8)) & 0xFF for i in range(1024 * 1024 + 3))
        for size in (0, 63, 64, 1023, 1024, 1025, len(data)):
            self.put("f.bin", data[:size])
            expected = hashlib.md5(data[:size]).hexdigest().encode() + b"\n"
            self.assertEqual(self.lirractl("md5", "f.bin"), (0, expected, b""), size)

    def test_binary_bytes(self):
        data = b"a\r\nb\x1a\r\n\n\r\x00z"
        self.put("bin", data)
        self.assertEqual(self.lirractl("md5", "bin")[1], hashlib.md5(data).hexdigest().encode() + b"\n")

    def test_missing_file(self):
        code, out, err = self.lirractl("md5", "missing.exe")
        self.assertEqual((code, out), (1, b""))
        self.assert_failure_line(err, "missing.exe")

    def test_folder(self):
        os.mkdir(os.path.join(self.dir, "folder"))
        code, out, err = self.lirractl("md5", "folder")
        self.assertEqual((code, out), (1, b""))
        self.assert_failure_line(err, "folder")

    def test_usage(self):
        self.assert_usage()
        self.assert_usage("md5")
        self.assert_usage("md5", "a", "b")
        self.assert_usage("nosuchcommand")


class IniGet(Base):
    def setUp(self):
        super().setUp()
        self.put("c.ini", b"top=1\r\n[HID]\r\nvalue=1 ; installed\r\nempty=\r\n")

    def test_found(self):
        self.assertEqual(self.lirractl("ini", "get", "c.ini", "HID", "value"), (0, b"1\n", b""))
        self.assertEqual(self.lirractl("ini", "get", "c.ini", "hid", "VALUE", "9"), (0, b"1\n", b""))

    def test_unnamed_section(self):
        self.assertEqual(self.lirractl("ini", "get", "c.ini", "-", "top"), (0, b"1\n", b""))
        self.assertEqual(self.lirractl("ini", "get", "c.ini", "-", "value"), (1, b"\n", b""))

    def test_not_found(self):
        self.assertEqual(self.lirractl("ini", "get", "c.ini", "HID", "other"), (1, b"\n", b""))
        self.assertEqual(self.lirractl("ini", "get", "c.ini", "HID", "other", "dflt"), (1, b"dflt\n", b""))
        self.assertEqual(self.lirractl("ini", "get", "c.ini", "HID", "empty", "dflt"), (1, b"dflt\n", b""))
        self.assertEqual(self.lirractl("ini", "get", "c.ini", "NJYS", "value", "0"), (1, b"0\n", b""))

    def test_chinese_section(self):
        name = "南京亿数"
        encoding = "gbk" if EMULATOR else "utf-8"
        if EMULATOR:
            self.assertTrue(host_has_locale("zh_CN.UTF-8"),
                            "Wine reads UTF-8 arguments only with the host's zh_CN.UTF-8 locale (scripts/setup.sh)")
        self.put("cn.ini", b"[" + name.encode(encoding) + b"]\nvalue=" + "已装".encode(encoding) + b"\n")
        code, out, err = self.lirractl("ini", "get", "cn.ini", name, "value")
        self.assertEqual((code, out, err), (0, "已装\n".encode(encoding), b""))

    def test_missing_file(self):
        code, out, err = self.lirractl("ini", "get", "missing.ini", "HID", "value", "0")
        self.assertEqual((code, out), (2, b""))
        self.assert_failure_line(err, "missing.ini")
        self.assertFalse(os.path.exists(os.path.join(self.dir, "missing.ini")))

    def test_folder(self):
        os.mkdir(os.path.join(self.dir, "folder.ini"))
        code, out, err = self.lirractl("ini", "get", "folder.ini", "HID", "value")
        self.assertEqual((code, out), (2, b""))
        self.assert_failure_line(err, "folder.ini")

    def test_too_large_to_hold(self):
        with open(os.path.join(self.dir, "huge.ini"), "wb") as f:
            f.write(b"[HID]\nvalue=1\n")
            f.truncate(64 * 1024 * 1024 + 1)
        code, out, err = self.lirractl("ini", "get", "huge.ini", "HID", "value")
        self.assertEqual((code, out), (2, b""))
        self.assert_failure_line(err, "huge.ini")

    def test_path_too_long(self):
        name = "p" * 256
        code, out, err = self.lirractl("ini", "get", name, "HID", "value")
        self.assertEqual((code, out), (2, b""))
        self.assert_failure_line(err, name)

    def test_usage(self):
        self.assert_usage("ini")
        self.assert_usage("ini", "get", "c.ini", "HID")
        self.assert_usage("ini", "get", "c.ini", "HID", "value", "0", "extra")
        self.assert_usage("ini", "fetch", "c.ini", "HID", "value")


class IniWrite(Base):
    def test_set_replaces_in_place(self):
        self.put("c.ini", b"[HID]\r\nvalue=0 ;x\r\n")
        self.assertEqual(self.lirractl("ini", "set", "c.ini", "HID", "value", "1"), (0, b"", b""))
        self.assertEqual(self.bytes_of("c.ini"), b"[HID]\r\nvalue = 1 ;x\r\n")

    def test_set_appends_to_empty_file(self):
        self.put("c.ini", b"")
        self.assertEqual(self.lirractl("ini", "set", "c.ini", "HID", "value", "1")[0], 0)
        self.assertEqual(self.bytes_of("c.ini"), b"\n[HID]\nvalue = 1\n")

    def test_set_unnamed_and_inserted(self):
        self.put("c.ini", b"[HID]\nvalue=0\n\n; end\n")
        self.assertEqual(self.lirractl("ini", "set", "c.ini", "-", "top", "t")[0], 0)
        self.assertEqual(self.lirractl("ini", "set", "c.ini", "HID", "extra", "e")[0], 0)
        self.assertEqual(self.bytes_of("c.ini"), b"top = t\n[HID]\nvalue=0\nextra = e\n\n; end\n")
        self.assertEqual(os.listdir(self.dir), ["c.ini"])

    def test_del(self):
        self.put("c.ini", b"[HID]\r\nvalue=0\r\nother=1\r\n")
        self.assertEqual(self.lirractl("ini", "del", "c.ini", "HID", "value"), (0, b"", b""))
        self.assertEqual(self.bytes_of("c.ini"), b"[HID]\r\nother=1\r\n")
        self.assertEqual(self.lirractl("ini", "del", "c.ini", "HID", "value")[0], 1)
        self.assertEqual(self.lirractl("ini", "del", "c.ini", "NJYS", "value")[0], 1)
        self.assertEqual(self.bytes_of("c.ini"), b"[HID]\r\nother=1\r\n")

    def test_missing_file(self):
        for args in (("set", "missing.ini", "HID", "value", "1"), ("del", "missing.ini", "HID", "value")):
            code, out, err = self.lirractl("ini", *args)
            self.assertEqual((code, out), (2, b""), args)
            self.assert_failure_line(err, "missing.ini")
        self.assertEqual(os.listdir(self.dir), [])

    def test_read_only_file(self):
        self.put("c.ini", b"[HID]\nvalue=0\n")
        with WriteRefusal(self, self.dir, "c.ini") as refusal:
            for args in (("set", "c.ini", "HID", "value", "1"), ("del", "c.ini", "HID", "value")):
                self.assertEqual(refusal.lirractl("ini", *args), (1, b""), args)
        self.assertEqual(self.bytes_of("c.ini"), b"[HID]\nvalue=0\n")
        self.assertEqual(os.listdir(self.dir), ["c.ini"])

    def test_usage(self):
        self.put("c.ini", b"")
        self.assert_usage("ini", "set", "c.ini", "HID", "value")
        self.assert_usage("ini", "set", "c.ini", "HID", "value", "1", "2")
        self.assert_usage("ini", "del", "c.ini", "HID")
        self.assert_usage("ini", "del", "c.ini", "HID", "value", "extra")
        self.assertEqual(self.bytes_of("c.ini"), b"")


def main():
    global LIRRACTL, EMULATOR, HOLD_FILE
    parser = argparse.ArgumentParser()
    parser.add_argument("--emulator")
    parser.add_argument("--hold-file")
    parser.add_argument("lirractl")
    args, rest = parser.parse_known_args()
    LIRRACTL = os.path.abspath(args.lirractl)
    HOLD_FILE = os.path.abspath(args.hold_file) if args.hold_file else None
    EMULATOR = os.path.abspath(args.emulator) if args.emulator and os.sep in args.emulator else args.emulator
    if EMULATOR:
        start_emulator()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
