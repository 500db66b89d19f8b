#include "logic/about/OnTop.h"
#include "logic/about/SysInfo.h"
#include "tests/support/FakeAbout.h"
#include "tests/support/FakePlatform.h"

#include <gtest/gtest.h>

namespace {

constexpr char kUnavailable[] = "System Information Is Unavailable At This Time";

struct Rig {
    fakes::Registry registry;
    fakes::Programs programs;
    fakes::Messages messages;

    void start() { SysInfo::StartSysInfo(registry, programs, messages); }
    void path(const std::string& text, bool terminated = true,
              std::uint32_t type = platform::Registry::kTypeText) {
        registry.text(SysInfo::kPathKey, "PATH", text, terminated, type);
    }
    void folder(const std::string& text) { registry.text(SysInfo::kFolderKey, "MSINFO", text); }
    std::string read(const std::string& key, const std::string& name, bool* found = nullptr) {
        std::string value = "before";
        const bool ok = SysInfo::GetKeyValue(registry, programs, platform::Registry::kLocalMachine,
                                             key, name, value);
        if (found != nullptr) {
            *found = ok;
        }
        return value;
    }
};

} // namespace

TEST(StartSysInfo, StartsThePathOfTheFirstLookupAsItIs) {
    Rig rig;
    rig.path("C:\\Tools\\msinfo.exe");
    rig.folder("C:\\Other");
    rig.programs.startable = {"C:\\Tools\\msinfo.exe"};
    rig.start();
    EXPECT_EQ(rig.programs.started, std::vector<std::string>{"C:\\Tools\\msinfo.exe"});
    EXPECT_TRUE(rig.programs.tested.empty());
    EXPECT_TRUE(rig.messages.shown.empty());
    // Keys are opened for reading only, and closed again.
    EXPECT_EQ(rig.registry.accessAsked, std::vector<std::uint32_t>{0x20019});
    EXPECT_EQ(rig.registry.openKeys, 0);
}

TEST(StartSysInfo, AFirstPathThatDoesNotStartIsNotFollowedByTheSecondLookup) {
    Rig rig;
    rig.path("C:\\Gone\\msinfo.exe");
    rig.folder("C:\\Tools");
    rig.programs.files = {"C:\\Tools\\MSINFO32.EXE"};
    rig.programs.startable = {"C:\\Tools\\MSINFO32.EXE"};
    rig.start();
    EXPECT_TRUE(rig.programs.started.empty());
    EXPECT_EQ(rig.messages.shown, std::vector<std::string>{kUnavailable});
    EXPECT_EQ(rig.registry.accessAsked.size(), 1u);
}

TEST(StartSysInfo, TheSecondLookupNamesAFolderThatMustHoldTheTool) {
    Rig with;
    with.folder("C:\\Tools");
    with.programs.files = {"C:\\Tools\\MSINFO32.EXE"};
    with.programs.startable = {"C:\\Tools\\MSINFO32.EXE"};
    with.start();
    EXPECT_EQ(with.programs.started, std::vector<std::string>{"C:\\Tools\\MSINFO32.EXE"});
    EXPECT_TRUE(with.messages.shown.empty());

    Rig without;
    without.folder("C:\\Empty\\");
    without.start();
    // The folder's own backslash is kept: the path is used as formed.
    EXPECT_EQ(without.programs.tested, std::vector<std::string>{"C:\\Empty\\\\MSINFO32.EXE"});
    EXPECT_TRUE(without.programs.started.empty());
    EXPECT_EQ(without.messages.shown, std::vector<std::string>{kUnavailable});

    Rig neither;
    neither.start();
    EXPECT_EQ(neither.messages.shown, std::vector<std::string>{kUnavailable});
    EXPECT_EQ(neither.registry.accessAsked.size(), 2u);
}

TEST(StartSysInfo, EmptyAndOverlongValuesCountAsMissing) {
    Rig empty;
    empty.registry.values[std::string(SysInfo::kPathKey) + "|PATH"] = {1, {}};
    empty.folder("C:\\Tools");
    empty.programs.files = {"C:\\Tools\\MSINFO32.EXE"};
    empty.programs.startable = {"C:\\Tools\\MSINFO32.EXE"};
    empty.start();
    EXPECT_EQ(empty.programs.started.size(), 1u);

    Rig overlong;
    overlong.path(std::string(1024, 'x'));
    overlong.folder("C:\\Tools");
    overlong.programs.files = {"C:\\Tools\\MSINFO32.EXE"};
    overlong.programs.startable = {"C:\\Tools\\MSINFO32.EXE"};
    overlong.start();
    EXPECT_EQ(overlong.programs.started, std::vector<std::string>{"C:\\Tools\\MSINFO32.EXE"});
}

TEST(StartSysInfo, AnExpandableTextIsExpandedBeforeItStarts) {
    Rig rig;
    rig.path("%ProgramFiles%\\Info\\info.exe", true, platform::Registry::kTypeExpandableText);
    rig.programs.startable = {"C:\\Program Files\\Info\\info.exe"};
    rig.start();
    EXPECT_EQ(rig.programs.started.size(), 1u);
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(GetKeyValue, DropsExactlyOneTerminatingZeroAndReadsNumbers) {
    Rig rig;
    rig.registry.text("K", "with", "abc");
    rig.registry.text("K", "without", "abc", false);
    rig.registry.text("K", "two zeros", std::string("abc\0", 4));
    rig.registry.values["K|number"] = {platform::Registry::kTypeNumber, {0x1F, 0x00, 0x00, 0x00}};
    rig.registry.values["K|big"] = {platform::Registry::kTypeNumber, {0x78, 0x56, 0x34, 0x12}};
    rig.registry.values["K|binary"] = {3, {1, 2, 3}};
    rig.registry.text("K", "exact", std::string(1023, 'y'));
    EXPECT_EQ(rig.read("K", "with"), "abc");
    EXPECT_EQ(rig.read("K", "without"), "abc");
    EXPECT_EQ(rig.read("K", "two zeros"), std::string("abc\0", 4));
    EXPECT_EQ(rig.read("K", "number"), "&h1F");
    EXPECT_EQ(rig.read("K", "big"), "&h12345678");
    EXPECT_EQ(rig.read("K", "exact").size(), 1023u);
    bool found = false;
    // Another type of value is found, and leaves the text as it was.
    EXPECT_EQ(rig.read("K", "binary", &found), "before");
    EXPECT_TRUE(found);
    EXPECT_EQ(rig.read("K", "missing", &found), "");
    EXPECT_FALSE(found);
    EXPECT_EQ(rig.read("Nowhere", "x", &found), "");
    EXPECT_FALSE(found);
    EXPECT_EQ(rig.registry.openKeys, 0);
}

TEST(OnTop, OnlyMinusOneMeansOnTop) {
    fakes::Shell shell;
    EXPECT_EQ(OnTop::SetOnTop(shell, 77, -1), 1);
    shell.stackResult = 0;
    EXPECT_EQ(OnTop::SetOnTop(shell, 77, -1), 0);
    shell.stackResult = 1;
    EXPECT_EQ(OnTop::SetOnTop(shell, 77, 1), 0);
    EXPECT_EQ(OnTop::SetOnTop(shell, 77, 0), 0);
    EXPECT_EQ(shell.stacked, (std::vector<std::pair<platform::Shell::Window, bool>>{
                                 {77, true}, {77, true}, {77, false}, {77, false}}));
}
