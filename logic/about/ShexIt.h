#pragma once

#include "platform/Shell.h"

#include <string>

// Opens a document, a web address included, with the program registered for it.
namespace ShexIt {

inline void OpenDocument(platform::Shell& shell, platform::Shell::Window owner,
                         const std::string& address) {
    // Nothing to report when it does not open: the result is not read.
    shell.execute(owner, "open", address, "", "", platform::Shell::kShowNormal);
}

} // namespace ShexIt
