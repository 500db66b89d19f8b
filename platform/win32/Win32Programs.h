#pragma once

#include "platform/Programs.h"

namespace platform::win32 {

class Win32Programs final : public Programs {
public:
    bool start(const std::string& path) override;
    bool isOrdinaryFile(const std::string& path) override;
    std::string expandEnvironment(const std::string& text) override;
};

} // namespace platform::win32
