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

} // namespace win32view
