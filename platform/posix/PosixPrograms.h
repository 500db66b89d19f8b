#pragma once

#include "platform/Programs.h"

namespace platform::posix {

// Programs start detached, in a session of their own, and are never waited for.
class PosixPrograms final : public Programs {
public:
    bool start(const std::string& path) override;
    bool isOrdinaryFile(const std::string& path) override;
    std::string expandEnvironment(const std::string& text) override;
};

} // namespace platform::posix
