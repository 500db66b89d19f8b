#pragma once

#include "platform/Files.h"

namespace platform::win32 {

// Files replaced through a temporary file in the same folder, moved over the old one.
class Win32Files final : public Files {
public:
    std::optional<std::string> replaceFile(const std::string& path,
                                           const std::string& bytes) override;
};

} // namespace platform::win32
