#include "text/Text.h"

#include <cstdint>
#include <vector>

namespace text {

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

std::string TrimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

bool IsNumericAddress(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    std::vector<std::uint64_t> parts;
    for (std::size_t start = 0;;) {
        const std::size_t dot = text.find('.', start);
        std::string_view part =
            text.substr(start, dot == std::string_view::npos ? dot : dot - start);
        if (part.empty() || parts.size() == 4) {
            return false;
        }
        int base = 10;
        if (part.size() > 1 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X')) {
            base = 16;
            part.remove_prefix(2);
            if (part.empty()) {
                return false;
            }
        } else if (part[0] == '0') {
            base = 8;
        }
        std::uint64_t value = 0;
        for (const char c : part) {
            int digit = 0;
            if (c >= '0' && c <= '9') {
                digit = c - '0';
            } else if (base == 16 && c >= 'a' && c <= 'f') {
                digit = c - 'a' + 10;
            } else if (base == 16 && c >= 'A' && c <= 'F') {
                digit = c - 'A' + 10;
            } else {
                return false;
            }
            if (digit >= base) {
                return false;
            }
            value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
            if (value > 0xFFFFFFFFu) {
                return false;
            }
        }
        parts.push_back(value);
        if (dot == std::string_view::npos) {
            break;
        }
        start = dot + 1;
    }
    // Every number but the last is one byte; the last fills the bytes that are left.
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        if (parts[i] > 0xFF) {
            return false;
        }
    }
    const std::size_t lastBytes = 5 - parts.size();
    return lastBytes == 4 || parts.back() < (std::uint64_t{1} << (8 * lastBytes));
}

std::string CapUtf8(std::string_view text, std::size_t bytes) {
    if (text.size() <= bytes) {
        return std::string(text);
    }
    std::size_t end = bytes;
    // Back to the start of the character the cut would split.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return std::string(text.substr(0, end));
}

} // namespace text
