#include "shell/Output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

void Complain(const std::string& text) {
    std::fprintf(stderr, "velnor: %s\n", text.c_str());
    std::fflush(stderr);
}

int Print(const std::string& bytes) {
    errno = 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
                         std::fflush(stdout) == 0;
    if (written && std::fclose(stdout) == 0) {
        return 0;
    }
    Complain(std::string("cannot write to standard output: ") +
             (errno != 0 ? std::strerror(errno) : "a short write"));
    return 1;
}
