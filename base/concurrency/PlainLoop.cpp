#include "base/concurrency/PlainLoop.h"

bool PlainLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds atMost) {
    const auto deadline = std::chrono::steady_clock::now() + atMost;
    while (!done()) {
        {
            std::unique_lock lock(mutex_);
            if (!woken_.wait_until(lock, deadline, [this] { return pending_; })) {
                return done();
            }
            pending_ = false;
        }
        mailbox_.deliver();
    }
    return true;
}

void PlainLoop::RunUntil(const std::function<bool()>& done) {
    while (!done()) {
        {
            std::unique_lock lock(mutex_);
            woken_.wait(lock, [this] { return pending_; });
            pending_ = false;
        }
        mailbox_.deliver();
    }
}
