#include "neighbourhood/wsd/SoapPost.h"

#include <windows.h>

#include <wininet.h>

#include <memory>
#include <type_traits>

namespace neighbourhood::wsd {

namespace {

using Clock = std::chrono::steady_clock;

struct HandleCloser {
    void operator()(HINTERNET handle) const { InternetCloseHandle(handle); }
};
using Handle = std::unique_ptr<std::remove_pointer_t<HINTERNET>, HandleCloser>;

void SetTimeout(HINTERNET handle, DWORD option, std::chrono::milliseconds time) {
    DWORD value = static_cast<DWORD>(time.count());
    InternetSetOptionA(handle, option, &value, sizeof value);
}

} // namespace

std::optional<std::string> PostSoap(const std::string& url, const std::string& request,
                                    std::chrono::milliseconds limit, std::size_t maxBytes) {
    const auto deadline = Clock::now() + limit;
    char host[256] = {};
    char path[2048] = {};
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof path;
    if (limit <= std::chrono::milliseconds{0} || request.size() > MAXDWORD ||
        !InternetCrackUrlA(url.c_str(), 0, 0, &parts) || parts.nScheme != INTERNET_SCHEME_HTTP) {
        return std::nullopt;
    }
    const Handle session(InternetOpenA("Velnor", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!session) {
        return std::nullopt;
    }
    // Each wait is bounded by the whole limit; a server that keeps a read going past it is
    // read to its end, and its answer then dropped as late (nobody waits for this thread).
    for (const DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                               INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        SetTimeout(session.get(), option, limit);
    }
    const Handle connection(InternetConnectA(session.get(), host, parts.nPort, nullptr, nullptr,
                                             INTERNET_SERVICE_HTTP, 0, 0));
    constexpr DWORD kFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD |
                             INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                             INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_AUTH;
    const Handle post(connection ? HttpOpenRequestA(connection.get(), "POST", path, nullptr,
                                                    nullptr, nullptr, kFlags, 0)
                                 : nullptr);
    static constexpr char kHeaders[] = "Content-Type: application/soap+xml\r\n";
    DWORD status = 0;
    DWORD statusSize = sizeof status;
    if (!post ||
        !HttpSendRequestA(post.get(), kHeaders, static_cast<DWORD>(sizeof kHeaders - 1),
                          const_cast<char*>(request.data()), static_cast<DWORD>(request.size())) ||
        !HttpQueryInfoA(post.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                        &statusSize, nullptr) ||
        status != 200) {
        return std::nullopt;
    }
    std::string body;
    char buffer[4096];
    for (DWORD got = 1; got > 0;) {
        if (!InternetReadFile(post.get(), buffer, sizeof buffer, &got) ||
            body.size() + got > maxBytes || Clock::now() > deadline) {
            return std::nullopt;
        }
        body.append(buffer, got);
    }
    return body;
}

} // namespace neighbourhood::wsd
