#include "neighbourhood/DiscoveryWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using neighbourhood::DiscoveryWindow;
using std::chrono::milliseconds;

namespace {

// The protocols' rules under the program's 2 s ceiling: WS-Discovery's peers may wait 500 ms
// before they answer a Probe, mDNS responders answer a query at once or within 120 ms.
constexpr DiscoveryWindow::Rule kWsd{milliseconds{550}, milliseconds{30}, 9, milliseconds{2000}};
constexpr DiscoveryWindow::Rule kMdns{milliseconds{150}, milliseconds{50}, 10, milliseconds{2000}};

struct Outcome {
    int closedAt;
    int rounds;
    int wakes; // milliseconds at which the caller would not be asleep
};

// A discovery driven every millisecond: rounds when due, news at the times given, something
// asked still open until `openUntil`; the first millisecond at which the window is closed.
// Checks on the way that Next() never sleeps past a round or the close, and counts the wakes.
Outcome Drive(DiscoveryWindow::Rule rule, const std::vector<int>& news, int openUntil = 0) {
    DiscoveryWindow window(rule);
    Outcome run{-1, 0, 0};
    milliseconds next{0};
    for (int t = 0; t <= 5000; ++t) {
        const milliseconds now{t};
        const bool open = t < openUntil;
        if (t == openUntil) {
            next = now; // the answer that closes what was open wakes the discovery
        }
        if (window.Closed(now, open)) {
            EXPECT_LE(next, now) << "slept past the close at " << t;
            run.closedAt = t;
            return run;
        }
        if (std::count(news.begin(), news.end(), t) > 0) {
            window.News();
            next = now;
        }
        if (window.RoundDue(now)) {
            EXPECT_LE(next, now) << "slept past a round at " << t;
            window.RoundSent(now);
            ++run.rounds;
        }
        next = window.Next(now);
        EXPECT_GE(next, now);
        run.wakes += next == now ? 1 : 0;
    }
    return run;
}

} // namespace

TEST(DiscoveryWindow, ClosesWhenTheRoundsAfterTheLastNewsHadTheirAnswerTime) {
    std::vector<int> flood;
    for (int t = 3; t < 3000; t += 90) {
        flood.push_back(t);
    }
    const struct {
        const char* what;
        DiscoveryWindow::Rule rule;
        std::vector<int> news;
        int openUntil;
        int closedAt;
        int rounds;
    } cases[] = {
        // Nobody answers: nine Probes, 30 ms apart, and the last one's 550 ms.
        {"WSD, silence", kWsd, {}, 0, 790, 9},
        // Peers that answer within milliseconds: nine rounds after their answers.
        {"WSD, quick peers", kWsd, {2, 4, 9, 21}, 0, 820, 10},
        // A peer that takes 400 ms of its 500: nine more rounds after it.
        {"WSD, a slow peer", kWsd, {5, 400}, 0, 1190, 19},
        // A computer still waits for its Resolve or its name.
        {"WSD, a name request still open", kWsd, {}, 1300, 1300, 9},
        // News too late for a round to be answered before the ceiling: the ceiling.
        {"WSD, news near the end", kWsd, {1690}, 1700, 2000, 9},
        // A flood keeps bringing news, or keeps something open: never past the ceiling.
        {"WSD, a flood", kWsd, flood, 0, 2000, 49},
        {"WSD, never answered", kWsd, {}, 9999, 2000, 9},
        {"mDNS, silence", kMdns, {}, 0, 600, 10},
        {"mDNS, answers under loss", kMdns, {1, 260, 320}, 0, 950, 17},
    };
    for (const auto& c : cases) {
        const Outcome run = Drive(c.rule, c.news, c.openUntil);
        EXPECT_EQ(run.closedAt, c.closedAt) << c.what;
        EXPECT_EQ(run.rounds, c.rounds) << c.what;
        // Woken for its rounds, its news and the answer times: it never spins while it waits.
        EXPECT_LE(run.wakes, c.rounds + static_cast<int>(c.news.size()) + 2) << c.what;
    }
}
