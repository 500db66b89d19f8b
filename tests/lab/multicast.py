"""What both query helpers share: their options and the socket they send their multicast
queries from."""

import argparse
import socket
import struct


def query_parser(doc, timeout_help, count_help):
    """A parser for -t, -n and -i, described by DOC's first paragraph; the helper adds its own
    arguments."""
    parser = argparse.ArgumentParser(description=doc.split("\n\n")[0])
    parser.add_argument("-t", "--timeout", type=float, default=2.0, help=timeout_help)
    parser.add_argument("-n", "--count", type=int, default=0, help=count_help)
    parser.add_argument("-i", "--interface", default="eth0",
                        help="interface to send on (default eth0; '' lets routing choose)")
    return parser


def open_socket(interface):
    """A UDP socket on an ephemeral port (so mDNS answers it as a legacy unicast querier),
    multicast kept on this link, not looped back, and sent on INTERFACE when given."""
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind(("", 0))
    sock.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_TTL, 1)
    sock.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_LOOP, 0)
    if interface:
        index = socket.if_nametoindex(interface)
        sock.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_IF,
                        struct.pack("=4s4si", b"\0" * 4, b"\0" * 4, index))
    return sock
