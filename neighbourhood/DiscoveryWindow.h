#pragma once

#include <chrono>

namespace neighbourhood {

// When a discovery has heard enough. It sends rounds (a fresh Probe or query that every peer
// answers again) and listens; each peer answers a round within the protocol's answer time. The
// window closes once the last few rounds sent after the last news brought nothing new, each had
// its answer time, and nothing asked is still open (a Resolve, a name request, a follow-up
// question); whatever happens, at the ceiling. Time is given by the caller, since the start.
class DiscoveryWindow {
public:
    using Milliseconds = std::chrono::milliseconds;

    struct Rule {
        Milliseconds answer;  // the time a peer may take to answer a round, with the trip
        Milliseconds gap;     // between rounds
        int quietRounds;      // rounds after the last news before the window may close
        Milliseconds ceiling; // closes then, however much still comes in
    };

    explicit DiscoveryWindow(Rule rule) : rule_(rule) {}

    // A round is due: the first at once, then one every gap until enough have gone out since
    // the last news; none that could not be answered before the ceiling.
    bool RoundDue(Milliseconds now) const;
    void RoundSent(Milliseconds now);
    // Something new came in: an answer from an unknown peer, or what a peer had not told yet.
    void News();

    // `open`: something asked waits for its answer.
    bool Closed(Milliseconds now, bool open) const;
    // The next time at which a round may be due or the window close, when no news comes and
    // nothing asked is answered.
    Milliseconds Next(Milliseconds now) const;

private:
    Rule rule_;
    int rounds_ = 0;           // sent in all
    int quiet_ = 0;            // sent since the last news
    Milliseconds lastRound_{}; // when the last one went out
};

} // namespace neighbourhood
