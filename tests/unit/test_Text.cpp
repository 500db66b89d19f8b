#include "text/Text.h"

#include <gtest/gtest.h>

TEST(Text, LowersAsciiLettersOnly) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"SRV1-Alpha_Z", "srv1-alpha_z"},
        {"@[`{", "@[`{"},                                 // the neighbours of A-Z and a-z
        {"\xC3\x89T\xC3\x89", "\xC3\x89t\xC3\x89"},       // UTF-8 bytes stay as they are
        {std::string("A\0B", 3), std::string("a\0b", 3)}, // not cut at a NUL
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(text::AsciiLower(in), out) << in;
    }
}

TEST(Text, TrimsSpacesAndNothingElse) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"   ", ""},
        {"  ALPHA  ", "ALPHA"},
        {"a b", "a b"},
        {"\tALPHA\r\n", "\tALPHA\r\n"},
        {" \t x \n ", "\t x \n"},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(text::TrimSpaces(in), out) << in;
    }
}
