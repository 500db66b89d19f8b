// Every WS-Discovery parser on the same bytes, as they would arrive from the network.
#include "neighbourhood/NetworkNames.h"
#include "neighbourhood/wsd/WsdEndpoints.h"
#include "neighbourhood/wsd/WsdMessages.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace wsd = neighbourhood::wsd;

namespace {

void Follow(const wsd::Matches& matches) {
    for (const wsd::Match& match : matches.matches) {
        neighbourhood::CleanName(match.endpoint);
        wsd::UrlForHost(match.xaddrs, {10, 0, 0, 1});
        static_cast<void>(match.IsComputer());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view message(reinterpret_cast<const char*>(data), size);
    if (const auto matches = wsd::ParseMatches(message)) {
        Follow(*matches);
    }
    if (const auto name = wsd::ParseGetResponse(message)) {
        neighbourhood::CleanName(name->name);
        neighbourhood::CleanName(name->group);
        neighbourhood::CleanName(name->friendlyName);
    }
    neighbourhood::CleanName(message);
    return 0;
}
