#pragma once

#include "logic/about/AboutPresenter.h"
#include "platform/MessageBox.h"
#include "platform/Services.h"
#include "views/win32/Win32Controls.h"
#include "views/win32/WinApi.h"

#include <cstdint>
#include <functional>
#include <memory>

// The About window of the Windows program, a view of its presenter: title, version,
// description and the legal warning; links to the maker's pages and the system-information
// tool. Made (loaded) hidden; it deletes itself when its window goes, and then tells `unloaded`.
class frmAbout {
public:
    frmAbout(const platform::Services& services, platform::MessageBox& messageBox,
             std::function<void()> unloaded);
    frmAbout(const frmAbout&) = delete;
    frmAbout& operator=(const frmAbout&) = delete;

    HWND handle() const { return window_; }
    // Shows it, or brings it to the front.
    void Show();

private:
    template <typename Owner> friend Owner* win32view::OwnerOf(HWND, UINT, LPARAM);
    ~frmAbout();
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void Form_Load();

    const platform::Services& services_;
    platform::MessageBox& messageBox_;
    std::function<void()> unloaded_;
    HWND window_ = nullptr;
    std::unique_ptr<AboutPresenter> presenter_;
    win32view::ControlSet controls_;
    HCURSOR hand_ = nullptr;
    HWND Command1 = nullptr;
    HWND Command2 = nullptr;
    bool shown_ = false;
};
