#include "platform/posix/PosixPrograms.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace platform::posix {

namespace {

// Marks every descriptor above 2 close-on-exec; between fork and exec, so system calls only.
void KeepOnlyStandardStreams() {
    if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) {
        return;
    }
    // Kernels before 5.11.
    rlimit limit{};
    const rlim_t last = getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
                            ? std::min<rlim_t>(limit.rlim_cur, 1 << 16)
                            : 1 << 16;
    for (int fd = 3; static_cast<rlim_t>(fd) < last; ++fd) {
        const int flags = fcntl(fd, F_GETFD);
        if (flags >= 0) {
            fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
        }
    }
}

} // namespace

bool PosixPrograms::start(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    // The grandchild runs the program; the child exits at once and is reaped here, so nothing
    // is left to wait for. A pipe closed on exec tells whether the exec worked.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        return false;
    }
    const pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        setsid();
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            // The tool gets only the standard streams: not the sockets and files of libraries
            // that open theirs without close-on-exec.
            KeepOnlyStandardStreams();
            char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
            execv(path.c_str(), argv);
        }
        if (grandchild <= 0) {
            const int error = errno;
            (void)!write(report[1], &error, sizeof error);
        }
        _exit(0);
    }
    close(report[1]);
    int error = 0;
    ssize_t got = 0;
    do {
        got = read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return got == 0;
}

bool PosixPrograms::isOrdinaryFile(const std::string& path) {
    struct stat info {};
    const auto slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return !name.empty() && name.front() != '.' && stat(path.c_str(), &info) == 0 &&
           S_ISREG(info.st_mode);
}

std::string PosixPrograms::expandEnvironment(const std::string& text) {
    std::string expanded;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto open = text.find('%', at);
        const auto close = open == std::string::npos ? open : text.find('%', open + 1);
        if (close == std::string::npos) {
            expanded += text.substr(at);
            break;
        }
        expanded += text.substr(at, open - at);
        const std::string name = text.substr(open + 1, close - open - 1);
        const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
        // An unknown name stays as it was written, as on systems that have these references.
        expanded += value != nullptr ? std::string(value) : text.substr(open, close - open + 1);
        at = close + 1;
    }
    return expanded;
}

} // namespace platform::posix
