#include "platform/win32/Adapters.h"

// Winsock 2 first, then the rest of the system headers, then the helper API.
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include <cstring>

namespace platform::win32 {

std::vector<AdapterAddress> Ipv4AdapterAddresses() {
    std::vector<AdapterAddress> addresses;
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    // The list can grow between the call that sizes it and the one that fills it.
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        result = GetAdaptersAddresses(
            AF_INET, flags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (result != NO_ERROR) {
        return addresses;
    }
    for (const auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data());
         adapter != nullptr; adapter = adapter->Next) {
        for (const auto* unicast = adapter->FirstUnicastAddress; unicast != nullptr;
             unicast = unicast->Next) {
            const SOCKADDR* address = unicast->Address.lpSockaddr;
            if (address == nullptr || address->sa_family != AF_INET) {
                continue;
            }
            AdapterAddress entry;
            entry.index = adapter->IfIndex;
            entry.name = adapter->AdapterName != nullptr ? adapter->AdapterName : "";
            entry.up = adapter->OperStatus == IfOperStatusUp;
            entry.loopback = adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK;
            entry.multicast = (adapter->Flags & IP_ADAPTER_NO_MULTICAST) == 0;
            std::memcpy(entry.address.data(),
                        &reinterpret_cast<const sockaddr_in*>(address)->sin_addr,
                        entry.address.size());
            entry.prefixLength = unicast->OnLinkPrefixLength;
            addresses.push_back(std::move(entry));
        }
    }
    return addresses;
}

} // namespace platform::win32
