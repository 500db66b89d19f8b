#pragma once

#include <string>

namespace platform {

// The names of the logged-on user and of this computer; empty when they cannot be read.
class LocalNames {
public:
    virtual ~LocalNames() = default;
    virtual std::string userName() = 0;
    virtual std::string computerName() = 0;
};

} // namespace platform
