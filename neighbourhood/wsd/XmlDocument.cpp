#include "neighbourhood/wsd/XmlDocument.h"

#include "base/text/Text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <tuple>
#include <unordered_map>
#include <utility>

namespace neighbourhood::wsd {

namespace {

constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kXmlnsNamespace = "http://www.w3.org/2000/xmlns/";
constexpr int kXmlUri = 1; // Document::uris_[1]

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool IsNameStart(char32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' ||
           (c >= 0xC0 && c <= 0x2FF && c != 0xD7 && c != 0xF7) ||
           (c >= 0x370 && c <= 0x1FFF && c != 0x37E) || c == 0x200C || c == 0x200D ||
           (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF) ||
           (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
           (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameChar(char32_t c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || c == 0x203F || c == 0x2040;
}

// Checked once for the whole message, so that the reader can take bytes as they come.
bool AllXmlChars(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto [code, length] = text::DecodeUtf8(text, at);
        if (length == 0 || !IsXmlChar(code)) {
            return false;
        }
        at += length;
    }
    return true;
}

struct QName {
    std::string_view prefix;
    std::string_view local;
};

// A name with at most one colon, neither first nor last, and a local part that may start a name.
std::optional<QName> Split(std::string_view name) {
    const std::size_t colon = name.find(':');
    if (colon == std::string_view::npos) {
        return name.empty() ? std::nullopt : std::optional<QName>(QName{{}, name});
    }
    const QName split{name.substr(0, colon), name.substr(colon + 1)};
    if (split.prefix.empty() || split.local.empty() ||
        split.local.find(':') != std::string_view::npos) {
        return std::nullopt;
    }
    const auto [first, length] = text::DecodeUtf8(split.local, 0);
    if (length == 0 || !IsNameStart(first)) {
        return std::nullopt;
    }
    return split;
}

} // namespace

std::string_view TrimXmlSpace(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// One pass over the message with an explicit stack of open elements: no recursion, and no
// byte is looked at more than a few times.
class XmlReader {
public:
    explicit XmlReader(std::string_view in) : in_(in) { scope_["xml"].push_back(kXmlUri); }

    std::optional<Document> Read() {
        if (in_.empty() || in_.size() > kMaxMessageSize || !AllXmlChars(in_)) {
            return std::nullopt;
        }
        Take("\xEF\xBB\xBF");
        // Anywhere else, or without its space, "<?xml" is refused as an instruction.
        if (At("<?xml") && at_ + 5 < in_.size() && IsSpace(in_[at_ + 5]) && !Declaration()) {
            return std::nullopt;
        }
        while (at_ < in_.size()) {
            if (!Next()) {
                return std::nullopt;
            }
        }
        if (!open_.empty() || doc_.elements_.empty()) {
            return std::nullopt;
        }
        return std::move(doc_);
    }

private:
    struct Attribute {
        std::string_view name;
        std::string value;
    };
    struct Open {
        std::string_view name; // as written, for the end tag
        int index;
    };

    bool At(std::string_view token) const { return in_.substr(at_).starts_with(token); }

    bool Take(std::string_view token) {
        const bool found = At(token);
        at_ += found ? token.size() : 0;
        return found;
    }

    bool SkipSpace() {
        const std::size_t start = at_;
        while (at_ < in_.size() && IsSpace(in_[at_])) {
            ++at_;
        }
        return at_ > start;
    }

    std::string_view Name() {
        const std::size_t start = at_;
        for (std::size_t length = 0; at_ < in_.size(); at_ += length) {
            char32_t code = 0;
            std::tie(code, length) = text::DecodeUtf8(in_, at_);
            if (length == 0 || !(at_ == start ? IsNameStart(code) : IsNameChar(code))) {
                break;
            }
        }
        return in_.substr(start, at_ - start);
    }

    // Past the next `end`, or false when there is none.
    bool SkipPast(std::string_view end) {
        const std::size_t found = in_.find(end, at_);
        at_ = found == std::string_view::npos ? in_.size() : found + end.size();
        return found != std::string_view::npos;
    }

    Document::Element& Current() { return doc_.elements_[open_.back().index]; }

    bool Next() {
        if (Take("<!--")) {
            return SkipPast("--") && Take(">"); // "--" only closes a comment
        }
        if (Take("<?")) {
            return Instruction();
        }
        if (Take("<![CDATA[")) {
            const std::size_t end = in_.find("]]>", at_);
            if (open_.empty() || end == std::string_view::npos) {
                return false;
            }
            while (at_ < end) {
                AppendLine(Current().text);
            }
            return Take("]]>");
        }
        if (Take("</")) {
            return EndTag();
        }
        if (At("<!")) {
            return false; // a DTD: nothing in these protocols needs one, and entities blow up
        }
        if (Take("<")) {
            return StartTag();
        }
        return Text();
    }

    // The version, then optionally the encoding and standalone.
    bool Declaration() {
        at_ += 5;
        std::vector<Attribute> pseudo;
        if (!Attributes(pseudo) || !Take("?>") || pseudo.empty() || pseudo[0].name != "version" ||
            pseudo[0].value != "1.0") {
            return false;
        }
        std::size_t next = 1;
        if (next < pseudo.size() && pseudo[next].name == "encoding") {
            if (text::AsciiLower(pseudo[next++].value) != "utf-8") {
                return false; // all we read
            }
        }
        if (next < pseudo.size() && pseudo[next].name == "standalone") {
            if (pseudo[next].value != "yes" && pseudo[next].value != "no") {
                return false;
            }
            ++next;
        }
        return next == pseudo.size();
    }

    bool Instruction() {
        const std::string_view target = Name();
        if (target.empty() || target.find(':') != std::string_view::npos ||
            text::AsciiLower(target) == "xml") {
            return false;
        }
        return Take("?>") || (SkipSpace() && SkipPast("?>"));
    }

    // Character data up to the next tag.
    bool Text() {
        if (open_.empty()) {
            return SkipSpace(); // only whitespace outside the root
        }
        std::string& text = Current().text;
        while (at_ < in_.size() && in_[at_] != '<') {
            if (At("]]>")) {
                return false;
            } else if (in_[at_] != '&') {
                AppendLine(text);
            } else if (!Reference(text)) {
                return false;
            }
        }
        return true;
    }

    // One character, line ends as XML reads them: CR LF and a lone CR become LF.
    void AppendLine(std::string& out) {
        const char c = in_[at_++];
        out += c == '\r' ? '\n' : c;
        if (c == '\r') {
            Take("\n");
        }
    }

    // At '&': one of the five predefined entities or a character reference.
    bool Reference(std::string& out) {
        ++at_;
        if (!Take("#")) {
            static constexpr std::pair<std::string_view, char> kEntities[] = {
                {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
            const std::string_view name = Name();
            for (const auto& [entity, c] : kEntities) {
                if (name == entity) {
                    out += c;
                    return Take(";");
                }
            }
            return false;
        }
        const int base = Take("x") ? 16 : 10;
        const char* first = in_.data() + at_;
        std::uint32_t code = 0;
        // Too many digits for a code point is an error here, not a wrap-around.
        const auto [last, error] = std::from_chars(first, in_.data() + in_.size(), code, base);
        at_ += static_cast<std::size_t>(last - first);
        if (last == first || error != std::errc() || !Take(";") || !IsXmlChar(code)) {
            return false;
        }
        text::AppendUtf8(out, static_cast<char32_t>(code));
        return true;
    }

    // Each after whitespace, up to what ends the tag.
    bool Attributes(std::vector<Attribute>& attributes) {
        for (;;) {
            const bool space = SkipSpace();
            if (at_ == in_.size() || At(">") || At("/>") || At("?>")) {
                return true;
            }
            Attribute attribute{Name(), {}};
            SkipSpace();
            const bool equals = Take("=");
            SkipSpace();
            if (!space || attribute.name.empty() || !equals || !Value(attribute.value)) {
                return false;
            }
            attributes.push_back(std::move(attribute));
        }
    }

    bool Value(std::string& out) {
        const char quote = at_ < in_.size() ? in_[at_] : '\0';
        if (quote != '"' && quote != '\'') {
            return false;
        }
        for (++at_; at_ < in_.size() && in_[at_] != quote;) {
            const char c = in_[at_];
            if (c == '<' || (c == '&' && !Reference(out))) {
                return false;
            } else if (c != '&') {
                AppendLine(out);
                out.back() = IsSpace(c) ? ' ' : c; // whitespace as a space, CR LF as one
            }
        }
        return Take({&quote, 1});
    }

    bool StartTag() {
        if (open_.empty() && !doc_.elements_.empty()) {
            return false; // a second root
        }
        const std::string_view name = Name();
        std::vector<Attribute> attributes;
        if (!Attributes(attributes)) {
            return false;
        }
        if (Take("/>")) {
            return Element(name, attributes) && Close();
        }
        return Take(">") && Element(name, attributes);
    }

    bool EndTag() {
        const std::string_view name = Name();
        SkipSpace();
        return Take(">") && !open_.empty() && open_.back().name == name && Close();
    }

    // The declarations first: they apply to the element's own name and to its attributes.
    bool Element(std::string_view name, const std::vector<Attribute>& attributes) {
        const auto qname = Split(name);
        if (!qname || open_.size() >= static_cast<std::size_t>(kMaxDepth) ||
            doc_.elements_.size() >= static_cast<std::size_t>(kMaxElements)) {
            return false;
        }
        const int index = static_cast<int>(doc_.elements_.size());
        const int parent = open_.empty() ? -1 : open_.back().index;
        doc_.elements_.push_back({0, std::string(qname->local), {}, {}, parent, {}});
        open_.push_back({name, index});
        std::vector<QName> names;
        for (const Attribute& attribute : attributes) {
            const auto split = Split(attribute.name);
            if (!split || (IsDeclaration(*split) && !Declare(*split, attribute.value))) {
                return false;
            }
            names.push_back(*split);
        }
        doc_.elements_[index].ns = Lookup(qname->prefix);
        if (doc_.elements_[index].ns < 0 || !Distinct(names)) {
            return false;
        }
        if (parent >= 0) {
            doc_.elements_[parent].children.push_back(index);
        }
        return true;
    }

    static bool IsDeclaration(QName name) {
        return name.prefix == "xmlns" || (name.prefix.empty() && name.local == "xmlns");
    }

    bool Declare(QName name, const std::string& uri) {
        const std::string_view prefix = name.prefix.empty() ? std::string_view() : name.local;
        // "xml" is bound to its namespace and nothing else is, "xmlns" is bound to none, and
        // only the default namespace can be undeclared.
        if (prefix == "xmlns" || uri == kXmlnsNamespace ||
            (prefix == "xml") != (uri == kXmlNamespace) || (!prefix.empty() && uri.empty())) {
            return false;
        }
        const int index = uri.empty() ? 0 : static_cast<int>(doc_.uris_.size());
        if (!uri.empty()) {
            doc_.uris_.push_back(uri);
        }
        Current().declarations.push_back({std::string(prefix), index});
        scope_[prefix].push_back(index);
        return true;
    }

    // No attribute twice by namespace and local name: unprefixed ones are in no namespace, and
    // declarations count as in the xmlns namespace.
    bool Distinct(const std::vector<QName>& names) const {
        std::vector<std::pair<std::string_view, std::string_view>> expanded;
        for (const QName& name : names) {
            if (IsDeclaration(name)) {
                expanded.emplace_back(kXmlnsNamespace, name.prefix.empty() ? "" : name.local);
                continue;
            }
            const int ns = name.prefix.empty() ? 0 : Lookup(name.prefix);
            if (ns < 0) {
                return false;
            }
            expanded.emplace_back(doc_.uris_[ns], name.local);
        }
        std::sort(expanded.begin(), expanded.end());
        return std::adjacent_find(expanded.begin(), expanded.end()) == expanded.end();
    }

    // The URI bound to the prefix: -1 when undeclared, 0 for no namespace.
    int Lookup(std::string_view prefix) const {
        const auto found = scope_.find(prefix);
        if (found == scope_.end() || found->second.empty()) {
            return prefix.empty() ? 0 : -1;
        }
        return found->second.back();
    }

    bool Close() {
        for (const Document::Declaration& declaration : Current().declarations) {
            scope_.find(declaration.prefix)->second.pop_back();
        }
        open_.pop_back();
        return true;
    }

    std::string_view in_;
    std::size_t at_ = 0;
    Document doc_;
    std::vector<Open> open_;
    std::unordered_map<std::string_view, std::vector<int>> scope_; // prefix: URIs, innermost last
};

std::optional<Document> Document::Read(std::string_view message) {
    return XmlReader(message).Read();
}

bool Document::is(int index, std::string_view ns, std::string_view name) const {
    const Element& element = elements_[index];
    return element.name == name && uris_[element.ns] == ns;
}

int Document::child(int parent, std::string_view ns, std::string_view name) const {
    const std::vector<int> found = children(parent, ns, name);
    return found.empty() ? -1 : found.front();
}

std::vector<int> Document::children(int parent, std::string_view ns, std::string_view name) const {
    std::vector<int> found;
    if (parent >= 0) {
        for (const int index : elements_[parent].children) {
            if (is(index, ns, name)) {
                found.push_back(index);
            }
        }
    }
    return found;
}

int Document::descendant(int ancestor, std::string_view ns, std::string_view name) const {
    if (ancestor < 0) {
        return -1;
    }
    // Elements are stored in document order, so the descendants follow their ancestor.
    for (int index = ancestor + 1;
         index < static_cast<int>(elements_.size()) && Within(index, ancestor); ++index) {
        if (is(index, ns, name)) {
            return index;
        }
    }
    return -1;
}

bool Document::Within(int index, int ancestor) const {
    for (int at = elements_[index].parent; at >= 0; at = elements_[at].parent) {
        if (at == ancestor) {
            return true;
        }
    }
    return false;
}

std::string Document::text(int index) const {
    return index < 0 ? std::string() : std::string(TrimXmlSpace(elements_[index].text));
}

std::optional<TypeName> Document::resolve(int index, std::string_view qualified) const {
    const std::size_t colon = qualified.find(':');
    const bool prefixed = colon != std::string_view::npos;
    const std::string_view prefix = prefixed ? qualified.substr(0, colon) : std::string_view();
    const std::string_view local = prefixed ? qualified.substr(colon + 1) : qualified;
    if (local.empty() || (prefixed && prefix.empty())) {
        return std::nullopt;
    }
    for (int at = index; at >= 0; at = elements_[at].parent) {
        for (const Declaration& declaration : elements_[at].declarations) {
            if (declaration.prefix == prefix) {
                return TypeName{uris_[declaration.uri], std::string(local)};
            }
        }
    }
    if (prefixed) {
        return std::nullopt; // an undeclared prefix names nothing
    }
    return TypeName{"", std::string(local)};
}

} // namespace neighbourhood::wsd
