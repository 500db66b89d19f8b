#include "platform/win32/Win32SystemMetrics.h"

#include <windows.h>

namespace platform::win32 {

int Win32SystemMetrics::networkMetric() {
    return GetSystemMetrics(SM_NETWORK);
}

} // namespace platform::win32
