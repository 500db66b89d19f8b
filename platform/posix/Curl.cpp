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
    // Each of these bounds what a transfer may do or take: without one of them (a libcurl
    // older than the program needs) there is no transfer.
    const bool bounded =
        curl_easy_setopt(h, CURLOPT_URL, url.c_str()) == CURLE_OK &&
        // An empty proxy and "*" for no-proxy override every proxy variable of the environment.
        curl_easy_setopt(h, CURLOPT_PROXY, "") == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_NOPROXY, "*") == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, protocols) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
        // A name lookup that outlasts the connect bound is left to end on its own, not waited
        // for.
        curl_easy_setopt(h, CURLOPT_QUICK_EXIT, 1L) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeout.count())) ==
            CURLE_OK;
    return bounded ? std::move(easy) : Easy();
}

} // namespace platform::posix
