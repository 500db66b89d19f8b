#include "base/concurrency/Background.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace Background {

namespace {

struct Count {
    std::mutex mutex;
    std::condition_variable idle;
    int running = 0;
};

Count& Running() {
    // Never destroyed: a piece of work may still end while the program ends.
    static auto* count = new Count;
    return *count;
}

} // namespace

void Run(std::function<void()> work) {
    Count& count = Running();
    {
        const std::lock_guard lock(count.mutex);
        ++count.running;
    }
    try {
        std::thread([work = std::move(work), &count]() mutable {
            try {
                work();
            } catch (const std::exception&) {
                // Work that fails ends here; whoever waits for it learns by its own means.
            }
            // What the work holds goes before the program may end.
            work = nullptr;
            const std::lock_guard lock(count.mutex);
            --count.running;
            count.idle.notify_all();
        }).detach();
    } catch (...) {
        // No thread (the system has none left): nothing runs, and the caller learns it.
        const std::lock_guard lock(count.mutex);
        --count.running;
        count.idle.notify_all();
        throw;
    }
}

bool WaitIdle(std::chrono::milliseconds atMost) {
    Count& count = Running();
    std::unique_lock lock(count.mutex);
    return count.idle.wait_for(lock, atMost, [&] { return count.running == 0; });
}

} // namespace Background
