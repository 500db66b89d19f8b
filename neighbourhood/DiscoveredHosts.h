#pragma once

#include "text/Text.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace neighbourhood {

// The addresses that the current walk's discovery learnt, by computer name (any case), so that
// names which no name service knows still resolve.
class DiscoveredHosts {
public:
    using Address = std::array<std::uint8_t, 4>;

    void clear() { hosts_.clear(); }
    // The first address learnt for a name stays.
    void add(const std::string& name, const Address& address) {
        hosts_.emplace(text::AsciiLower(name), address);
    }
    std::optional<Address> find(const std::string& name) const {
        const auto it = hosts_.find(text::AsciiLower(name));
        if (it == hosts_.end()) {
            return std::nullopt;
        }
        return it->second;
    }

private:
    std::map<std::string, Address> hosts_;
};

} // namespace neighbourhood
