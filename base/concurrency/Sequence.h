#pragma once

#include "base/concurrency/Background.h"
#include "base/concurrency/Mailbox.h"

#include <coroutine>
#include <exception>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

// A sequence of steps on the window's thread that waits for work done elsewhere without holding
// the thread up: a coroutine that starts at once and is resumed through the window's mailbox.
// Destroying it ends it where it waits; the work it waited for finishes unseen.
class Sequence {
public:
    struct promise_type {
        Sequence get_return_object() {
            return Sequence(std::coroutine_handle<promise_type>::from_promise(*this));
        }
        std::suspend_never initial_suspend() noexcept { return {}; }
        std::suspend_always final_suspend() noexcept { return {}; }
        void return_void() {}
        // The steps catch their own failures.
        void unhandled_exception() { std::terminate(); }
    };

    Sequence(Sequence&& other) noexcept : handle_(std::exchange(other.handle_, {})) {}
    Sequence& operator=(Sequence&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    Sequence(const Sequence&) = delete;
    Sequence& operator=(const Sequence&) = delete;
    ~Sequence() {
        if (handle_) {
            handle_.destroy();
        }
    }

    bool done() const { return !handle_ || handle_.done(); }

private:
    explicit Sequence(std::coroutine_handle<promise_type> handle) : handle_(handle) {}

    std::coroutine_handle<promise_type> handle_;
};

// co_await OffThread(mailbox, work): runs the work in the background, and goes on with its
// result, or its exception, on the mailbox's thread. With `kNothingOnFailure`, the result is an
// optional, empty when the work failed.
template <typename Work, bool kNothingOnFailure = false> class OffThread {
public:
    using Result = std::invoke_result_t<Work&>;
    using Resumed = std::conditional_t<kNothingOnFailure, std::optional<Result>, Result>;

    OffThread(Mailbox::Address mailbox, Work work)
        : mailbox_(std::move(mailbox)), work_(std::move(work)), state_(std::make_shared<State>()) {}
    OffThread(const OffThread&) = delete;
    OffThread& operator=(const OffThread&) = delete;
    // The sequence goes on, or is destroyed while it waits: either way nothing resumes it now.
    ~OffThread() { state_->abandoned = true; }

    bool await_ready() const noexcept { return false; }

    // False, and the sequence goes on at once with the failure, when the work cannot start.
    bool await_suspend(std::coroutine_handle<> waiting) {
        try {
            Start(waiting);
        } catch (...) {
            state_->error = std::current_exception();
            return false;
        }
        return true;
    }

    Resumed await_resume() {
        if constexpr (kNothingOnFailure) {
            if (state_->error) {
                return std::nullopt;
            }
            return std::move(*state_->value);
        } else {
            if (state_->error) {
                std::rethrow_exception(state_->error);
            }
            if constexpr (!std::is_void_v<Result>) {
                return std::move(*state_->value);
            }
        }
    }

private:
    void Start(std::coroutine_handle<> waiting) {
        Background::Run(
            [state = state_, work = std::move(work_), mailbox = mailbox_, waiting]() mutable {
                try {
                    if constexpr (std::is_void_v<Result>) {
                        work();
                        state->value.emplace();
                    } else {
                        state->value.emplace(work());
                    }
                } catch (...) {
                    state->error = std::current_exception();
                }
                mailbox.post([state, waiting] {
                    if (!state->abandoned) {
                        waiting.resume();
                    }
                });
            });
    }

    struct State {
        std::optional<std::conditional_t<std::is_void_v<Result>, std::monostate, Result>> value;
        std::exception_ptr error;
        bool abandoned = false; // on the mailbox's thread only
    };

    Mailbox::Address mailbox_;
    Work work_;
    std::shared_ptr<State> state_;
};

// Work started in the background at once and waited for later: `co_await ahead` goes on once
// the work has ended, at once when it has already. A failure of the work, or to start it, ends
// the wait like its end does; the work tells its outcome by its own means.
class Ahead {
public:
    template <typename Work> Ahead(const Mailbox::Address& mailbox, Work work) {
        try {
            Background::Run([state = state_, mailbox, work = std::move(work)]() mutable {
                try {
                    work();
                } catch (...) {
                    // Ended all the same.
                }
                mailbox.post([state] {
                    state->ended = true;
                    if (const auto waiting = std::exchange(state->waiting, {})) {
                        waiting.resume();
                    }
                });
            });
        } catch (...) {
            state_->ended = true;
        }
    }
    Ahead(const Ahead&) = delete;
    Ahead& operator=(const Ahead&) = delete;
    // The sequence is destroyed while it waits: nothing resumes it now.
    ~Ahead() { state_->waiting = {}; }

    bool await_ready() const noexcept { return state_->ended; }
    void await_suspend(std::coroutine_handle<> waiting) noexcept { state_->waiting = waiting; }
    void await_resume() const noexcept {}

private:
    struct State { // on the mailbox's thread only
        bool ended = false;
        std::coroutine_handle<> waiting;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};
