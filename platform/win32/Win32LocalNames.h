#pragma once

#include "platform/LocalNames.h"

namespace platform::win32 {

class Win32LocalNames final : public LocalNames {
public:
    std::string userName() override;
    std::string computerName() override;
};

} // namespace platform::win32
