#include "logic/computers/modIP.h"

#include "base/text/Text.h"
#include "platform/Ipv4Address.h"

#include <algorithm>
#include <span>

namespace modIP {

int LowByteOf(std::uint16_t value) {
    return value & 0xFF;
}

int HighByteOf(std::uint16_t value) {
    return (value / 256) & 0xFF;
}

bool StartSocketLibrary(platform::SocketLibrary& sockets, platform::MessageBox& messages) {
    const platform::SocketStartup started = sockets.startup(kRequestedVersion);
    if (started.result != 0) {
        messages.show("The 32-bit Windows Socket is not responding.");
        return false;
    }
    if (started.maxSockets < kMinSockets) {
        messages.show("This application requires a minimum of " + std::to_string(kMinSockets) +
                      " supported sockets.");
        // The library did start: give it back.
        sockets.cleanup();
        return false;
    }
    const int major = LowByteOf(started.version);
    const int minor = HighByteOf(started.version);
    if (major < 1 || (major == 1 && minor < 1)) {
        messages.show("Sockets version " + std::to_string(major) + "." + std::to_string(minor) +
                      " is not supported by 32-bit Windows Sockets.");
        sockets.cleanup();
        return false;
    }
    return true;
}

void StopSocketLibrary(platform::SocketLibrary& sockets, platform::MessageBox& messages) {
    if (sockets.cleanup() != 0) {
        messages.show("Socket error occurred in Cleanup.");
    }
}

namespace {

std::string Dotted(const platform::HostEntry& entry) {
    if (entry.addresses.empty() || entry.addressLength <= 0) {
        return {};
    }
    const auto& bytes = entry.addresses.front();
    const std::size_t count = std::min(bytes.size(), static_cast<std::size_t>(entry.addressLength));
    return platform::DottedText(std::span(bytes.data(), count));
}

} // namespace

std::string ResolveHostAddress(platform::SocketLibrary& sockets, platform::MessageBox& messages,
                               const std::string& name) {
    const std::string trimmed = text::TrimSpaces(name);
    // A computer's name that reads as a number would resolve to the address it spells.
    if (text::IsNumericAddress(trimmed) || !StartSocketLibrary(sockets, messages)) {
        return {};
    }
    const auto entry = sockets.getHostByName(trimmed);
    const std::string address = entry ? Dotted(*entry) : std::string();
    StopSocketLibrary(sockets, messages);
    return address;
}

} // namespace modIP
