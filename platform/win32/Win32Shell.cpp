#include "platform/win32/Win32Shell.h"

#include <windows.h>

#include <shellapi.h>

namespace platform::win32 {

std::intptr_t Win32Shell::execute(Window owner, const std::string& operation,
                                  const std::string& file, const std::string& parameters,
                                  const std::string& directory, int showCommand) {
    const HINSTANCE result = ShellExecuteA(
        reinterpret_cast<HWND>(owner), operation.c_str(), file.c_str(), parameters.c_str(),
        directory.empty() ? nullptr : directory.c_str(), showCommand);
    return reinterpret_cast<std::intptr_t>(result);
}

int Win32Shell::setWindowTopmost(Window window, bool topmost) {
    return SetWindowPos(reinterpret_cast<HWND>(window), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0,
                        0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

} // namespace platform::win32
