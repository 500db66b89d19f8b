#include "neighbourhood/netbios/NetbiosMessage.h"

#include <algorithm>
#include <cctype>

namespace neighbourhood::netbios {

namespace {

constexpr std::uint16_t kTypeNB = 0x0020;
constexpr std::uint16_t kClassIN = 0x0001;
constexpr std::size_t kHeaderSize = 12;

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

std::uint16_t Get16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>((at[0] << 8) | at[1]);
}

// Skips an encoded name (labels or a compression pointer); 0 when it runs past the end.
std::size_t SkipName(const std::uint8_t* data, std::size_t size, std::size_t at) {
    for (int labels = 0; at < size && labels < 64; ++labels) {
        const std::uint8_t length = data[at];
        if (length == 0) {
            return at + 1;
        }
        if ((length & 0xC0) == 0xC0) {
            return at + 2 <= size ? at + 2 : 0;
        }
        at += 1 + length;
    }
    return 0;
}

// The first-level encoding of the name (RFC 1001): 32 letters for its 15 bytes in capitals,
// padded with blanks, and the suffix.
std::string Encoded(const std::string& name, std::uint8_t suffix) {
    std::string padded;
    for (const char c : name) {
        padded += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    padded.resize(kMaxNameLength, ' ');
    padded += static_cast<char>(suffix);
    std::string encoded;
    for (const char c : padded) {
        const auto byte = static_cast<std::uint8_t>(c);
        encoded += static_cast<char>('A' + (byte >> 4));
        encoded += static_cast<char>('A' + (byte & 0x0F));
    }
    return encoded;
}

// Whether the name at `at` (its first label, or where one compression pointer leads) is the
// encoded name.
bool NameIs(const std::uint8_t* data, std::size_t size, std::size_t at,
            const std::string& encoded) {
    if (at + 2 <= size && (data[at] & 0xC0) == 0xC0) {
        at = static_cast<std::size_t>(Get16(data + at) & 0x3FFF);
    }
    return at + 1 + encoded.size() <= size && data[at] == encoded.size() &&
           std::equal(encoded.begin(), encoded.end(), data + at + 1,
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

} // namespace

std::optional<std::vector<std::uint8_t>> EncodeQuery(std::uint16_t id, const std::string& name,
                                                     std::uint8_t suffix) {
    if (name.empty() || name.size() > kMaxNameLength || name.front() == '*') {
        return std::nullopt;
    }
    std::vector<std::uint8_t> packet;
    Put16(packet, id);
    Put16(packet, 0x0110); // a query, recursion desired, broadcast
    Put16(packet, 1);      // one question
    Put16(packet, 0);
    Put16(packet, 0);
    Put16(packet, 0);
    const std::string encoded = Encoded(name, suffix);
    packet.push_back(static_cast<std::uint8_t>(encoded.size()));
    packet.insert(packet.end(), encoded.begin(), encoded.end());
    packet.push_back(0);
    Put16(packet, kTypeNB);
    Put16(packet, kClassIN);
    return packet;
}

std::optional<std::vector<std::uint8_t>> DecodeAnswer(const std::uint8_t* data, std::size_t size,
                                                      std::uint16_t id, const std::string& name,
                                                      std::uint8_t suffix) {
    if (size < kHeaderSize || Get16(data) != id) {
        return std::nullopt;
    }
    const std::uint16_t flags = Get16(data + 2);
    const bool response = (flags & 0x8000) != 0;
    const int rcode = flags & 0x000F;
    if (!response || rcode != 0 || Get16(data + 6) == 0) {
        return std::nullopt;
    }
    std::size_t at = kHeaderSize;
    for (std::uint16_t q = Get16(data + 4); q > 0; --q) {
        at = SkipName(data, size, at);
        if (at == 0 || at + 4 > size) {
            return std::nullopt;
        }
        at += 4;
    }
    // An answer for another name is no answer to this query, whoever sent it.
    if (!NameIs(data, size, at, Encoded(name, suffix))) {
        return std::nullopt;
    }
    at = SkipName(data, size, at);
    if (at == 0 || at + 10 > size) {
        return std::nullopt;
    }
    const std::uint16_t type = Get16(data + at);
    const std::uint16_t length = Get16(data + at + 8);
    at += 10;
    // Each address entry: two flag bytes, then four address bytes.
    if (type != kTypeNB || length < 6 || at + length > size) {
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(data + at + 2, data + at + 6);
}

} // namespace neighbourhood::netbios
