#!/usr/bin/env python3
"""Checks the parsing in mdns_query.py and wsd_query.py on hand-made messages, and what the lying
peer wsd_rogue.py answers; needs no root and no network (the metadata Gets go to servers on
127.0.0.1). Run: python3 discolab_helpers_test.py
"""

import http.server
import os
import struct
import sys
import threading
import unittest
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mdns_query as mdns  # noqa: E402
import wsd_query as wsd    # noqa: E402
import wsd_rogue as rogue  # noqa: E402


def rr(name, rtype, rdata):
    return name + struct.pack("!HHIH", rtype, 0x8001, 120, len(rdata)) + rdata


def answer(qid, records):
    return struct.pack("!HHHHHH", qid, 0x8400, 0, len(records), 0, 0) + b"".join(records)


def pointer(offset):
    return struct.pack("!H", 0xC000 | offset)


class MdnsParsing(unittest.TestCase):
    def test_compressed_names(self):
        # _smb._tcp.local at 12; the instance reuses it through a pointer.
        ptype = mdns.encode_name(("_smb", "_tcp", "local"))
        instance = b"\x09mdnshost1" + pointer(12)
        host = b"\x09mdnshost1\x05local\x00"
        packet = answer(7, [rr(ptype, mdns.T_PTR, instance)])
        labels, end = mdns.decode_name(packet, 12 + len(ptype) + 10)
        self.assertEqual(labels, ("mdnshost1", "_smb", "_tcp", "local"))
        self.assertEqual(end, len(packet))
        browser = mdns.Browser(["_smb._tcp"])
        inst_at = 12 + len(ptype) + 10
        browser.feed(answer(7, [
            rr(ptype, mdns.T_PTR, instance),
            rr(pointer(inst_at), mdns.T_SRV, struct.pack("!HHH", 0, 0, 445) + host),
            # A responder may answer in another case than it was asked.
            rr(b"\x09MDNSHOST1\x05LOCAL\x00", mdns.T_A, bytes([10, 232, 0, 21])),
        ]))
        self.assertEqual(browser.complete(),
                         [("_smb._tcp", "mdnshost1.local", "10.232.0.21", 445, "mdnshost1")])

    def test_pointer_loop_refused(self):
        packet = answer(1, []) + pointer(12)
        with self.assertRaises(ValueError):
            mdns.decode_name(packet, 12)

    def test_truncated_record_refused(self):
        packet = answer(1, [rr(mdns.encode_name(("a", "local")), mdns.T_A, b"\x0a\x00\x00\x01")])
        with self.assertRaises((ValueError, struct.error)):
            mdns.parse_records(packet[:-2])

    def test_asks_for_what_is_missing_one_question_a_packet(self):
        ptype = mdns.encode_name(("_smb", "_tcp", "local"))
        browser = mdns.Browser(["_smb._tcp", "_workstation._tcp"])
        browser.feed(answer(3, [rr(ptype, mdns.T_PTR, b"\x03nas" + pointer(12))]))
        self.assertEqual(browser.complete(), [])
        questions = browser.questions()
        self.assertTrue(all(len(q) == 1 for q in questions))
        self.assertIn([(("nas", "_smb", "_tcp", "local"), mdns.T_SRV)], questions)
        browser.srv[mdns.key(("nas", "_smb", "_tcp", "local"))] = (("nas", "local"), 445)
        self.assertIn([(("nas", "local"), mdns.T_A)], browser.questions())


PROBE_MATCH = """<?xml version="1.0" encoding="utf-8"?>
<soap:Envelope xmlns:soap="http://www.w3.org/2003/05/soap-envelope"
  xmlns:wsa="http://schemas.xmlsoap.org/ws/2004/08/addressing"
  xmlns:wsd="http://schemas.xmlsoap.org/ws/2005/04/discovery"
  xmlns:d="http://schemas.xmlsoap.org/ws/2006/02/devprof"
  xmlns:x="http://schemas.microsoft.com/windows/pub/2005/07">
 <soap:Body><wsd:ProbeMatches>
  <wsd:ProbeMatch><wsa:EndpointReference><wsa:Address>urn:uuid:1</wsa:Address>
   </wsa:EndpointReference><wsd:Types>d:Device x:Computer</wsd:Types></wsd:ProbeMatch>
  <wsd:ProbeMatch><wsa:EndpointReference><wsa:Address>urn:uuid:2</wsa:Address>
   </wsa:EndpointReference><wsd:Types>d:Device</wsd:Types>
   <wsd:XAddrs>http://[fe80::1]:5357/2 http://10.0.0.9:5357/2</wsd:XAddrs></wsd:ProbeMatch>
 </wsd:ProbeMatches></soap:Body></soap:Envelope>"""

METADATA = """<?xml version="1.0" encoding="utf-8"?>
<soap:Envelope xmlns:soap="http://www.w3.org/2003/05/soap-envelope"
  xmlns:pub="http://schemas.microsoft.com/windows/pub/2005/07"><soap:Body>
 <pub:Computer>WSHOST4/Domain:LABDOMAIN</pub:Computer></soap:Body></soap:Envelope>"""


class WsdParsing(unittest.TestCase):
    def test_types_resolved_through_the_prefixes_of_the_message(self):
        found = list(wsd.matches(*wsd.parse(PROBE_MATCH.encode())))
        self.assertEqual(len(found), 2)
        (ep1, types1, _), (ep2, types2, xaddrs2) = found
        self.assertEqual(ep1, "urn:uuid:1")
        self.assertIn((wsd.PUB, "Computer"), types1)
        self.assertNotIn((wsd.PUB, "Computer"), types2)   # a device, not a computer
        self.assertEqual(wsd.http_url(xaddrs2).hostname, "10.0.0.9")

    def test_metadata_get(self):
        seen = {}

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_POST(self):   # noqa: N802 (the name http.server calls)
                seen["type"] = self.headers["Content-Type"]
                seen["body"] = self.rfile.read(int(self.headers["Content-Length"]))
                body = METADATA.encode()
                self.send_response(200)
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
        threading.Thread(target=server.handle_request, daemon=True).start()
        url = wsd.http_url([f"http://127.0.0.1:{server.server_port}/abc"])
        try:
            self.assertEqual(wsd.fetch_computer(url, "urn:uuid:abc", 2),
                             "WSHOST4/Domain:LABDOMAIN")
        finally:
            server.server_close()
        self.assertEqual(seen["type"], "application/soap+xml")
        root, _ = wsd.parse(seen["body"])
        self.assertEqual(root.findtext(f".//{{{wsd.WSA}}}To"), "urn:uuid:abc")
        self.assertEqual(root.findtext(f".//{{{wsd.WSA}}}Action"), wsd.GET)

    def test_printable_keeps_a_line_a_line(self):
        cases = [
            ("WSHOST1", "WSHOST1"),
            ("EVIL|NAME\r\nX", "EVIL|NAME\\r\\nX"),
            ("a\tb", "a\\tb"),
            ("back\\slash", "back\\\\slash"),
            ("bell\x07 del\x7f nel\x85", "bell\\x07 del\\x7f nel\\x85"),
            ("Bücher", "Bücher"),
        ]
        for text, want in cases:
            with self.subTest(text=text):
                self.assertEqual(wsd.printable(text), want)


def header(root, name):
    return root.findtext(f"{{{wsd.SOAP}}}Header/{{{wsd.WSA}}}{name}")


def depth(element):
    return 1 + max((depth(child) for child in element), default=0)


class RogueResponder(unittest.TestCase):
    """The lying peer must say what the lab promises, in messages that a careful reader (the
    program's caps: 64 KiB, depth 32, 2048 elements) reads whole."""
    ADDRESS = "10.237.0.67"

    def setUp(self):
        self.responder = rogue.Responder(self.ADDRESS)

    def test_probe_answered_once_named_endpoints_first_then_the_flood(self):
        probe = wsd.probe()
        probe_id = header(wsd.parse(probe)[0], "MessageID")
        answers = self.responder.answer(probe)
        want = [[c.endpoint] for c in rogue.COMPUTERS] + [rogue.PHANTOMS]
        self.assertEqual(len(answers), len(want))
        for datagram, endpoints in zip(answers, want):
            root, prefixes = wsd.parse(datagram)
            self.assertEqual(header(root, "Action"), wsd.WSD + "/ProbeMatches")
            self.assertEqual(header(root, "RelatesTo"), probe_id)
            found = list(wsd.matches(root, prefixes))
            self.assertEqual([endpoint for endpoint, _, _ in found], endpoints)
            for _, types, xaddrs in found:
                self.assertIn((wsd.PUB, "Computer"), types)
                self.assertEqual(xaddrs, [])   # a Resolve is needed, as with wsdd
            self.assertLessEqual(len(datagram), 64 * 1024)
            self.assertLess(sum(1 for _ in root.iter()), 2048)
            self.assertLess(depth(root), 32)
        self.assertGreaterEqual(len(rogue.PHANTOMS), 100)
        self.assertEqual(self.responder.answer(probe), [], "a retransmission is not answered")
        self.assertEqual(len(self.responder.answer(wsd.probe())), len(want), "a fresh Probe is")

    def test_resolve(self):
        named = rogue.COMPUTERS[0].endpoint
        cases = [
            ("a named endpoint", named, True),
            ("the other named endpoint", rogue.COMPUTERS[1].endpoint, True),
            ("a phantom", rogue.PHANTOMS[0], False),
            ("another peer's endpoint", "urn:uuid:5ea10000-0000-4000-8000-000000000011", False),
        ]
        for what, endpoint, answered in cases:
            with self.subTest(what):
                request = wsd.resolve(endpoint)
                answers = self.responder.answer(request)
                if not answered:
                    self.assertEqual(answers, [])
                    continue
                self.assertEqual(len(answers), 1)
                root, prefixes = wsd.parse(answers[0])
                self.assertEqual(header(root, "Action"), wsd.WSD + "/ResolveMatches")
                self.assertEqual(header(root, "RelatesTo"),
                                 header(wsd.parse(request)[0], "MessageID"))
                [(got, types, xaddrs)] = list(wsd.matches(root, prefixes))
                self.assertEqual(got, endpoint)
                self.assertIn((wsd.PUB, "Computer"), types)
                # The program follows only a URL on the host the ProbeMatch came from.
                self.assertEqual(wsd.http_url(xaddrs).hostname, self.ADDRESS)
                self.assertEqual(self.responder.answer(request), [])

    def test_no_answer_to_anything_else(self):
        match = PROBE_MATCH.encode()
        cases = [
            ("not XML", b"\x00\x01 not xml"),
            ("another peer's ProbeMatches", match),
            ("a Probe without MessageID", wsd.probe().replace(b"MessageID>urn", b"Other>urn")),
            ("the metadata", METADATA.encode()),
        ]
        for what, data in cases:
            with self.subTest(what):
                self.assertEqual(self.responder.answer(data), [])

    def test_metadata_reads_back_as_the_hostile_text(self):
        server = rogue.http_server(self.responder, "127.0.0.1", 0, log=False)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        base = f"http://127.0.0.1:{server.server_port}/"
        try:
            for c in rogue.COMPUTERS:
                with self.subTest(c.listed):
                    url = urllib.parse.urlsplit(base + c.endpoint.rpartition(":")[2])
                    computer, friendly = wsd.fetch_metadata(url, c.endpoint, 2)
                    # CR and LF come back as sent: character references, not literal ones.
                    self.assertEqual(computer, f"{c.name}/{c.group}")
                    self.assertEqual(friendly, c.friendly)
            self.assertEqual(len(rogue.COMPUTERS[0].friendly.encode()), 5000)
            self.assertIn("\r\n", rogue.COMPUTERS[1].name)
            for what, path in [("a phantom", rogue.PHANTOMS[0]), ("no endpoint", "")]:
                with self.subTest(what):
                    url = urllib.parse.urlsplit(base + path.rpartition(":")[2])
                    self.assertEqual(wsd.fetch_metadata(url, path, 2), (None, None))
        finally:
            server.shutdown()
            server.server_close()


if __name__ == "__main__":
    unittest.main()
