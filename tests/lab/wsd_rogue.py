#!/usr/bin/env python3
"""A lying WS-Discovery peer: one process, one address, several endpoints with hostile content.

Answers each Probe once (SOAP 1.2 over UDP 3702, unicast to the prober, as a peer answers it):
a ProbeMatch of its own for each named endpoint, then one ProbeMatches message that lists the
phantom endpoints, a flood of computers that never answer a Resolve. Answers a Resolve for a
named endpoint with its XAddrs, http://ADDRESS:5357/UUID, and the metadata Get there with the
endpoint's pub:Computer and FriendlyName. The named endpoints:

    LONGFRIEND          a FriendlyName of 5000 bytes; its endpoint sorts before any real peer's
    EVIL|NAME<CR><LF>X  a bar and a line break in the name, sent as character references

--list prints NAME <TAB> GROUP <TAB> LISTED <TAB> ENDPOINT for each named endpoint (NAME escaped
as wsd_query.py prints it, LISTED the name a list of computers shows for it); --phantoms prints
how many phantoms there are. Standard library only.
"""

import argparse
import collections
import http.server
import socket
import sys
import threading
import uuid
import xml.etree.ElementTree as ET
from xml.sax.saxutils import escape

from wsd_query import ANONYMOUS, GET, GROUP, PUB, SOAP, WSA, WSD, WSDP, parse, printable

MEX = "http://schemas.xmlsoap.org/ws/2004/09/mex"
GET_RESPONSE = "http://schemas.xmlsoap.org/ws/2004/09/transfer/GetResponse"
HTTP_PORT = 5357
WORKGROUP = "Workgroup:TESTGROUP"
# Bodies larger than this are not requests of ours; the program reads no larger message either.
MAX_MESSAGE = 64 * 1024
# MessageIDs answered, to answer each once: the client's retransmissions carry the same one.
REMEMBERED = 1024

Computer = collections.namedtuple("Computer", "endpoint name group friendly listed")

COMPUTERS = [
    # First in endpoint order, in the real peers' workgroup: a row this long must not cost the
    # rows after it their place.
    Computer("urn:uuid:0bad0000-0000-4000-8000-000000000001", "LONGFRIEND", WORKGROUP,
             ("A friendly name longer than any list can show. " * 110)[:5000], "LONGFRIEND"),
    Computer("urn:uuid:0bad0000-0000-4000-8000-000000000002", "EVIL|NAME\r\nX", WORKGROUP,
             "Evil computer", "EVIL_NAMEX"),
]
# As many as fit one datagram that a careful reader still reads whole (< 64 KiB, < 2048
# elements): a flood that the reader refused for its size would test nothing.
PHANTOMS = [f"urn:uuid:0bad0f00-0000-4000-8000-{i:012d}" for i in range(200)]


def xml_text(text):
    """TEXT as XML character data that reads back unchanged: a literal CR would come back as LF
    and a literal tab or LF inside a word list as a separator."""
    return "".join(f"&#{ord(c)};" if c in "\t\n\r" or 0x7F <= ord(c) <= 0x9F else c
                   for c in escape(text))


def message(action, relates_to, body):
    return (
        '<?xml version="1.0" encoding="utf-8"?>'
        f'<soap:Envelope xmlns:soap="{SOAP}" xmlns:wsa="{WSA}" xmlns:wsd="{WSD}" '
        f'xmlns:wsx="{MEX}" xmlns:wsdp="{WSDP}" xmlns:pub="{PUB}"><soap:Header>'
        f'<wsa:To>{ANONYMOUS}</wsa:To><wsa:Action>{action}</wsa:Action>'
        f'<wsa:MessageID>urn:uuid:{uuid.uuid4()}</wsa:MessageID>'
        f'<wsa:RelatesTo>{xml_text(relates_to)}</wsa:RelatesTo>'
        f'</soap:Header><soap:Body>{body}</soap:Body></soap:Envelope>').encode()


def match(tag, endpoint, xaddrs=""):
    return (f"<wsd:{tag}><wsa:EndpointReference><wsa:Address>{endpoint}</wsa:Address>"
            "</wsa:EndpointReference><wsd:Types>wsdp:Device pub:Computer</wsd:Types>"
            + (f"<wsd:XAddrs>{xaddrs}</wsd:XAddrs>" if xaddrs else "")
            + f"<wsd:MetadataVersion>1</wsd:MetadataVersion></wsd:{tag}>")


def header_text(root, name):
    return (root.findtext(f"{{{SOAP}}}Header/{{{WSA}}}{name}") or "").strip()


class Responder:
    """What to answer; opens no socket, so that the tests can feed it messages."""

    def __init__(self, address, computers=COMPUTERS, phantoms=PHANTOMS):
        self.address = address
        self.computers = {c.endpoint: c for c in computers}
        self.phantoms = phantoms
        self.answered = collections.OrderedDict()

    def url(self, endpoint):
        return f"http://{self.address}:{HTTP_PORT}/{endpoint.rpartition(':')[2]}"

    def remember(self, message_id):
        self.answered[message_id] = True
        while len(self.answered) > REMEMBERED:
            self.answered.popitem(last=False)

    def answer(self, data):
        """The datagrams that answer one received datagram, in sending order: none for a
        repeat, a Resolve of a phantom or anything else."""
        try:
            root, _ = parse(data)
        except ET.ParseError:
            return []
        if root is None or root.tag != f"{{{SOAP}}}Envelope":
            return []
        action, message_id = header_text(root, "Action"), header_text(root, "MessageID")
        if not message_id or message_id in self.answered:
            return []
        if action == WSD + "/Probe":
            self.remember(message_id)
            # The named endpoints first: a reader that keeps a few endpoints per peer keeps them.
            out = [message(WSD + "/ProbeMatches", message_id,
                           f"<wsd:ProbeMatches>{match('ProbeMatch', c)}</wsd:ProbeMatches>")
                   for c in self.computers]
            if self.phantoms:
                out.append(message(WSD + "/ProbeMatches", message_id, "<wsd:ProbeMatches>"
                                   + "".join(match("ProbeMatch", p) for p in self.phantoms)
                                   + "</wsd:ProbeMatches>"))
            return out
        if action == WSD + "/Resolve":
            endpoint = (root.findtext(f"{{{SOAP}}}Body/{{{WSD}}}Resolve/{{{WSA}}}EndpointReference"
                                      f"/{{{WSA}}}Address") or "").strip()
            if endpoint not in self.computers:
                return []
            self.remember(message_id)
            return [message(WSD + "/ResolveMatches", message_id,
                            "<wsd:ResolveMatches>"
                            + match("ResolveMatch", endpoint, self.url(endpoint))
                            + "</wsd:ResolveMatches>")]
        return []

    def metadata(self, path, request):
        """The answer to a metadata Get POSTed to PATH, or None (HTTP 404)."""
        computer = self.computers.get("urn:uuid:" + path.strip("/"))
        if computer is None:
            return None
        try:
            root, _ = parse(request)
        except ET.ParseError:
            return None
        if root is None or header_text(root, "Action") != GET:
            return None
        return message(GET_RESPONSE, header_text(root, "MessageID"), (
            "<wsx:Metadata>"
            f'<wsx:MetadataSection Dialect="{WSDP}/ThisDevice"><wsdp:ThisDevice>'
            f"<wsdp:FriendlyName>{xml_text(computer.friendly)}</wsdp:FriendlyName>"
            "<wsdp:FirmwareVersion>1.0</wsdp:FirmwareVersion>"
            "<wsdp:SerialNumber>1</wsdp:SerialNumber></wsdp:ThisDevice></wsx:MetadataSection>"
            f'<wsx:MetadataSection Dialect="{WSDP}/ThisModel"><wsdp:ThisModel>'
            "<wsdp:Manufacturer>Velnor lab</wsdp:Manufacturer>"
            "<wsdp:ModelName>rogue</wsdp:ModelName>"
            "</wsdp:ThisModel></wsx:MetadataSection>"
            f'<wsx:MetadataSection Dialect="{WSDP}/Relationship">'
            f'<wsdp:Relationship Type="{WSDP}/host"><wsdp:Host><wsa:EndpointReference>'
            f"<wsa:Address>{computer.endpoint}</wsa:Address></wsa:EndpointReference>"
            "<wsdp:Types>pub:Computer</wsdp:Types>"
            f"<wsdp:ServiceId>{computer.endpoint}</wsdp:ServiceId>"
            f"<pub:Computer>{xml_text(computer.name)}/{xml_text(computer.group)}</pub:Computer>"
            "</wsdp:Host></wsdp:Relationship></wsx:MetadataSection></wsx:Metadata>"))


def http_server(responder, address, port=HTTP_PORT, log=True):
    class Handler(http.server.BaseHTTPRequestHandler):
        def do_POST(self):   # noqa: N802 (the name http.server calls)
            length = int(self.headers.get("Content-Length") or 0)
            body = None
            if 0 < length <= MAX_MESSAGE:
                body = responder.metadata(self.path, self.rfile.read(length))
            if body is None:
                self.send_error(404)
                return
            self.send_response(200)
            self.send_header("Content-Type", "application/soap+xml")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, fmt, *args):
            if log:
                print(f"http {self.client_address[0]}: {fmt % args}", flush=True)

    return http.server.ThreadingHTTPServer((address, port), Handler)


def serve(address):
    responder = Responder(address)
    server = http_server(responder, address)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind(("", GROUP[1]))
    sock.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP,
                    socket.inet_aton(GROUP[0]) + socket.inet_aton(address))
    print(f"serving {len(responder.computers)} computers and {len(responder.phantoms)} "
          f"phantoms on {address}", flush=True)
    while True:
        data, sender = sock.recvfrom(65536)
        answers = responder.answer(data)
        for datagram in answers:
            # Twice, as peers send their answers over UDP.
            for _ in range(2):
                sock.sendto(datagram, sender)
        if answers:
            print(f"{sender[0]}:{sender[1]}: {len(answers)} answers", flush=True)


def printable_rows():
    for c in COMPUTERS:
        yield f"{printable(c.name)}\t{c.group}\t{c.listed}\t{c.endpoint}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("-a", "--address", help="the IPv4 address to answer from")
    parser.add_argument("--list", action="store_true", help="print the named endpoints")
    parser.add_argument("--phantoms", action="store_true", help="print the phantoms' count")
    args = parser.parse_args()
    if args.list:
        print("\n".join(printable_rows()))
    elif args.phantoms:
        print(len(PHANTOMS))
    elif args.address:
        serve(args.address)
    else:
        parser.error("give --address, --list or --phantoms")
    return 0


if __name__ == "__main__":
    sys.exit(main())
