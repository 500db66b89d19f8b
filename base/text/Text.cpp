#include "base/text/Text.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace text {

namespace {

// The text with the ASCII letters from `first` to `last` moved by `shift`.
std::string ShiftLetters(std::string_view text, char first, char last, int shift) {
    std::string shifted(text);
    for (char& c : shifted) {
        if (c >= first && c <= last) {
            c = static_cast<char>(c + shift);
        }
    }
    return shifted;
}

} // namespace

std::string AsciiLower(std::string_view text) {
    return ShiftLetters(text, 'A', 'Z', 'a' - 'A');
}

std::string AsciiUpper(std::string_view text) {
    return ShiftLetters(text, 'a', 'z', 'A' - 'a');
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

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Characters that control a terminal or a line, or that reorder or hide the text around them.
bool Unshown(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xAD || c == 0x61C || c == 0x180E ||
           (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
           (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB) ||
           (c >= 0xE0000 && c <= 0xE007F);
}

} // namespace

std::pair<char32_t, std::size_t> DecodeUtf8(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
        return {lead, 1};
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1Fu, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0Fu, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07u, least = 0x10000;
    } else {
        return {0, 0};
    }
    if (at + length > text.size()) {
        return {0, 0};
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            return {0, 0};
        }
        value = (value << 6) | (next & 0x3Fu);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return {0, 0};
    }
    return {value, length};
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string CleanText(std::string_view text, std::size_t bytes) {
    std::string out;
    for (std::size_t at = 0; at < text.size() && out.size() <= bytes;) {
        auto [c, length] = DecodeUtf8(text, at);
        if (length == 0) {
            c = kReplacement, length = 1;
        }
        at += length;
        if (!Unshown(c)) {
            AppendUtf8(out, c);
        }
    }
    return CapUtf8(out, bytes);
}

bool IsPlainHostName(std::string_view text) {
    constexpr std::size_t kMaxName = 253;
    constexpr std::size_t kMaxLabel = 63;
    if (text.empty() || text.size() > kMaxName || IsNumericAddress(text)) {
        return false;
    }
    std::size_t label = 0;
    for (const char c : text) {
        if (c == '.') {
            if (label == 0) {
                return false;
            }
            label = 0;
            continue;
        }
        const bool allowed =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
        if (!allowed || ++label > kMaxLabel) {
            return false;
        }
    }
    return label > 0;
}

} // namespace text
