#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Opening documents with the program the user chose for them, and the stacking of windows.
// A window is named by its native handle.
class Shell {
public:
    using Window = std::uintptr_t;
    static constexpr int kShowNormal = 1;

    virtual ~Shell() = default;
    // The operation ("open") on the file (a web address opens in the default browser); not
    // waited for. Above 32 on success.
    virtual std::intptr_t execute(Window owner, const std::string& operation,
                                  const std::string& file, const std::string& parameters,
                                  const std::string& directory, int showCommand) = 0;
    // Puts the window into the top-most group (true) or back into the ordinary one, keeping
    // its position and size; nonzero on success.
    virtual int setWindowTopmost(Window window, bool topmost) = 0;
};

} // namespace platform
