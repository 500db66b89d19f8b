#pragma once

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <string>

namespace platform::posix {

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;

// libcurl's global state, set up once for the process; false when the library cannot start.
bool CurlReady();

// A transfer of the URL over a direct connection, whatever the environment says about proxies,
// with only the protocols named ("http,https"), no signals and a bounded connect that a dead
// name server cannot stretch; null when libcurl cannot make one or lacks one of these options.
// Callers check their own options the same way (curl_easy_setopt's result).
Easy NewEasy(const std::string& url, const char* protocols,
             std::chrono::milliseconds connectTimeout);

} // namespace platform::posix
