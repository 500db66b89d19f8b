// STUN answers as anyone who can reach the client's port may send them: the reader must never
// read past the datagram, and it gives an address only for a Binding success answer whose
// header says the datagram's own length.
#include "logic/internet/Stun.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    // The transaction asked for: the answer's own, so that the fuzzer reaches past that check.
    Stun::TransactionId id{};
    if (size >= Stun::kHeaderSize) {
        std::copy(data + 8, data + 20, id.begin());
    }
    if (Stun::MappedAddress(answer, id) &&
        (size < Stun::kHeaderSize || data[0] != 0x01 || data[1] != 0x01 ||
         std::size_t{static_cast<std::size_t>(data[2] << 8 | data[3])} != size - 20)) {
        __builtin_trap();
    }
    return 0;
}
