#include "platform/win32/Win32Computer.h"

#include "platform/Ipv4Address.h"
#include "platform/common/LocalAddress.h"
#include "platform/win32/Adapters.h"

// Winsock 2 first, then the rest of the system headers, then the helper API.
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include <climits>
#include <cstdint>
#include <vector>

namespace platform::win32 {

namespace {

// The interface of the default IPv4 route with the lowest metric, by index; empty when none.
std::string DefaultRouteInterface() {
    ULONG size = 0;
    if (GetIpForwardTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER) {
        return {};
    }
    std::vector<unsigned char> buffer(size);
    auto* table = reinterpret_cast<MIB_IPFORWARDTABLE*>(buffer.data());
    if (GetIpForwardTable(table, &size, FALSE) != NO_ERROR) {
        return {};
    }
    std::string best;
    DWORD bestMetric = ULONG_MAX;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_IPFORWARDROW& row = table->table[i];
        if (row.dwForwardDest == 0 && row.dwForwardMask == 0 && row.dwForwardMetric1 < bestMetric) {
            bestMetric = row.dwForwardMetric1;
            best = std::to_string(row.dwForwardIfIndex);
        }
    }
    return best;
}

std::vector<InterfaceEntry> ReadInterfaces() {
    std::vector<InterfaceEntry> entries;
    for (const AdapterAddress& adapter : Ipv4AdapterAddresses()) {
        InterfaceEntry entry;
        entry.name = std::to_string(adapter.index);
        entry.up = adapter.up;
        entry.loopback = adapter.loopback;
        entry.ipv4 = platform::DottedText(adapter.address);
        entries.push_back(std::move(entry));
    }
    return entries;
}

// The text before the first NUL of a 255-byte buffer that the call filled.
template <typename Call> std::string ReadName(Call call) {
    char buffer[255] = {};
    DWORD size = sizeof buffer;
    if (!call(buffer, &size)) {
        return {};
    }
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

} // namespace

std::string Win32Computer::localHostName() {
    // The DNS host name: what the socket library's gethostname reports.
    char name[256] = {};
    DWORD size = sizeof name;
    if (!GetComputerNameExA(ComputerNameDnsHostname, name, &size)) {
        return {};
    }
    return name;
}

std::string Win32Computer::localIP() {
    return ChooseLocalIPv4(ReadInterfaces(), DefaultRouteInterface());
}

std::string Win32Computer::userName() {
    return ReadName([](char* buffer, DWORD* size) { return GetUserNameA(buffer, size); });
}

std::string Win32Computer::computerName() {
    return ReadName([](char* buffer, DWORD* size) { return GetComputerNameA(buffer, size); });
}

} // namespace platform::win32
