#!/usr/bin/env python3
"""Checks the parsing in mdns_query.py and wsd_query.py on hand-made messages; needs no root and
no network (the metadata Get goes to a server on 127.0.0.1). Run: python3 discolab_helpers_test.py
"""

import http.server
import os
import struct
import sys
import threading
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mdns_query as mdns  # noqa: E402
import wsd_query as wsd    # noqa: E402


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


if __name__ == "__main__":
    unittest.main()
