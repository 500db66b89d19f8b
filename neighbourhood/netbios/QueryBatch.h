#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace neighbourhood::netbios {

// The name queries that wait together, time given by the caller (since any fixed start). A
// name's queries (its server and its workstation name) go out when it joins and once more half
// way through its wait, as a broadcast can be lost; an answer counts only for a name it carries
// under that name's transaction id; a name without an answer when its wait ends has none.
class QueryBatch {
public:
    using Milliseconds = std::chrono::milliseconds;
    using Packet = std::vector<std::uint8_t>;

    explicit QueryBatch(Milliseconds wait) : wait_(wait) {}

    // The queries to send for a name that joins under `key`, with transaction ids from `id`;
    // none when it cannot be a NetBIOS name (it is then not kept: it has no address).
    std::vector<Packet> Add(std::size_t key, const std::string& name, std::uint16_t id,
                            Milliseconds now);
    // The queries due again.
    std::vector<Packet> Resend(Milliseconds now);
    // The key of the name a datagram answers, and the address (network order); that name is
    // done. Nothing for an answer to no name of the batch.
    std::optional<std::pair<std::size_t, std::vector<std::uint8_t>>>
    Answer(const std::uint8_t* data, std::size_t size);
    // The keys whose wait has ended unanswered; they are done.
    std::vector<std::size_t> Expired(Milliseconds now);

    // When Resend or Expired next has something.
    Milliseconds Next() const;
    bool empty() const { return waiting_.empty(); }

private:
    struct Waiting {
        std::string name;
        std::uint16_t id = 0;
        Milliseconds joined{};
        bool resent = false;
        std::vector<Packet> queries;
    };

    Milliseconds wait_;
    std::map<std::size_t, Waiting> waiting_;
};

} // namespace neighbourhood::netbios
