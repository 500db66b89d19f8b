#pragma once

#include "platform/MessageBox.h"
#include "platform/SocketLibrary.h"

#include <cstdint>
#include <string>

// Resolves a computer name to dotted IPv4 text; each resolution starts and stops the socket
// library on its own.
namespace modIP {

inline constexpr std::uint16_t kRequestedVersion = 0x0101;
inline constexpr int kMinSockets = 1;

// The first address of the name as dotted text, or the empty text; also for a name that reads
// as a numeric address, which is not looked up.
std::string ResolveHostAddress(platform::SocketLibrary& sockets, platform::MessageBox& messages,
                               const std::string& name);

// Starts the library and checks the socket count and the version, showing why when it fails.
bool StartSocketLibrary(platform::SocketLibrary& sockets, platform::MessageBox& messages);
void StopSocketLibrary(platform::SocketLibrary& sockets, platform::MessageBox& messages);

int LowByteOf(std::uint16_t value);
int HighByteOf(std::uint16_t value);

} // namespace modIP
