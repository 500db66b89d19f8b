#pragma once

#include "platform/Internet.h"

namespace platform::win32 {

// The Internet library on WinINet: direct connection whatever proxy the system is set to,
// GET, nothing written to the cache, http and https only. The body is read in full, within
// the limits, when the page is opened; what arrived is kept when a limit ends the transfer.
class WinInetInternet final : public Internet {
public:
    explicit WinInetInternet(InternetLimits limits = {});

    bool checkConnection(const std::string& url) override;
    std::unique_ptr<InternetSession> open(const std::string& agent) override;

private:
    InternetLimits limits_;
};

} // namespace platform::win32
