#include "views/win32/frmMain.h"

#include "logic/config/BuildConfig.h"
#include "views/common/Twips.h"
#include "views/win32/ControlIds.h"
#include "views/win32/frmAbout.h"

#include <array>

namespace {

using namespace controls;
using win32view::DialogFont;
using win32view::Twips;

constexpr COLORREF kDarkBlue = RGB(0, 0, 192);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr UINT kPainted = WM_APP + 1;
constexpr UINT_PTR kPaintTimer = 1;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kClientWidth = 5670;
constexpr int kClientHeight = 5940;

// Controls of Frame1 lie relative to its origin.
Twips InFrame(int left, int top, int width, int height) {
    return {120 + left, 1200 + top, width, height};
}

HICON IconOf(const wchar_t* name, int size) {
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

} // namespace

frmMain::frmMain(MainPresenter& presenter, const platform::Services& services,
                 win32view::Win32MessageBox& messageBox)
    : presenter_(presenter), services_(services), messageBox_(messageBox),
      banner_(CreateSolidBrush(GetSysColor(COLOR_WINDOW))) {
    icon_ = IconOf(L"IDI_ICON1", GetSystemMetrics(SM_CXICON));
    smallIcon_ = IconOf(L"IDI_ICON1", GetSystemMetrics(SM_CXSMICON));
    win32view::RegisterWindowClass(kMainWindowClass, Procedure, icon_, smallIcon_);
    const int dpi = win32view::DpiOf(nullptr);
    const SIZE size = win32view::WindowSizeFor(kClientWidth, kClientHeight, kStyle, 0, dpi);
    window_ = CreateWindowExW(0, kMainWindowClass, win32view::Wide(velnor::kTitle).c_str(), kStyle,
                              CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
    CreateControls();
    controls_.Layout(window_);
    win32view::CentreOnScreen(window_);
    messageBox_.setOwner(window_);
    presenter_.attach(*this);
}

frmMain::~frmMain() {
    if (IsWindow(window_)) {
        DestroyWindow(window_);
    }
    if (ImageList1 != nullptr) {
        ImageList_Destroy(ImageList1);
    }
    DeleteObject(banner_);
    DestroyIcon(icon_);
    DestroyIcon(smallIcon_);
}

void frmMain::CreateControls() {
    const HWND w = window_;
    auto& c = controls_;
    const auto normal = DialogFont(8.25);
    constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
    constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
    // Out of sight, as the hidden controls are meant to be: no tab stop, no access key.
    constexpr DWORD kHidden = BS_PUSHBUTTON;

    // The banner: a white panel under the icons, the title and the status line.
    Label1 = c.Add(w, L"STATIC", "", kLabel1, WS_VISIBLE | WS_BORDER | WS_CLIPSIBLINGS,
                   {0, 0, 5745, 1095}, normal);
    Image1 = c.Add(w, L"STATIC", "", kImage1, WS_VISIBLE | SS_ICON | SS_REALSIZEIMAGE,
                   {240, 180, 720, 720}, normal);
    SendMessageW(Image1, STM_SETICON, reinterpret_cast<WPARAM>(IconOf(L"IDI_ICON1", 48)), 0);
    Image2 = c.Add(w, L"STATIC", "", kImage2, WS_VISIBLE | SS_ICON | SS_REALSIZEIMAGE,
                   {4680, 180, 720, 720}, normal);
    SendMessageW(Image2, STM_SETICON, reinterpret_cast<WPARAM>(IconOf(L"NETWORK", 48)), 0);
    Label2 = c.Add(w, L"STATIC", "Internet and Network IP Address", kLabel2, kLabel | SS_CENTER,
                   {1395, 390, 2865, 240}, DialogFont(9.75), true);
    lblStatus =
        c.Add(w, L"STATIC", "", klblStatus, kLabel | SS_CENTER, {0, 800, 5745, 255}, normal);

    Frame1 = c.Add(w, L"BUTTON", "Internet Information ", kFrame1, WS_VISIBLE | BS_GROUPBOX,
                   {120, 1200, 5415, 4215}, normal);
    lblLHost = c.Add(w, L"STATIC", "Local Host : ", klblLHost, kLabel, InFrame(600, 360, 900, 195),
                     normal, true);
    lblLIP = c.Add(w, L"STATIC", "Local IP: ", klblLIP, kLabel, InFrame(600, 798, 675, 195), normal,
                   true);
    lblExtIP = c.Add(w, L"STATIC", "Internet IP: ", klblExtIP, kLabel, InFrame(600, 1236, 825, 195),
                     normal, true);
    lblISP =
        c.Add(w, L"STATIC", "Host: ", klblISP, kLabel, InFrame(600, 1674, 420, 195), normal, true);
    lblAnswer = c.Add(w, L"STATIC", "Network", klblAnswer, kLabel, InFrame(600, 2115, 600, 195),
                      normal, true);

    // The focus order: the visible buttons, then the list.
    c.Add(w, L"BUTTON", "R&efresh", kcmdRefresh2, kButton, {120, 5520, 1095, 350}, normal);
    c.Add(w, L"BUTTON", "&Save", kcmdSave, kButton, {1560, 5520, 1095, 350}, normal);
    c.Add(w, L"BUTTON", "&About", kcmdAbout, kButton, {3000, 5520, 1095, 350}, normal);
    c.Add(w, L"BUTTON", "&Close", kcmdClose, kButton, {4440, 5520, 1095, 350}, normal);
    lstPCList = c.Add(w, WC_LISTVIEWW, "", klstPCList,
                      WS_VISIBLE | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL |
                          LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                      InFrame(120, 2400, 5175, 1695), normal);

    c.Add(w, L"BUTTON", "&Reset", kcmdReset, kHidden, {-120, 7920, 1095, 350},
          win32view::VerdanaFont(8.25));
    c.Add(w, L"BUTTON", "&Copy", kcmdCopy, kHidden, {2640, 8400, 1095, 350},
          win32view::VerdanaFont(8.25));
    c.Add(w, L"BUTTON", "Get Network IPs", kcmdRefresh, kHidden, {3960, 8400, 1335, 375}, normal);
    c.Add(w, L"BUTTON", "Command1", kCommand1, kHidden, {5160, 8400, 495, 255}, normal);
    // A scratch buffer: it must hand back whatever was put in, whole.
    txtInfo = c.Add(w, L"EDIT", "", ktxtInfo, ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                    {2160, 6120, 2055, 1245}, normal);
    SendMessageW(txtInfo, EM_SETLIMITTEXT, 0, 0);
    // The banner lies under the controls on it.
    SetWindowPos(Label1, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    SendMessageW(lstPCList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                 LVS_EX_FULLROWSELECT);
    const int dpi = win32view::DpiOf(window_);
    std::array<const wchar_t*, 2> headers{L"Network PC", L"Network IP"};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(headers[static_cast<std::size_t>(i)]);
        column.cx = TwipsToPixels(2500, dpi);
        column.iSubItem = i;
        SendMessageW(lstPCList, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&column));
    }
    const int small = GetSystemMetrics(SM_CXSMICON);
    ImageList1 = ImageList_Create(small, small, ILC_COLOR32 | ILC_MASK, 1, 0);
    ImageList_AddIcon(ImageList1, IconOf(L"NETPC", small));
    SendMessageW(lstPCList, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(ImageList1));
}

bool frmMain::TakeDialogMessage(MSG& message) {
    const HWND root = GetAncestor(message.hwnd, GA_ROOT);
    if (root == nullptr) {
        return false;
    }
    if (root == window_ || (about_ != nullptr && root == about_->handle())) {
        return IsDialogMessageW(root, &message) != FALSE;
    }
    return false;
}

void frmMain::captionChanged(Caption caption) {
    const std::array<HWND, 6> labels{lblStatus, lblLHost, lblLIP, lblExtIP, lblISP, lblAnswer};
    controls_.SetCaption(labels.at(static_cast<std::size_t>(caption)),
                         presenter_.record().caption(caption));
}

void frmMain::infoChanged() {
    SetWindowTextW(txtInfo, win32view::Wide(presenter_.record().info).c_str());
}

void frmMain::rowsCleared() {
    SendMessageW(lstPCList, LVM_DELETEALLITEMS, 0, 0);
}

void frmMain::rowAdded() {
    const auto& rows = presenter_.record().rows;
    const MainRecord::Row& added = rows.back();
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = static_cast<int>(rows.size() - 1);
    std::wstring text = win32view::Wide(added.text);
    item.pszText = text.data();
    item.iImage = added.computer ? 0 : I_IMAGENONE;
    const auto index = SendMessageW(lstPCList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    if (index >= 0 && !added.address.empty()) {
        rowAddressChanged(static_cast<std::size_t>(index));
    }
}

void frmMain::rowAddressChanged(std::size_t row) {
    LVITEMW item{};
    item.iSubItem = 1;
    std::wstring address = win32view::Wide(presenter_.record().rows.at(row).address);
    item.pszText = address.data();
    SendMessageW(lstPCList, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void frmMain::busyChanged() {
    // The pointer changes now, not only when the mouse next moves.
    POINT at{};
    GetCursorPos(&at);
    SetCursorPos(at.x, at.y);
}

void frmMain::show() {
    if (IsWindowVisible(window_)) {
        return;
    }
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    // A window that is never painted (covered, or no screen) is taken as painted soon.
    SetTimer(window_, kPaintTimer, 250, nullptr);
}

void frmMain::TellPainted() {
    if (!paintedTold_) {
        paintedTold_ = true;
        KillTimer(window_, kPaintTimer);
        presenter_.Painted();
    }
}

std::optional<std::string> frmMain::askSaveFile(const std::string& title, const std::string& filter,
                                                const std::string& fileName) {
    return win32view::AskSaveFile(window_, title, filter, fileName);
}

void frmMain::setClipboardText(const std::string& text) {
    win32view::SetClipboardText(window_, text);
}

void frmMain::openAbout() {
    if (about_ == nullptr) {
        about_ = new frmAbout(services_, messageBox_, [this] { about_ = nullptr; });
    }
    about_->Show();
}

void frmMain::unloadAll() {
    if (about_ != nullptr) {
        DestroyWindow(about_->handle());
    }
    DestroyWindow(window_);
}

void frmMain::Click(int control) {
    switch (control) {
    case kcmdRefresh2:
        presenter_.cmdRefresh2_Click();
        break;
    case kcmdSave:
        presenter_.cmdSave_Click();
        break;
    case kcmdAbout:
        presenter_.cmdAbout_Click();
        break;
    case kcmdClose:
        presenter_.cmdClose_Click();
        break;
    case kcmdReset:
        presenter_.cmdReset_Click();
        break;
    case kcmdCopy:
        presenter_.cmdCopy_Click();
        break;
    case kcmdRefresh:
        presenter_.cmdRefresh_Click();
        break;
    case kCommand1:
        presenter_.Command1_Click();
        break;
    default:
        break;
    }
}

LRESULT frmMain::Colour(HDC context, HWND control) {
    SetBkMode(context, TRANSPARENT);
    if (control == Label1 || control == Label2 || control == lblStatus || control == Image1 ||
        control == Image2) {
        SetTextColor(context, control == Label1 ? GetSysColor(COLOR_WINDOWTEXT) : kDarkBlue);
        return reinterpret_cast<LRESULT>(banner_);
    }
    SetTextColor(context, kBlack);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT CALLBACK frmMain::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = win32view::OwnerOf<frmMain>(window, message, lParam);
    return self != nullptr ? self->Handle(message, wParam, lParam)
                           : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT frmMain::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            Click(LOWORD(wParam));
        }
        return 0;
    case WM_CTLCOLORSTATIC:
        return Colour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SETCURSOR:
        if (presenter_.record().busy && LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
            return TRUE;
        }
        break;
    case WM_PAINT: {
        const LRESULT painted = DefWindowProcW(window_, message, wParam, lParam);
        if (!paintedTold_) {
            PostMessageW(window_, kPainted, 0, 0);
        }
        return painted;
    }
    case kPainted:
        TellPainted();
        return 0;
    case WM_TIMER:
        if (wParam == kPaintTimer) {
            TellPainted();
        }
        return 0;
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        controls_.Layout(window_);
        return 0;
    }
    case WM_CLOSE:
        presenter_.Form_Unload();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}
