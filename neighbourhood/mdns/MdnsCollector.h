#pragma once

#include "neighbourhood/DiscoveredComputer.h"
#include "neighbourhood/mdns/DnsMessage.h"
#include "platform/Ipv4Address.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace neighbourhood::mdns {

using Computer = DiscoveredComputer;

inline constexpr std::size_t kMaxComputers = 1024;
inline constexpr std::size_t kMaxInstances = 2 * kMaxComputers;
inline constexpr std::size_t kMaxFollowUps = 64; // questions in one round
// What one peer may fill of the tables: a computer announces a few services of its own host.
inline constexpr std::size_t kMaxInstancesPerPeer = 16;
inline constexpr std::size_t kMaxHostsPerPeer = 4;

// The PTR questions that find the computers: workstations, file servers, devices.
std::vector<Question> BrowseQuestions();

// What the answers have told so far, and what is still to ask. Computers are the targets of
// the workstation and file-server instances' SRV records that have an A record; device-info
// instances carry no SRV and so list nothing on their own. Every peer speaks for itself only:
// an instance's SRV counts from the peer that named the instance, a host's address from the
// peer that named the host and only when it is that peer's own address; and each peer fills at
// most its share of the tables.
class Collector {
public:
    // Reads every record of a response from the peer at `source`; queries and error answers
    // are ignored.
    void Add(const Message& message, const platform::Ipv4Address& source);

    // SRV and TXT questions for instances whose SRV is missing, A questions for hosts whose
    // address is missing; at most kMaxFollowUps.
    std::vector<Question> Missing() const;

    // Each host once (names compared without regard to case), in the order found; the name is
    // the SRV target without ".local", fit to show.
    std::vector<Computer> Computers() const;
    // Grows with every instance, host and address learnt: what the discovery counts as news.
    std::size_t Learnt() const { return learnt_; }

private:
    struct Instance {
        std::string name;
        platform::Ipv4Address peer{};
        std::optional<std::string> host; // key into hosts_
    };
    struct Host {
        std::string target;
        platform::Ipv4Address peer{};
        std::optional<platform::Ipv4Address> address;
    };
    struct Share {
        std::size_t instances = 0;
        std::size_t hosts = 0;
    };

    Instance* FindOrAddInstance(const std::string& name, const platform::Ipv4Address& peer);
    void AddSrv(const Record& record, const Srv& srv, const platform::Ipv4Address& peer);

    std::vector<std::string> instanceOrder_;
    std::map<std::string, Instance> instances_; // by lower-case name
    std::vector<std::string> hostOrder_;
    std::map<std::string, Host> hosts_;             // by lower-case target
    std::map<platform::Ipv4Address, Share> shares_; // what each peer has filled
    std::size_t learnt_ = 0;
};

} // namespace neighbourhood::mdns
