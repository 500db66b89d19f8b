#pragma once

#include "platform/Registry.h"

#include <map>
#include <string>
#include <vector>

namespace platform::posix {

// This system has no registry. The stand-in answers, read-only, the one value programs look
// up for the system-information tool: the full path of the first such tool installed.
class RegistryStandIn final : public Registry {
public:
    // Looked for on PATH, in this order.
    static const std::vector<std::string>& KnownTools();

    // The path of the first known tool found on the search path, or nothing.
    static std::string FindTool(const std::string& searchPath);

    explicit RegistryStandIn(const std::string& searchPath);

    long openKey(Key root, const std::string& subKey, std::uint32_t access, Key& opened) override;
    long queryValue(Key key, const std::string& valueName, std::uint32_t& type,
                    std::vector<std::uint8_t>& data) override;
    long closeKey(Key key) override;

private:
    struct Value {
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    };
    // Values by key path (lower case) and value name (lower case).
    std::map<std::string, std::map<std::string, Value>> keys_;
    std::map<Key, std::string> open_;
    Key next_ = 1;
};

} // namespace platform::posix
