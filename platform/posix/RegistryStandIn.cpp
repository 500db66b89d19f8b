#include "platform/posix/RegistryStandIn.h"

#include "base/text/Text.h"

#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

namespace platform::posix {

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

constexpr std::uint32_t kWritableAccess = 0x2 | 0x4 | 0x20 | 0x10000 | 0x40000 | 0x80000;

} // namespace

const std::vector<std::string>& RegistryStandIn::KnownTools() {
    // Graphical tools that describe the computer: GTK, KDE, then the hardware lister's GTK face.
    static const std::vector<std::string> tools{"hardinfo", "kinfocenter", "lshw-gtk"};
    return tools;
}

std::string RegistryStandIn::FindTool(const std::string& searchPath) {
    for (const std::string& tool : KnownTools()) {
        std::istringstream folders(searchPath);
        for (std::string folder; std::getline(folders, folder, ':');) {
            // A relative folder would name a different tool in each working directory.
            if (folder.empty() || folder.front() != '/') {
                continue;
            }
            const std::string candidate = folder + "/" + tool;
            if (IsExecutableFile(candidate)) {
                return candidate;
            }
        }
    }
    return {};
}

RegistryStandIn::RegistryStandIn(const std::string& searchPath) {
    const std::string tool = FindTool(searchPath);
    if (!tool.empty()) {
        std::vector<std::uint8_t> text(tool.begin(), tool.end());
        text.push_back(0);
        keys_[text::AsciiLower("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO")]["path"] = {kTypeText,
                                                                                        text};
    }
}

long RegistryStandIn::openKey(Key root, const std::string& subKey, std::uint32_t access,
                              Key& opened) {
    constexpr long kAccessDenied = 5;
    if (root != kLocalMachine || keys_.find(text::AsciiLower(subKey)) == keys_.end()) {
        return kFileNotFound;
    }
    // Read-only: a request to change anything is refused, as for a user without the rights.
    if ((access & kWritableAccess) != 0) {
        return kAccessDenied;
    }
    opened = next_++;
    open_[opened] = text::AsciiLower(subKey);
    return kSuccess;
}

long RegistryStandIn::queryValue(Key key, const std::string& valueName, std::uint32_t& type,
                                 std::vector<std::uint8_t>& data) {
    constexpr long kInvalidHandle = 6;
    const auto it = open_.find(key);
    if (it == open_.end()) {
        return kInvalidHandle;
    }
    const auto& values = keys_.at(it->second);
    const auto value = values.find(text::AsciiLower(valueName));
    if (value == values.end()) {
        return kFileNotFound;
    }
    return Answer(value->second.type, value->second.data, type, data);
}

long RegistryStandIn::closeKey(Key key) {
    constexpr long kInvalidHandle = 6;
    return open_.erase(key) == 1 ? kSuccess : kInvalidHandle;
}

} // namespace platform::posix
