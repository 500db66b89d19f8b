#include "platform/posix/CurlInternet.h"

#include "platform/common/BufferedReader.h"
#include "platform/posix/Curl.h"
#include "base/text/Text.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace platform::posix {

namespace {

constexpr char kProtocols[] = "http,https";

struct Sink {
    std::string body;
    std::size_t cap;
    std::chrono::milliseconds stallTime;
    curl_off_t lastReceived = -1;
    std::chrono::steady_clock::time_point lastProgress = std::chrono::steady_clock::now();
};

// Ends a transfer that has received nothing for the stall time, the answer's head included.
int WatchForStall(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t) {
    auto* sink = static_cast<Sink*>(user);
    const auto now = std::chrono::steady_clock::now();
    if (received != sink->lastReceived) {
        sink->lastReceived = received;
        sink->lastProgress = now;
        return 0;
    }
    return now - sink->lastProgress > sink->stallTime ? 1 : 0;
}

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const std::size_t bytes = size * count;
    const std::size_t room = sink->cap - sink->body.size();
    sink->body.append(data, std::min(bytes, room));
    // A short count makes libcurl end the transfer once the cap is reached.
    return bytes <= room ? bytes : 0;
}

class CurlSession final : public InternetSession {
public:
    CurlSession(std::string agent, InternetLimits limits)
        : agent_(std::move(agent)), limits_(limits) {}

    std::unique_ptr<UrlReader> openUrl(const std::string& url) override {
        Easy easy = NewEasy(url, kProtocols, limits_.connectTimeout);
        if (!easy) {
            return nullptr;
        }
        CURL* h = easy.get();
        Sink sink{{}, limits_.maxBody, limits_.stallTime};
        // A page asked for over https is not handed on to plain http.
        const bool secure = url.size() >= 6 && text::AsciiLower(url.substr(0, 6)) == "https:";
        const bool bounded =
            curl_easy_setopt(h, CURLOPT_HTTPGET, 1L) == CURLE_OK &&
            curl_easy_setopt(h, CURLOPT_USERAGENT, agent_.c_str()) == CURLE_OK &&
            curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK &&
            curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L) == CURLE_OK &&
            curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : kProtocols) ==
                CURLE_OK &&
            curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L) == CURLE_OK &&
            curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, WatchForStall) == CURLE_OK &&
            curl_easy_setopt(h, CURLOPT_XFERINFODATA, &sink) == CURLE_OK &&
            curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(limits_.totalTime.count())) ==
                CURLE_OK &&
            curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteBody) == CURLE_OK &&
            curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink) == CURLE_OK;
        if (!bounded) {
            return nullptr;
        }
        const CURLcode result = curl_easy_perform(h);
        long status = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        // No answer at all means the page could not be opened; a transfer cut short after the
        // answer began keeps what arrived.
        if (result != CURLE_OK && status == 0) {
            return nullptr;
        }
        return std::make_unique<platform::BufferedReader>(std::move(sink.body));
    }

private:
    std::string agent_;
    InternetLimits limits_;
};

} // namespace

CurlInternet::CurlInternet(InternetLimits limits) : limits_(limits) {}

bool CurlInternet::checkConnection(const std::string& url) {
    Easy easy = NewEasy(url, kProtocols, limits_.connectTimeout);
    if (!easy) {
        return false;
    }
    return curl_easy_setopt(easy.get(), CURLOPT_CONNECT_ONLY, 1L) == CURLE_OK &&
           curl_easy_perform(easy.get()) == CURLE_OK;
}

std::unique_ptr<InternetSession> CurlInternet::open(const std::string& agent) {
    if (!CurlReady()) {
        return nullptr;
    }
    return std::make_unique<CurlSession>(agent, limits_);
}

} // namespace platform::posix
