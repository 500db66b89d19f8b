#include "shell/Output.h"

#include <windows.h>

#include <cstdio>

#include <fcntl.h>
#include <io.h>

namespace {

bool Valid(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// A windowed program has no standard streams of its own: those it was given (a file, a pipe)
// stand; otherwise the console it was started from, when there is one; else nothing.
bool OpenStreams() {
    const bool given = Valid(GetStdHandle(STD_OUTPUT_HANDLE));
    if (!given && AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        if (!Valid(GetStdHandle(STD_ERROR_HANDLE))) {
            std::freopen("CONOUT$", "w", stderr);
        }
        return true;
    }
    if (!given) {
        std::freopen("NUL", "w", stdout);
    }
    if (!Valid(GetStdHandle(STD_ERROR_HANDLE))) {
        std::freopen("NUL", "w", stderr);
    }
    return given;
}

} // namespace

bool OpenStandardStreams() {
    const bool opened = OpenStreams();
    // The report's lines end in CR LF already: the runtime must not add another CR.
    _setmode(_fileno(stdout), _O_BINARY);
    return opened;
}
