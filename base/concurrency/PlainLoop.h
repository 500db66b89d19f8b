#pragma once

#include "base/concurrency/Mailbox.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

// An event loop without any toolkit, on the thread that makes it: it runs what is posted to its
// mailbox while the caller waits for a condition. The command line's report and the tests of the
// logic run on it.
class PlainLoop {
public:
    Mailbox::Address address() const { return mailbox_.address(); }
    Mailbox& mailbox() { return mailbox_; }

    // Runs what is posted until `done` holds (asked before the first wait and after each
    // delivery) or `atMost` has passed; true when it held.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds atMost);
    // The same without a bound.
    void RunUntil(const std::function<bool()>& done);

private:
    std::mutex mutex_;
    std::condition_variable woken_;
    bool pending_ = false;
    Mailbox mailbox_{[this] {
        const std::lock_guard lock(mutex_);
        pending_ = true;
        woken_.notify_one();
    }};
};
