#include "shell/Output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

bool OpenStandardStreams() {
    bool outputOpen = true;
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        outputOpen = outputOpen && fd != 1;
        // The lowest free number is this one: the ones below are open by now.
        if (open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) != fd) {
            return false;
        }
    }
    return outputOpen;
}
