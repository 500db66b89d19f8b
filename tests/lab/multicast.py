"""The socket both query helpers send their multicast queries from."""

import socket
import struct


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
