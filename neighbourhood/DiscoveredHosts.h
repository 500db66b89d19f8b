#pragma once

#include "platform/Ipv4Address.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace neighbourhood {

// The addresses that the discoveries of the current round learnt, by computer name (any case),
// so that names which no name service knows still resolve. A round is one load of the list: its
// discoveries start, end, and tell what they learnt. Safe to use from any thread.
class DiscoveredHosts {
public:
    using Round = std::uint64_t;
    // How far a discovery's word goes: where two disagree on a name, the more trusted stands.
    using Trust = int;

    // A new round: what earlier rounds learnt is forgotten, and their discoveries are not waited
    // for any more.
    Round BeginRound();
    Round round() const;

    // A discovery of that round runs, and Ended() will be called for it.
    void Started(Round round);
    // What it learnt. A name keeps the address that the most trusted discovery to learn it
    // gave; when that discovery heard two addresses for it, which is the impostor cannot be
    // told, and the name has none.
    void Ended(Round round, Trust trust,
               const std::vector<std::pair<std::string, platform::Ipv4Address>>& learnt);

    std::optional<platform::Ipv4Address> find(const std::string& name) const;
    // Until every discovery of the current round has ended, or the time is up.
    void AwaitDiscoveries(std::chrono::milliseconds atMost) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    Round round_ = 0;
    int running_ = 0;
    struct Claim {
        Trust trust;
        std::optional<platform::Ipv4Address> address; // none when disputed
    };
    std::map<std::string, Claim> hosts_; // by lower-case name
};

} // namespace neighbourhood
