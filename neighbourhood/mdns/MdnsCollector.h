#pragma once

#include "neighbourhood/mdns/DnsMessage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace neighbourhood::mdns {

struct Computer {
    std::string name;
    std::array<std::uint8_t, 4> address{};
    bool operator==(const Computer&) const = default;
};

inline constexpr std::size_t kMaxComputers = 1024;
inline constexpr std::size_t kMaxInstances = 2 * kMaxComputers;
inline constexpr std::size_t kMaxFollowUps = 64; // questions in one round

// The PTR questions that find the computers: workstations, file servers, devices.
std::vector<Question> BrowseQuestions();

// What the answers have told so far, and what is still to ask. Computers are the targets of
// the workstation and file-server instances' SRV records that have an A record; device-info
// instances carry no SRV and so list nothing on their own.
class Collector {
public:
    // Reads every record of a response; queries and error answers are ignored.
    void Add(const Message& message);

    // SRV and TXT questions for instances whose SRV is missing, A questions for hosts whose
    // address is missing; at most kMaxFollowUps.
    std::vector<Question> Missing() const;

    // Each host once (names compared without regard to case), in the order found; the name is
    // the SRV target without ".local", fit to show.
    std::vector<Computer> Computers() const;

private:
    struct Instance {
        std::string name;
        std::optional<std::string> host; // key into hosts_
    };
    struct Host {
        std::string target;
        std::optional<std::array<std::uint8_t, 4>> address;
    };

    Instance* FindOrAddInstance(const std::string& name);
    void AddSrv(const Record& record, const Srv& srv);

    std::vector<std::string> instanceOrder_;
    std::map<std::string, Instance> instances_; // by lower-case name
    std::vector<std::string> hostOrder_;
    std::map<std::string, Host> hosts_; // by lower-case target
};

} // namespace neighbourhood::mdns
