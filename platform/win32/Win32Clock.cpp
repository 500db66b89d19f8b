#include "platform/win32/Win32Clock.h"

#include <windows.h>

namespace platform::win32 {

namespace {

// A text the system writes into a buffer of the size it asks for; empty when it fails.
template <typename Format> std::string Written(Format format) {
    const int size = format(nullptr, 0);
    if (size <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    const int written = format(text.data(), size);
    text.resize(written > 0 ? static_cast<std::size_t>(written - 1) : 0);
    return text;
}

} // namespace

std::string Win32Clock::read(Reading reading) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return Written([&now, reading](char* buffer, int size) {
        return reading == Reading::Date
                   ? GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, buffer,
                                    size)
                   : GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, buffer, size);
    });
}

} // namespace platform::win32
