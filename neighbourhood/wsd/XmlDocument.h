#pragma once

#include "neighbourhood/wsd/WsdMessages.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace neighbourhood::wsd {

// The text without leading and trailing XML whitespace (space, tab, CR, LF).
std::string_view TrimXmlSpace(std::string_view text);

// A message as a small tree, so that the parsers can look around. The reader is namespace-aware
// and validates nothing; it refuses DTDs, entities other than the predefined ones, and anything
// not well formed. The caps on size, depth and element count keep a hostile message cheap.
class Document {
public:
    // Nothing unless the UTF-8 message is well formed and within the caps.
    static std::optional<Document> Read(std::string_view message);

    // Whether the element at `index` (the root is 0) has that namespace and local name.
    bool is(int index, std::string_view ns, std::string_view name) const;
    // The first child of that name, or -1; -1 for a parent of -1.
    int child(int parent, std::string_view ns, std::string_view name) const;
    std::vector<int> children(int parent, std::string_view ns, std::string_view name) const;
    // The first element of that name below `ancestor`, in document order.
    int descendant(int ancestor, std::string_view ns, std::string_view name) const;
    // The element's own character data, trimmed; empty for -1.
    std::string text(int index) const;
    // A "prefix:Local" or "Local" value, its prefix taken from the declarations in scope at
    // the element; nothing for an undeclared prefix.
    std::optional<TypeName> resolve(int index, std::string_view qualified) const;

private:
    friend class XmlReader;

    struct Declaration {
        std::string prefix; // empty for the default namespace
        int uri = 0;
    };
    struct Element {
        int ns = 0; // into uris_, so that a long URI is kept once however many use it
        std::string name;
        std::string text;
        std::vector<Declaration> declarations;
        int parent = -1;
        std::vector<int> children;
    };

    bool Within(int index, int ancestor) const;

    std::vector<std::string> uris_{"", "http://www.w3.org/XML/1998/namespace"};
    std::vector<Element> elements_;
};

} // namespace neighbourhood::wsd
