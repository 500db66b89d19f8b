#include "listfill/ListFill.h"

#include <gtest/gtest.h>

TEST(ListFill, RowNamesAreTheServerListsPartsWithoutTheirFirstTwoCharacters) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"\\\\ALPHA", {"ALPHA"}},
        {"", {}},
        {"\\\\", {}},
        {"XY", {}},
        {"XYZ", {"Z"}},
        // A bar inside a name splits it, as it splits the list.
        {"\\\\A|\\\\B", {"A", "B"}},
        {"\\\\EVIL|NAME", {"EVIL", "ME"}},
        {"\\\\A||\\\\", {"A"}},
        // Characters, not bytes: a two-byte letter is one character.
        {"\xC3\xA9\xC3\xA9host", {"host"}},
        {"\\\\\xC3\xA9t\xC3\xA9", {"\xC3\xA9t\xC3\xA9"}},
    };
    for (const auto& [remoteName, rows] : cases) {
        EXPECT_EQ(ListFill::RowNames(remoteName), rows) << remoteName;
    }
}
