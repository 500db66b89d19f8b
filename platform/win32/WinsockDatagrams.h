#pragma once

#include "platform/Datagrams.h"

namespace platform::win32 {

// UDP over Windows Sockets 1.1 (wsock32); names through gethostbyname and gethostbyaddr, whose
// entries are the calling thread's own. Each call, and each socket while it lives, holds the
// library started; nothing is started before the first use. Keeps no state, so a call that
// outlives its caller touches nothing of it.
class WinsockDatagrams final : public Datagrams {
public:
    std::unique_ptr<UdpSocket> open() override;
    std::vector<Ipv4Address> resolve(const std::string& host) override;
    std::string nameOf(const Ipv4Address& address) override;
};

} // namespace platform::win32
