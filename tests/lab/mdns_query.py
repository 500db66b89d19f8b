#!/usr/bin/env python3
"""One-shot DNS-SD browse over mDNS, as a client with no responder of its own would do it.

Sends "legacy unicast" queries (RFC 6762, 6.7): a PTR question for each service type, sent to
224.0.0.251:5353 from an ephemeral port. Responders answer at once by unicast to that port, with
the SRV, TXT and A records in the packet as far as 512 bytes go. Re-queries at 0, 250, 750 and
1750 ms and then every second, and asks by name for SRV and A records still missing. Prints one line per service instance whose host
address is known, as soon as it is:

    TYPE <TAB> HOST <TAB> ADDRESS <TAB> PORT <TAB> INSTANCE

e.g. "_smb._tcp  mdnshost1.local  10.232.0.21  445  mdnshost1". Standard library only.
Exit status: 0, or 1 when fewer than --count instances were found in time.
"""

import random
import select
import socket
import struct
import sys
import time

from multicast import open_socket, query_parser

GROUP = ("224.0.0.251", 5353)
T_A, T_PTR, T_TXT, T_SRV = 1, 12, 16, 33
DEFAULT_TYPES = ["_workstation._tcp", "_smb._tcp", "_device-info._tcp"]
REQUERY_MS = [0, 250, 750, 1750]


def labels_of(name):
    return tuple(label for label in name.rstrip(".").split(".") if label)


def key(labels):
    return tuple(label.lower() for label in labels)


def encode_name(labels):
    out = b""
    for label in labels:
        raw = label.encode()
        out += bytes([len(raw)]) + raw
    return out + b"\0"


def build_query(qid, questions):
    body = b"".join(encode_name(name) + struct.pack("!HH", qtype, 1) for name, qtype in questions)
    return struct.pack("!HHHHHH", qid, 0, len(questions), 0, 0, 0) + body


def decode_name(packet, offset):
    """(labels, offset after the name); follows compression pointers, refuses loops."""
    labels, jumped, end, hops = [], False, offset, 0
    while True:
        if offset >= len(packet):
            raise ValueError("name runs past the packet")
        length = packet[offset]
        if length & 0xC0 == 0xC0:
            if offset + 1 >= len(packet) or hops > 64:
                raise ValueError("bad compression pointer")
            if not jumped:
                end = offset + 2
            offset, jumped, hops = ((length & 0x3F) << 8) | packet[offset + 1], True, hops + 1
            continue
        offset += 1
        if length == 0:
            return tuple(labels), (end if jumped else offset)
        labels.append(packet[offset:offset + length].decode("utf-8", "replace"))
        offset += length


def parse_records(packet):
    """Every resource record of the packet as (name, type, rdata-offset, rdlength)."""
    qid, _flags, qd, an, ns, ar = struct.unpack_from("!HHHHHH", packet)
    offset = 12
    for _ in range(qd):
        _, offset = decode_name(packet, offset)
        offset += 4
    records = []
    for _ in range(an + ns + ar):
        name, offset = decode_name(packet, offset)
        rtype, _rclass, _ttl, rdlength = struct.unpack_from("!HHIH", packet, offset)
        offset += 10
        if offset + rdlength > len(packet):
            raise ValueError("record runs past the packet")
        records.append((name, rtype, offset, rdlength))
        offset += rdlength
    return qid, records


class Browser:
    def __init__(self, types):
        self.types = {key(labels_of(t + ".local")): t for t in types}
        self.instances = {}   # instance key -> (type, instance labels)
        self.srv = {}         # instance key -> (host labels, port)
        self.addr = {}        # host key -> address
        self.printed = set()

    def feed(self, packet):
        _, records = parse_records(packet)
        for name, rtype, at, length in records:
            if rtype == T_PTR and key(name) in self.types:
                instance, _ = decode_name(packet, at)
                self.instances.setdefault(key(instance), (self.types[key(name)], instance))
            elif rtype == T_SRV and length >= 7:
                _prio, _weight, port = struct.unpack_from("!HHH", packet, at)
                target, _ = decode_name(packet, at + 6)
                self.srv[key(name)] = (target, port)
            elif rtype == T_A and length == 4:
                self.addr[key(name)] = socket.inet_ntoa(packet[at:at + 4])

    def complete(self):
        """(type, host, address, port, instance) of every instance known down to its address."""
        out = []
        for ikey, (stype, instance) in self.instances.items():
            if ikey in self.srv and key(self.srv[ikey][0]) in self.addr:
                host, port = self.srv[ikey]
                out.append((stype, ".".join(host), self.addr[key(host)], port, instance[0]))
        return out

    def questions(self):
        """One question a packet: a legacy unicast answer holds at most 512 bytes, and a
        responder drops the records that do not fit (avahi logs "not fitting in legacy unicast
        packet"): three types asked at once already overflow it for one host."""
        qs = [(labels_of(t + ".local"), T_PTR) for t in self.types.values()]
        for ikey, (_stype, instance) in self.instances.items():
            if ikey not in self.srv:
                qs.append((instance, T_SRV))
            elif key(self.srv[ikey][0]) not in self.addr:
                qs.append((self.srv[ikey][0], T_A))
        return [[q] for q in qs]


def main():
    parser = query_parser(__doc__, "seconds to listen in all (default 2)",
                          "stop once this many instances are complete")
    parser.add_argument("types", nargs="*", default=DEFAULT_TYPES,
                        help="service types (default: %(default)s)")
    args = parser.parse_args()

    browser = Browser(args.types)
    sock = open_socket(args.interface)
    qid = random.randint(1, 0xFFFF)
    start = time.monotonic()
    deadline = start + args.timeout
    sends = [start + ms / 1000 for ms in REQUERY_MS]
    while True:
        now = time.monotonic()
        if now >= deadline:
            break
        if sends and now >= sends[0]:
            sends.pop(0)
            for questions in browser.questions():
                sock.sendto(build_query(qid, questions), GROUP)
            if not sends:
                sends.append(now + 1.0)
            continue
        wait = min(deadline, sends[0] if sends else deadline) - now
        ready, _, _ = select.select([sock], [], [], max(wait, 0))
        if not ready:
            continue
        packet, source = sock.recvfrom(9000)
        if source[1] != GROUP[1]:
            continue
        try:
            if parse_records(packet)[0] != qid:
                continue
            browser.feed(packet)
        except (ValueError, struct.error):
            continue   # a malformed packet: ignore it, as a client must
        for row in browser.complete():
            if row not in browser.printed:
                browser.printed.add(row)
                print("\t".join(str(field) for field in row), flush=True)
        if args.count and len(browser.printed) >= args.count:
            return 0
    return 0 if len(browser.printed) >= args.count else 1


if __name__ == "__main__":
    sys.exit(main())
