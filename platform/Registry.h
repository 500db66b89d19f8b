#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The system's registry of settings: keys under predefined roots, holding typed values.
class Registry {
public:
    using Key = std::uint64_t;
    static constexpr Key kCurrentUser = 0x80000001;
    static constexpr Key kLocalMachine = 0x80000002;
    static constexpr std::uint32_t kKeyRead = 0x20019;
    static constexpr long kSuccess = 0;
    static constexpr long kFileNotFound = 2;
    static constexpr long kMoreData = 234;
    static constexpr std::uint32_t kTypeText = 1;
    static constexpr std::uint32_t kTypeExpandableText = 2;
    static constexpr std::uint32_t kTypeNumber = 4;

    virtual ~Registry() = default;
    // kSuccess and the opened key, or an error code.
    virtual long openKey(Key root, const std::string& subKey, std::uint32_t access,
                         Key& opened) = 0;
    // Reads a value into data, whose size on entry is the room offered; on success data holds
    // exactly the bytes written. kMoreData when the room is too small.
    virtual long queryValue(Key key, const std::string& valueName, std::uint32_t& type,
                            std::vector<std::uint8_t>& data) = 0;
    virtual long closeKey(Key key) = 0;

protected:
    // What queryValue gives for a value found, as the system does: its type and bytes when the
    // room offered takes them, kMoreData when it does not.
    static long Answer(std::uint32_t foundType, const std::vector<std::uint8_t>& found,
                       std::uint32_t& type, std::vector<std::uint8_t>& data) {
        if (found.size() > data.size()) {
            return kMoreData;
        }
        type = foundType;
        data = found;
        return kSuccess;
    }
};

} // namespace platform
