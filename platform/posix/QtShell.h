#pragma once

#include "platform/Shell.h"

namespace platform::posix {

// Documents open through the desktop's default applications; a window's handle is its native
// window id.
class QtShell final : public Shell {
public:
    std::intptr_t execute(Window owner, const std::string& operation, const std::string& file,
                          const std::string& parameters, const std::string& directory,
                          int showCommand) override;
    int setWindowTopmost(Window window, bool topmost) override;
};

} // namespace platform::posix
