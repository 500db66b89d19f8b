#pragma once

#include "logic/presenter/MainPresenter.h"
#include "logic/presenter/MainView.h"
#include "platform/Services.h"
#include "views/win32/Win32Controls.h"
#include "views/win32/Win32Dialogs.h"
#include "views/win32/WinApi.h"

class frmAbout;

// The main window of the Windows program, a view of the presenter's record: it lays out the
// controls, shows what the record holds when told, and hands every click to the presenter.
class frmMain final : public MainView {
public:
    // The About window that it opens uses the services and the message box.
    frmMain(MainPresenter& presenter, const platform::Services& services,
            win32view::Win32MessageBox& messageBox);
    ~frmMain() override;
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    HWND handle() const { return window_; }
    // Lets the window or the About window take a message that is theirs (Tab, access keys);
    // true when one did.
    bool TakeDialogMessage(MSG& message);

    void captionChanged(Caption caption) override;
    void infoChanged() override;
    void rowsCleared() override;
    void rowAdded() override;
    void rowAddressChanged(std::size_t row) override;
    void busyChanged() override;
    void show() override;
    std::optional<std::string> askSaveFile(const std::string& title, const std::string& filter,
                                           const std::string& fileName) override;
    void setClipboardText(const std::string& text) override;
    void openAbout() override;
    void unloadAll() override;

private:
    template <typename Owner> friend Owner* win32view::OwnerOf(HWND, UINT, LPARAM);
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void Click(int control);
    LRESULT Colour(HDC context, HWND control);
    void TellPainted();

    MainPresenter& presenter_;
    const platform::Services& services_;
    win32view::Win32MessageBox& messageBox_;
    HWND window_ = nullptr;
    win32view::ControlSet controls_;
    HIMAGELIST ImageList1 = nullptr;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HBRUSH banner_ = nullptr;
    bool paintedTold_ = false;
    frmAbout* about_ = nullptr; // while it is loaded; at most one

    HWND Label1 = nullptr;
    HWND Image1 = nullptr;
    HWND Image2 = nullptr;
    HWND Label2 = nullptr;
    HWND lblStatus = nullptr;
    HWND Frame1 = nullptr;
    HWND lblLHost = nullptr;
    HWND lblLIP = nullptr;
    HWND lblExtIP = nullptr;
    HWND lblISP = nullptr;
    HWND lblAnswer = nullptr;
    HWND lstPCList = nullptr;
    HWND txtInfo = nullptr;
};
