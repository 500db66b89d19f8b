// The program's concurrency, alone: the runner every thread starts through, the mailbox that
// hands work to one thread, the plain loop, the load's coroutine and its awaiters, and a call
// waited for until a deadline. Run under ThreadSanitizer too.
#include "base/concurrency/Background.h"
#include "base/concurrency/Mailbox.h"
#include "base/concurrency/Pending.h"
#include "base/concurrency/PlainLoop.h"
#include "base/concurrency/Sequence.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

// Waits until the runner counts nothing, so that each test starts and ends idle.
struct Idle {
    Idle() { EXPECT_TRUE(Background::WaitIdle(5s)); }
    ~Idle() { EXPECT_TRUE(Background::WaitIdle(5s)); }
};

} // namespace

TEST(Concurrency, TheRunnerCountsWhatRunsUntilItEndsWhateverItThrows) {
    Idle idle;
    std::atomic<bool> release{false};
    Background::Run([&] {
        while (!release) {
            std::this_thread::sleep_for(1ms);
        }
    });
    Background::Run([] { throw std::runtime_error("fails"); });
    EXPECT_FALSE(Background::WaitIdle(20ms));
    release = true;
    EXPECT_TRUE(Background::WaitIdle(5s));
}

// Posts from several threads arrive each in its thread's order; close drops what waits and
// what comes later; call runs at once on the owner's thread and waits elsewhere.
TEST(Concurrency, TheMailboxKeepsOrderRunsOnItsOwnerAndDropsOnceClosed) {
    Idle idle;
    PlainLoop loop;
    const Mailbox::Address address = loop.address();
    const std::thread::id owner = std::this_thread::get_id();
    std::vector<int> seen; // on the loop's thread only
    bool elsewhere = false;
    for (int sender = 0; sender < 4; ++sender) {
        Background::Run([address, sender, &seen, &elsewhere, owner] {
            for (int i = 0; i < 100; ++i) {
                address.post([&seen, &elsewhere, owner, sender, i] {
                    elsewhere = elsewhere || std::this_thread::get_id() != owner;
                    seen.push_back(sender * 1000 + i);
                });
            }
        });
    }
    ASSERT_TRUE(loop.RunUntil([&] { return seen.size() == 400; }, 5s));
    EXPECT_FALSE(elsewhere);
    for (int sender = 0; sender < 4; ++sender) {
        int last = -1;
        for (const int value : seen) {
            if (value / 1000 == sender) {
                EXPECT_GT(value % 1000, last);
                last = value % 1000;
            }
        }
    }

    bool here = false;
    address.call([&] { here = true; });
    EXPECT_TRUE(here); // on the owner's thread: at once
    std::atomic<bool> called{false};
    Background::Run([address, &called] {
        address.call([] {});
        called = true;
    });
    ASSERT_TRUE(loop.RunUntil([&] { return called.load(); }, 5s));

    bool late = false;
    address.post([&] { late = true; });
    loop.mailbox().close();
    address.post([&] { late = true; });
    address.call([&] { late = true; }); // dropped: returns without running
    EXPECT_FALSE(loop.RunUntil([&] { return late; }, 20ms));
}

TEST(Concurrency, ThePlainLoopReturnsWhenDoneOrWhenTimeIsUp) {
    Idle idle;
    PlainLoop loop;
    EXPECT_TRUE(loop.RunUntil([] { return true; }, 0ms));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(loop.RunUntil([] { return false; }, 30ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
    bool done = false;
    const Mailbox::Address address = loop.address();
    Background::Run([address, &done] { address.post([&done] { done = true; }); });
    loop.RunUntil([&] { return done; });
    EXPECT_TRUE(done);
}

namespace {

struct Steps {
    std::vector<std::string> log;
    std::optional<int> tried;
    std::string thrown;
};

template <typename Work> auto Try(const Mailbox::Address& mailbox, Work work) {
    return OffThread<Work, true>(mailbox, std::move(work));
}

Sequence StepsOf(Mailbox::Address mailbox, Steps& steps, std::atomic<bool>& ahead) {
    steps.log.push_back("start");
    Ahead early(mailbox, [&ahead] {
        while (!ahead) {
            std::this_thread::sleep_for(1ms);
        }
    });
    auto value = Try(mailbox, [] { return 42; });
    steps.tried = co_await value;
    steps.log.push_back("value");
    auto failing = Try(mailbox, []() -> int { throw std::runtime_error("fails"); });
    const std::optional<int> failed = co_await failing;
    steps.log.push_back(failed ? "failed gave a value" : "failed gave nothing");
    auto throwing = OffThread(mailbox, []() -> int { throw std::runtime_error("thrown"); });
    try {
        co_await throwing;
    } catch (const std::runtime_error& error) {
        steps.thrown = error.what();
    }
    co_await early;
    steps.log.push_back("ahead ended");
}

} // namespace

// A sequence goes on with each result, or failure, on the mailbox's thread, in order; Ahead
// holds it until its work has ended.
TEST(Concurrency, ASequenceGoesOnWithResultsFailuresAndWorkStartedAhead) {
    Idle idle;
    PlainLoop loop;
    Steps steps;
    std::atomic<bool> ahead{false};
    Sequence sequence = StepsOf(loop.address(), steps, ahead);
    EXPECT_EQ(steps.log, std::vector<std::string>{"start"}); // started at once, now waits
    ASSERT_TRUE(loop.RunUntil([&] { return !steps.thrown.empty(); }, 5s));
    EXPECT_EQ(steps.tried, 42);
    EXPECT_EQ(steps.thrown, "thrown");
    EXPECT_FALSE(loop.RunUntil([&] { return sequence.done(); }, 30ms));
    ahead = true;
    ASSERT_TRUE(loop.RunUntil([&] { return sequence.done(); }, 5s));
    EXPECT_EQ(steps.log,
              (std::vector<std::string>{"start", "value", "failed gave nothing", "ahead ended"}));
}

// A sequence destroyed while it waits is never resumed: the work finishes unseen.
TEST(Concurrency, ASequenceDestroyedWhileItWaitsIsNeverResumed) {
    Idle idle;
    PlainLoop loop;
    std::atomic<bool> release{false};
    bool resumed = false;
    {
        auto waiting = [](Mailbox::Address mailbox, std::atomic<bool>& release,
                          bool& resumed) -> Sequence {
            auto work = Try(mailbox, [&release] {
                while (!release) {
                    std::this_thread::sleep_for(1ms);
                }
                return 0;
            });
            co_await work;
            resumed = true;
        };
        Sequence sequence = waiting(loop.address(), release, resumed);
    }
    release = true;
    EXPECT_TRUE(Background::WaitIdle(5s));
    loop.RunUntil([] { return false; }, 20ms);
    EXPECT_FALSE(resumed);
}

TEST(Concurrency, APendingCallAnswersInTimeOrIsLeftToEndUnseen) {
    Idle idle;
    const auto soon = [] { return std::chrono::steady_clock::now() + 5s; };
    EXPECT_EQ(threads::Pending<int>([] { return 7; }).waitUntil(soon()), 7);
    EXPECT_EQ(
        threads::Pending<int>([]() -> int { throw std::runtime_error("no"); }).waitUntil(soon()),
        0);
    std::atomic<bool> release{false};
    const threads::Pending<int> slow([&release] {
        while (!release) {
            std::this_thread::sleep_for(1ms);
        }
        return 1;
    });
    EXPECT_EQ(slow.waitUntil(std::chrono::steady_clock::now() + 20ms), std::nullopt);
    // The runner still counts the call left behind, so the program's end sees it.
    EXPECT_FALSE(Background::WaitIdle(0ms));
    release = true;
}
