#include "views/win32/frmAbout.h"

#include "views/win32/ControlIds.h"

namespace {

using namespace controls;
using win32view::DialogFont;

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
// Not in the task bar, with the caption of a dialog, and on top from the start: Wine does not
// move a window that is not shown yet to the top when the load asks for it.
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;

} // namespace

frmAbout::frmAbout(const platform::Services& services, platform::MessageBox& messageBox,
                   std::function<void()> unloaded)
    : services_(services), messageBox_(messageBox), unloaded_(std::move(unloaded)),
      hand_(LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(101))) {
    win32view::RegisterWindowClass(
        kAboutWindowClass, Procedure,
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"IDI_ICON1", IMAGE_ICON, 0, 0,
                                      LR_DEFAULTSIZE | LR_SHARED)),
        nullptr);
    const SIZE size =
        win32view::WindowSizeFor(5730, 3990, kStyle, kExStyle, win32view::DpiOf(nullptr));
    window_ =
        CreateWindowExW(kExStyle, kAboutWindowClass, L"", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                        size.cx, size.cy, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    presenter_ = std::make_unique<AboutPresenter>(
        services_, messageBox_,
        static_cast<platform::Shell::Window>(reinterpret_cast<std::uintptr_t>(window_)));
    CreateControls();
    controls_.Layout(window_);
    win32view::CentreOnScreen(window_);
    Form_Load();
}

frmAbout::~frmAbout() = default;

void frmAbout::CreateControls() {
    const HWND w = window_;
    auto& c = controls_;
    const auto normal = DialogFont(8.25);
    const auto title = DialogFont(9.75, true);
    constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
    constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
    const auto icon = [](const wchar_t* name, int size) {
        return reinterpret_cast<LPARAM>(
            LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_ICON, size, size, LR_SHARED));
    };

    const HWND picIcon = c.Add(w, L"STATIC", "", kpicIcon,
                               WS_VISIBLE | SS_ICON | SS_CENTERIMAGE | SS_SUNKEN | SS_NOTIFY,
                               {120, 120, 1065, 2205}, normal);
    SendMessageW(picIcon, STM_SETICON, static_cast<WPARAM>(icon(L"LOGO", 0)), 0);
    c.Add(w, L"STATIC", "", klblTitle, kLabel, {1560, 240, 2805, 240}, title);
    c.Add(w, L"STATIC", "", klblVersion, kLabel, {1560, 600, 2325, 225}, title);
    c.Add(w, L"BUTTON", "", kAboutFrame1, WS_VISIBLE | BS_GROUPBOX, {120, 2405, 4095, 1455},
          normal);
    c.Add(w, L"STATIC", AboutPresenter::Disclaimer(), klblDisclaimer, kLabel,
          {120 + 120, 2405 + 240, 3870, 1185}, normal);
    c.Add(w, L"BUTTON", "", kAboutFrame2, WS_VISIBLE | BS_GROUPBOX, {1560, 840, 3975, 1095},
          normal);
    c.Add(w, L"STATIC", AboutPresenter::Description(), klblDescription, kLabel,
          {1560 + 120, 840 + 180, 3735, 855}, normal);
    Command1 = c.Add(w, L"BUTTON", "&Join the Brantel mailing list", kAboutCommand1, kButton,
                     {1560, 2040, 2295, 345}, normal);
    Command2 =
        c.Add(w, L"BUTTON", "&Brantel", kAboutCommand2, kButton, {4290, 2040, 1245, 345}, normal);
    const HWND Command3 =
        c.Add(w, L"BUTTON", "Clos&e", kAboutCommand3, kButton, {4290, 2777, 1245, 345}, normal);
    const HWND Command4 = c.Add(w, L"BUTTON", "&System Info", kAboutCommand4, kButton,
                                {4290, 3480, 1245, 345}, normal);
    const HWND Image1 = c.Add(w, L"STATIC", "", kAboutImage1, WS_VISIBLE | SS_ICON | SS_NOTIFY,
                              {4680, 120, 720, 720}, normal);
    SendMessageW(Image1, STM_SETICON, static_cast<WPARAM>(icon(L"IDI_ICON1", 48)), 0);
    c.SetToolTip(picIcon, "Brantel Software");
    c.SetToolTip(Command1, "Join our mailing list");
    c.SetToolTip(Command2, "Visit Brantel");
    c.SetToolTip(Command3, "Close this window");
    c.SetToolTip(Command4, "Info about your computer");
}

void frmAbout::Form_Load() {
    presenter_->Form_Load();
    SetWindowTextW(window_, win32view::Wide(AboutPresenter::Caption()).c_str());
    SetWindowTextW(GetDlgItem(window_, klblTitle),
                   win32view::Wide(AboutPresenter::Title()).c_str());
    SetWindowTextW(GetDlgItem(window_, klblVersion),
                   win32view::Wide(AboutPresenter::Version()).c_str());
}

void frmAbout::Show() {
    ShowWindow(window_, shown_ ? SW_SHOWNORMAL : SW_SHOW);
    shown_ = true;
    SetForegroundWindow(window_);
}

LRESULT CALLBACK frmAbout::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = win32view::OwnerOf<frmAbout>(window, message, lParam);
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        const LRESULT result = DefWindowProcW(window, message, wParam, lParam);
        if (self->unloaded_) {
            self->unloaded_();
        }
        delete self;
        return result;
    }
    return self->Handle(message, wParam, lParam);
}

LRESULT frmAbout::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kAboutCommand1:
            presenter_->Command1_Click();
            break;
        case kAboutCommand2:
            presenter_->Command2_Click();
            break;
        case kAboutCommand3:
            DestroyWindow(window_);
            break;
        case kAboutCommand4:
            presenter_->Command4_Click();
            break;
        case kpicIcon:
            presenter_->picIcon_Click();
            break;
        case kAboutImage1:
            presenter_->Image1_Click();
            break;
        default: // Escape (IDCANCEL) does not close it
            break;
        }
        return 0;
    case WM_SETCURSOR: {
        // The pointing hand over the two links.
        const auto over = reinterpret_cast<HWND>(wParam);
        if ((over == Command1 || over == Command2) && hand_ != nullptr) {
            SetCursor(hand_);
            return TRUE;
        }
        break;
    }
    case WM_CTLCOLORSTATIC: {
        const auto control = reinterpret_cast<HWND>(lParam);
        const int id = GetDlgCtrlID(control);
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        SetTextColor(reinterpret_cast<HDC>(wParam),
                     id == klblTitle || id == klblVersion ? kBlue : RGB(0, 0, 0));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_CLOSE:
        DestroyWindow(window_);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}
