#include "neighbourhood/NetworkNames.h"
#include "neighbourhood/wsd/WsdEndpoints.h"
#include "neighbourhood/wsd/WsdMessages.h"
#include "neighbourhood/wsd/XmlDocument.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>

namespace wsd = neighbourhood::wsd;

namespace {

// Captured verbatim from wsdd 0.7.0 (-n WSHOST2 -w TESTGROUP, then -d CORP.EXAMPLE) answering
// our Probe, Resolve and metadata Get.
const char kProbeMatch[] =
    R"(<?xml version="1.0" encoding="utf-8"?>)"
    R"(<soap:Envelope xmlns:soap="http://www.w3.org/2003/05/soap-envelope" xmlns:wsa="http://sc)"
    R"(hemas.xmlsoap.org/ws/2004/08/addressing" xmlns:wsd="http://schemas.xmlsoap.org/ws/2005/0)"
    R"(4/discovery" xmlns:wsx="http://schemas.xmlsoap.org/ws/2004/09/mex" xmlns:wsdp="http://sc)"
    R"(hemas.xmlsoap.org/ws/2006/02/devprof" xmlns:pnpx="http://schemas.microsoft.com/windows/p)"
    R"(npx/2005/10" xmlns:pub="http://schemas.microsoft.com/windows/pub/2005/07"><soap:Header>)"
    R"(<wsa:To>http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous</wsa:To>)"
    R"(<wsa:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/ProbeMatches</wsa:Action>)"
    R"(<wsa:MessageID>urn:uuid:c252f2fc-f21a-11f1-a718-0e92140d045f</wsa:MessageID>)"
    R"(<wsa:RelatesTo>urn:uuid:fe87b328-968d-4643-913e-970087a9bd3a</wsa:RelatesTo>)"
    R"(<wsd:AppSequence InstanceId="1796633216" SequenceId="urn:uuid:c252f4b4-f21a-11f1-a718-0e)"
    R"(92140d045f" MessageNumber="1" /></soap:Header><soap:Body><wsd:ProbeMatches>)"
    R"(<wsd:ProbeMatch><wsa:EndpointReference>)"
    R"(<wsa:Address>urn:uuid:5e1d0000-0000-4000-8000-000000000002</wsa:Address>)"
    R"(</wsa:EndpointReference><wsd:Types>wsdp:Device pub:Computer</wsd:Types>)"
    R"(<wsd:MetadataVersion>1</wsd:MetadataVersion></wsd:ProbeMatch></wsd:ProbeMatches>)"
    R"(</soap:Body></soap:Envelope>)";

const char kResolveMatch[] =
    R"(<?xml version="1.0" encoding="utf-8"?>)"
    R"(<soap:Envelope xmlns:soap="http://www.w3.org/2003/05/soap-envelope" xmlns:wsa="http://sc)"
    R"(hemas.xmlsoap.org/ws/2004/08/addressing" xmlns:wsd="http://schemas.xmlsoap.org/ws/2005/0)"
    R"(4/discovery" xmlns:wsx="http://schemas.xmlsoap.org/ws/2004/09/mex" xmlns:wsdp="http://sc)"
    R"(hemas.xmlsoap.org/ws/2006/02/devprof" xmlns:pnpx="http://schemas.microsoft.com/windows/p)"
    R"(npx/2005/10" xmlns:pub="http://schemas.microsoft.com/windows/pub/2005/07"><soap:Header>)"
    R"(<wsa:To>http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous</wsa:To>)"
    R"(<wsa:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/ResolveMatches</wsa:Action>)"
    R"(<wsa:MessageID>urn:uuid:c2bc4f5e-f21a-11f1-a718-0e92140d045f</wsa:MessageID>)"
    R"(<wsa:RelatesTo>urn:uuid:ae998ab3-bcd4-4b6b-a27d-f9269fc26432</wsa:RelatesTo>)"
    R"(<wsd:AppSequence InstanceId="1796633216" SequenceId="urn:uuid:c2bc50c6-f21a-11f1-a718-0e)"
    R"(92140d045f" MessageNumber="2" /></soap:Header><soap:Body><wsd:ResolveMatches>)"
    R"(<wsd:ResolveMatch><wsa:EndpointReference>)"
    R"(<wsa:Address>urn:uuid:5e1d0000-0000-4000-8000-000000000002</wsa:Address>)"
    R"(</wsa:EndpointReference><wsd:Types>wsdp:Device pub:Computer</wsd:Types>)"
    R"(<wsd:XAddrs>http://10.232.0.12:5357/5e1d0000-0000-4000-8000-000000000002</wsd:XAddrs>)"
    R"(<wsd:MetadataVersion>1</wsd:MetadataVersion></wsd:ResolveMatch></wsd:ResolveMatches>)"
    R"(</soap:Body></soap:Envelope>)";

const char kGetResponseWorkgroup[] =
    R"(<?xml version="1.0" encoding="utf-8"?>)"
    R"(<soap:Envelope xmlns:soap="http://www.w3.org/2003/05/soap-envelope" xmlns:wsa="http://sc)"
    R"(hemas.xmlsoap.org/ws/2004/08/addressing" xmlns:wsd="http://schemas.xmlsoap.org/ws/2005/0)"
    R"(4/discovery" xmlns:wsx="http://schemas.xmlsoap.org/ws/2004/09/mex" xmlns:wsdp="http://sc)"
    R"(hemas.xmlsoap.org/ws/2006/02/devprof" xmlns:pnpx="http://schemas.microsoft.com/windows/p)"
    R"(npx/2005/10" xmlns:pub="http://schemas.microsoft.com/windows/pub/2005/07"><soap:Header>)"
    R"(<wsa:To>http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous</wsa:To>)"
    R"(<wsa:Action>http://schemas.xmlsoap.org/ws/2004/09/transfer/GetResponse</wsa:Action>)"
    R"(<wsa:MessageID>urn:uuid:c334bc82-f21a-11f1-a718-0e92140d045f</wsa:MessageID>)"
    R"(<wsa:RelatesTo>urn:uuid:761cc968-c0e1-482b-86e1-161a5bb7be0f</wsa:RelatesTo>)"
    R"(</soap:Header><soap:Body><wsx:Metadata>)"
    R"(<wsx:MetadataSection Dialect="http://schemas.xmlsoap.org/ws/2006/02/devprof/ThisDevice">)"
    R"(<wsdp:ThisDevice><wsdp:FriendlyName>WSD Device WSHOST2</wsdp:FriendlyName>)"
    R"(<wsdp:FirmwareVersion>1.0</wsdp:FirmwareVersion><wsdp:SerialNumber>1</wsdp:SerialNumber>)"
    R"(</wsdp:ThisDevice></wsx:MetadataSection>)"
    R"(<wsx:MetadataSection Dialect="http://schemas.xmlsoap.org/ws/2006/02/devprof/ThisModel">)"
    R"(<wsdp:ThisModel><wsdp:Manufacturer>wsdd</wsdp:Manufacturer><wsdp:ModelName>wsdd)"
    R"(</wsdp:ModelName><pnpx:DeviceCategory>Computers</pnpx:DeviceCategory></wsdp:ThisModel>)"
    R"(</wsx:MetadataSection>)"
    R"(<wsx:MetadataSection Dialect="http://schemas.xmlsoap.org/ws/2006/02/devprof/Relationship)"
    R"("><wsdp:Relationship Type="http://schemas.xmlsoap.org/ws/2006/02/devprof/host">)"
    R"(<wsdp:Host><wsa:EndpointReference>)"
    R"(<wsa:Address>urn:uuid:5e1d0000-0000-4000-8000-000000000002</wsa:Address>)"
    R"(</wsa:EndpointReference><wsdp:Types>pub:Computer</wsdp:Types>)"
    R"(<wsdp:ServiceId>urn:uuid:5e1d0000-0000-4000-8000-000000000002</wsdp:ServiceId>)"
    R"(<pub:Computer>WSHOST2/Workgroup:TESTGROUP</pub:Computer></wsdp:Host></wsdp:Relationship>)"
    R"(</wsx:MetadataSection></wsx:Metadata></soap:Body></soap:Envelope>)";

const char kGetResponseDomain[] =
    R"(<?xml version="1.0" encoding="utf-8"?>)"
    R"(<soap:Envelope xmlns:soap="http://www.w3.org/2003/05/soap-envelope" xmlns:wsa="http://sc)"
    R"(hemas.xmlsoap.org/ws/2004/08/addressing" xmlns:wsd="http://schemas.xmlsoap.org/ws/2005/0)"
    R"(4/discovery" xmlns:wsx="http://schemas.xmlsoap.org/ws/2004/09/mex" xmlns:wsdp="http://sc)"
    R"(hemas.xmlsoap.org/ws/2006/02/devprof" xmlns:pnpx="http://schemas.microsoft.com/windows/p)"
    R"(npx/2005/10" xmlns:pub="http://schemas.microsoft.com/windows/pub/2005/07"><soap:Header>)"
    R"(<wsa:To>http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous</wsa:To>)"
    R"(<wsa:Action>http://schemas.xmlsoap.org/ws/2004/09/transfer/GetResponse</wsa:Action>)"
    R"(<wsa:MessageID>urn:uuid:cf43c1c6-f21a-11f1-b965-0e92140d045f</wsa:MessageID>)"
    R"(<wsa:RelatesTo>urn:uuid:447e2b7e-6886-46ed-85f6-6c3073a2847f</wsa:RelatesTo>)"
    R"(</soap:Header><soap:Body><wsx:Metadata>)"
    R"(<wsx:MetadataSection Dialect="http://schemas.xmlsoap.org/ws/2006/02/devprof/ThisDevice">)"
    R"(<wsdp:ThisDevice><wsdp:FriendlyName>WSD Device WSHOST2</wsdp:FriendlyName>)"
    R"(<wsdp:FirmwareVersion>1.0</wsdp:FirmwareVersion><wsdp:SerialNumber>1</wsdp:SerialNumber>)"
    R"(</wsdp:ThisDevice></wsx:MetadataSection>)"
    R"(<wsx:MetadataSection Dialect="http://schemas.xmlsoap.org/ws/2006/02/devprof/ThisModel">)"
    R"(<wsdp:ThisModel><wsdp:Manufacturer>wsdd</wsdp:Manufacturer><wsdp:ModelName>wsdd)"
    R"(</wsdp:ModelName><pnpx:DeviceCategory>Computers</pnpx:DeviceCategory></wsdp:ThisModel>)"
    R"(</wsx:MetadataSection>)"
    R"(<wsx:MetadataSection Dialect="http://schemas.xmlsoap.org/ws/2006/02/devprof/Relationship)"
    R"("><wsdp:Relationship Type="http://schemas.xmlsoap.org/ws/2006/02/devprof/host">)"
    R"(<wsdp:Host><wsa:EndpointReference>)"
    R"(<wsa:Address>urn:uuid:5e1d0000-0000-4000-8000-000000000002</wsa:Address>)"
    R"(</wsa:EndpointReference><wsdp:Types>pub:Computer</wsdp:Types>)"
    R"(<wsdp:ServiceId>urn:uuid:5e1d0000-0000-4000-8000-000000000002</wsdp:ServiceId>)"
    R"(<pub:Computer>wshost2/Domain:CORP.EXAMPLE</pub:Computer></wsdp:Host></wsdp:Relationship>)"
    R"(</wsx:MetadataSection></wsx:Metadata></soap:Body></soap:Envelope>)";

const char kComputerNs[] = "http://schemas.microsoft.com/windows/pub/2005/07";
const char kDevicesNs[] = "http://schemas.xmlsoap.org/ws/2006/02/devprof";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// The texts of a message's elements by "{namespace}name", the first of each name; none unless
// the message is well formed.
class Texts {
public:
    explicit Texts(const std::string& message) : document_(wsd::Document::Read(message)) {}
    std::string operator[](const std::string& key) const {
        return document_ ? document_->text(Find(key)) : std::string();
    }
    std::size_t count(const std::string& key) const { return Find(key) >= 0 ? 1 : 0; }

private:
    int Find(const std::string& key) const {
        const std::size_t close = key.find('}');
        if (!document_ || close == std::string::npos) {
            return -1;
        }
        const std::string ns = key.substr(1, close - 1);
        const std::string name = key.substr(close + 1);
        return document_->is(0, ns, name) ? 0 : document_->descendant(0, ns, name);
    }

    std::optional<wsd::Document> document_;
};

// The matches when the message is of that kind.
std::optional<wsd::Matches> ProbeMatches(std::string_view message) {
    auto matches = wsd::ParseMatches(message);
    return matches && !matches->resolve ? matches : std::nullopt;
}

std::optional<wsd::Matches> ResolveMatches(std::string_view message) {
    auto matches = wsd::ParseMatches(message);
    return matches && matches->resolve ? matches : std::nullopt;
}

bool ParsedByAny(const std::string& message) {
    return wsd::ParseMatches(message) || wsd::ParseGetResponse(message);
}

} // namespace

TEST(WsdMessages, ReadsTheCapturedAnswersOfWsdd) {
    const auto probe = ProbeMatches(kProbeMatch);
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->relatesTo, "urn:uuid:fe87b328-968d-4643-913e-970087a9bd3a");
    ASSERT_EQ(probe->matches.size(), 1u);
    const wsd::Match& match = probe->matches[0];
    EXPECT_EQ(match.endpoint, "urn:uuid:5e1d0000-0000-4000-8000-000000000002");
    EXPECT_EQ(match.types,
              (std::vector<wsd::TypeName>{{kDevicesNs, "Device"}, {kComputerNs, "Computer"}}));
    EXPECT_TRUE(match.IsComputer());
    EXPECT_TRUE(match.xaddrs.empty()); // wsdd leaves them to the Resolve

    const auto resolve = ResolveMatches(kResolveMatch);
    ASSERT_TRUE(resolve);
    ASSERT_EQ(resolve->matches.size(), 1u);
    EXPECT_EQ(resolve->matches[0].endpoint, match.endpoint);
    EXPECT_EQ(
        resolve->matches[0].xaddrs,
        std::vector<std::string>{"http://10.232.0.12:5357/5e1d0000-0000-4000-8000-000000000002"});

    const auto workgroup = wsd::ParseGetResponse(kGetResponseWorkgroup);
    ASSERT_TRUE(workgroup);
    EXPECT_EQ(workgroup->name, "WSHOST2");
    EXPECT_EQ(workgroup->group, "TESTGROUP");
    EXPECT_FALSE(workgroup->domain);
    EXPECT_EQ(workgroup->friendlyName, "WSD Device WSHOST2");
    const auto domain = wsd::ParseGetResponse(kGetResponseDomain);
    ASSERT_TRUE(domain);
    EXPECT_EQ(domain->name, "wshost2"); // wsdd lowers the name of a domain member
    EXPECT_EQ(domain->group, "CORP.EXAMPLE");
    EXPECT_TRUE(domain->domain);
}

TEST(WsdMessages, TakesAMessageOnlyForWhatItIs) {
    EXPECT_FALSE(ResolveMatches(kProbeMatch));
    EXPECT_FALSE(wsd::ParseGetResponse(kProbeMatch));
    EXPECT_FALSE(ProbeMatches(kResolveMatch));
    EXPECT_FALSE(ProbeMatches(kGetResponseWorkgroup));
    // Our own requests, should they come back.
    EXPECT_FALSE(ParsedByAny(wsd::BuildProbe(wsd::NewMessageId())));
    EXPECT_FALSE(ParsedByAny(wsd::BuildResolve(wsd::NewMessageId(), "urn:uuid:x")));
    EXPECT_FALSE(ParsedByAny(wsd::BuildGet(wsd::NewMessageId(), "urn:uuid:x")));
    // An endpoint without an address is no endpoint.
    const auto anonymous =
        ProbeMatches(Replace(kProbeMatch, "urn:uuid:5e1d0000-0000-4000-8000-000000000002", " "));
    ASSERT_TRUE(anonymous);
    EXPECT_TRUE(anonymous->matches.empty());
    // The body without the header's action, and the action on another body.
    EXPECT_FALSE(ProbeMatches(Replace(kProbeMatch, "/ProbeMatches<", "/Hello<")));
    EXPECT_FALSE(ProbeMatches(Replace(kProbeMatch, "wsd:ProbeMatches>", "wsd:Hello>")));
}

TEST(WsdMessages, MatchesNamespacesByUriNotByPrefix) {
    std::string renamed = kProbeMatch;
    for (const char* prefix : {"soap", "wsa", "wsd", "wsdp", "pub"}) {
        const std::string p = prefix;
        renamed = Replace(Replace(renamed, p + ":", "n" + p + ":"), ":" + p + "=", ":n" + p + "=");
    }
    const auto parsed = ProbeMatches(renamed);
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->matches.size(), 1u);
    EXPECT_TRUE(parsed->matches[0].IsComputer());
    EXPECT_EQ(parsed->matches[0].endpoint, "urn:uuid:5e1d0000-0000-4000-8000-000000000002");

    // The same prefixes bound to other namespaces name other things.
    EXPECT_FALSE(ProbeMatches(Replace(kProbeMatch, "2005/04/discovery\"", "other\"")));
    const auto otherPub =
        ProbeMatches(Replace(kProbeMatch, "windows/pub/2005/07", "windows/other"));
    ASSERT_TRUE(otherPub);
    EXPECT_FALSE(otherPub->matches[0].IsComputer());
    const auto otherComputer = wsd::ParseGetResponse(Replace(
        kGetResponseWorkgroup, "<pub:Computer>WSHOST2/Workgroup:TESTGROUP</pub:Computer>",
        "<pub:Computer xmlns:pub=\"urn:other\">WSHOST2/Workgroup:TESTGROUP</pub:Computer>"));
    EXPECT_FALSE(otherComputer);
}

TEST(WsdMessages, APrinterIsNoComputer) {
    const auto printer = ProbeMatches(Replace(
        Replace(kProbeMatch, "wsdp:Device pub:Computer", "wsdp:Device wprt:PrintDeviceType"),
        "<wsd:Types>",
        "<wsd:Types xmlns:wprt=\"http://schemas.microsoft.com/windows/2006/08/wdp/print\">"));
    ASSERT_TRUE(printer);
    ASSERT_EQ(printer->matches[0].types.size(), 2u);
    EXPECT_FALSE(printer->matches[0].IsComputer());
    // A type with an undeclared prefix names nothing.
    const auto undeclared = ProbeMatches(Replace(kProbeMatch, "pub:Computer", "nope:Computer"));
    ASSERT_TRUE(undeclared);
    EXPECT_EQ(undeclared->matches[0].types, (std::vector<wsd::TypeName>{{kDevicesNs, "Device"}}));
    // Metadata without a pub:Computer names no computer.
    EXPECT_FALSE(
        wsd::ParseGetResponse(Replace(kGetResponseWorkgroup, "pub:Computer>", "pub:Other>")));
}

TEST(WsdMessages, BuildsRequestsThePeersAccept) {
    const std::string id = wsd::NewMessageId();
    EXPECT_TRUE(std::regex_match(
        id, std::regex(
                "urn:uuid:[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}")));
    std::set<std::string> ids;
    for (int i = 0; i < 100; ++i) {
        ids.insert(wsd::NewMessageId());
    }
    EXPECT_EQ(ids.size(), 100u);

    const std::string a = "{http://schemas.xmlsoap.org/ws/2004/08/addressing}";
    const std::string d = "{http://schemas.xmlsoap.org/ws/2005/04/discovery}";
    const std::string probe = wsd::BuildProbe(id);
    // wsdd compares this text as a string.
    EXPECT_NE(probe.find("<wsd:Types>wsdp:Device</wsd:Types>"), std::string::npos);
    auto texts = Texts(probe);
    EXPECT_EQ(texts[a + "MessageID"], id);
    EXPECT_EQ(texts[a + "Action"], "http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe");
    EXPECT_EQ(texts[a + "To"], "urn:schemas-xmlsoap-org:ws:2005:04:discovery");

    // Endpoint addresses come off the network: they must not break out of their element.
    const std::string hostile = "urn:<x>&amp;\"'</wsa:Address>";
    texts = Texts(wsd::BuildResolve(id, hostile));
    EXPECT_EQ(texts[a + "Address"], hostile);
    EXPECT_EQ(texts[a + "Action"], "http://schemas.xmlsoap.org/ws/2005/04/discovery/Resolve");
    EXPECT_EQ(texts.count(d + "Resolve"), 1u);

    texts = Texts(wsd::BuildGet(id, hostile));
    EXPECT_EQ(texts[a + "To"], hostile);
    EXPECT_EQ(texts[a + "Action"], "http://schemas.xmlsoap.org/ws/2004/09/transfer/Get");
    EXPECT_EQ(texts["{http://www.w3.org/2003/05/soap-envelope}Body"], "");
}

TEST(WsdMessages, RejectsDtdsAndEntities) {
    const std::string body = std::string(kProbeMatch).substr(38); // after the XML declaration
    const std::string withAddress =
        Replace(body, "urn:uuid:5e1d0000-0000-4000-8000-000000000002", "&x;");
    for (const std::string& dtd : {
             std::string("<!DOCTYPE soap:Envelope>"),
             std::string("<!DOCTYPE soap:Envelope [<!ENTITY x \"urn:uuid:1\">]>"),
             std::string("<!DOCTYPE soap:Envelope SYSTEM \"file:///etc/passwd\">"),
             std::string("<!DOCTYPE e [<!ENTITY x SYSTEM \"file:///etc/hostname\">]>"),
         }) {
        EXPECT_FALSE(ProbeMatches(dtd + body)) << dtd;
        EXPECT_FALSE(ProbeMatches(dtd + withAddress)) << dtd;
    }
    std::string laughs = "<!DOCTYPE l [<!ENTITY x0 \"lol\">";
    for (int i = 1; i < 10; ++i) {
        laughs +=
            "<!ENTITY x" + std::to_string(i) + " \"" +
            Replace("&x;&x;&x;&x;&x;&x;&x;&x;&x;&x;", "x;", "x" + std::to_string(i - 1) + ";") +
            "\">";
    }
    EXPECT_FALSE(ProbeMatches(laughs + "]>" + Replace(withAddress, "&x;", "&x9;")));
    EXPECT_FALSE(ProbeMatches(withAddress)); // undeclared
}

TEST(WsdMessages, RejectsEveryTruncationOfARealMessage) {
    for (const std::string message :
         {kProbeMatch, kResolveMatch, kGetResponseWorkgroup, kGetResponseDomain}) {
        ASSERT_TRUE(ParsedByAny(message));
        for (std::size_t size = 0; size < message.size(); ++size) {
            EXPECT_FALSE(ParsedByAny(message.substr(0, size))) << size;
        }
    }
}

TEST(WsdMessages, BoundsSizeDepthAndElementCount) {
    const std::string message = kProbeMatch;
    const std::size_t room = wsd::kMaxMessageSize - message.size() - 8;
    const std::string padded = Replace(message, "?>", "?><!--" + std::string(room, 'x') + " -->");
    ASSERT_EQ(padded.size(), wsd::kMaxMessageSize);
    EXPECT_TRUE(ProbeMatches(padded));
    EXPECT_FALSE(ProbeMatches(padded + " "));

    // ProbeMatch is 4 deep, so 28 more reach the limit.
    const auto nested = [&](int depth) {
        std::string open, close;
        for (int i = 0; i < depth; ++i) {
            open += "<x>";
            close += "</x>";
        }
        return Replace(message, "<wsd:ProbeMatch>", "<wsd:ProbeMatch>" + open + close);
    };
    EXPECT_TRUE(ProbeMatches(nested(wsd::kMaxDepth - 4)));
    EXPECT_FALSE(ProbeMatches(nested(wsd::kMaxDepth - 3)));
    EXPECT_FALSE(ProbeMatches(nested(10000)));

    int elements = 0;
    for (std::size_t at = message.find('<'); at != std::string::npos;
         at = message.find('<', at + 1)) {
        elements += std::string("/?!").find(message[at + 1]) == std::string::npos ? 1 : 0;
    }
    std::string siblings;
    for (int i = elements; i < wsd::kMaxElements; ++i) {
        siblings += "<x/>";
    }
    EXPECT_TRUE(ProbeMatches(Replace(message, "<wsd:ProbeMatch>", "<wsd:ProbeMatch>" + siblings)));
    EXPECT_FALSE(
        ProbeMatches(Replace(message, "<wsd:ProbeMatch>", "<wsd:ProbeMatch><x/>" + siblings)));
}

TEST(WsdMessages, HostileNamesComeOutClean) {
    // Tabs, line breaks and U+0085 are legal XML; the report's separator is "|".
    const auto name = wsd::ParseGetResponse(
        Replace(Replace(kGetResponseWorkgroup, "WSHOST2/Workgroup:TESTGROUP",
                        "EV|L\tHO\xC2\x85ST&#10;/Workgroup:TEST\r\nGR&#x9B;OUP"),
                ">WSD Device WSHOST2<", ">" + std::string(50000, '|') + "<"));
    ASSERT_TRUE(name);
    EXPECT_EQ(neighbourhood::CleanName(name->name), "EV_LHOST");
    EXPECT_EQ(neighbourhood::CleanName(name->group), "TESTGROUP");
    EXPECT_EQ(name->friendlyName, std::string(50000, '|')); // capped where it is taken
    // Control characters XML forbids make the message unreadable.
    EXPECT_FALSE(wsd::ParseGetResponse(Replace(kGetResponseWorkgroup, "WSHOST2/", "WS&#1;HOST2/")));
}

TEST(WsdMessages, TheCapturedConversationNamesTheComputer) {
    wsd::Endpoints endpoints;
    endpoints.ProbeSent("urn:uuid:fe87b328-968d-4643-913e-970087a9bd3a");
    endpoints.OnProbeMatches(*ProbeMatches(kProbeMatch), {10, 232, 0, 12}, 0);
    const std::string endpoint = "urn:uuid:5e1d0000-0000-4000-8000-000000000002";
    EXPECT_EQ(endpoints.NeedingResolve(), std::vector<std::string>{endpoint});
    EXPECT_TRUE(endpoints.TakeFetches().empty());
    endpoints.ResolveSent("urn:uuid:ae998ab3-bcd4-4b6b-a27d-f9269fc26432", endpoint);
    endpoints.OnResolveMatches(*ResolveMatches(kResolveMatch));
    EXPECT_TRUE(endpoints.NeedingResolve().empty());
    const auto fetches = endpoints.TakeFetches();
    ASSERT_EQ(fetches.size(), 1u);
    EXPECT_EQ(fetches[0].url, "http://10.232.0.12:5357/5e1d0000-0000-4000-8000-000000000002");
    endpoints.OnComputer(endpoint, *wsd::ParseGetResponse(kGetResponseWorkgroup));
    const auto computers = endpoints.Computers();
    ASSERT_EQ(computers.size(), 1u);
    EXPECT_EQ(computers[0].name, "WSHOST2");
    EXPECT_EQ(computers[0].group, "TESTGROUP");
    EXPECT_EQ(computers[0].address, (platform::Ipv4Address{10, 232, 0, 12}));
}

TEST(WsdMessages, ReadsWellFormedXmlOnly) {
    const std::string declaration = R"(<?xml version="1.0" encoding="utf-8"?>)";
    const std::string relatesTo = "<wsa:RelatesTo>$</wsa:RelatesTo>";
    const std::string message =
        Replace(kProbeMatch, "urn:uuid:fe87b328-968d-4643-913e-970087a9bd3a", "$"); // $: the hole
    struct Case {
        std::string from, to;
        std::optional<std::string> relatesTo; // nothing when the message must be refused
    };
    const Case cases[] = {
        // Text as XML gives it.
        {"$", "a&lt;&gt;&amp;&quot;&apos;", "a<>&\"'"},
        {"$", "&#65;&#x42;&#xe9;&#x10FFFF;&#10;.", "AB\xC3\xA9\xF4\x8F\xBF\xBF\n."},
        {"$", "x<![CDATA[<&]]>y<!-- <z> -->z<?pi <z>?>.", "x<&yz."},
        {"$", "a\r\nb\rc", "a\nb\nc"},
        {"$", "a<x:y xmlns:x='urn:x' a=\"1\" x:a='&lt;'/>b", "ab"},
        {"$", "<y xmlns=''><z xml:lang='en'></z ></y>", ""},
        {relatesTo,
         "<RelatesTo xmlns='http://schemas.xmlsoap.org/ws/2004/08/addressing'>$</RelatesTo>", "$"},
        {declaration,
         "\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\n<!---->", "$"},
        {declaration, "", "$"},
        {"</soap:Envelope>", "</soap:Envelope >\n<?pi?> <!-- -->\n", "$"},
        // Not well formed.
        {"$", "<x>", {}},
        {"$", "</x>", {}},
        {"$", "<x></y>", {}},
        {"$", "<x a='1' a='2'/>", {}},
        {"$", "<x xmlns:p='urn:p' xmlns:q='urn:p' p:a='' q:a=''/>", {}},
        {"$", "<x a='<'/>", {}},
        {"$", "<x a=1/>", {}},
        {"$", "<x a='1'b='2'/>", {}},
        {"$", "<p:x/>", {}},
        {"$", "<x p:a=''/>", {}},
        {"$", "<:x/>", {}},
        {"$", "<x xmlns:p=''/>", {}},
        {"$", "]]>", {}},
        {"$", "<!-- a -- b -->", {}},
        {"$", "<![CDATA[x]>", {}},
        {"$", declaration, {}},
        {"$", "<!DOCTYPE x>", {}},
        {"</soap:Envelope>", "</soap:Envelope>x", {}},
        {"</soap:Envelope>", "</soap:Envelope><x/>", {}},
        {"</soap:Envelope>", "</soap:Envelope><![CDATA[]]>", {}},
        {declaration, " " + declaration, {}},
        {declaration, "x", {}},
        {"encoding=\"utf-8\"", "encoding=\"ISO-8859-1\"", {}},
        {"version=\"1.0\" encoding=\"utf-8\"", "encoding=\"utf-8\"", {}},
        // References and characters XML does not have.
        {"$", "&unknown;", {}},
        {"$", "&amp", {}},
        {"$", "&#0;", {}},
        {"$", "&#1;", {}},
        {"$", "&#xD800;", {}},
        {"$", "&#x110000;", {}},
        {"$", "&#4294967361;", {}}, // 'A' plus 2^32
        {"$", "&#x;", {}},
        {"$", "\x01", {}},
        {"$", "\xEF\xBF\xBE", {}}, // U+FFFE
        {"$", "\xFF", {}},
        {"$", "\xC0\xAF", {}},     // an overlong '/'
        {"$", "\xED\xA0\x80", {}}, // a surrogate
        {"$", "\xE2\x82", {}},     // cut short
    };
    for (const Case& test : cases) {
        const auto parsed = ProbeMatches(Replace(message, test.from, test.to));
        EXPECT_EQ(parsed ? std::optional(parsed->relatesTo) : std::nullopt, test.relatesTo)
            << test.from << " -> " << test.to;
    }
}
