#include "platform/win32/WinInetInternet.h"

#include "base/concurrency/Background.h"
#include "base/concurrency/Pending.h"
#include "base/text/Text.h"
#include "platform/common/BufferedReader.h"

#include <windows.h>

#include <wininet.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace platform::win32 {

namespace {

using Clock = std::chrono::steady_clock;

bool IsWebAddress(const std::string& url) {
    const std::string scheme = text::AsciiLower(url.substr(0, url.find(':')));
    return url.find("://") == scheme.size() && (scheme == "http" || scheme == "https");
}

void SetTimeout(HINTERNET handle, DWORD option, std::chrono::milliseconds time) {
    DWORD value = static_cast<DWORD>(time.count());
    InternetSetOptionA(handle, option, &value, sizeof value);
}

// A session's root handle, closed when the session and every transfer that uses it are done:
// closing it closes the handles opened from it, and a transfer given up on still holds one.
using Root = std::shared_ptr<void>;

// One blocking library call sequence on a thread of its own, so that the caller can stop
// waiting for it: WinINet's time-outs do not bound every wait (a server that sends part of a
// body and then nothing keeps a read waiting), and a waiting call cannot be cancelled
// everywhere. A call given up on finishes in the background and releases its own handles.
struct Transfer {
    std::mutex mutex;
    std::condition_variable changed;
    bool opened = false;
    bool finished = false;
    bool abandoned = false;
    std::string body;
    Clock::time_point lastProgress = Clock::now();
};

constexpr DWORD kReadSize = 256;

void Fetch(const std::shared_ptr<Transfer>& transfer, const Root& root, const std::string& url,
           const InternetLimits& limits) {
    HINTERNET page =
        InternetOpenUrlA(root.get(), url.c_str(), nullptr, 0, INTERNET_FLAG_NO_CACHE_WRITE, 0);
    {
        std::lock_guard lock(transfer->mutex);
        transfer->opened = page != nullptr;
        transfer->finished = page == nullptr;
        transfer->lastProgress = Clock::now();
    }
    transfer->changed.notify_all();
    if (page == nullptr) {
        return;
    }
    // Again on the page's own handle: not every WinINet passes the root's on to it.
    SetTimeout(page, INTERNET_OPTION_RECEIVE_TIMEOUT, limits.stallTime);
    char buffer[kReadSize];
    for (;;) {
        std::size_t room = 0;
        {
            std::lock_guard lock(transfer->mutex);
            if (transfer->abandoned) {
                break;
            }
            room = limits.maxBody - transfer->body.size();
        }
        // Only what has arrived, so that a read does not wait for a full buffer.
        DWORD available = 0;
        DWORD count = 0;
        if (room == 0 || !InternetQueryDataAvailable(page, &available, 0, 0) || available == 0 ||
            !InternetReadFile(
                page, buffer,
                static_cast<DWORD>(std::min<std::size_t>({kReadSize, available, room})), &count) ||
            count == 0) {
            break;
        }
        {
            std::lock_guard lock(transfer->mutex);
            transfer->body.append(buffer, count);
            transfer->lastProgress = Clock::now();
        }
        transfer->changed.notify_all();
    }
    InternetCloseHandle(page);
    {
        std::lock_guard lock(transfer->mutex);
        transfer->finished = true;
    }
    transfer->changed.notify_all();
}

class WinInetSession final : public InternetSession {
public:
    WinInetSession(HINTERNET root, InternetLimits limits)
        : root_(root, [](HINTERNET handle) { InternetCloseHandle(handle); }), limits_(limits) {}

    std::unique_ptr<UrlReader> openUrl(const std::string& url) override {
        if (!IsWebAddress(url)) {
            return nullptr;
        }
        auto transfer = std::make_shared<Transfer>();
        try {
            Background::Run([transfer, root = root_, url, limits = limits_] {
                Fetch(transfer, root, url, limits);
            });
        } catch (const std::system_error&) {
            return nullptr; // no thread for the transfer: nothing opened
        }
        const auto deadline = Clock::now() + limits_.totalTime;
        std::unique_lock lock(transfer->mutex);
        while (!transfer->finished) {
            // Until the answer begins, connecting counts as well as waiting.
            const auto quiet =
                transfer->opened ? limits_.stallTime : limits_.connectTimeout + limits_.stallTime;
            const auto limit = std::min(deadline, transfer->lastProgress + quiet);
            if (Clock::now() >= limit) {
                break;
            }
            transfer->changed.wait_until(lock, limit);
        }
        const bool opened = transfer->opened;
        transfer->abandoned = true;
        std::string body = transfer->body;
        lock.unlock();
        // No answer at all means the page could not be opened; what arrived is kept.
        if (!opened) {
            return nullptr;
        }
        return std::make_unique<platform::BufferedReader>(std::move(body));
    }

private:
    Root root_;
    InternetLimits limits_;
};

} // namespace

WinInetInternet::WinInetInternet(InternetLimits limits) : limits_(limits) {}

bool WinInetInternet::checkConnection(const std::string& url) {
    if (!IsWebAddress(url)) {
        return false;
    }
    // The library's own wait for a connection is not bounded by its time-outs.
    const threads::Pending<bool> check([url] {
        return InternetCheckConnectionA(url.c_str(), FLAG_ICC_FORCE_CONNECTION, 0) == TRUE;
    });
    return check.waitUntil(Clock::now() + limits_.connectTimeout).value_or(false);
}

std::unique_ptr<InternetSession> WinInetInternet::open(const std::string& agent) {
    HINTERNET root = InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (root == nullptr) {
        return nullptr;
    }
    // Handles opened from the root inherit its time-outs where the library passes them on.
    SetTimeout(root, INTERNET_OPTION_CONNECT_TIMEOUT, limits_.connectTimeout);
    SetTimeout(root, INTERNET_OPTION_SEND_TIMEOUT, limits_.stallTime);
    SetTimeout(root, INTERNET_OPTION_RECEIVE_TIMEOUT, limits_.stallTime);
    return std::make_unique<WinInetSession>(root, limits_);
}

} // namespace platform::win32
