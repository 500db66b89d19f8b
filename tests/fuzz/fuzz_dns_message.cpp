// Decodes arbitrary bytes and feeds what decodes to the collector, then re-encodes its
// questions: nothing may crash, hang or grow without bound.
#include "neighbourhood/mdns/DnsMessage.h"
#include "neighbourhood/mdns/MdnsCollector.h"

#include <cstddef>
#include <cstdint>

namespace mdns = neighbourhood::mdns;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto message = mdns::Decode(data, size);
    if (!message) {
        return 0;
    }
    mdns::Collector collector;
    collector.Add(*message, {10, 0, 0, 1});
    // As an answer as well, whatever its flags say, so that the records always reach the
    // collector.
    auto response = *message;
    response.flags = 0x8400;
    collector.Add(response, {10, 0, 0, 1});
    const auto questions = collector.Missing();
    if (questions.size() > mdns::kMaxFollowUps) {
        __builtin_trap();
    }
    // Every name that came in can go out again.
    if (mdns::EncodeQuery(1, questions).empty() && !questions.empty()) {
        __builtin_trap();
    }
    for (const auto& computer : collector.Computers()) {
        for (const char c : computer.name) {
            if (c == '|' || static_cast<unsigned char>(c) < 0x20) {
                __builtin_trap();
            }
        }
    }
    for (const auto& record : message->records) {
        (void)mdns::NameKey(record.name);
    }
    return 0;
}
