#pragma once

// The Windows API as the views use it: with the common controls, and without the macro that
// would rename the program's own MessageBox class. Text crosses into the API as UTF-16.
#include <windows.h>

#include <commctrl.h>

#undef MessageBox

#include <string>
#include <string_view>

namespace win32view {

// UTF-8 (the logic's text) to UTF-16 (the API's) and back; invalid input becomes U+FFFD.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// The object that made the window, given as its creation parameter: kept in the window's user
// data from WM_NCCREATE on, when it also learns its window. Null before, and for a window
// without one.
template <typename Owner> Owner* OwnerOf(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* owner =
            static_cast<Owner*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
        owner->window_ = window;
        return owner;
    }
    return reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

} // namespace win32view
