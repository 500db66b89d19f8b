// Names as they come in from the network: the cleaning and capping every provider applies, and
// the test that keeps a name that spells an address from being resolved, checked against the
// system's own reading of numeric addresses.
#include "neighbourhood/NetworkNames.h"
#include "base/text/Text.h"

#include <netdb.h>
#include <sys/socket.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool ValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80         ? 1
                                   : lead >> 5 == 0x6  ? 2
                                   : lead >> 4 == 0xE  ? 3
                                   : lead >> 3 == 0x1E ? 4
                                                       : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte picks the cap.
    const std::size_t cap = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string clean = neighbourhood::CleanName(text, cap);
    if (clean.size() > cap) {
        __builtin_trap();
    }
    for (std::size_t i = 0; i < clean.size(); ++i) {
        const auto byte = static_cast<unsigned char>(clean[i]);
        if (byte < 0x20 || byte == 0x7F || byte == '|') {
            __builtin_trap();
        }
    }
    // Cutting never splits a character of valid text.
    if (ValidUtf8(text) && !ValidUtf8(clean)) {
        __builtin_trap();
    }

    if (text.find('\0') == std::string_view::npos) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_flags = AI_NUMERICHOST;
        addrinfo* found = nullptr;
        const std::string name(text);
        const bool numeric = getaddrinfo(name.c_str(), nullptr, &hints, &found) == 0;
        if (found != nullptr) {
            freeaddrinfo(found);
        }
        if (numeric != text::IsNumericAddress(text)) {
            __builtin_trap();
        }
    }
    return 0;
}
