#include "neighbourhood/wsd/SoapPost.h"

#include "platform/posix/Curl.h"

#include <algorithm>
#include <memory>

namespace neighbourhood::wsd {

namespace {

constexpr std::chrono::milliseconds kConnectTimeout{1000};

struct Body {
    std::string text;
    std::size_t maxBytes;
};

std::size_t Write(char* data, std::size_t size, std::size_t count, void* user) {
    auto* body = static_cast<Body*>(user);
    const std::size_t bytes = size * count;
    if (body->text.size() + bytes > body->maxBytes) {
        return 0; // larger than any answer that would be read; libcurl ends the transfer
    }
    body->text.append(data, bytes);
    return bytes;
}

struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

} // namespace

std::optional<std::string> PostSoap(const std::string& url, const std::string& request,
                                    std::chrono::milliseconds limit, std::size_t maxBytes) {
    // libcurl reads a time limit of 0 as none at all.
    if (limit <= std::chrono::milliseconds{0}) {
        return std::nullopt;
    }
    platform::posix::Easy easy =
        platform::posix::NewEasy(url, "http", std::min(limit, kConnectTimeout));
    if (!easy) {
        return std::nullopt;
    }
    std::unique_ptr<curl_slist, ListDeleter> headers(
        curl_slist_append(nullptr, "Content-Type: application/soap+xml"));
    // No "Expect: 100-continue" round trip.
    curl_slist* all = headers ? curl_slist_append(headers.get(), "Expect:") : nullptr;
    Body body{{}, maxBytes};
    CURL* h = easy.get();
    long status = 0;
    const bool done =
        all != nullptr && curl_easy_setopt(h, CURLOPT_HTTPHEADER, all) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, request.c_str()) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.size())) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(limit.count())) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, Write) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &body) == CURLE_OK &&
        curl_easy_perform(h) == CURLE_OK &&
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK;
    if (!done || status != 200) {
        return std::nullopt;
    }
    return std::move(body.text);
}

} // namespace neighbourhood::wsd
