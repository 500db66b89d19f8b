#!/usr/bin/env python3
"""Checks what stun_query.py takes for an answer, without root: a table of responses, then the
tool itself against servers on loopback that send forged answers before the real one."""

import os
import socket
import struct
import subprocess
import sys
import threading
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # no __pycache__ left in the work tree
import stun_query  # noqa: E402

TID = bytes(range(1, 13))
COOKIE = struct.pack("!I", stun_query.MAGIC)


def attr(kind, value):
    return struct.pack("!HH", kind, len(value)) + value + bytes(-len(value) % 4)


def mapped(address, port, xor):
    raw = socket.inet_aton(address)
    if xor:
        port ^= stun_query.MAGIC >> 16
        raw = bytes(a ^ b for a, b in zip(raw, COOKIE))
    return attr(stun_query.XOR_MAPPED_ADDRESS if xor else stun_query.MAPPED_ADDRESS,
                struct.pack("!BBH", 0, 1, port) + raw)


def response(*attrs, kind=stun_query.BINDING_SUCCESS, cookie=stun_query.MAGIC, tid=TID,
             length=None):
    body = b"".join(attrs)
    return struct.pack("!HHI", kind, len(body) if length is None else length, cookie) + tid + body


SOFTWARE = attr(0x8022, b"lab")
XOR_IPV6 = attr(stun_query.XOR_MAPPED_ADDRESS, struct.pack("!BBH", 0, 2, 0x2112 ^ 80) +
                bytes(a ^ b for a, b in zip(socket.inet_pton(socket.AF_INET6, "2001:db8::7"),
                                            COOKIE + TID)))

CASES = [  # name, packet, expected (address, port) or None
    ("XOR-MAPPED-ADDRESS", response(mapped("198.51.100.1", 40000, True)), ("198.51.100.1", 40000)),
    ("after an unknown attribute", response(SOFTWARE, mapped("198.51.100.1", 1, True)),
     ("198.51.100.1", 1)),
    ("MAPPED-ADDRESS alone", response(mapped("192.0.2.5", 3478, False)), ("192.0.2.5", 3478)),
    ("XOR wins over plain", response(mapped("10.240.0.2", 5, False), mapped("198.51.100.1", 5, True)),
     ("198.51.100.1", 5)),
    ("IPv6", response(XOR_IPV6), ("2001:db8::7", 80)),
    ("other transaction", response(mapped("198.51.100.1", 1, True), tid=bytes(12)), None),
    ("no magic cookie", response(mapped("198.51.100.1", 1, True), cookie=0), None),
    ("error response", response(mapped("198.51.100.1", 1, True), kind=0x0111), None),
    ("a request", response(mapped("198.51.100.1", 1, True), kind=stun_query.BINDING_REQUEST),
     None),
    ("no address", response(SOFTWARE), None),
    ("length past the end", response(mapped("198.51.100.1", 1, True), length=16), None),
    ("attribute past the end", response(mapped("198.51.100.1", 1, True))[:-4], None),
    ("short header", response()[:19], None),
    ("bad family", response(attr(stun_query.XOR_MAPPED_ADDRESS, bytes([0, 9, 0, 1]) + bytes(4))),
     None),
]


class ParseResponse(unittest.TestCase):
    def test_table(self):
        for name, packet, want in CASES:
            with self.subTest(name):
                self.assertEqual(stun_query.parse_response(packet, TID), want)


class OnLoopback(unittest.TestCase):
    """A server that never answers, and one that first sends an answer to another transaction,
    one without the cookie and a valid one from a port that was not asked."""

    def setUp(self):
        self.socks = [socket.socket(socket.AF_INET, socket.SOCK_DGRAM) for _ in range(3)]
        for s in self.socks:
            s.bind(("127.0.0.1", 0))
        self.silent, self.liar, self.stranger = self.socks
        self.honest = True
        threading.Thread(target=self.serve, daemon=True).start()

    def tearDown(self):
        for s in self.socks:
            s.close()

    def serve(self):
        try:
            while True:
                packet, client = self.liar.recvfrom(2048)
                tid = packet[8:20]
                # Each forgery maps another address: taking one shows in the output.
                self.liar.sendto(response(mapped("6.6.6.1", 1, True), tid=bytes(12)), client)
                self.liar.sendto(response(mapped("6.6.6.2", 1, True), tid=tid, cookie=0), client)
                self.stranger.sendto(response(mapped("6.6.6.3", 1, True), tid=tid), client)
                time.sleep(0.05)
                if self.honest:
                    self.liar.sendto(response(mapped("203.0.113.9", 4242, True), tid=tid), client)
        except OSError:
            pass

    def run_query(self, timeout):
        servers = [f"127.0.0.1:{s.getsockname()[1]}" for s in (self.silent, self.liar)]
        start = time.monotonic()
        done = subprocess.run([sys.executable, os.path.join(HERE, "stun_query.py"), "-t",
                               str(timeout), *servers], capture_output=True, text=True,
                              timeout=10, check=False)
        return done.returncode, done.stdout, time.monotonic() - start

    def test_first_valid_answer(self):
        rc, out, _ = self.run_query(2)
        self.assertEqual((rc, out), (0, "203.0.113.9\n"))

    def test_forgeries_alone_time_out(self):
        self.honest = False
        rc, out, took = self.run_query(0.6)
        self.assertEqual((rc, out), (1, ""))
        self.assertLess(took, 3)


if __name__ == "__main__":
    unittest.main()
