#pragma once

#include <string>

namespace platform {

// Starting other programs and looking at files.
class Programs {
public:
    virtual ~Programs() = default;
    // Starts the program file as a process of its own, its window shown normally; not waited
    // for. False when it could not be started.
    virtual bool start(const std::string& path) = 0;
    // True for an ordinary file: not a folder, not hidden, not a system file.
    virtual bool isOrdinaryFile(const std::string& path) = 0;
    // Replaces %NAME% references with the values of the environment.
    virtual std::string expandEnvironment(const std::string& text) = 0;
};

} // namespace platform
