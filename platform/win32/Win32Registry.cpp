#include "platform/win32/Win32Registry.h"

#include <windows.h>

namespace platform::win32 {

namespace {

HKEY ToHkey(Registry::Key key) {
    // The predefined roots are 32-bit values that the 64-bit API sign-extends.
    if (key >= 0x80000000u && key <= 0x800000FFu) {
        return reinterpret_cast<HKEY>(
            static_cast<std::intptr_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(key))));
    }
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key));
}

} // namespace

long Win32Registry::openKey(Key root, const std::string& subKey, std::uint32_t access,
                            Key& opened) {
    HKEY key = nullptr;
    const LONG result = RegOpenKeyExA(ToHkey(root), subKey.c_str(), 0, access, &key);
    if (result == ERROR_SUCCESS) {
        opened = static_cast<Key>(reinterpret_cast<std::uintptr_t>(key));
    }
    return result;
}

long Win32Registry::queryValue(Key key, const std::string& valueName, std::uint32_t& type,
                               std::vector<std::uint8_t>& data) {
    DWORD valueType = 0;
    DWORD size = static_cast<DWORD>(data.size());
    const LONG result = RegQueryValueExA(ToHkey(key), valueName.c_str(), nullptr, &valueType,
                                         data.empty() ? nullptr : data.data(), &size);
    if (result == ERROR_SUCCESS) {
        type = valueType;
        data.resize(size);
    }
    return result;
}

long Win32Registry::closeKey(Key key) {
    return RegCloseKey(ToHkey(key));
}

} // namespace platform::win32
