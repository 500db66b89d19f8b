#include "logic/computers/ListFill.h"
#include "tests/support/FakeNetwork.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

TEST(ListFill, RowNamesAreTheServerListsPartsWithoutTheirFirstTwoCharacters) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"\\\\ALPHA", {"ALPHA"}},
        {"", {}},
        {"\\\\", {}},
        {"XY", {}},
        {"XYZ", {"Z"}},
        // A bar inside a name splits it, as it splits the list.
        {"\\\\A|\\\\B", {"A", "B"}},
        {"\\\\EVIL|NAME", {"EVIL", "ME"}},
        {"\\\\A||\\\\", {"A"}},
        // Characters, not bytes: a two-byte letter is one character.
        {"\xC3\xA9\xC3\xA9host", {"host"}},
        {"\\\\\xC3\xA9t\xC3\xA9", {"\xC3\xA9t\xC3\xA9"}},
    };
    for (const auto& [remoteName, rows] : cases) {
        EXPECT_EQ(ListFill::RowNames(remoteName), rows) << remoteName;
    }
}

// A system out of threads: the fill still ends, once, with every row it found and their
// addresses.
TEST(ListFill, EndsWithWhatItFoundWhenThreadsCannotStart) {
    using platform::net::kDisplayDomain;
    using platform::net::kDisplayServer;
    const struct {
        const char* name;
        std::function<bool(int)> fails; // by launch, counted from 1 (the walk's)
        std::vector<std::string> rows;
    } cases[] = {
        {"none fails", [](int) { return false; }, {"ALPHA", "BRAVO", "CHARLIE"}},
        {"the walk's", [](int n) { return n == 1; }, {}},
        {"every lookup's", [](int n) { return n > 1; }, {"ALPHA", "BRAVO", "CHARLIE"}},
        {"every other", [](int n) { return n % 2 == 0; }, {"ALPHA", "BRAVO", "CHARLIE"}},
    };
    for (const auto& c : cases) {
        fakes::Provider provider;
        provider.children[""] = {fakes::Resource(kDisplayDomain, "WORKGROUP", true)};
        provider.children["WORKGROUP"] = {fakes::Resource(kDisplayServer, "\\\\ALPHA", false),
                                          fakes::Resource(kDisplayServer, "\\\\BRAVO", false),
                                          fakes::Resource(kDisplayServer, "\\\\CHARLIE", false)};
        fakes::Computer computer;
        fakes::Resolver resolver;
        resolver.add("ALPHA", {10, 0, 0, 1});
        resolver.add("BRAVO", {10, 0, 0, 2});
        resolver.add("CHARLIE", {10, 0, 0, 3});
        fakes::Messages messages;
        std::mutex mutex;
        std::condition_variable ended;
        std::vector<std::string> rows;
        std::map<std::string, std::string> addresses;
        int done = 0;
        ListFill::Events events;
        events.row = [&](const std::string& name) { rows.push_back(name); };
        events.address = [&](const std::string& name, const std::string& address) {
            addresses[name] = address;
        };
        events.done = [&] {
            const std::lock_guard lock(mutex);
            ++done;
            ended.notify_all();
        };
        std::vector<std::thread> threads;
        int launches = 0;
        ListFill::Start(
            {provider, computer, resolver, messages}, events, [&](std::function<void()> work) {
                const std::lock_guard lock(mutex);
                if (c.fails(++launches)) {
                    throw std::system_error(
                        std::make_error_code(std::errc::resource_unavailable_try_again));
                }
                threads.emplace_back(std::move(work));
            });
        {
            std::unique_lock lock(mutex);
            EXPECT_TRUE(ended.wait_for(lock, std::chrono::seconds(5), [&] { return done > 0; }))
                << c.name;
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
        EXPECT_EQ(done, 1) << c.name;
        EXPECT_EQ(rows, c.rows) << c.name;
        for (const std::string& row : rows) {
            EXPECT_EQ(addresses[row], "10.0.0." + std::to_string(row[0] - 'A' + 1)) << c.name;
        }
    }
}
