#include "logic/internet/Stun.h"

#include <algorithm>
#include <array>

namespace Stun {

namespace {

constexpr std::uint16_t kBindingRequest = 0x0001;
constexpr std::uint16_t kBindingSuccess = 0x0101;
constexpr std::uint16_t kMappedAddress = 0x0001;
constexpr std::uint16_t kXorMappedAddress = 0x0020;
constexpr std::uint16_t kFingerprint = 0x8028;
constexpr std::uint32_t kFingerprintXor = 0x5354554e;
constexpr std::uint8_t kFamilyIpv4 = 0x01;

// Comprehension-required attributes (below 0x8000) that a Binding answer may carry, of this
// protocol and of the older one; any other such attribute makes the answer unreadable.
constexpr std::array<std::uint16_t, 17> kUnderstood = {
    0x0001, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006, 0x0007, 0x0008, 0x0009,
    0x000A, 0x000B, 0x0014, 0x0015, 0x001C, 0x001D, 0x001E, 0x0020};

std::uint16_t Read16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>((static_cast<std::uint8_t>(bytes[at]) << 8) |
                                      static_cast<std::uint8_t>(bytes[at + 1]));
}

std::uint32_t Read32(std::string_view bytes, std::size_t at) {
    return (std::uint32_t{Read16(bytes, at)} << 16) | Read16(bytes, at + 2);
}

void Put16(std::string& bytes, std::uint16_t value) {
    bytes.push_back(static_cast<char>(value >> 8));
    bytes.push_back(static_cast<char>(value & 0xFF));
}

// An address attribute's value; XOR-MAPPED-ADDRESS hides the address under the cookie.
std::optional<platform::Ipv4Address> ReadAddress(std::string_view value, bool xored) {
    if (value.size() != 8 || static_cast<std::uint8_t>(value[1]) != kFamilyIpv4) {
        return std::nullopt;
    }
    std::uint32_t address = Read32(value, 4);
    if (xored) {
        address ^= kMagicCookie;
    }
    if (address == 0) {
        return std::nullopt;
    }
    return platform::Ipv4Address{
        static_cast<std::uint8_t>(address >> 24), static_cast<std::uint8_t>(address >> 16),
        static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
}

} // namespace

std::uint32_t Crc32(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (const char byte : bytes) {
        crc ^= static_cast<std::uint8_t>(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320U & (0U - (crc & 1U)));
        }
    }
    return ~crc;
}

std::string BindingRequest(const TransactionId& id) {
    std::string request;
    request.reserve(kHeaderSize);
    Put16(request, kBindingRequest);
    Put16(request, 0);
    Put16(request, static_cast<std::uint16_t>(kMagicCookie >> 16));
    Put16(request, static_cast<std::uint16_t>(kMagicCookie & 0xFFFF));
    request.append(reinterpret_cast<const char*>(id.data()), id.size());
    return request;
}

std::optional<platform::Ipv4Address> MappedAddress(std::string_view answer,
                                                   const TransactionId& id) {
    if (answer.size() < kHeaderSize || answer.size() > kMaxAnswerSize ||
        Read16(answer, 0) != kBindingSuccess || Read16(answer, 2) != answer.size() - kHeaderSize ||
        answer.size() % 4 != 0 || Read32(answer, 4) != kMagicCookie ||
        !std::equal(id.begin(), id.end(), answer.begin() + 8, [](std::uint8_t ours, char theirs) {
            return ours == static_cast<std::uint8_t>(theirs);
        })) {
        return std::nullopt;
    }
    std::optional<platform::Ipv4Address> xorMapped;
    std::optional<platform::Ipv4Address> mapped;
    for (std::size_t at = kHeaderSize; at < answer.size();) {
        if (answer.size() - at < 4) {
            return std::nullopt;
        }
        const std::uint16_t type = Read16(answer, at);
        const std::size_t length = Read16(answer, at + 2);
        const std::size_t padded = (length + 3) / 4 * 4;
        if (padded > answer.size() - at - 4) {
            return std::nullopt;
        }
        const std::string_view value = answer.substr(at + 4, length);
        if (type == kFingerprint) {
            // The last attribute, over everything before it.
            if (length != 4 || at + 8 != answer.size() ||
                (Crc32(answer.substr(0, at)) ^ kFingerprintXor) != Read32(value, 0)) {
                return std::nullopt;
            }
        } else if (type < 0x8000 &&
                   std::find(kUnderstood.begin(), kUnderstood.end(), type) == kUnderstood.end()) {
            return std::nullopt;
        }
        // A repeated attribute counts once, as it first came.
        if (type == kXorMappedAddress && !xorMapped) {
            xorMapped = ReadAddress(value, true);
            if (!xorMapped) {
                return std::nullopt;
            }
        } else if (type == kMappedAddress && !mapped) {
            mapped = ReadAddress(value, false);
            if (!mapped) {
                return std::nullopt;
            }
        }
        at += 4 + padded;
    }
    return xorMapped ? xorMapped : mapped;
}

} // namespace Stun
