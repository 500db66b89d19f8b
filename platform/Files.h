#pragma once

#include <optional>
#include <string>

namespace platform {

// Writing files that the user chose.
class Files {
public:
    virtual ~Files() = default;
    // Replaces the file at `path` (the system's code page) with the bytes in one step: either
    // the whole new content is there afterwards, or the file is as it was. A symbolic link is
    // written through, unless another user (not root) owns it. The reason when it failed.
    virtual std::optional<std::string> replaceFile(const std::string& path,
                                                   const std::string& bytes) = 0;
};

} // namespace platform
