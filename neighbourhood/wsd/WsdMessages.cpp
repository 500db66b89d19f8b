#include "neighbourhood/wsd/WsdMessages.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

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

// The message as a small tree, so that the parsers can look around; the caps on size, depth
// and element count keep a hostile message cheap.
struct Element {
    QString ns;
    QString name;
    QString text;
    QXmlStreamNamespaceDeclarations declarations; // for the prefixes inside Types
    int parent = -1;
    std::vector<int> children;
};

class Document {
public:
    static std::optional<Document> Read(std::string_view message);

    const Element& root() const { return elements_.front(); }

    int child(int parent, const char* ns, const char* name) const {
        if (parent < 0) {
            return -1;
        }
        for (const int index : elements_[parent].children) {
            if (Is(index, ns, name)) {
                return index;
            }
        }
        return -1;
    }

    std::vector<int> children(int parent, const char* ns, const char* name) const {
        std::vector<int> found;
        if (parent >= 0) {
            for (const int index : elements_[parent].children) {
                if (Is(index, ns, name)) {
                    found.push_back(index);
                }
            }
        }
        return found;
    }

    // The first element of that name below `ancestor`, in document order.
    int descendant(int ancestor, const char* ns, const char* name) const {
        if (ancestor < 0) {
            return -1;
        }
        // Elements are stored in document order, so the descendants follow their ancestor.
        for (int index = ancestor + 1;
             index < static_cast<int>(elements_.size()) && Within(index, ancestor); ++index) {
            if (Is(index, ns, name)) {
                return index;
            }
        }
        return -1;
    }

    QString text(int index) const {
        return index < 0 ? QString() : elements_[index].text.trimmed();
    }

    std::optional<TypeName> resolve(int index, QStringView qualified) const;

private:
    bool Is(int index, const char* ns, const char* name) const {
        const Element& element = elements_[index];
        return element.name == QLatin1String(name) && element.ns == QLatin1String(ns);
    }

    bool Within(int index, int ancestor) const {
        for (int at = elements_[index].parent; at >= 0; at = elements_[at].parent) {
            if (at == ancestor) {
                return true;
            }
        }
        return false;
    }

    std::vector<Element> elements_;
};

std::optional<Document> Document::Read(std::string_view message) {
    if (message.empty() || message.size() > kMaxMessageSize) {
        return std::nullopt;
    }
    QXmlStreamReader reader(
        QByteArray::fromRawData(message.data(), static_cast<qsizetype>(message.size())));
    Document document;
    std::vector<int> open;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference:
            // Nothing in these protocols uses a DTD; entities are only a way to blow up.
            return std::nullopt;
        case QXmlStreamReader::StartElement: {
            if (open.size() >= static_cast<std::size_t>(kMaxDepth) ||
                document.elements_.size() >= static_cast<std::size_t>(kMaxElements)) {
                return std::nullopt;
            }
            const int index = static_cast<int>(document.elements_.size());
            Element element;
            element.ns = reader.namespaceUri().toString();
            element.name = reader.name().toString();
            element.declarations = reader.namespaceDeclarations();
            element.parent = open.empty() ? -1 : open.back();
            if (element.parent >= 0) {
                document.elements_[element.parent].children.push_back(index);
            }
            document.elements_.push_back(std::move(element));
            open.push_back(index);
            break;
        }
        case QXmlStreamReader::EndElement:
            open.pop_back();
            break;
        case QXmlStreamReader::Characters:
            if (!open.empty()) {
                document.elements_[open.back()].text.append(reader.text());
            }
            break;
        default:
            break;
        }
    }
    if (reader.hasError() || document.elements_.empty()) {
        return std::nullopt;
    }
    return document;
}

std::optional<TypeName> Document::resolve(int index, QStringView qualified) const {
    const qsizetype colon = qualified.indexOf(u':');
    const QStringView prefix = colon < 0 ? QStringView() : qualified.left(colon);
    const QStringView local = colon < 0 ? qualified : qualified.mid(colon + 1);
    if (local.isEmpty() || (colon >= 0 && prefix.isEmpty())) {
        return std::nullopt;
    }
    for (int at = index; at >= 0; at = elements_[at].parent) {
        for (const QXmlStreamNamespaceDeclaration& declaration : elements_[at].declarations) {
            if (declaration.prefix() == prefix) {
                return TypeName{declaration.namespaceUri().toString().toStdString(),
                                local.toString().toStdString()};
            }
        }
    }
    if (!prefix.isEmpty()) {
        return std::nullopt; // an undeclared prefix names nothing
    }
    return TypeName{"", local.toString().toStdString()};
}

struct Envelope {
    int header = -1;
    int body = -1;
    QString action;
};

// The SOAP header and body of a message, and its action.
std::optional<Envelope> Open(const Document& document) {
    if (document.root().ns != QLatin1String(kSoap) ||
        document.root().name != QLatin1String("Envelope")) {
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
QStringList Words(const QString& text) {
    return text.simplified().split(u' ', Qt::SkipEmptyParts);
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
    const QString prefix = QLatin1String(kDiscovery) + u'/';
    const bool resolve = envelope->action == prefix + QLatin1String("ResolveMatches");
    if (!resolve && envelope->action != prefix + QLatin1String("ProbeMatches")) {
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
    result.relatesTo =
        document->text(document->child(envelope->header, kAddressing, "RelatesTo")).toStdString();
    for (const int at : document->children(matches, kDiscovery, item)) {
        Match match;
        const int reference = document->child(at, kAddressing, "EndpointReference");
        match.endpoint =
            document->text(document->child(reference, kAddressing, "Address")).toStdString();
        if (match.endpoint.empty()) {
            continue;
        }
        const int types = document->child(at, kDiscovery, "Types");
        for (const QString& word : Words(document->text(types))) {
            if (auto type = document->resolve(types, word)) {
                match.types.push_back(std::move(*type));
            }
        }
        for (const QString& word :
             Words(document->text(document->child(at, kDiscovery, "XAddrs")))) {
            match.xaddrs.push_back(word.toStdString());
        }
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
    if (!envelope || envelope->action != QLatin1String(kGetResponseAction)) {
        return std::nullopt;
    }
    // "NAME/Workgroup:GROUP" or "NAME/Domain:DOMAIN", in the host's relationship section.
    const QString computer = document->text(document->descendant(envelope->body, kPub, "Computer"));
    const qsizetype slash = computer.indexOf(u'/');
    ComputerName result;
    result.name = (slash < 0 ? computer : computer.left(slash)).trimmed().toStdString();
    if (result.name.empty()) {
        return std::nullopt;
    }
    const QString membership = slash < 0 ? QString() : computer.mid(slash + 1).trimmed();
    const QLatin1String workgroup("Workgroup:");
    const QLatin1String domain("Domain:");
    if (membership.startsWith(workgroup, Qt::CaseInsensitive)) {
        result.group = membership.mid(workgroup.size()).trimmed().toStdString();
    } else if (membership.startsWith(domain, Qt::CaseInsensitive)) {
        result.group = membership.mid(domain.size()).trimmed().toStdString();
        result.domain = true;
    }
    result.friendlyName =
        document->text(document->descendant(envelope->body, kDevices, "FriendlyName"))
            .toStdString();
    return result;
}

} // namespace neighbourhood::wsd
