#pragma once

#include "platform/Ipv4Address.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace neighbourhood::mdns {

// DNS messages as multicast DNS peers send them. Names are dotted text without the root's dot;
// a "." or "\" inside a label is written "\." or "\\", so that every name splits back into the
// labels it came from.

inline constexpr std::uint16_t kTypeA = 1;
inline constexpr std::uint16_t kTypePtr = 12;
inline constexpr std::uint16_t kTypeTxt = 16;
inline constexpr std::uint16_t kTypeAaaa = 28;
inline constexpr std::uint16_t kTypeSrv = 33;
inline constexpr std::uint16_t kClassIn = 1;

inline constexpr std::size_t kMaxNameLength = 255; // on the wire, length bytes included
inline constexpr std::size_t kMaxLabelLength = 63;
inline constexpr std::size_t kMaxRecords = 256; // questions and records each

struct Question {
    std::string name;
    std::uint16_t type = 0;
    std::uint16_t klass = kClassIn;
    bool operator==(const Question&) const = default;
};

struct Ptr {
    std::string target;
};

struct Srv {
    std::uint16_t priority = 0;
    std::uint16_t weight = 0;
    std::uint16_t port = 0;
    std::string target;
};

struct A {
    platform::Ipv4Address address{};
};

struct Txt {
    std::vector<std::string> strings;
};

struct Record {
    std::string name;
    std::uint16_t type = 0;
    std::uint16_t klass = 0; // without the cache-flush bit
    bool cacheFlush = false;
    std::uint32_t ttl = 0;
    // Empty for the types that are not read, and for records of these types with broken data.
    std::variant<std::monostate, Ptr, Srv, A, Txt> data;
};

struct Message {
    std::uint16_t id = 0;
    std::uint16_t flags = 0;
    std::vector<Question> questions;
    std::vector<Record> records; // answers, authorities and additionals, in that order

    bool IsResponse() const { return (flags & 0x8000) != 0; }
};

// A standard query for the questions; empty when a name cannot be encoded.
std::vector<std::uint8_t> EncodeQuery(std::uint16_t id, const std::vector<Question>& questions);

// Reads a whole message; nothing when its structure is broken. Records past kMaxRecords are
// not read; a record whose data does not fit its type is kept with empty data.
std::optional<Message> Decode(const std::uint8_t* data, std::size_t size);

// The labels of a name in the decoder's text form, escapes undone.
std::vector<std::string> SplitName(std::string_view name);

// The text form of these labels.
std::string JoinName(const std::vector<std::string>& labels);

// The form in which names that DNS takes for the same compare equal: ASCII letters in lower
// case, escapes in one form.
std::string NameKey(std::string_view name);

} // namespace neighbourhood::mdns
