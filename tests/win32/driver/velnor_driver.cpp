// Drives the running velnor.exe from outside, as a user would, and reads its windows back:
//   velnor_driver wait CLASS SECONDS         a visible window of the class, or status 1
//   velnor_driver text CLASS ID              a control's text (ID "-": the window's caption)
//   velnor_driver wait-text CLASS ID TEXT SECONDS
//   velnor_driver rows                       the list's rows: "name<TAB>address" each
//   velnor_driver click CLASS ID             the button's click, posted
//   velnor_driver topmost CLASS              status 0 when the window stays on top
//   velnor_driver save PATH SECONDS          Save, the path typed into the common dialog, OK
//   velnor_driver message SECONDS            the text of the program's message box, then OK
//   velnor_driver clipboard                  the clipboard's Unicode text
//   velnor_driver close-within CLASS ID MILLISECONDS
//                                            that button clicked; status 0 when the process
//                                            ended within the time; prints the time it took
//   velnor_driver launch EXE CLASS SECONDS   starts the program; prints the milliseconds until
//                                            a window of the class is visible
// CLASS is "main", "about" or a window class; ID a control's name (lblStatus, cmdSave ...).
// Text is written as UTF-8. Status 2 for a wrong command line.
#include "views/win32/ControlIds.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <fcntl.h>
#include <io.h>

namespace {

std::string Utf8(const std::wstring& wide) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length,
                        nullptr, nullptr);
    return text;
}

std::wstring Wide(const std::string& text) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

void Write(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

std::wstring ClassNamed(const std::string& name) {
    if (name == "main") {
        return kMainWindowClass;
    }
    if (name == "about") {
        return kAboutWindowClass;
    }
    return Wide(name);
}

HWND Find(const std::string& name) {
    const HWND window = FindWindowW(ClassNamed(name).c_str(), nullptr);
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

// Polls every 20 ms until the test holds or the time is over.
template <typename Test> bool Within(double seconds, Test test) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    while (!test()) {
        if (GetTickCount64() >= end) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

std::wstring TextOf(HWND window) {
    // WM_GETTEXT crosses processes: the system copies the text back.
    const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied =
        SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

// The controls' names, as the windows' code calls them.
int IdOf(const std::string& name) {
    using namespace controls;
    static const std::map<std::string, int> ids{
        {"-", 0},
        {"lblStatus", klblStatus},
        {"lblLHost", klblLHost},
        {"lblLIP", klblLIP},
        {"lblExtIP", klblExtIP},
        {"lblISP", klblISP},
        {"lblAnswer", klblAnswer},
        {"Label2", kLabel2},
        {"Frame1", kFrame1},
        {"cmdRefresh2", kcmdRefresh2},
        {"cmdSave", kcmdSave},
        {"cmdAbout", kcmdAbout},
        {"cmdClose", kcmdClose},
        {"cmdReset", kcmdReset},
        {"cmdCopy", kcmdCopy},
        {"cmdRefresh", kcmdRefresh},
        {"Command1", kCommand1},
        {"txtInfo", ktxtInfo},
        {"lblTitle", klblTitle},
        {"lblVersion", klblVersion},
        {"lblDisclaimer", klblDisclaimer},
        {"lblDescription", klblDescription},
        {"AboutCommand3", kAboutCommand3},
        {"AboutCommand4", kAboutCommand4},
    };
    const auto found = ids.find(name);
    return found != ids.end() ? found->second : -1;
}

HWND Control(const std::string& windowClass, const std::string& name) {
    const HWND window = Find(windowClass);
    const int id = IdOf(name);
    return window == nullptr || id < 0 ? nullptr : id == 0 ? window : GetDlgItem(window, id);
}

// A list view's rows: its item structure and text buffer must live in the program's own memory.
int Rows() {
    const HWND list = GetDlgItem(Find("main"), controls::klstPCList);
    if (list == nullptr) {
        return 1;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    const HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process == nullptr) {
        return 1;
    }
    constexpr std::size_t kChars = 1024;
    void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t),
                                  MEM_COMMIT, PAGE_READWRITE);
    auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof(LVITEMW));
    const auto count = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    std::string out;
    for (int row = 0; row < count; ++row) {
        for (int column = 0; column < 2; ++column) {
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = remoteText;
            item.cchTextMax = static_cast<int>(kChars);
            WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
            const auto length = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                             reinterpret_cast<LPARAM>(remote));
            std::wstring text(static_cast<std::size_t>(length), L'\0');
            ReadProcessMemory(process, remoteText, text.data(), text.size() * sizeof(wchar_t),
                              nullptr);
            out += Utf8(text) + (column == 0 ? "\t" : "\n");
        }
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    Write(out);
    return 0;
}

void Click(HWND button) {
    // Posted, not sent: a click that opens a modal dialog must not hold the driver.
    PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

// A dialog (message box or common dialog) of the program's, owned by the window.
HWND DialogOf(HWND owner) {
    struct Search {
        HWND owner;
        HWND found;
    } search{owner, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* search = reinterpret_cast<Search*>(data);
            wchar_t name[32] = {};
            GetClassNameW(window, name, 32);
            if (std::wstring(name) == L"#32770" && GetWindow(window, GW_OWNER) == search->owner &&
                IsWindowVisible(window)) {
                search->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int Save(const std::string& path, double seconds) {
    const HWND main = Find("main");
    if (main == nullptr) {
        return 1;
    }
    Click(GetDlgItem(main, controls::kcmdSave));
    HWND dialog = nullptr;
    if (!Within(seconds, [&] { return (dialog = DialogOf(main)) != nullptr; })) {
        std::fputs("no save dialog\n", stderr);
        return 1;
    }
    // The file name: the dialog's one edit field (inside its combo box).
    HWND name = nullptr;
    Within(seconds, [&] {
        EnumChildWindows(
            dialog,
            [](HWND child, LPARAM found) -> BOOL {
                wchar_t kind[16] = {};
                GetClassNameW(child, kind, 16);
                if (lstrcmpiW(kind, L"Edit") == 0 && IsWindowVisible(child)) {
                    *reinterpret_cast<HWND*>(found) = child;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&name));
        return name != nullptr;
    });
    if (name == nullptr) {
        std::fputs("no file name field\n", stderr);
        return 1;
    }
    const std::wstring wide = Wide(path);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return Within(seconds, [&] { return !IsWindow(dialog); }) ? 0 : 1;
}

int Message(double seconds) {
    HWND box = nullptr;
    const bool shown = Within(seconds, [&] {
        for (const wchar_t* owner : {kAboutWindowClass, kMainWindowClass}) {
            if (const HWND window = FindWindowW(owner, nullptr)) {
                if ((box = DialogOf(window)) != nullptr) {
                    return true;
                }
            }
        }
        return false;
    });
    if (!shown) {
        return 1;
    }
    // A message box's text is its static control 0xFFFF (100 in older Wine).
    HWND text = GetDlgItem(box, 0xFFFF);
    text = text != nullptr ? text : GetDlgItem(box, 100);
    Write(Utf8(TextOf(text)) + "\n");
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    return Within(seconds, [&] { return !IsWindow(box); }) ? 0 : 1;
}

int Clipboard() {
    if (!Within(2, [] { return OpenClipboard(nullptr) != FALSE; })) {
        return 1;
    }
    int status = 1;
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
            Write(Utf8(text));
            GlobalUnlock(data);
            status = 0;
        }
    }
    CloseClipboard();
    return status;
}

int CloseWithin(const std::string& windowClass, const std::string& name, DWORD milliseconds) {
    const HWND button = Control(windowClass, name);
    if (button == nullptr) {
        return 1;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(button, &pid);
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) {
        return 1;
    }
    const ULONGLONG clicked = GetTickCount64();
    Click(button);
    const bool ended = WaitForSingleObject(process, milliseconds) == WAIT_OBJECT_0;
    // How long it took, also when too long (within reason), to say so.
    const bool late = !ended && WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    const ULONGLONG took = GetTickCount64() - clicked;
    CloseHandle(process);
    if (ended || late) {
        std::printf("%llu\n", took);
    }
    return ended ? 0 : 1;
}

int Launch(const std::string& program, const std::string& windowClass, double seconds) {
    std::wstring command = L"\"" + Wide(program) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    const ULONGLONG start = GetTickCount64();
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        return 1;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    // Polled often: the time is what is measured.
    const ULONGLONG end = start + static_cast<ULONGLONG>(seconds * 1000);
    while (Find(windowClass) == nullptr) {
        if (GetTickCount64() >= end) {
            return 1;
        }
        Sleep(2);
    }
    std::printf("%llu\n", GetTickCount64() - start);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    _setmode(_fileno(stdout), _O_BINARY);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto number = [&](std::size_t at) { return std::atof(args.at(at).c_str()); };
    const std::string command = args.empty() ? "" : args[0];
    if (command == "wait" && args.size() == 3) {
        return Within(number(2), [&] { return Find(args[1]) != nullptr; }) ? 0 : 1;
    }
    if (command == "text" && args.size() == 3) {
        const HWND control = Control(args[1], args[2]);
        if (control != nullptr) {
            Write(Utf8(TextOf(control)) + "\n");
        }
        return control != nullptr ? 0 : 1;
    }
    if (command == "wait-text" && args.size() == 5) {
        std::wstring seen;
        const bool found = Within(number(4), [&] {
            const HWND control = Control(args[1], args[2]);
            return control != nullptr && (seen = TextOf(control)) == Wide(args[3]);
        });
        if (!found) {
            std::fprintf(stderr, "waited for \"%s\", saw \"%s\"\n", args[3].c_str(),
                         Utf8(seen).c_str());
        }
        return found ? 0 : 1;
    }
    if (command == "rows" && args.size() == 1) {
        return Rows();
    }
    if (command == "click" && args.size() == 3) {
        const HWND button = Control(args[1], args[2]);
        if (button != nullptr) {
            Click(button);
        }
        return button != nullptr ? 0 : 1;
    }
    if (command == "topmost" && args.size() == 2) {
        const HWND window = Find(args[1]);
        return window != nullptr && (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 0 : 1;
    }
    if (command == "save" && args.size() == 3) {
        return Save(args[1], number(2));
    }
    if (command == "message" && args.size() == 2) {
        return Message(number(1));
    }
    if (command == "clipboard" && args.size() == 1) {
        return Clipboard();
    }
    if (command == "launch" && args.size() == 4) {
        return Launch(args[1], args[2], number(3));
    }
    if (command == "close-within" && args.size() == 4) {
        return CloseWithin(args[1], args[2], static_cast<DWORD>(number(3)));
    }
    std::fputs("velnor_driver: unknown command; see the source's head for the commands\n", stderr);
    return 2;
}
