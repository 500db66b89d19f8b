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
    Milliseconds next = rule_.ceiling;
    if (quiet_ < rule_.quietRounds) {
        next = std::min(next, lastRound_ + rule_.gap);
    } else {
        next = std::min(next, lastRound_ + rule_.answer);
    }
    return std::max(next, now);
}

} // namespace neighbourhood
