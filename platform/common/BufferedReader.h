#pragma once

#include "platform/Internet.h"

#include <algorithm>
#include <cstring>

namespace platform {

// A body read in full beforehand, handed out in the order received.
class BufferedReader final : public UrlReader {
public:
    explicit BufferedReader(std::string body) : body_(std::move(body)) {}

    std::size_t read(char* buffer, std::size_t size) override {
        const std::size_t count = std::min(size, body_.size() - offset_);
        std::memcpy(buffer, body_.data() + offset_, count);
        offset_ += count;
        return count;
    }

private:
    std::string body_;
    std::size_t offset_ = 0;
};

} // namespace platform
