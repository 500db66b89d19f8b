#include "neighbourhood/NetworkNames.h"

#include "base/text/Text.h"

namespace neighbourhood {

std::string CleanName(std::string_view text, std::size_t cap) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            continue;
        }
        // The second block of control characters, in UTF-8.
        if (byte == 0xC2 && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (next >= 0x80 && next <= 0x9F) {
                ++i;
                continue;
            }
        }
        out += byte == '|' ? '_' : text[i];
    }
    return text::CapUtf8(out, cap);
}

} // namespace neighbourhood
