#pragma once

#include "app/Background.h"
#include "app/Mailbox.h"

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

    void await_suspend(std::coroutine_handle<> waiting) {
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
    struct State {
        std::optional<std::conditional_t<std::is_void_v<Result>, std::monostate, Result>> value;
        std::exception_ptr error;
        bool abandoned = false; // on the mailbox's thread only
    };

    Mailbox::Address mailbox_;
    Work work_;
    std::shared_ptr<State> state_;
};
