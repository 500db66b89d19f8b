#pragma once

#include "logic/internet/Stun.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fakes {

struct StunAttribute {
    std::uint16_t type;
    std::string value;
};

inline std::string Big16(std::uint32_t value) {
    return {static_cast<char>((value >> 8) & 0xFF), static_cast<char>(value & 0xFF)};
}

inline std::string Big32(std::uint32_t value) {
    return Big16(value >> 16) + Big16(value & 0xFFFF);
}

// An address attribute's value: family 1, the port and the address, XORed as
// XOR-MAPPED-ADDRESS wants them when `xored`.
inline std::string AddressValue(const platform::Ipv4Address& address, std::uint16_t port,
                                bool xored) {
    std::uint32_t bits = (std::uint32_t{address[0]} << 24) | (std::uint32_t{address[1]} << 16) |
                         (std::uint32_t{address[2]} << 8) | address[3];
    if (xored) {
        bits ^= Stun::kMagicCookie;
        port ^= static_cast<std::uint16_t>(Stun::kMagicCookie >> 16);
    }
    return std::string("\0\x01", 2) + Big16(port) + Big32(bits);
}

inline StunAttribute XorMapped(const platform::Ipv4Address& address, std::uint16_t port = 40000) {
    return {0x0020, AddressValue(address, port, true)};
}

inline StunAttribute Mapped(const platform::Ipv4Address& address, std::uint16_t port = 40000) {
    return {0x0001, AddressValue(address, port, false)};
}

// A STUN message of `type` (a Binding success answer unless told) for the transaction `id`,
// each attribute padded to four bytes; with a FINGERPRINT last when asked.
inline std::string StunAnswer(const Stun::TransactionId& id,
                              const std::vector<StunAttribute>& attributes,
                              bool fingerprint = false, std::uint16_t type = 0x0101) {
    std::string body;
    for (const StunAttribute& attribute : attributes) {
        body += Big16(attribute.type) + Big16(static_cast<std::uint32_t>(attribute.value.size())) +
                attribute.value + std::string((4 - attribute.value.size() % 4) % 4, '\0');
    }
    const auto header = [&](std::size_t length) {
        return Big16(type) + Big16(static_cast<std::uint32_t>(length)) + Big32(Stun::kMagicCookie) +
               std::string(id.begin(), id.end());
    };
    if (!fingerprint) {
        return header(body.size()) + body;
    }
    const std::string covered = header(body.size() + 8) + body;
    return covered + Big16(0x8028) + Big16(4) + Big32(Stun::Crc32(covered) ^ 0x5354554e);
}

// The transaction id of a request.
inline Stun::TransactionId IdOf(std::string_view request) {
    Stun::TransactionId id{};
    if (request.size() >= Stun::kHeaderSize) {
        std::copy(request.begin() + 8, request.begin() + 20, id.begin());
    }
    return id;
}

} // namespace fakes
