#include "text/Text.h"

#include <gtest/gtest.h>

#include <tuple>

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

TEST(Text, NumericAddressesAreTheTextsASocketLibraryReadsAsOne) {
    const std::pair<const char*, bool> cases[] = {
        {"10.0.0.1", true},      {"0x7f.1", true}, // 127.0.0.1
        {"3405803777", true},                      // 203.0.113.1
        {"0177.0.0.01", true},                     // octal
        {"0XFF.0xff.0.0", true}, {"127.1.1", true},    {"4294967295", true},
        {"4294967296", false}, // too big
        {"256.0.0.1", false},    {"1.2.3.256", false}, {"1.2.65536", false},
        {"1.2.3.4.5", false},    {"08.0.0.1", false}, // not octal
        {"1..2", false},         {"1.2.", false},      {"", false},
        {"ALPHA", false},        {"1e3", false},       {"0x", false},
        {"10.0.0.1 ", false},    {"SRV1", false},
    };
    for (const auto& [name, numeric] : cases) {
        EXPECT_EQ(text::IsNumericAddress(name), numeric) << name;
    }
}

TEST(Text, CapsAtACharacterBoundary) {
    const std::tuple<std::string, std::size_t, std::string> cases[] = {
        {"ALPHA", 15, "ALPHA"},
        {"ALPHA", 3, "ALP"},
        {"h\xC3\xA9llo", 2, "h"}, // not half of the e with acute
        {"h\xC3\xA9llo", 3, "h\xC3\xA9"},
        {"\xE6\x97\xA5\xE6\x9C\xAC", 4, "\xE6\x97\xA5"},
        {"", 0, ""},
    };
    for (const auto& [text, bytes, capped] : cases) {
        EXPECT_EQ(text::CapUtf8(text, bytes), capped) << text << " " << bytes;
    }
}
