#pragma once

#include <condition_variable>
#include <mutex>

namespace fakes {

// Holds the threads that pass it while it is shut, so that a test can act while a step of the
// window's work blocks, and then let the step go on.
class Gate {
public:
    void shut() {
        const std::lock_guard lock(mutex_);
        open_ = false;
    }
    void open() {
        const std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    // Called by a fake, on the thread that does the step.
    void pass() {
        std::unique_lock lock(mutex_);
        ++arrived_;
        changed_.wait(lock, [this] { return open_; });
    }
    // How many threads have come to it.
    int arrived() const {
        const std::lock_guard lock(mutex_);
        return arrived_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = true;
    int arrived_ = 0;
};

} // namespace fakes
