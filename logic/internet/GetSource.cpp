#include "logic/internet/GetSource.h"

#include "base/text/Text.h"

#include <array>

namespace GetSource {

bool CheckConnection(platform::Internet& internet, const std::string& url) {
    return internet.checkConnection(url);
}

std::string GetPageText(platform::Internet& internet, const std::string& url) {
    std::array<char, kReadSize> buffer{};
    std::string page;
    const auto session = internet.open(kUserAgent);
    if (!session) {
        return page;
    }
    const auto reader = session->openUrl(url);
    if (!reader) {
        return page;
    }
    for (;;) {
        const std::size_t count = reader->read(buffer.data(), buffer.size());
        if (count == 0) {
            break;
        }
        page.append(buffer.data(), count);
    }
    return page;
}

std::string ExtractBetween(const std::string& text, const std::string& startMarker,
                           const std::string& endMarker, std::int32_t startPosition) {
    if (startPosition <= 0) {
        return {};
    }
    const auto from = static_cast<std::size_t>(startPosition) - 1;
    if (from > text.size()) {
        return {};
    }
    const auto start = text.find(startMarker, from);
    if (start == std::string::npos) {
        return {};
    }
    const auto begin = start + startMarker.size();
    const auto end = text.find(endMarker, begin);
    if (end == std::string::npos) {
        return {};
    }
    return text::TrimSpaces(text.substr(begin, end - begin));
}

std::string PageValue(const std::string& page, const std::string& startMarker) {
    return text::CleanText(ExtractBetween(page, startMarker, "</b>", 1), kMaxValueBytes);
}

} // namespace GetSource
