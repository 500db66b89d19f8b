#include "views/win32/Win32Mailbox.h"

namespace {

constexpr wchar_t kClass[] = L"VelnorMailbox";

} // namespace

Win32Mailbox::Win32Mailbox() {
    WNDCLASSW type{};
    type.lpfnWndProc = Procedure;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = kClass;
    RegisterClassW(&type); // fails harmlessly when it exists already
    window_ = CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), this);
}

Win32Mailbox::~Win32Mailbox() {
    // Before the window goes: nothing posts to it from now on.
    mailbox_.close();
    DestroyWindow(window_);
}

LRESULT CALLBACK Win32Mailbox::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = win32view::OwnerOf<Win32Mailbox>(window, message, lParam);
    if (message == WM_APP && self != nullptr) {
        self->mailbox_.deliver();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
