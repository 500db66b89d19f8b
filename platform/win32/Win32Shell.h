#pragma once

#include "platform/Shell.h"

namespace platform::win32 {

class Win32Shell final : public Shell {
public:
    std::intptr_t execute(Window owner, const std::string& operation, const std::string& file,
                          const std::string& parameters, const std::string& directory,
                          int showCommand) override;
    int setWindowTopmost(Window window, bool topmost) override;
};

} // namespace platform::win32
