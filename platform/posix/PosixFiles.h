#pragma once

#include "platform/Files.h"

namespace platform::posix {

// Files replaced through a temporary file beside them (Qt's QSaveFile), so that a failed write
// leaves the old content.
class PosixFiles final : public Files {
public:
    std::optional<std::string> replaceFile(const std::string& path,
                                           const std::string& bytes) override;
};

} // namespace platform::posix
