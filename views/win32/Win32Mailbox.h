#pragma once

#include "base/concurrency/Mailbox.h"
#include "views/win32/WinApi.h"

// A mailbox delivered by the window thread's message loop: a posted message to a window of its
// own (message-only), on the thread that makes it.
class Win32Mailbox {
public:
    Win32Mailbox();
    ~Win32Mailbox();
    Win32Mailbox(const Win32Mailbox&) = delete;
    Win32Mailbox& operator=(const Win32Mailbox&) = delete;

    Mailbox& mailbox() { return mailbox_; }

private:
    template <typename Owner> friend Owner* win32view::OwnerOf(HWND, UINT, LPARAM);
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM, LPARAM);

    HWND window_ = nullptr;
    Mailbox mailbox_{[this] { PostMessageW(window_, WM_APP, 0, 0); }};
};
