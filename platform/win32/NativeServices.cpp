#include "platform/Services.h"

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
#include "platform/win32/WinsockLibrary.h"

namespace platform {

struct NativeServices::Parts {
    win32::WinInetInternet internet;
    win32::WinsockDatagrams datagrams;
    win32::Win32SystemMetrics metrics;
    win32::Win32Computer computer;
    win32::WinsockLibrary resolver;
    win32::WNetProvider network;
    win32::Win32Registry registry;
    win32::Win32Programs programs;
    win32::Win32Shell shell;
    win32::Win32Clock clock;
    win32::Win32Files files;
};

NativeServices::NativeServices()
    : parts_(std::make_unique<Parts>()),
      services_(std::make_unique<Services>(
          Services{parts_->internet, parts_->datagrams, parts_->metrics, parts_->computer,
                   parts_->resolver, parts_->network, parts_->computer, parts_->registry,
                   parts_->programs, parts_->shell, parts_->clock, parts_->files})) {}
NativeServices::~NativeServices() = default;

} // namespace platform
