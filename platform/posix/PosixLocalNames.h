#pragma once

#include "platform/LocalNames.h"

namespace platform::posix {

// The effective user's login name, and the host name as a computer name: its first label in
// capitals.
class PosixLocalNames final : public LocalNames {
public:
    std::string userName() override;
    std::string computerName() override;
};

} // namespace platform::posix
