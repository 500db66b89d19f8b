#pragma once

#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/FakeInternet.h"
#include "tests/support/FakePlatform.h"

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fakes {

// The next of the answers queued for a dialog; nothing (cancelled) when none is left.
template <typename T> std::optional<T> NextAnswer(std::deque<std::optional<T>>& answers) {
    if (answers.empty()) {
        return std::nullopt;
    }
    std::optional<T> answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

class Clock final : public platform::Clock {
public:
    std::string date = "12/7/2026";
    std::string time = "7:05:09 AM";
    std::vector<char> reads; // 'd' and 't' in the order read
    std::string read(Reading reading) override {
        const bool isDate = reading == Reading::Date;
        reads.push_back(isDate ? 'd' : 't');
        return isDate ? date : time;
    }
};

// Files in memory; a path in `refused` fails with its reason and keeps what it held.
class Files final : public platform::Files {
public:
    std::map<std::string, std::string> written;
    std::map<std::string, std::string> refused;
    std::optional<std::string> replaceFile(const std::string& path,
                                           const std::string& bytes) override {
        if (const auto reason = refused.find(path); reason != refused.end()) {
            return reason->second;
        }
        written[path] = bytes;
        return std::nullopt;
    }
};

} // namespace fakes
