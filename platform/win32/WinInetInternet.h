#pragma once

#include "platform/Internet.h"

#include <chrono>
#include <cstddef>

namespace platform::win32 {

// Bounds that keep a broken or hostile server from hanging or exhausting the program: the
// same as the Linux backend's.
struct WinInetLimits {
    std::chrono::milliseconds connectTimeout{10000};
    // A transfer that receives nothing for this long is ended.
    std::chrono::milliseconds stallTime{15000};
    // A transfer that has not finished after this long is ended (a server that trickles).
    std::chrono::milliseconds totalTime{60000};
    // Bytes of body kept; the rest is not read.
    std::size_t maxBody = 1024 * 1024;
};

// The Internet library on WinINet: direct connection whatever proxy the system is set to,
// GET, nothing written to the cache, http and https only. The body is read in full, within
// the limits, when the page is opened; what arrived is kept when a limit ends the transfer.
class WinInetInternet final : public Internet {
public:
    explicit WinInetInternet(WinInetLimits limits = {});

    bool checkConnection(const std::string& url) override;
    std::unique_ptr<InternetSession> open(const std::string& agent) override;

private:
    WinInetLimits limits_;
};

} // namespace platform::win32
