#pragma once

#include "platform/MessageBox.h"
#include "platform/Services.h"

#include <string>

// The About window's logic without the window: what it shows, where its links go, and the
// system-information tool. Of the platform it uses the registry, the programs and the shell;
// the window is the view's, known by its handle.
class AboutPresenter {
public:
    AboutPresenter(const platform::Services& services, platform::MessageBox& messages,
                   platform::Shell::Window window)
        : services_(services), messages_(messages), window_(window) {}

    // "About Velnor", "Velnor", "Version 2.0.0".
    static std::string Caption();
    static std::string Title();
    static std::string Version();
    // The legal warning and the line that says what the program does.
    static const char* Disclaimer();
    static const char* Description();

    // Loading the window: it stays above the others.
    void Form_Load();
    // The mailing-list page.
    void Command1_Click();
    // The maker's main site, also from the logo and the picture.
    void Command2_Click();
    void Image1_Click();
    void picIcon_Click();
    void Command4_Click();
    void StartSysInfo();

private:
    void OpenPage(const std::string& address);

    const platform::Services& services_;
    platform::MessageBox& messages_;
    platform::Shell::Window window_;
};
