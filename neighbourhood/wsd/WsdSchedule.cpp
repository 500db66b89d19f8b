#include "neighbourhood/wsd/WsdSchedule.h"

#include <algorithm>

namespace neighbourhood::wsd {

Schedule::Schedule(Milliseconds window, RandomSource random, Timing timing)
    : end_(std::max(Milliseconds{0}, window - window / 10)), random_(std::move(random)),
      timing_(timing) {}

// The first gap is random so that clients started together do not keep colliding.
void Schedule::Backoff(Retry& retry, Milliseconds now, Milliseconds cap) {
    retry.gap = retry.sent == 0 ? random_(timing_.firstGapMin, timing_.firstGapMax)
                                : std::min(retry.gap * 2, cap);
    ++retry.sent;
    retry.next = now + retry.gap;
}

Schedule::Due Schedule::Take(Milliseconds now) {
    Due due;
    if (now >= end_) {
        return due;
    }
    if (probe_.sent > 0 && probe_.sent < timing_.probeCopies && now >= probe_.next) {
        due.probe = true;
        Backoff(probe_, now, timing_.gapCap);
    }
    for (auto& [endpoint, retry] : resolves_) {
        if (now >= retry.next) {
            due.resolves.push_back(endpoint);
            Backoff(retry, now, timing_.resolveGapCap);
        }
    }
    return due;
}

void Schedule::Probed(Milliseconds now) {
    probe_ = Retry{};
    Backoff(probe_, now, timing_.gapCap);
}

void Schedule::NeedResolve(const std::string& endpoint, Milliseconds now) {
    if (answered_.count(endpoint) == 0 && resolves_.count(endpoint) == 0) {
        resolves_[endpoint].next = now;
    }
}

void Schedule::Resolved(const std::string& endpoint) {
    resolves_.erase(endpoint);
    answered_.insert(endpoint);
}

Milliseconds Schedule::Next() const {
    Milliseconds next = end_;
    if (probe_.sent > 0 && probe_.sent < timing_.probeCopies) {
        next = std::min(next, probe_.next);
    }
    for (const auto& [endpoint, retry] : resolves_) {
        next = std::min(next, retry.next);
    }
    return next;
}

} // namespace neighbourhood::wsd
