#include "logic/about/SysInfo.h"

#include <cstdio>
#include <exception>

namespace SysInfo {

namespace {

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < bytes.size() && i < 4; ++i) {
        number |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    }
    char digits[9] = {};
    std::snprintf(digits, sizeof digits, "%X", number);
    return std::string("&h") + digits;
}

} // namespace

bool GetKeyValue(platform::Registry& registry, platform::Programs& programs,
                 platform::Registry::Key KeyRoot, const std::string& Keyname,
                 const std::string& SubKeyRef, std::string& KeyVal) {
    using platform::Registry;
    Registry::Key key = 0;
    // Read access only: asking for more fails for everyone who may not write there.
    if (registry.openKey(KeyRoot, Keyname, Registry::kKeyRead, key) != Registry::kSuccess) {
        KeyVal.clear();
        return false;
    }
    std::vector<std::uint8_t> data(kValueRoom, 0);
    std::uint32_t type = 0;
    const long result = registry.queryValue(key, SubKeyRef, type, data);
    // A value without data is as good as missing.
    if (result != Registry::kSuccess || data.empty()) {
        KeyVal.clear();
        registry.closeKey(key);
        return false;
    }
    if (data.back() == 0) {
        data.pop_back();
    }
    const std::string text(data.begin(), data.end());
    switch (type) {
    case Registry::kTypeText:
        KeyVal = text;
        break;
    case Registry::kTypeExpandableText:
        KeyVal = programs.expandEnvironment(text);
        break;
    case Registry::kTypeNumber:
        KeyVal = Hex(data);
        break;
    default:
        break;
    }
    registry.closeKey(key);
    return true;
}

void StartSysInfo(platform::Registry& registry, platform::Programs& programs,
                  platform::MessageBox& messages) {
    try {
        std::string path;
        bool found = GetKeyValue(registry, programs, platform::Registry::kLocalMachine, kPathKey,
                                 kPathValue, path);
        if (!found && GetKeyValue(registry, programs, platform::Registry::kLocalMachine, kFolderKey,
                                  kFolderValue, path)) {
            path += kToolFile;
            found = programs.isOrdinaryFile(path);
        }
        if (found && programs.start(path)) {
            return;
        }
    } catch (const std::exception&) {
        // Every failure ends in the one message below.
    }
    messages.show(kUnavailable);
}

} // namespace SysInfo
