#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// WS-Discovery: how Windows computers announce themselves since SMB1 browsing was switched off.
namespace neighbourhood::wsd {

// Larger messages are not read; real ones are a few KiB.
inline constexpr std::size_t kMaxMessageSize = 64 * 1024;
// Deeper elements are taken as an attack: real messages nest about 8 deep.
inline constexpr int kMaxDepth = 32;
inline constexpr int kMaxElements = 2048;

// A type of an endpoint, its prefix resolved to the namespace.
struct TypeName {
    std::string ns;
    std::string name;
    bool operator==(const TypeName&) const = default;
};

// One endpoint of a ProbeMatches or ResolveMatches message.
struct Match {
    std::string endpoint; // the EndpointReference's address, usually urn:uuid:...
    std::vector<TypeName> types;
    std::vector<std::string> xaddrs;
    bool IsComputer() const;
};

struct Matches {
    std::string relatesTo; // the MessageID of the Probe or Resolve answered
    std::vector<Match> matches;
    bool resolve = false; // a ResolveMatches; else a ProbeMatches
};

struct ComputerName {
    std::string name;
    std::string group; // the workgroup, or the domain when `domain`
    bool domain = false;
    std::string friendlyName;
};

// A fresh "urn:uuid:" identifier.
std::string NewMessageId();

std::string BuildProbe(const std::string& messageId);
std::string BuildResolve(const std::string& messageId, const std::string& endpoint);
// The metadata request, POSTed to one of the endpoint's XAddrs.
std::string BuildGet(const std::string& messageId, const std::string& endpoint);

// Each parser gives nothing for a message that is not well formed, too big or too deep, holds a
// DTD, or is another kind of message. Text comes back as UTF-8, not yet cleaned.
// A ProbeMatches or a ResolveMatches, read in one pass whichever it is.
std::optional<Matches> ParseMatches(std::string_view message);
// Nothing unless the answer names a computer.
std::optional<ComputerName> ParseGetResponse(std::string_view message);

} // namespace neighbourhood::wsd
