#include "platform/common/LocalAddress.h"

namespace platform {

std::string ChooseLocalIPv4(const std::vector<InterfaceEntry>& entries,
                            const std::string& defaultInterface) {
    std::string firstOther;
    std::string firstLoopback;
    for (const auto& entry : entries) {
        if (!entry.up || entry.ipv4.empty()) {
            continue;
        }
        if (!defaultInterface.empty() && entry.name == defaultInterface) {
            return entry.ipv4;
        }
        std::string& slot = entry.loopback ? firstLoopback : firstOther;
        if (slot.empty()) {
            slot = entry.ipv4;
        }
    }
    return firstOther.empty() ? firstLoopback : firstOther;
}

bool AnyNetworkUp(const std::vector<InterfaceEntry>& entries) {
    for (const auto& entry : entries) {
        if (entry.up && !entry.loopback) {
            return true;
        }
    }
    return false;
}

} // namespace platform
