#pragma once

#include <string>

namespace platform {

// A modal message with an OK button only and no icon, captioned with the application title.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void show(const std::string& text) = 0;
};

} // namespace platform
