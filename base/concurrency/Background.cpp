#include "base/concurrency/Background.h"

#include <cerrno>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#endif

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

// The work on a thread of its own, which nobody joins.
void Start(std::function<void()> body) {
#ifdef _WIN32
    // The system's own thread: under Wine, a detached std::thread of mingw-w64's thread library
    // made just as another one ended has now and then never begun to run.
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    const auto thread = _beginthreadex(
        nullptr, 0,
        [](void* given) -> unsigned {
            const std::unique_ptr<std::function<void()>> run(
                static_cast<std::function<void()>*>(given));
            (*run)();
            return 0;
        },
        owned.get(), 0, nullptr);
    if (thread == 0) {
        throw std::system_error(errno, std::generic_category(), "_beginthreadex");
    }
    owned.release();
    CloseHandle(reinterpret_cast<HANDLE>(thread));
#else
    std::thread(std::move(body)).detach();
#endif
}

} // namespace

void Run(std::function<void()> work) {
    Count& count = Running();
    {
        const std::lock_guard lock(count.mutex);
        ++count.running;
    }
    try {
        Start([work = std::move(work), &count]() mutable {
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
        });
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
