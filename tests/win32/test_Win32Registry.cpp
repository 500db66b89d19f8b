#include "logic/about/SysInfo.h"
#include "platform/win32/Win32Programs.h"
#include "platform/win32/Win32Registry.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

using platform::Registry;

namespace {

constexpr char kTestKey[] = "Software\\VelnorTests\\Registry";

// Writes the values under HKEY_CURRENT_USER for one test and removes them again.
class RegistryReader : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VelnorTests");
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(key_);
        EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VelnorTests"), ERROR_SUCCESS);
    }
    void Write(const char* name, DWORD type, const std::string& bytes) {
        ASSERT_EQ(RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    // The reader's result, with what it gave as text.
    std::pair<bool, std::string> Read(const char* name, std::string keyVal = "before") {
        const bool found = SysInfo::GetKeyValue(registry_, programs_, Registry::kCurrentUser,
                                                kTestKey, name, keyVal);
        return {found, keyVal};
    }

    HKEY key_ = nullptr;
    platform::win32::Win32Registry registry_;
    platform::win32::Win32Programs programs_;
};

using Found = std::pair<bool, std::string>;

} // namespace

TEST_F(RegistryReader, TextLosesOnlyItsTerminatingZero) {
    Write("withZero", REG_SZ, std::string("C:\\Tools\\info.exe\0", 18));
    Write("withoutZero", REG_SZ, "C:\\Tools\\info.exe");
    Write("ansi", REG_SZ, std::string("caf\xe9\0", 5)); // one byte per character
    Write("endsInZeroes", REG_SZ, std::string("ab\0\0", 4));
    EXPECT_EQ(Read("withZero"), Found(true, "C:\\Tools\\info.exe"));
    EXPECT_EQ(Read("withoutZero"), Found(true, "C:\\Tools\\info.exe"));
    EXPECT_EQ(Read("ansi"), Found(true, "caf\xe9"));
    EXPECT_EQ(Read("endsInZeroes"), Found(true, std::string("ab\0", 3)));
}

TEST_F(RegistryReader, NumbersAndExpandableTextAreConverted) {
    const DWORD number = 0x00ABCDEF;
    Write("number", REG_DWORD, std::string(reinterpret_cast<const char*>(&number), 4));
    ASSERT_TRUE(SetEnvironmentVariableA("VELNOR_TOOLS", "C:\\Tools"));
    Write("expandable", REG_EXPAND_SZ, std::string("%VELNOR_TOOLS%\\info.exe\0", 24));
    Write("binary", REG_BINARY, "\x01\x02");
    EXPECT_EQ(Read("number"), Found(true, "&hABCDEF"));
    EXPECT_EQ(Read("expandable"), Found(true, "C:\\Tools\\info.exe"));
    EXPECT_EQ(Read("binary"), Found(true, "before")); // another type leaves the text as it was
}

TEST_F(RegistryReader, MissingEmptyOrOversizedValuesCountAsMissing) {
    Write("empty", REG_SZ, "");
    Write("exactlyFull", REG_SZ, std::string(1023, 'a') + '\0');
    Write("tooLong", REG_SZ, std::string(1024, 'a') + '\0');
    EXPECT_EQ(Read("empty"), Found(false, ""));
    EXPECT_EQ(Read("exactlyFull"), Found(true, std::string(1023, 'a')));
    EXPECT_EQ(Read("tooLong"), Found(false, ""));
    EXPECT_EQ(Read("noSuchValue"), Found(false, ""));

    std::string keyVal = "before";
    EXPECT_FALSE(SysInfo::GetKeyValue(registry_, programs_, Registry::kCurrentUser,
                                      "Software\\VelnorTests\\NoSuchKey", "x", keyVal));
    EXPECT_EQ(keyVal, "");
}

TEST_F(RegistryReader, KeysAreOpenedForReadingAndClosed) {
    Registry::Key opened = 0;
    ASSERT_EQ(registry_.openKey(Registry::kCurrentUser, kTestKey, Registry::kKeyRead, opened),
              Registry::kSuccess);
    Write("value", REG_SZ, "x");
    std::vector<std::uint8_t> room(1);
    std::uint32_t type = 0;
    // Too little room: the call says so and how much it needs.
    EXPECT_EQ(registry_.queryValue(opened, "value", type, room), Registry::kMoreData);
    EXPECT_EQ(registry_.closeKey(opened), Registry::kSuccess);
    // A key opened for reading cannot be written through.
    ASSERT_EQ(registry_.openKey(Registry::kCurrentUser, kTestKey, Registry::kKeyRead, opened),
              Registry::kSuccess);
    const HKEY readOnly = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(opened));
    EXPECT_EQ(RegSetValueExA(readOnly, "other", 0, REG_SZ, reinterpret_cast<const BYTE*>("y"), 2),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(registry_.closeKey(opened), Registry::kSuccess);
}
