#pragma once

#include "platform/MessageBox.h"
#include "views/win32/WinApi.h"

#include <optional>
#include <string>

// What the windows ask of the system besides their controls: the program's message box, the
// common save dialog and the clipboard.
namespace win32view {

// OK only, no icon, the application title as caption; modal to the window given.
class Win32MessageBox final : public platform::MessageBox {
public:
    void show(const std::string& text) override;
    void setOwner(HWND owner) { owner_ = owner; }

private:
    HWND owner_ = nullptr;
};

// The file chosen in the common save dialog, or nothing when the user cancelled. The filter is
// description|pattern pairs joined by "|"; the first save starts in the user's documents.
std::optional<std::string> AskSaveFile(HWND owner, const std::string& title,
                                       const std::string& filter, const std::string& fileName);

// The clipboard holds the text, as Unicode text.
void SetClipboardText(HWND owner, const std::string& text);

} // namespace win32view
