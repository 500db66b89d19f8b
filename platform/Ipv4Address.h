#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace platform {

// An IPv4 address, in network byte order: the one type for it on every layer.
using Ipv4Address = std::array<std::uint8_t, 4>;

// Dotted text: the bytes as decimal numbers without leading zeros, joined by ".".
inline std::string DottedText(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (!text.empty()) {
            text += '.';
        }
        text += std::to_string(byte);
    }
    return text;
}

} // namespace platform
