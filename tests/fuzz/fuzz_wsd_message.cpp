// Every WS-Discovery parser on the same bytes, as they would arrive from the network.
#include "platform/posix/WsdEndpoints.h"
#include "platform/posix/WsdMessages.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace wsd = platform::posix::wsd;

namespace {

void Follow(const wsd::Matches& matches) {
    for (const wsd::Match& match : matches.matches) {
        wsd::CleanText(match.endpoint);
        wsd::UrlForHost(match.xaddrs, {10, 0, 0, 1});
        static_cast<void>(match.IsComputer());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view message(reinterpret_cast<const char*>(data), size);
    if (const auto matches = wsd::ParseProbeMatches(message)) {
        Follow(*matches);
    }
    if (const auto matches = wsd::ParseResolveMatches(message)) {
        Follow(*matches);
    }
    if (const auto name = wsd::ParseGetResponse(message)) {
        wsd::CleanText(name->name);
        wsd::CleanText(name->group);
        wsd::CleanText(name->friendlyName);
    }
    wsd::CleanText(message);
    return 0;
}
