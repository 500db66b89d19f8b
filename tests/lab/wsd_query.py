#!/usr/bin/env python3
"""One-shot WS-Discovery search for computers, as a client would do it.

Probes for wsdp:Device (SOAP 1.2 over UDP to 239.255.255.250:3702, TTL 1, from an ephemeral
port), sends each Probe four times and probes anew every second; Resolves the endpoints whose
ProbeMatch has no XAddrs, until answered (at once, 0.25 s later, then every 0.5 s); then asks
each endpoint for its metadata with an HTTP Get. Prints one line per computer (an endpoint whose
Types hold pub:Computer) as soon as its name is known:

    NAME <TAB> GROUP <TAB> ADDRESS <TAB> ENDPOINT [<TAB> FRIENDLY NAME with --friendly]

e.g. "WSHOST1  Workgroup:TESTGROUP  10.232.0.11  urn:uuid:...". ADDRESS is the UDP source of
the ProbeMatch. Control characters and backslashes in the texts are printed escaped (\\r, \\n,
\\t, \\xNN, \\\\), so that a line stays a line. -v tells each endpoint heard on stderr:
"heard ENDPOINT from ADDRESS". Standard library only.
Exit status: 0, or 1 when fewer than --count computers were found in time.
"""

import http.client
import io
import select
import sys
import time
import urllib.parse
import uuid
import xml.etree.ElementTree as ET

from multicast import open_socket, query_parser

GROUP = ("239.255.255.250", 3702)
SOAP = "http://www.w3.org/2003/05/soap-envelope"
WSA = "http://schemas.xmlsoap.org/ws/2004/08/addressing"
WSD = "http://schemas.xmlsoap.org/ws/2005/04/discovery"
WSDP = "http://schemas.xmlsoap.org/ws/2006/02/devprof"
PUB = "http://schemas.microsoft.com/windows/pub/2005/07"
DISCOVERY_TO = "urn:schemas-xmlsoap-org:ws:2005:04:discovery"
ANONYMOUS = WSA + "/role/anonymous"
GET = "http://schemas.xmlsoap.org/ws/2004/09/transfer/Get"
RETRANSMIT_MS = [0, 100, 300, 700]
RESOLVE_GAPS = [0.25, 0.5]     # then the last one again: a peer may announce hundreds of phantoms
ESCAPES = {"\\": "\\\\", "\r": "\\r", "\n": "\\n", "\t": "\\t"}


def printable(text):
    """TEXT on one line: backslash, CR, LF and tab as \\\\, \\r, \\n and \\t, other control
    characters (C0, DEL, C1) as \\xNN."""
    def one(c):
        if c in ESCAPES:
            return ESCAPES[c]
        return f"\\x{ord(c):02x}" if ord(c) < 0x20 or 0x7F <= ord(c) <= 0x9F else c
    return "".join(one(c) for c in text)


def envelope(action, to, body):
    return (
        '<?xml version="1.0" encoding="utf-8"?>'
        f'<soap:Envelope xmlns:soap="{SOAP}" xmlns:wsa="{WSA}" xmlns:wsd="{WSD}" '
        f'xmlns:wsdp="{WSDP}"><soap:Header><wsa:To>{to}</wsa:To>'
        f'<wsa:Action>{action}</wsa:Action>'
        f'<wsa:MessageID>urn:uuid:{uuid.uuid4()}</wsa:MessageID>'
        f'<wsa:ReplyTo><wsa:Address>{ANONYMOUS}</wsa:Address></wsa:ReplyTo>'
        f'</soap:Header><soap:Body>{body}</soap:Body></soap:Envelope>').encode()


def probe():
    return envelope(WSD + "/Probe", DISCOVERY_TO,
                    "<wsd:Probe><wsd:Types>wsdp:Device</wsd:Types></wsd:Probe>")


def resolve(endpoint):
    return envelope(WSD + "/Resolve", DISCOVERY_TO,
                    "<wsd:Resolve><wsa:EndpointReference><wsa:Address>"
                    f"{endpoint}</wsa:Address></wsa:EndpointReference></wsd:Resolve>")


def parse(data):
    """(root element, {prefix: namespace}) — the prefixes are needed to read Types QNames."""
    prefixes, root = {}, None
    for event, item in ET.iterparse(io.BytesIO(data), events=("start-ns", "start")):
        if event == "start-ns":
            prefixes[item[0]] = item[1]
        elif root is None:
            root = item
    return root, prefixes


def qnames(text, prefixes):
    out = set()
    for qname in (text or "").split():
        prefix, _, local = qname.rpartition(":")
        out.add((prefixes.get(prefix, prefix), local))
    return out


def matches(root, prefixes):
    """(endpoint, types, xaddrs) of each ProbeMatch or ResolveMatch in a message."""
    for tag in ("ProbeMatch", "ResolveMatch"):
        for match in root.iter(f"{{{WSD}}}{tag}"):
            endpoint = match.findtext(f"{{{WSA}}}EndpointReference/{{{WSA}}}Address", "").strip()
            types = qnames(match.findtext(f"{{{WSD}}}Types"), prefixes)
            xaddrs = (match.findtext(f"{{{WSD}}}XAddrs") or "").split()
            if endpoint:
                yield endpoint, types, xaddrs


def http_url(xaddrs):
    for url in xaddrs:
        parts = urllib.parse.urlsplit(url)
        if parts.scheme == "http" and parts.hostname and ":" not in parts.hostname:
            return parts
    return None


def fetch_metadata(parts, endpoint, timeout):
    """(pub:Computer text, FriendlyName) of the endpoint's metadata, e.g.
    ("WSHOST1/Workgroup:TESTGROUP", "WSD Device WSHOST1"); (None, None) for an error answer."""
    conn = http.client.HTTPConnection(parts.hostname, parts.port or 80, timeout=timeout)
    try:
        conn.request("POST", parts.path or "/", envelope(GET, endpoint, ""),
                     {"Content-Type": "application/soap+xml"})
        reply = conn.getresponse()
        data = reply.read()
        if reply.status != 200:
            return None, None
    finally:
        conn.close()
    root, _ = parse(data)
    text = root.findtext(f".//{{{PUB}}}Computer")
    return (text.strip() if text else None), (root.findtext(f".//{{{WSDP}}}FriendlyName") or "")


def fetch_computer(parts, endpoint, timeout):
    """The pub:Computer text of the endpoint's metadata, e.g. WSHOST1/Workgroup:TESTGROUP."""
    return fetch_metadata(parts, endpoint, timeout)[0]


def main():
    parser = query_parser(__doc__, "seconds to search in all (default 2)",
                          "stop once this many computers are named")
    parser.add_argument("--friendly", action="store_true", help="print the FriendlyName too")
    parser.add_argument("-v", "--verbose", action="store_true",
                        help="tell each endpoint heard on stderr")
    args = parser.parse_args()

    sock = open_socket(args.interface)
    start = time.monotonic()
    deadline = start + args.timeout
    sends = []                 # (time, message)
    for probe_at in range(int(args.timeout) + 1):
        message = probe()
        sends += [(start + probe_at + ms / 1000, message) for ms in RETRANSMIT_MS]
    sends.sort(key=lambda s: s[0])
    source = {}                # endpoint -> address of its first ProbeMatch
    xaddr = {}                 # endpoint -> URL parts
    resolves = {}              # endpoint -> (time of the next Resolve, Resolves sent)
    named = {}                 # endpoint -> pub:Computer text

    while time.monotonic() < deadline:
        now = time.monotonic()
        while sends and sends[0][0] <= now:
            sock.sendto(sends.pop(0)[1], GROUP)
        for endpoint in source:
            due, sent = resolves.get(endpoint, (now, 0))
            if endpoint not in xaddr and now >= due:
                gap = RESOLVE_GAPS[min(sent, len(RESOLVE_GAPS) - 1)]
                resolves[endpoint] = (now + gap, sent + 1)
                sock.sendto(resolve(endpoint), GROUP)
        for endpoint, parts in xaddr.items():
            if endpoint in named:
                continue
            try:
                text, friendly = fetch_metadata(parts, endpoint,
                                                max(0.1, min(1.0, deadline - now)))
            except (OSError, http.client.HTTPException, ET.ParseError):
                continue   # tried again in the next round
            if text:
                named[endpoint] = text
                name, _, group = text.partition("/")
                fields = [printable(name), printable(group), source[endpoint], endpoint]
                if args.friendly:
                    fields.append(printable(friendly))
                print("\t".join(fields), flush=True)
        if args.count and len(named) >= args.count:
            return 0
        wait = min([deadline, now + 0.05] + ([sends[0][0]] if sends else [])) - time.monotonic()
        ready, _, _ = select.select([sock], [], [], max(wait, 0))
        while ready:
            data, (address, _port) = sock.recvfrom(65536)
            try:
                root, prefixes = parse(data)
                for endpoint, types, xaddrs in matches(root, prefixes):
                    if (PUB, "Computer") not in types and endpoint not in source:
                        continue   # a printer or another device, not a computer
                    if args.verbose and endpoint not in source:
                        print(f"heard {endpoint} from {address}", file=sys.stderr, flush=True)
                    source.setdefault(endpoint, address)
                    if endpoint not in xaddr and http_url(xaddrs):
                        xaddr[endpoint] = http_url(xaddrs)
            except ET.ParseError:
                pass       # not XML: ignore it
            ready, _, _ = select.select([sock], [], [], 0)
    return 0 if len(named) >= args.count else 1


if __name__ == "__main__":
    sys.exit(main())
