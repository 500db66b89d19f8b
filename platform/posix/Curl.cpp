#include "platform/posix/Curl.h"

namespace platform::posix {

bool CurlReady() {
    static const bool ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ok;
}

Easy NewEasy(const std::string& url, const char* protocols,
             std::chrono::milliseconds connectTimeout) {
    Easy easy(CurlReady() ? curl_easy_init() : nullptr);
    if (!easy) {
        return easy;
    }
    CURL* h = easy.get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    // An empty proxy and "*" for no-proxy override every proxy variable of the environment.
    curl_easy_setopt(h, CURLOPT_PROXY, "");
    curl_easy_setopt(h, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, protocols);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    // A name lookup that outlasts the connect bound is left to end on its own, not waited for.
    curl_easy_setopt(h, CURLOPT_QUICK_EXIT, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeout.count()));
    return easy;
}

} // namespace platform::posix
