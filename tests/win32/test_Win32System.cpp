#include "logic/computers/clsNetwork.h"
#include "platform/win32/WNetProvider.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Computer.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Programs.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32SystemMetrics.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <regex>

namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string TempFolder() {
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, path);
    return path;
}

} // namespace

TEST(Win32System, NamesOfTheUserAndTheComputer) {
    platform::win32::Win32Computer computer;
    char user[256] = {};
    ASSERT_GT(GetEnvironmentVariableA("USERNAME", user, sizeof user), 0u);
    EXPECT_EQ(computer.userName(), user);
    // The computer name is the host name in capitals, cut to 15 characters.
    const std::string host = computer.localHostName();
    ASSERT_FALSE(host.empty());
    EXPECT_EQ(computer.computerName(), Upper(host.substr(0, 15)));
}

TEST(Win32System, TheLocalAddressIsDottedAndTheNetworkPresent) {
    platform::win32::Win32Computer computer;
    EXPECT_TRUE(std::regex_match(computer.localIP(), std::regex(R"(\d{1,3}(\.\d{1,3}){3})")))
        << computer.localIP();
    platform::win32::Win32SystemMetrics metrics;
    EXPECT_EQ(metrics.networkMetric() & 0x2, 0x2);
}

TEST(Win32System, AFailedOpenOfTheNeighbourhoodIsAnEmptyWalk) {
    platform::win32::WNetProvider provider;
    platform::win32::Win32Computer names;
    // This machine has no network provider (ERROR_NO_NETWORK): nothing is opened.
    EXPECT_FALSE(
        provider.open(platform::net::kScopeGlobalNet, platform::net::kTypeAny, 0, nullptr));
    clsNetwork network(provider, names);
    network.SetResourceType(platform::net::kTypeAny);
    EXPECT_THROW(network.Reset(), clsNetwork::NoRecords);
    EXPECT_EQ(network.GetServerList(), "");
    EXPECT_EQ(network.GetNetworkList(), "");
}

TEST(Win32System, OnlyOrdinaryFilesCountAndProgramsStart) {
    platform::win32::Win32Programs programs;
    const std::string folder = TempFolder();
    const std::string file = folder + "velnor-ordinary.txt";
    const HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);
    EXPECT_TRUE(programs.isOrdinaryFile(file));
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(programs.isOrdinaryFile(file));
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_SYSTEM);
    EXPECT_FALSE(programs.isOrdinaryFile(file));
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(DeleteFileA(file.c_str()));
    EXPECT_FALSE(programs.isOrdinaryFile(file));
    EXPECT_FALSE(programs.isOrdinaryFile(folder));

    char system[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
    // A program that ends by itself.
    EXPECT_TRUE(programs.start(std::string(system) + "\\hostname.exe"));
    EXPECT_FALSE(programs.start(std::string(system) + "\\no-such-program.exe"));
    EXPECT_FALSE(programs.start(folder));
    EXPECT_FALSE(programs.start(""));

    ASSERT_TRUE(SetEnvironmentVariableA("VELNOR_TOOLS", "C:\\Tools"));
    EXPECT_EQ(programs.expandEnvironment("%VELNOR_TOOLS%\\info.exe"), "C:\\Tools\\info.exe");
    EXPECT_EQ(programs.expandEnvironment("%VELNOR_UNSET%\\x"), "%VELNOR_UNSET%\\x");
}

// The report's file: replaced whole, a longer old one included; a missing folder says why and
// leaves nothing behind.
TEST(Win32System, FilesAreReplacedWholeOrNotAtAll) {
    platform::win32::Win32Files files;
    const std::string folder = TempFolder() + "velnor-files\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "report.txt";
    ASSERT_EQ(files.replaceFile(path, std::string(5000, 'z')), std::nullopt);
    ASSERT_EQ(files.replaceFile(path, "new\r\n"), std::nullopt);
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char read[64] = {};
    DWORD got = 0;
    ReadFile(file, read, sizeof read, &got, nullptr);
    CloseHandle(file);
    EXPECT_EQ(std::string(read, got), "new\r\n");
    const auto failed = files.replaceFile(folder + "missing\\report.txt", "x");
    ASSERT_TRUE(failed.has_value());
    EXPECT_FALSE(failed->empty());
    EXPECT_TRUE(DeleteFileA(path.c_str()));
    // Nothing left beside it: the folder is empty, so it goes.
    EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));

    platform::win32::Win32Clock clock;
    using Reading = platform::Clock::Reading;
    EXPECT_TRUE(std::regex_search(clock.read(Reading::Date), std::regex("[0-9]+.[0-9]+.[0-9]+")));
    EXPECT_TRUE(
        std::regex_search(clock.read(Reading::Time), std::regex("[0-9]+:[0-9]{2}:[0-9]{2}")));
}

TEST(Win32System, AWindowGoesOnTopAndBackKeepingItsPlace) {
    const HWND window = CreateWindowExA(0, "STATIC", "velnor", WS_OVERLAPPEDWINDOW, 40, 50, 200,
                                        100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr); // headless Wine needs its null display driver
    RECT before{};
    GetWindowRect(window, &before);
    platform::win32::Win32Shell shell;
    const auto handle = reinterpret_cast<platform::Shell::Window>(window);
    EXPECT_NE(shell.setWindowTopmost(handle, true), 0);
    EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_NE(shell.setWindowTopmost(handle, false), 0);
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    RECT after{};
    GetWindowRect(window, &after);
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.top, after.top);
    EXPECT_EQ(before.right, after.right);
    EXPECT_EQ(before.bottom, after.bottom);
    DestroyWindow(window);
}
