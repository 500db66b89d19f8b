#pragma once

#include "platform/Internet.h"

#include <chrono>
#include <string>

namespace testsupport {

// A body whose every byte tells its position.
inline std::string Body(std::size_t size) {
    std::string body;
    for (std::size_t i = 0; i < size; ++i) {
        body += static_cast<char>('0' + i % 10);
    }
    return body;
}

// Limits short enough for tests that wait for them.
inline platform::InternetLimits ShortLimits() {
    platform::InternetLimits limits;
    limits.connectTimeout = std::chrono::milliseconds(2000);
    limits.stallTime = std::chrono::milliseconds(1000);
    limits.totalTime = std::chrono::milliseconds(3000);
    limits.maxBody = 64 * 1024;
    return limits;
}

inline double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace testsupport
