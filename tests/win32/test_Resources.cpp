// The program's resource script, linked into this test, as Windows itself reads it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>

namespace {

const HMODULE self = GetModuleHandleA(nullptr);

std::string resourceBytes(LPCSTR name, LPCSTR type) {
    HRSRC info = FindResourceA(self, name, type);
    const void* data = info ? LockResource(LoadResource(self, info)) : nullptr;
    return data ? std::string(static_cast<const char*>(data), SizeofResource(self, info)) : "";
}

// Icon and cursor groups as resources hold them: a header, then one entry per image.
struct GroupHeader {
    WORD reserved, type, count;
};
#pragma pack(push, 2)
struct IconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct CursorEntry {
    WORD width, height; // the height counts the AND mask too
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

template <typename Entry> const Entry* entries(const std::string& dir) {
    return reinterpret_cast<const Entry*>(dir.data() + sizeof(GroupHeader));
}

// Each image must be a plain DIB: older loaders can't read PNG images.
BITMAPINFOHEADER iconImage(const std::string& bytes) {
    BITMAPINFOHEADER header{};
    if (bytes.size() >= sizeof header) // stays zero, and fails every check, if missing
        std::memcpy(&header, bytes.data(), sizeof header);
    return header;
}

TEST(Resources, IconHoldsEachSizeAsA256ColourAndA32BitDib) {
    const std::string dir = resourceBytes("IDI_ICON1", RT_GROUP_ICON);
    ASSERT_EQ(dir.size(), sizeof(GroupHeader) + 8 * sizeof(IconEntry));
    EXPECT_EQ(reinterpret_cast<const GroupHeader*>(dir.data())->count, 8);

    std::set<std::pair<int, int>> found;
    for (int i = 0; i < 8; ++i) {
        const IconEntry& e = entries<IconEntry>(dir)[i];
        found.insert({e.width, e.bitCount});
        const auto image = iconImage(resourceBytes(MAKEINTRESOURCEA(e.id), RT_ICON));
        SCOPED_TRACE(testing::Message() << int{e.width} << "px at " << e.bitCount << " bits");
        EXPECT_EQ(image.biSize, sizeof image);
        EXPECT_EQ(image.biWidth, e.width);
        EXPECT_EQ(image.biHeight, 2 * e.height); // with the AND mask below the colours
        EXPECT_EQ(image.biBitCount, e.bitCount);
        EXPECT_EQ(image.biCompression, static_cast<DWORD>(BI_RGB));
    }
    const std::set<std::pair<int, int>> expected = {{48, 8}, {48, 32}, {32, 8}, {32, 32},
                                                    {24, 8}, {24, 32}, {16, 8}, {16, 32}};
    EXPECT_EQ(found, expected);

    for (int size : {16, 48}) {
        SCOPED_TRACE(size);
        auto* bits = reinterpret_cast<PBYTE>(const_cast<char*>(dir.data()));
        const int id = LookupIconIdFromDirectoryEx(bits, TRUE, size, size, LR_DEFAULTCOLOR);
        ASSERT_NE(id, 0);
        std::string image = resourceBytes(MAKEINTRESOURCEA(id), RT_ICON);
        EXPECT_EQ(iconImage(image).biWidth, size);
        HICON icon = CreateIconFromResourceEx(reinterpret_cast<PBYTE>(image.data()),
                                              static_cast<DWORD>(image.size()), TRUE, 0x00030000,
                                              size, size, 0);
        EXPECT_NE(icon, nullptr);
        DestroyIcon(icon);
    }
}

TEST(Resources, HandCursorIs32PixelsWithItsHotSpotAtTheFingertip) {
    HCURSOR cursor = LoadCursorA(self, MAKEINTRESOURCEA(101));
    ASSERT_NE(cursor, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    // info's bitmaps live until the process ends: deleting them would need gdi32 just for that.
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 6u);
    EXPECT_EQ(info.yHotspot, 0u);

    const std::string dir = resourceBytes(MAKEINTRESOURCEA(101), RT_GROUP_CURSOR);
    ASSERT_EQ(dir.size(), sizeof(GroupHeader) + sizeof(CursorEntry));
    const CursorEntry& e = entries<CursorEntry>(dir)[0];
    EXPECT_EQ(e.width, 32);
    EXPECT_EQ(e.height, 64);
    EXPECT_EQ(e.bitCount, 1);
}

TEST(Resources, ManifestAsksForCommonControls6) {
    const std::string manifest = resourceBytes(MAKEINTRESOURCEA(1), RT_MANIFEST);
    EXPECT_NE(manifest.find("\"Microsoft.Windows.Common-Controls\""), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    // UTF-8 for the "A" calls (Wine 8 keeps its ANSI code page, so only the request is seen).
    EXPECT_NE(manifest.find("<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/"
                            "WindowsSettings\">UTF-8</activeCodePage>"),
              std::string::npos);

    // The loader honours it: comctl32 comes from the side-by-side store, not system32.
    char path[MAX_PATH] = "";
    GetModuleFileNameA(LoadLibraryA("comctl32.dll"), path, MAX_PATH);
    EXPECT_NE(std::string(path).find("common-controls"), std::string::npos) << path;
}

TEST(Resources, VersionResourceNamesTheProductAndVersion) {
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    std::string block(GetFileVersionInfoSizeA(path, nullptr), '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, static_cast<DWORD>(block.size()), block.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00020000u); // 2.0
    EXPECT_EQ(fixed.dwFileVersionLS, 0u);          // .0.0
    EXPECT_EQ(fixed.dwProductVersionMS, fixed.dwFileVersionMS);
    EXPECT_EQ(fixed.dwProductVersionLS, fixed.dwFileVersionLS);

    for (auto [name, expected] : {std::pair{"ProductName", "Velnor"}, {"FileVersion", "2.0.0.0"}}) {
        const std::string key = std::string("\\StringFileInfo\\040904b0\\") + name;
        ASSERT_TRUE(VerQueryValueA(block.data(), key.c_str(), &value, &length)) << key;
        EXPECT_STREQ(static_cast<const char*>(value), expected) << key;
    }
}

} // namespace
