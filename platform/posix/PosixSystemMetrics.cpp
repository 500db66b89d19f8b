#include "platform/posix/PosixSystemMetrics.h"

#include "platform/posix/Interfaces.h"

namespace platform::posix {

int PosixSystemMetrics::networkMetric() {
    return AnyNetworkUp(ReadInterfaces()) ? 0x3 : 0x0;
}

} // namespace platform::posix
