#pragma once

#include "platform/Datagrams.h"

namespace platform::win32 {

// UDP over Windows Sockets 1.1 (wsock32); names through gethostbyname and gethostbyaddr, whose
// entries are the calling thread's own. Started with the service and cleaned up with it; keeps
// no other state, so a call that outlives its caller touches nothing of it.
class WinsockDatagrams final : public Datagrams {
public:
    WinsockDatagrams();
    ~WinsockDatagrams() override;
    WinsockDatagrams(const WinsockDatagrams&) = delete;
    WinsockDatagrams& operator=(const WinsockDatagrams&) = delete;

    std::unique_ptr<UdpSocket> open() override;
    std::vector<Ipv4Address> resolve(const std::string& host) override;
    std::string nameOf(const Ipv4Address& address) override;

private:
    bool started_ = false;
};

} // namespace platform::win32
