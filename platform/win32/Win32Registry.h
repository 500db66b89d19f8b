#pragma once

#include "platform/Registry.h"

namespace platform::win32 {

// The registry through its "A" entry points.
class Win32Registry final : public Registry {
public:
    long openKey(Key root, const std::string& subKey, std::uint32_t access, Key& opened) override;
    long queryValue(Key key, const std::string& valueName, std::uint32_t& type,
                    std::vector<std::uint8_t>& data) override;
    long closeKey(Key key) override;
};

} // namespace platform::win32
