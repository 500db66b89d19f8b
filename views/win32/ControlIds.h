#pragma once

// The identifiers of the windows' controls (GetDlgItem), as the test driver finds them too.
namespace controls {

enum MainWindow : int {
    kLabel1 = 100,
    kImage1,
    kImage2,
    kLabel2,
    klblStatus,
    kFrame1,
    klblLHost,
    klblLIP,
    klblExtIP,
    klblISP,
    klblAnswer,
    klstPCList,
    kcmdRefresh2,
    kcmdSave,
    kcmdAbout,
    kcmdClose,
    kcmdReset,
    kcmdCopy,
    kcmdRefresh,
    kCommand1,
    ktxtInfo,
};

enum AboutWindow : int {
    kpicIcon = 200,
    klblTitle,
    klblVersion,
    kAboutFrame1,
    klblDisclaimer,
    kAboutFrame2,
    klblDescription,
    kAboutCommand1,
    kAboutCommand2,
    kAboutCommand3,
    kAboutCommand4,
    kAboutImage1,
};

} // namespace controls

// The window classes, for FindWindow.
inline constexpr wchar_t kMainWindowClass[] = L"VelnorMain";
inline constexpr wchar_t kAboutWindowClass[] = L"VelnorAbout";
