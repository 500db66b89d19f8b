#include "neighbourhood/DiscoveryWindow.h"

#include <algorithm>

namespace neighbourhood {

bool DiscoveryWindow::RoundDue(Milliseconds now) const {
    if (rounds_ == 0) {
        return now < rule_.ceiling;
    }
    return quiet_ < rule_.quietRounds && now >= lastRound_ + rule_.gap &&
           now + rule_.answer <= rule_.ceiling;
}

void DiscoveryWindow::RoundSent(Milliseconds now) {
    ++rounds_;
    ++quiet_;
    lastRound_ = now;
}

void DiscoveryWindow::News() {
    // The rounds sent so far may have brought it: only later ones count as quiet.
    quiet_ = 0;
}

bool DiscoveryWindow::Closed(Milliseconds now, bool open) const {
    if (now >= rule_.ceiling) {
        return true;
    }
    return !open && rounds_ > 0 && quiet_ >= rule_.quietRounds && now >= lastRound_ + rule_.answer;
}

DiscoveryWindow::Milliseconds DiscoveryWindow::Next(Milliseconds now) const {
    if (rounds_ == 0) {
        return now;
    }
    // Past the last round's answer time only an answer (which wakes the caller) or the ceiling
    // changes anything: no waking before then.
    Milliseconds next = rule_.ceiling;
    const Milliseconds round = std::max(now, lastRound_ + rule_.gap);
    if (quiet_ < rule_.quietRounds && round + rule_.answer <= rule_.ceiling) {
        next = round;
    } else if (quiet_ >= rule_.quietRounds && lastRound_ + rule_.answer > now) {
        next = lastRound_ + rule_.answer;
    }
    return std::max(next, now);
}

} // namespace neighbourhood
