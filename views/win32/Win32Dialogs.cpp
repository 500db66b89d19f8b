#include "views/win32/Win32Dialogs.h"

#include "logic/config/BuildConfig.h"

#include <commdlg.h>
#include <shlobj.h>

#include <vector>

namespace win32view {

void Win32MessageBox::show(const std::string& text) {
    MessageBoxW(owner_, Wide(text).c_str(), Wide(velnor::kTitle).c_str(), MB_OK);
}

std::optional<std::string> AskSaveFile(HWND owner, const std::string& title,
                                       const std::string& filter, const std::string& fileName) {
    // "a|b|c|d" as the dialog wants it: "a\0b\0c\0d\0\0".
    std::wstring filters = Wide(filter);
    for (wchar_t& c : filters) {
        c = c == L'|' ? L'\0' : c;
    }
    filters.append(2, L'\0');
    const std::wstring wideTitle = Wide(title);
    std::vector<wchar_t> chosen(32768, L'\0');
    Wide(fileName).copy(chosen.data(), chosen.size() - 1);
    wchar_t documents[MAX_PATH] = {};
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = chosen.data();
    dialog.nMaxFile = static_cast<DWORD>(chosen.size());
    dialog.lpstrTitle = wideTitle.c_str();
    dialog.lpstrDefExt = L"txt";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (fileName.empty() &&
        SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents))) {
        dialog.lpstrInitialDir = documents;
    }
    if (!GetSaveFileNameW(&dialog)) {
        return std::nullopt;
    }
    return Utf8(chosen.data());
}

void SetClipboardText(HWND owner, const std::string& text) {
    // Another program may hold the clipboard a moment.
    bool opened = false;
    for (int attempt = 0; attempt < 10 && !(opened = OpenClipboard(owner)); ++attempt) {
        Sleep(10);
    }
    if (!opened) {
        return;
    }
    EmptyClipboard();
    const std::wstring wide = Wide(text);
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    auto* buffer = memory != nullptr ? static_cast<wchar_t*>(GlobalLock(memory)) : nullptr;
    if (buffer != nullptr) {
        wide.copy(buffer, wide.size());
        buffer[wide.size()] = L'\0';
        GlobalUnlock(memory);
    }
    if (buffer == nullptr || SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
        GlobalFree(memory); // the clipboard did not take it
    }
    CloseClipboard();
}

} // namespace win32view
