#pragma once

#include "platform/Internet.h"
#include "tests/support/Gate.h"

#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace fakes {

// Hands out a body in the chunk sizes a test asks for (never more than the reader asks for).
class ChunkedReader final : public platform::UrlReader {
public:
    ChunkedReader(std::string body, std::vector<std::size_t> chunks, std::size_t failAfter,
                  std::vector<std::size_t>& counts)
        : body_(std::move(body)), chunks_(std::move(chunks)), failAfter_(failAfter),
          counts_(counts) {}

    std::size_t read(char* buffer, std::size_t size) override {
        const std::size_t count = next(buffer, size);
        counts_.push_back(count);
        return count;
    }

private:
    std::size_t next(char* buffer, std::size_t size) {
        if (offset_ >= failAfter_ || offset_ >= body_.size()) {
            return 0;
        }
        std::size_t count = std::min(size, body_.size() - offset_);
        if (!chunks_.empty()) {
            count = std::min(count, chunks_[chunk_++ % chunks_.size()]);
        }
        std::memcpy(buffer, body_.data() + offset_, count);
        offset_ += count;
        return count;
    }

    std::string body_;
    std::vector<std::size_t> chunks_;
    std::size_t failAfter_;
    std::size_t offset_ = 0;
    std::size_t chunk_ = 0;
    std::vector<std::size_t>& counts_;
};

// An Internet whose answers a test sets in advance, and which records what it was asked.
class FakeInternet final : public platform::Internet {
public:
    bool connected = true;
    bool throwOnCheck = false;
    bool sessionFails = false;
    bool urlFails = false;
    std::string body;
    std::vector<std::size_t> chunks;           // empty: as much as the reader asks for
    std::size_t failAfter = std::string::npos; // a read failing once this much was read

    int checks = 0;
    int fetches = 0;
    std::vector<std::string> urls;
    std::string agent;
    std::vector<std::size_t> readCounts; // what each read delivered

    Gate checkGate; // passed inside the connectivity test
    Gate fetchGate; // passed inside the page fetch

    bool checkConnection(const std::string& url) override {
        ++checks;
        urls.push_back(url);
        checkGate.pass();
        if (throwOnCheck) {
            throw std::runtime_error("connectivity library missing");
        }
        return connected;
    }

    std::unique_ptr<platform::InternetSession> open(const std::string& userAgent) override {
        agent = userAgent;
        if (sessionFails) {
            return nullptr;
        }
        return std::make_unique<Session>(*this);
    }

private:
    class Session final : public platform::InternetSession {
    public:
        explicit Session(FakeInternet& owner) : owner_(owner) {}
        std::unique_ptr<platform::UrlReader> openUrl(const std::string& url) override {
            ++owner_.fetches;
            owner_.urls.push_back(url);
            owner_.fetchGate.pass();
            if (owner_.urlFails) {
                return nullptr;
            }
            return std::make_unique<ChunkedReader>(owner_.body, owner_.chunks, owner_.failAfter,
                                                   owner_.readCounts);
        }

    private:
        FakeInternet& owner_;
    };
};

} // namespace fakes
