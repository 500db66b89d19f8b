#pragma once

#include "platform/Internet.h"

#include <chrono>

namespace platform::posix {

// Bounds that keep a broken or hostile server from hanging or exhausting the program.
struct CurlLimits {
    std::chrono::milliseconds connectTimeout{10000};
    // A transfer that receives nothing for this long is ended.
    std::chrono::milliseconds stallTime{15000};
    // A transfer that has not finished after this long is ended (a server that trickles).
    std::chrono::milliseconds totalTime{60000};
    // Bytes of body kept; the rest is not read.
    std::size_t maxBody = 1024 * 1024;
};

// The Internet library on libcurl: direct connection whatever the environment says about
// proxies, GET, redirects followed as a browser library would, no cache.
class CurlInternet final : public Internet {
public:
    explicit CurlInternet(CurlLimits limits = {});

    bool checkConnection(const std::string& url) override;
    std::unique_ptr<InternetSession> open(const std::string& agent) override;

private:
    CurlLimits limits_;
};

} // namespace platform::posix
