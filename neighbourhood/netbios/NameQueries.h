#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace neighbourhood::netbios {

// NetBIOS name queries on every broadcast-capable IPv4 interface that is up, for any thread
// that asks: one socket for every name asked while others wait, so that many names cost one
// wait, not one each. The socket and its reader are there while a name waits.
class NameQueries {
public:
    explicit NameQueries(std::chrono::milliseconds wait);

    // The name's address (network order) from the first answer, or nothing when none came
    // within the wait. Blocks the caller.
    std::optional<std::vector<std::uint8_t>> Ask(const std::string& name);

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

} // namespace neighbourhood::netbios
