// NetBIOS name query answers as any host on the link may send them: the reader must never read
// past the datagram, and an address it gives is always one IPv4 address.
#include "neighbourhood/netbios/NetbiosMessage.h"

#include <cstddef>
#include <cstdint>

namespace netbios = neighbourhood::netbios;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The query that the answer is read for: its id taken from the answer itself, so that the
    // fuzzer reaches past the first check.
    const std::uint16_t id = size >= 2 ? static_cast<std::uint16_t>(data[0] << 8 | data[1]) : 0;
    for (const auto suffix : {netbios::kServer, netbios::kWorkstation}) {
        const auto address = netbios::DecodeAnswer(data, size, id, "SRV1", suffix);
        if (address && address->size() != 4) {
            __builtin_trap();
        }
    }
    return 0;
}
