#include "platform/Services.h"

#include "neighbourhood/Neighbourhood.h"

#include "platform/win32/WNetProvider.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Computer.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Programs.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32SystemMetrics.h"
#include "platform/win32/WinInetInternet.h"
#include "platform/win32/WinsockDatagrams.h"

#include <windows.h>

namespace platform {

namespace {

// WS-Discovery and mDNS multicast; a network that forbids it switches them off with the DWORD
// value "Discovery" = 0 under HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE\<settings key>.
bool DiscoveryAllowed() {
    for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        DWORD value = 1;
        DWORD size = sizeof value;
        if (RegGetValueA(root, VELNOR_SETTINGS_KEY, "Discovery", RRF_RT_REG_DWORD, nullptr, &value,
                         &size) == ERROR_SUCCESS &&
            value == 0) {
            return false;
        }
    }
    return true;
}

} // namespace

struct NativeServices::Parts {
    win32::WinInetInternet internet;
    win32::WinsockDatagrams datagrams;
    win32::Win32SystemMetrics metrics;
    win32::Win32Computer computer;
    // The network provider router's browse list, then WS-Discovery and mDNS; names by the
    // system's resolver, NetBIOS, then discovery.
    neighbourhood::Neighbourhood neighbourhood{
        {"", [](SocketLibrary&) { return std::make_unique<win32::WNetProvider>(); }},
        DiscoveryAllowed()};
    win32::Win32Registry registry;
    win32::Win32Programs programs;
    win32::Win32Shell shell;
    win32::Win32Clock clock;
    win32::Win32Files files;
};

NativeServices::NativeServices()
    : parts_(std::make_unique<Parts>()),
      services_(std::make_unique<Services>(Services{
          parts_->internet, parts_->datagrams, parts_->metrics, parts_->computer,
          parts_->neighbourhood.resolver, parts_->neighbourhood.network, parts_->computer,
          parts_->registry, parts_->programs, parts_->shell, parts_->clock, parts_->files})) {}
NativeServices::~NativeServices() = default;

} // namespace platform
