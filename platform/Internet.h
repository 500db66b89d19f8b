#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

namespace platform {

// Bounds that keep a broken or hostile server from hanging or exhausting the program.
struct InternetLimits {
    std::chrono::milliseconds connectTimeout{10000};
    // A transfer that receives nothing for this long is ended.
    std::chrono::milliseconds stallTime{15000};
    // A transfer that has not finished after this long is ended (a server that trickles).
    std::chrono::milliseconds totalTime{60000};
    // Bytes of body kept; the rest is not read.
    std::size_t maxBody = 1024 * 1024;
};

// An open page: the body is handed out in the order received. read() returns 0 at the end
// of the body and when the transfer failed; what came before stays valid.
class UrlReader {
public:
    virtual ~UrlReader() = default;
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

// A session with the Internet library: direct connection, no proxy, nothing cached.
class InternetSession {
public:
    virtual ~InternetSession() = default;
    // GET of the URL; null when no connection or request could be made. An error status of
    // the server still gives a reader with the error page.
    virtual std::unique_ptr<UrlReader> openUrl(const std::string& url) = 0;
};

class Internet {
public:
    virtual ~Internet() = default;
    // True when a connection to the host and port of the URL can be opened.
    virtual bool checkConnection(const std::string& url) = 0;
    // Null when the library cannot be initialised. The agent is the request's user agent.
    virtual std::unique_ptr<InternetSession> open(const std::string& agent) = 0;
};

} // namespace platform
