#include "neighbourhood/wsd/WsdSchedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace wsd = neighbourhood::wsd;
using std::chrono::milliseconds;

namespace {

wsd::RandomSource Always(milliseconds value) {
    return [value](milliseconds, milliseconds) { return value; };
}

struct Sent {
    milliseconds at;
    bool fresh;
    bool operator==(const Sent&) const = default;
};

struct Trace {
    std::vector<Sent> probes;
    std::map<std::string, std::vector<milliseconds>> resolves;
};

// Takes what is due every millisecond of the window and beyond, with a fresh Probe at each of
// `rounds`; `step` acts on the schedule first. Checks on the way that Next() never lets
// something due slip by.
Trace Simulate(wsd::Schedule& schedule, milliseconds until, std::vector<int> rounds,
               const std::function<void(milliseconds)>& step = {}) {
    Trace trace;
    for (milliseconds now{0}; now <= until; ++now) {
        if (step) {
            step(now);
        }
        if (std::find(rounds.begin(), rounds.end(), now.count()) != rounds.end()) {
            schedule.Probed(now);
            trace.probes.push_back({now, true});
        }
        const milliseconds next = schedule.Next();
        const wsd::Schedule::Due due = schedule.Take(now);
        if (due.probe || !due.resolves.empty()) {
            EXPECT_LE(next, now);
        }
        if (due.probe) {
            trace.probes.push_back({now, false});
        }
        for (const std::string& endpoint : due.resolves) {
            trace.resolves[endpoint].push_back(now);
        }
    }
    return trace;
}

} // namespace

TEST(WsdSchedule, CopiesFollowEachFreshProbeWithDoublingGaps) {
    const milliseconds ms{1};
    wsd::Schedule shortest(milliseconds{2000}, Always(milliseconds{50}));
    EXPECT_EQ(shortest.End(), milliseconds{1800});
    std::vector<Sent> expected;
    for (const int round : {0, 500, 1000, 1500}) {
        expected.push_back({round * ms, true});
        for (const int copy : {50, 150, 350}) {
            if (round + copy < 1800) {
                expected.push_back({(round + copy) * ms, false});
            }
        }
    }
    EXPECT_EQ(Simulate(shortest, milliseconds{2500}, {0, 500, 1000, 1500}).probes, expected);

    // Four copies at most.
    wsd::Schedule once(milliseconds{2000}, Always(milliseconds{50}));
    EXPECT_EQ(Simulate(once, milliseconds{2500}, {0}).probes,
              (std::vector<Sent>{
                  {0 * ms, true}, {50 * ms, false}, {150 * ms, false}, {350 * ms, false}}));

    // A new round makes the old round's copies pointless.
    wsd::Schedule longest(milliseconds{2000}, Always(milliseconds{250}));
    EXPECT_EQ(Simulate(longest, milliseconds{2500}, {0, 500, 1000, 1500}).probes,
              (std::vector<Sent>{{0 * ms, true},
                                 {250 * ms, false},
                                 {500 * ms, true},
                                 {750 * ms, false},
                                 {1000 * ms, true},
                                 {1250 * ms, false},
                                 {1500 * ms, true},
                                 {1750 * ms, false}}));
}

TEST(WsdSchedule, StaysWithinTheBoundsForAnyDraw) {
    for (unsigned seed = 0; seed < 100; ++seed) {
        std::mt19937 generator(seed);
        const milliseconds window{200 + static_cast<int>(seed) * 37};
        wsd::Schedule schedule(window, [&](milliseconds low, milliseconds high) {
            EXPECT_EQ(low, milliseconds{50});
            EXPECT_EQ(high, milliseconds{250});
            return milliseconds{std::uniform_int_distribution<int>(50, 250)(generator)};
        });
        schedule.NeedResolve("urn:uuid:a", milliseconds{30});
        std::vector<int> rounds;
        for (int round = 0; round < window.count(); round += 500) {
            rounds.push_back(round);
        }
        const Trace trace = Simulate(schedule, window + milliseconds{1000}, rounds);
        ASSERT_FALSE(trace.probes.empty());
        EXPECT_TRUE(trace.probes.front().fresh);
        int copies = 0;
        milliseconds gap{0};
        for (std::size_t i = 1; i < trace.probes.size(); ++i) {
            const milliseconds since = trace.probes[i].at - trace.probes[i - 1].at;
            if (trace.probes[i].fresh) {
                copies = 0;
                continue;
            }
            ++copies;
            ASSERT_LE(copies, 3) << seed; // four copies in all
            if (copies == 1) {
                EXPECT_GE(since, milliseconds{50});
                EXPECT_LE(since, milliseconds{250});
            } else {
                EXPECT_EQ(since, std::min(gap * 2, milliseconds{500}));
            }
            gap = since;
        }
        EXPECT_TRUE(trace.probes.back().fresh || trace.probes.back().at < schedule.End());
        const auto& resolves = trace.resolves.at("urn:uuid:a");
        EXPECT_EQ(resolves.front(), milliseconds{30});
        EXPECT_LT(resolves.back(), schedule.End());
        for (std::size_t i = 2; i < resolves.size(); ++i) {
            EXPECT_LE(resolves[i] - resolves[i - 1], milliseconds{500});
        }
        EXPECT_LE(schedule.End(), window);
    }
}

TEST(WsdSchedule, ResolvesUntilAnswered) {
    wsd::Schedule schedule(milliseconds{3000}, Always(milliseconds{50}));
    const Trace trace = Simulate(schedule, milliseconds{3000}, {}, [&](milliseconds now) {
        if (now == milliseconds{100}) {
            schedule.NeedResolve("answered", now);
            schedule.NeedResolve("silent", now);
        }
        if (now == milliseconds{200}) {
            schedule.NeedResolve("answered", now); // already pending: no fresh start
        }
        if (now == milliseconds{700}) {
            schedule.Resolved("answered");
        }
        if (now == milliseconds{800}) {
            schedule.NeedResolve("answered", now); // answered: never again
        }
    });
    using V = std::vector<milliseconds>;
    const milliseconds ms{1};
    EXPECT_EQ(trace.resolves.at("answered"), (V{100 * ms, 150 * ms, 250 * ms, 400 * ms, 550 * ms}));
    // Their gaps double to 150 ms, not to the copies' half second, until the end.
    V silent{100 * ms, 150 * ms, 250 * ms};
    for (int at = 400; at < 2700; at += 150) {
        silent.push_back(at * ms);
    }
    EXPECT_EQ(trace.resolves.at("silent"), silent);
}

TEST(WsdSchedule, SendsNothingOutsideTheWindow) {
    wsd::Schedule none(milliseconds{0}, Always(milliseconds{50}));
    none.NeedResolve("a", milliseconds{0});
    const Trace nothing = Simulate(none, milliseconds{1000}, {});
    EXPECT_TRUE(nothing.probes.empty());
    EXPECT_TRUE(nothing.resolves.empty());

    // Called late, it sends what is due once, not everything it missed.
    wsd::Schedule late(milliseconds{2000}, Always(milliseconds{50}));
    late.Probed(milliseconds{0});
    EXPECT_TRUE(late.Take(milliseconds{1234}).probe);
    EXPECT_FALSE(late.Take(milliseconds{1234}).probe);
    EXPECT_FALSE(late.Take(milliseconds{1800}).probe);
    EXPECT_LE(late.Next(), late.End());
}
