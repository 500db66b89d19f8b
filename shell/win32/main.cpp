#include "shell/Main.h"
#include "views/win32/Win32Dialogs.h"
#include "views/win32/Win32Mailbox.h"
#include "views/win32/frmMain.h"

#include "views/win32/WinApi.h"

namespace {

// The main window until it closes; it, its presenter and the About window go when this returns.
int RunWin32Window(int&, char*[], const platform::Services& services) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    win32view::Win32MessageBox messageBox;
    Win32Mailbox mailbox;
    MainPresenter presenter(services, {messageBox, mailbox.mailbox(), [] { PostQuitMessage(0); }});
    frmMain window(presenter, services, messageBox);
    presenter.Form_Load();
    if (presenter.isUnloaded()) {
        return 0;
    }
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!window.TakeDialogMessage(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

} // namespace

int main(int argc, char* argv[]) {
    return Main(argc, argv, RunWin32Window);
}
