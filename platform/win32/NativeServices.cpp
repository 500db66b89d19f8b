#include "platform/Services.h"

#include "platform/win32/WNetProvider.h"
#include "platform/win32/Win32LocalNames.h"
#include "platform/win32/Win32LocalSocket.h"
#include "platform/win32/Win32Programs.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32SystemMetrics.h"
#include "platform/win32/WinInetInternet.h"
#include "platform/win32/WinsockLibrary.h"

namespace platform {

struct NativeServices::Parts {
    win32::WinInetInternet internet;
    win32::Win32SystemMetrics metrics;
    win32::Win32LocalSocket socket;
    win32::WinsockLibrary sockets;
    win32::WNetProvider network;
    win32::Win32LocalNames localNames;
    win32::Win32Registry registry;
    win32::Win32Programs programs;
    win32::Win32Shell shell;
};

NativeServices::NativeServices() : parts_(std::make_unique<Parts>()) {}
NativeServices::~NativeServices() = default;

Services NativeServices::get() const {
    Parts& p = *parts_;
    return {p.internet,   p.metrics,  p.socket,   p.sockets, p.network,
            p.localNames, p.registry, p.programs, p.shell};
}

} // namespace platform
