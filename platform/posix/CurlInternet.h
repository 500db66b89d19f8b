#pragma once

#include "platform/Internet.h"

namespace platform::posix {

// The Internet library on libcurl: direct connection whatever the environment says about
// proxies, GET, redirects followed as a browser library would, no cache.
class CurlInternet final : public Internet {
public:
    explicit CurlInternet(InternetLimits limits = {});

    bool checkConnection(const std::string& url) override;
    std::unique_ptr<InternetSession> open(const std::string& agent) override;

private:
    InternetLimits limits_;
};

} // namespace platform::posix
