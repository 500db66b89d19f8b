#include "platform/win32/Win32LocalNames.h"

#include <windows.h>

namespace platform::win32 {

namespace {

// The text before the first NUL of a 255-byte buffer that the call filled.
template <typename Call> std::string ReadName(Call call) {
    char buffer[255] = {};
    DWORD size = sizeof buffer;
    if (!call(buffer, &size)) {
        return {};
    }
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

} // namespace

std::string Win32LocalNames::userName() {
    return ReadName([](char* buffer, DWORD* size) { return GetUserNameA(buffer, size); });
}

std::string Win32LocalNames::computerName() {
    return ReadName([](char* buffer, DWORD* size) { return GetComputerNameA(buffer, size); });
}

} // namespace platform::win32
