#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace neighbourhood::wsd {

using Milliseconds = std::chrono::milliseconds;

// A whole number of milliseconds drawn evenly from [low, high].
using RandomSource = std::function<Milliseconds(Milliseconds low, Milliseconds high)>;

// UDP loses datagrams: every message goes out again after a random, doubling gap.
struct Timing {
    Milliseconds firstGapMin{50};
    Milliseconds firstGapMax{250};
    Milliseconds gapCap{500};
    int probeCopies = 4;
    // Each Resolve is a request of its own (a new MessageID), and the discovery waits for its
    // answer: they go out more often than the copies, so that a lost one costs less.
    Milliseconds resolveGapCap{150};
};

// What to send when, in time since discovery began: the copies of the latest Probe, and a Resolve
// for each endpoint that needs one until it is answered. (When a fresh Probe goes out, under a
// new MessageID, is the discovery window's to say: peers answer each MessageID once, so only a
// fresh one brings back a lost ProbeMatch.) Nothing is sent in the last tenth of the window,
// which is left for the answers and the name requests.
class Schedule {
public:
    Schedule(Milliseconds window, RandomSource random, Timing timing = {});

    // A fresh Probe went out: its copies follow, and the last one's are pointless.
    void Probed(Milliseconds now);

    struct Due {
        bool probe = false;                // a copy of the latest Probe
        std::vector<std::string> resolves; // each under a new MessageID, the peer drops repeats
    };
    Due Take(Milliseconds now);

    // The first Resolve is due at once; asking again for a pending or answered one changes nothing.
    void NeedResolve(const std::string& endpoint, Milliseconds now);
    void Resolved(const std::string& endpoint);

    // When Take() has something next; End() when nothing is left to send.
    Milliseconds Next() const;
    Milliseconds End() const { return end_; }

private:
    struct Retry {
        Milliseconds next{0};
        Milliseconds gap{0};
        int sent = 0;
    };

    void Backoff(Retry& retry, Milliseconds now, Milliseconds cap);

    Milliseconds end_;
    RandomSource random_;
    Timing timing_;
    Retry probe_;
    std::map<std::string, Retry> resolves_; // pending ones
    std::set<std::string> answered_;
};

} // namespace neighbourhood::wsd
