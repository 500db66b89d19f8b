#pragma once

#include "platform/Datagrams.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// STUN's Binding exchange (RFC 8489), as far as a client that asks for its mapped address needs
// it: the request, and the reading of an answer that may come from anyone.
namespace Stun {

inline constexpr std::uint32_t kMagicCookie = 0x2112A442;
inline constexpr std::size_t kHeaderSize = 20;
// Larger answers are not read: a Binding answer is a few dozen bytes.
inline constexpr std::size_t kMaxAnswerSize = 1280;

using TransactionId = std::array<std::uint8_t, 12>;

// A Binding request: the header alone.
std::string BindingRequest(const TransactionId& id);

// The IPv4 address that a Binding success answer to the request `id` reports: its
// XOR-MAPPED-ADDRESS, or the MAPPED-ADDRESS of a server of the older protocol. Nothing for
// anything else: another transaction, an error answer, a malformed or truncated message, an
// attribute that overruns the message, a FINGERPRINT that does not match, an attribute that the
// answer requires us to understand and we do not, an IPv6 or unspecified address.
std::optional<platform::Ipv4Address> MappedAddress(std::string_view answer,
                                                   const TransactionId& id);

// CRC-32 (ISO-HDLC), as FINGERPRINT uses it before its XOR.
std::uint32_t Crc32(std::string_view bytes);

} // namespace Stun
