#pragma once

#include "base/concurrency/Background.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>

namespace threads {

// A blocking call on a thread of its own, whose answer is waited for only until a deadline: a
// call that cannot be cancelled (a name lookup, a library's connection test) then goes on
// unseen and its answer is dropped. What the call uses must outlive it; a call that throws,
// or that no thread can be started for, answers T{}.
template <typename T> class Pending {
public:
    using Clock = std::chrono::steady_clock;

    template <typename Work> explicit Pending(Work work) : state_(std::make_shared<State>()) {
        try {
            Background::Run([state = state_, work = std::move(work)]() mutable {
                T answer{};
                try {
                    answer = work();
                } catch (...) {
                    // A failed call has the empty answer.
                }
                {
                    const std::lock_guard lock(state->mutex);
                    state->answer = std::move(answer);
                }
                state->arrived.notify_all();
            });
        } catch (const std::system_error&) {
            // No thread for the call: it is not made, and answers as a failed one.
            state_->answer.emplace();
        }
    }

    // The answer once it is there; nothing while it is not, up to the deadline.
    std::optional<T> waitUntil(Clock::time_point deadline) const {
        std::unique_lock lock(state_->mutex);
        state_->arrived.wait_until(lock, deadline, [&] { return state_->answer.has_value(); });
        return state_->answer;
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable arrived;
        std::optional<T> answer;
    };
    std::shared_ptr<State> state_;
};

} // namespace threads
