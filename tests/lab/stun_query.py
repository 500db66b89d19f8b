#!/usr/bin/env python3
"""Asks STUN servers for this host's address as they see it, as a client behind a NAT would.

Sends one Binding request (RFC 8489: 20-byte header, magic cookie, 12-byte transaction id, no
attributes) over UDP to every HOST:PORT given, each with a transaction id of its own, and
retransmits at 0.5, 1.5, 3.5 s ... (an RTO of 500 ms, doubled each time). Prints the address of
the first valid answer, from XOR-MAPPED-ADDRESS, or from MAPPED-ADDRESS when a server sends only
that, and exits 0. An answer is valid only from the address it was sent to, as a success
response, with the magic cookie and that server's transaction id.

    stun_query.py [-t SECONDS] [-v] HOST:PORT...

IPv4 only; names are looked up through the system resolver. Standard library only.
Exit status: 0, 1 when no valid answer came within SECONDS (default 1.5), 2 on bad usage.
"""

import argparse
import os
import select
import socket
import struct
import sys
import time

MAGIC = 0x2112A442
BINDING_REQUEST, BINDING_SUCCESS = 0x0001, 0x0101
MAPPED_ADDRESS, XOR_MAPPED_ADDRESS = 0x0001, 0x0020
FIRST_RTO = 0.5


def request(tid):
    return struct.pack("!HHI", BINDING_REQUEST, 0, MAGIC) + tid


def _address(value, xor, tid):
    """(address, port) of a (XOR-)MAPPED-ADDRESS value, or None when malformed."""
    if len(value) < 4:
        return None
    family, port = value[1], struct.unpack("!H", value[2:4])[0]
    raw = value[4:]
    if family == 1 and len(raw) == 4:
        kind = socket.AF_INET
    elif family == 2 and len(raw) == 16:
        kind = socket.AF_INET6
    else:
        return None
    if xor:
        port ^= MAGIC >> 16
        key = struct.pack("!I", MAGIC) + tid
        raw = bytes(b ^ key[i] for i, b in enumerate(raw))
    return socket.inet_ntop(kind, raw), port


def parse_response(packet, tid):
    """(address, port) mapped by a Binding success response to transaction TID, else None."""
    if len(packet) < 20:
        return None
    kind, length, cookie = struct.unpack("!HHI", packet[:8])
    if kind != BINDING_SUCCESS or cookie != MAGIC or packet[8:20] != tid:
        return None
    if length % 4 or length != len(packet) - 20:
        return None
    found = {}
    offset = 20
    while offset < len(packet):
        if offset + 4 > len(packet):
            return None
        attr, size = struct.unpack("!HH", packet[offset:offset + 4])
        value = packet[offset + 4:offset + 4 + size]
        if len(value) != size:
            return None
        if attr in (MAPPED_ADDRESS, XOR_MAPPED_ADDRESS) and attr not in found:
            found[attr] = _address(value, attr == XOR_MAPPED_ADDRESS, tid)
        offset += 4 + (size + 3) // 4 * 4
    return found.get(XOR_MAPPED_ADDRESS) or found.get(MAPPED_ADDRESS)


def split_server(text):
    host, sep, port = text.rpartition(":")
    if not sep or not host or not port.isdigit() or not 0 < int(port) < 65536:
        raise argparse.ArgumentTypeError(f"not HOST:PORT: {text!r}")
    return host, int(port)


def main():
    parser = argparse.ArgumentParser(description="STUN Binding request to each server given")
    parser.add_argument("-t", "--timeout", type=float, default=1.5, metavar="SECONDS")
    parser.add_argument("-v", "--verbose", action="store_true",
                        help="tell on stderr which server answered and what was dropped")
    parser.add_argument("servers", nargs="+", type=split_server, metavar="HOST:PORT")
    args = parser.parse_args()
    deadline = time.monotonic() + args.timeout

    def tell(message):
        if args.verbose:
            print(message, file=sys.stderr)

    # (address, port) -> (transaction id, the server as given)
    asked = {}
    for host, port in args.servers:
        try:
            infos = socket.getaddrinfo(host, port, socket.AF_INET, socket.SOCK_DGRAM)
        except socket.gaierror as error:
            tell(f"{host}:{port}: {error}")
            continue
        for info in infos:
            asked.setdefault(info[4], (os.urandom(12), f"{host}:{port}"))
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
        rto, resend = FIRST_RTO, time.monotonic()
        while True:
            now = time.monotonic()
            if now >= deadline:
                tell(f"no valid answer within {args.timeout} s")
                return 1
            if now >= resend:
                for server, (tid, _) in asked.items():
                    try:
                        sock.sendto(request(tid), server)
                    except OSError as error:
                        tell(f"{server[0]}:{server[1]}: {error}")
                resend, rto = now + rto, rto * 2
            ready, _, _ = select.select([sock], [], [], max(0, min(deadline, resend) - now))
            if not ready:
                continue
            try:
                packet, source = sock.recvfrom(2048)
            except OSError:
                continue    # an ICMP error from one server must not end the wait for the others
            if source not in asked:
                tell(f"dropped: answer from {source[0]}:{source[1]}, which was not asked")
                continue
            tid, name = asked[source]
            mapped = parse_response(packet, tid)
            if mapped is None:
                tell(f"dropped: invalid answer from {name}")
                continue
            tell(f"{name} ({source[0]}:{source[1]}) maps us to {mapped[0]}:{mapped[1]}")
            print(mapped[0])
            return 0


if __name__ == "__main__":
    sys.exit(main())
