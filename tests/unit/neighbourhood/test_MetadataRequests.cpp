#include "neighbourhood/wsd/MetadataRequests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>

namespace wsd = neighbourhood::wsd;

namespace {

std::atomic<int> running{0};
std::atomic<int> most{0};

// A peer that takes a moment to answer, with the URL it was asked at.
std::optional<std::string> SlowPeer(const std::string& url, const std::string& request,
                                    std::chrono::milliseconds limit, std::size_t) {
    const int now = ++running;
    for (int seen = most; now > seen && !most.compare_exchange_weak(seen, now);) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    --running;
    if (limit <= std::chrono::milliseconds(0) ||
        request.find("transfer/Get") == std::string::npos) {
        return std::nullopt;
    }
    return "answer of " + url;
}

} // namespace

// Requests run beside each other, at most sixteen at a time; each end wakes the discovery's
// wait at once, and one whose time has passed is not made.
TEST(MetadataRequests, RunSixteenAtATimeAndWakeTheWaitAsTheyEnd) {
    wsd::MetadataRequests requests(SlowPeer);
    ASSERT_NE(requests.wake(), nullptr);
    const auto deadline = wsd::MetadataRequests::Clock::now() + std::chrono::seconds(30);
    for (int i = 0; i < 40; ++i) {
        requests.Add({"urn:uuid:" + std::to_string(i), "http://10.0.0.1/" + std::to_string(i)},
                     deadline);
    }
    requests.Add({"urn:uuid:late", "http://10.0.0.1/late"}, wsd::MetadataRequests::Clock::now());
    std::set<std::pair<std::string, std::string>> answered;
    while (answered.size() < 40) {
        ASSERT_TRUE(
            neighbourhood::net::WaitReadable({requests.wake()}, std::chrono::seconds(20)).front())
            << "an ended request did not wake the wait; " << answered.size() << " answered";
        for (auto& answer : requests.Finished()) {
            answered.insert(std::move(answer));
        }
    }
    EXPECT_EQ(answered.count({"urn:uuid:7", "answer of http://10.0.0.1/7"}), 1U);
    EXPECT_LE(most.load(), static_cast<int>(wsd::MetadataRequests::kMaxRunning));
    EXPECT_GT(most.load(), 1) << "one at a time";
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(requests.Finished().empty()) << "the late request gave an answer";
}
