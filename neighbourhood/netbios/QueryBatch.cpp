#include "neighbourhood/netbios/QueryBatch.h"

#include "neighbourhood/netbios/NetbiosMessage.h"

#include <algorithm>

namespace neighbourhood::netbios {

namespace {

constexpr std::uint8_t kSuffixes[] = {kServer, kWorkstation};

std::uint16_t IdFor(std::uint16_t id, std::uint8_t suffix) {
    return static_cast<std::uint16_t>(id + suffix);
}

} // namespace

std::vector<QueryBatch::Packet> QueryBatch::Add(std::size_t key, const std::string& name,
                                                std::uint16_t id, Milliseconds now) {
    Waiting waiting{name, id, now, false, {}};
    for (const std::uint8_t suffix : kSuffixes) {
        auto packet = EncodeQuery(IdFor(id, suffix), name, suffix);
        if (!packet) {
            return {};
        }
        waiting.queries.push_back(std::move(*packet));
    }
    std::vector<Packet> queries = waiting.queries;
    waiting_[key] = std::move(waiting);
    return queries;
}

std::vector<QueryBatch::Packet> QueryBatch::Resend(Milliseconds now) {
    std::vector<Packet> due;
    for (auto& [key, waiting] : waiting_) {
        if (!waiting.resent && now >= waiting.joined + wait_ / 2) {
            waiting.resent = true;
            due.insert(due.end(), waiting.queries.begin(), waiting.queries.end());
        }
    }
    return due;
}

std::optional<std::pair<std::size_t, std::vector<std::uint8_t>>>
QueryBatch::Answer(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return std::nullopt;
    }
    const auto id = static_cast<std::uint16_t>(data[0] << 8 | data[1]);
    for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
        for (const std::uint8_t suffix : kSuffixes) {
            if (IdFor(it->second.id, suffix) != id) {
                continue;
            }
            if (auto address = DecodeAnswer(data, size, id, it->second.name, suffix)) {
                std::pair<std::size_t, std::vector<std::uint8_t>> answer{it->first,
                                                                         std::move(*address)};
                waiting_.erase(it);
                return answer;
            }
        }
    }
    return std::nullopt;
}

std::vector<std::size_t> QueryBatch::Expired(Milliseconds now) {
    std::vector<std::size_t> expired;
    for (auto it = waiting_.begin(); it != waiting_.end();) {
        if (now >= it->second.joined + wait_) {
            expired.push_back(it->first);
            it = waiting_.erase(it);
        } else {
            ++it;
        }
    }
    return expired;
}

QueryBatch::Milliseconds QueryBatch::Next() const {
    Milliseconds next = Milliseconds::max();
    for (const auto& [key, waiting] : waiting_) {
        next = std::min(next, waiting.joined + (waiting.resent ? wait_ : wait_ / 2));
    }
    return next;
}

} // namespace neighbourhood::netbios
