#include "views/win32/Win32Controls.h"

#include "views/common/Twips.h"

namespace win32view {

namespace {

// GetDpiForWindow came with Windows 10 1607; before it, the screen's.
int ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : 96;
}

bool FaceInstalled(const char* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, Wide(face).c_str(), LF_FACESIZE);
    bool found = false;
    const HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(
        screen, &wanted,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
            *reinterpret_cast<bool*>(found) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

} // namespace

FontChoice DialogFont(double points, bool bold) {
    return {{"MS Sans Serif", "Microsoft Sans Serif", "Tahoma", "Arial"}, points, bold};
}

FontChoice VerdanaFont(double points) {
    return {{"Verdana", "Tahoma", "Arial"}, points, false};
}

int DpiOf(HWND window) {
    using GetDpi = UINT(WINAPI*)(HWND);
    static const auto getDpi = reinterpret_cast<GetDpi>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (window != nullptr && getDpi != nullptr) {
        if (const UINT dpi = getDpi(window); dpi > 0) {
            return static_cast<int>(dpi);
        }
    }
    return ScreenDpi();
}

ControlSet::~ControlSet() {
    for (const Made& made : fonts_) {
        DeleteObject(made.font);
    }
}

HFONT ControlSet::FontFor(const FontChoice& choice, int dpi) {
    for (const Made& made : fonts_) {
        if (made.points == choice.points && made.bold == choice.bold && made.dpi == dpi &&
            made.face == choice.faces.front()) {
            return made.font;
        }
    }
    const char* face = choice.faces.back();
    for (const char* candidate : choice.faces) {
        if (FaceInstalled(candidate)) {
            face = candidate;
            break;
        }
    }
    const HFONT font =
        CreateFontW(-PointsToPixels(choice.points, dpi), 0, 0, 0, choice.bold ? FW_BOLD : FW_NORMAL,
                    FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, Wide(face).c_str());
    fonts_.push_back({choice.faces.front(), choice.points, choice.bold, dpi, font});
    return font;
}

HWND ControlSet::Add(HWND parent, const wchar_t* className, const std::string& caption, int id,
                     DWORD style, const Twips& at, const FontChoice& font, bool autoSize,
                     DWORD exStyle) {
    const HWND handle = CreateWindowExW(
        exStyle, className, Wide(caption).c_str(), WS_CHILD | style, 0, 0, 0, 0, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    controls_.push_back({handle, at, autoSize, font});
    return handle;
}

void ControlSet::Size(const Control& control, int dpi) {
    int width = TwipsToPixels(control.at.width, dpi);
    if (control.autoSize) {
        // The width of the caption in the control's font.
        const std::wstring text = Wide(TextOf(control.handle));
        const HDC context = GetDC(control.handle);
        const HGDIOBJ before = SelectObject(context, FontFor(control.font, dpi));
        SIZE extent{};
        GetTextExtentPoint32W(context, text.c_str(), static_cast<int>(text.size()), &extent);
        SelectObject(context, before);
        ReleaseDC(control.handle, context);
        width = extent.cx;
    }
    // Captions are drawn over a transparent background: the parent repaints what lay under the
    // control before and after.
    const HWND parent = GetParent(control.handle);
    const auto invalidate = [&] {
        RECT area{};
        GetWindowRect(control.handle, &area);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
        InvalidateRect(parent, &area, TRUE);
    };
    invalidate();
    SetWindowPos(control.handle, nullptr, TwipsToPixels(control.at.left, dpi),
                 TwipsToPixels(control.at.top, dpi), width, TwipsToPixels(control.at.height, dpi),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    invalidate();
}

void ControlSet::Layout(HWND window) {
    const int dpi = DpiOf(window);
    for (const Control& control : controls_) {
        SendMessageW(control.handle, WM_SETFONT,
                     reinterpret_cast<WPARAM>(FontFor(control.font, dpi)), FALSE);
        Size(control, dpi);
    }
    InvalidateRect(window, nullptr, TRUE);
}

void ControlSet::SetCaption(HWND control, const std::string& text) {
    SetWindowTextW(control, Wide(text).c_str());
    for (const Control& known : controls_) {
        if (known.handle == control && known.autoSize) {
            Size(known, DpiOf(GetParent(control)));
        }
    }
}

void ControlSet::SetToolTip(HWND control, const std::string& text) {
    const HWND parent = GetParent(control);
    if (tips_ == nullptr) {
        tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    }
    std::wstring wide = Wide(text); // copied by the tool tip control
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = parent;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = wide.data();
    SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::string TextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return Utf8(text);
}

void CentreOnScreen(HWND window) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT frame{};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HICON icon, HICON smallIcon) {
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.lpfnWndProc = procedure;
    type.hInstance = GetModuleHandleW(nullptr);
    type.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    type.lpszClassName = name;
    type.hIcon = icon;
    type.hIconSm = smallIcon;
    RegisterClassExW(&type);
}

SIZE WindowSizeFor(int clientWidthTwips, int clientHeightTwips, DWORD style, DWORD exStyle,
                   int dpi) {
    RECT rect{0, 0, TwipsToPixels(clientWidthTwips, dpi), TwipsToPixels(clientHeightTwips, dpi)};
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

} // namespace win32view
