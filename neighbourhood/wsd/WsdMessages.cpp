#include "neighbourhood/wsd/WsdMessages.h"

#include "base/text/Text.h"
#include "neighbourhood/wsd/XmlDocument.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>

namespace neighbourhood::wsd {

namespace {

constexpr char kSoap[] = "http://www.w3.org/2003/05/soap-envelope";
constexpr char kAddressing[] = "http://schemas.xmlsoap.org/ws/2004/08/addressing";
constexpr char kDiscovery[] = "http://schemas.xmlsoap.org/ws/2005/04/discovery";
constexpr char kDevices[] = "http://schemas.xmlsoap.org/ws/2006/02/devprof";
constexpr char kPub[] = "http://schemas.microsoft.com/windows/pub/2005/07";
constexpr char kDiscoveryTo[] = "urn:schemas-xmlsoap-org:ws:2005:04:discovery";
constexpr char kAnonymous[] = "http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous";
constexpr char kGetAction[] = "http://schemas.xmlsoap.org/ws/2004/09/transfer/Get";
constexpr char kGetResponseAction[] = "http://schemas.xmlsoap.org/ws/2004/09/transfer/GetResponse";

struct Envelope {
    int header = -1;
    int body = -1;
    std::string action;
};

// The SOAP header and body of a message, and its action.
std::optional<Envelope> Open(const Document& document) {
    if (!document.is(0, kSoap, "Envelope")) {
        return std::nullopt;
    }
    Envelope envelope{document.child(0, kSoap, "Header"), document.child(0, kSoap, "Body"), {}};
    if (envelope.header < 0 || envelope.body < 0) {
        return std::nullopt;
    }
    envelope.action = document.text(document.child(envelope.header, kAddressing, "Action"));
    return envelope;
}

// The size cap bounds the number of words too.
std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    while (!(text = TrimXmlSpace(text)).empty()) {
        const std::size_t end = std::min(text.find_first_of(" \t\r\n"), text.size());
        words.emplace_back(text.substr(0, end));
        text.remove_prefix(end);
    }
    return words;
}

// ASCII letters in either case, nothing else folded.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           text::AsciiLower(text.substr(0, prefix.size())) == text::AsciiLower(prefix);
}

} // namespace

std::optional<Matches> ParseMatches(std::string_view message) {
    const auto document = Document::Read(message);
    if (!document) {
        return std::nullopt;
    }
    const auto envelope = Open(*document);
    if (!envelope) {
        return std::nullopt;
    }
    const std::string prefix = std::string(kDiscovery) + '/';
    const bool resolve = envelope->action == prefix + "ResolveMatches";
    if (!resolve && envelope->action != prefix + "ProbeMatches") {
        return std::nullopt;
    }
    const char* list = resolve ? "ResolveMatches" : "ProbeMatches";
    const char* item = resolve ? "ResolveMatch" : "ProbeMatch";
    const int matches = document->child(envelope->body, kDiscovery, list);
    if (matches < 0) {
        return std::nullopt;
    }
    Matches result;
    result.resolve = resolve;
    result.relatesTo = document->text(document->child(envelope->header, kAddressing, "RelatesTo"));
    for (const int at : document->children(matches, kDiscovery, item)) {
        Match match;
        const int reference = document->child(at, kAddressing, "EndpointReference");
        match.endpoint = document->text(document->child(reference, kAddressing, "Address"));
        if (match.endpoint.empty()) {
            continue;
        }
        const int types = document->child(at, kDiscovery, "Types");
        for (const std::string& word : Words(document->text(types))) {
            if (auto type = document->resolve(types, word)) {
                match.types.push_back(std::move(*type));
            }
        }
        match.xaddrs = Words(document->text(document->child(at, kDiscovery, "XAddrs")));
        result.matches.push_back(std::move(match));
    }
    return result;
}

namespace {

std::string Escape(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string Message(std::string_view to, std::string_view action, std::string_view messageId,
                    std::string_view extraHeader, std::string_view body) {
    std::string message = R"(<?xml version="1.0" encoding="utf-8"?>)";
    message += "<soap:Envelope xmlns:soap=\"";
    message += kSoap;
    message += "\" xmlns:wsa=\"";
    message += kAddressing;
    message += "\" xmlns:wsd=\"";
    message += kDiscovery;
    message += "\" xmlns:wsdp=\"";
    message += kDevices;
    message += "\"><soap:Header><wsa:To>";
    message += Escape(to);
    message += "</wsa:To><wsa:Action>";
    message += action;
    message += "</wsa:Action><wsa:MessageID>";
    message += Escape(messageId);
    message += "</wsa:MessageID>";
    message += extraHeader;
    message += "</soap:Header><soap:Body>";
    message += body;
    message += "</soap:Body></soap:Envelope>";
    return message;
}

} // namespace

bool Match::IsComputer() const {
    for (const TypeName& type : types) {
        if (type.ns == kPub && type.name == "Computer") {
            return true;
        }
    }
    return false;
}

std::string NewMessageId() {
    std::random_device random;
    std::array<std::uint8_t, 16> bytes{};
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
        const std::uint32_t word = random();
        for (std::size_t j = 0; j < 4; ++j) {
            bytes[i + j] = static_cast<std::uint8_t>(word >> (8 * j));
        }
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40); // version 4: random
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string id = "urn:uuid:";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            id += '-';
        }
        id += kHex[bytes[i] >> 4];
        id += kHex[bytes[i] & 0x0F];
    }
    return id;
}

std::string BuildProbe(const std::string& messageId) {
    // Peers compare the Types text as a string: exactly this, no other type beside it.
    return Message(kDiscoveryTo, std::string(kDiscovery) + "/Probe", messageId, "",
                   "<wsd:Probe><wsd:Types>wsdp:Device</wsd:Types></wsd:Probe>");
}

std::string BuildResolve(const std::string& messageId, const std::string& endpoint) {
    return Message(kDiscoveryTo, std::string(kDiscovery) + "/Resolve", messageId, "",
                   "<wsd:Resolve><wsa:EndpointReference><wsa:Address>" + Escape(endpoint) +
                       "</wsa:Address></wsa:EndpointReference></wsd:Resolve>");
}

std::string BuildGet(const std::string& messageId, const std::string& endpoint) {
    return Message(endpoint, kGetAction, messageId,
                   std::string("<wsa:ReplyTo><wsa:Address>") + kAnonymous +
                       "</wsa:Address></wsa:ReplyTo>",
                   "");
}

std::optional<ComputerName> ParseGetResponse(std::string_view message) {
    const auto document = Document::Read(message);
    if (!document) {
        return std::nullopt;
    }
    const auto envelope = Open(*document);
    if (!envelope || envelope->action != kGetResponseAction) {
        return std::nullopt;
    }
    // "NAME/Workgroup:GROUP" or "NAME/Domain:DOMAIN", in the host's relationship section.
    const std::string computer =
        document->text(document->descendant(envelope->body, kPub, "Computer"));
    const std::size_t slash = computer.find('/');
    const std::string_view whole = computer;
    ComputerName result;
    result.name = TrimXmlSpace(whole.substr(0, slash));
    if (result.name.empty()) {
        return std::nullopt;
    }
    const std::string_view membership =
        slash == std::string::npos ? std::string_view() : TrimXmlSpace(whole.substr(slash + 1));
    constexpr std::string_view workgroup = "Workgroup:";
    constexpr std::string_view domain = "Domain:";
    if (StartsWithIgnoringCase(membership, workgroup)) {
        result.group = TrimXmlSpace(membership.substr(workgroup.size()));
    } else if (StartsWithIgnoringCase(membership, domain)) {
        result.group = TrimXmlSpace(membership.substr(domain.size()));
        result.domain = true;
    }
    result.friendlyName =
        document->text(document->descendant(envelope->body, kDevices, "FriendlyName"));
    return result;
}

} // namespace neighbourhood::wsd
