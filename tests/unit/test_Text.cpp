#include "base/text/Text.h"

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

TEST(Text, CleansTextFromPeersToOneShownLine) {
    const std::string kBad = "\xEF\xBF\xBD"; // U+FFFD
    const std::tuple<std::string, std::size_t, std::string> cases[] = {
        {"203.0.113.7", 255, "203.0.113.7"},
        {"h\xC3\xA9llo \xE6\x97\xA5", 255, "h\xC3\xA9llo \xE6\x97\xA5"}, // UTF-8 stays
        {"a\r\nInjected: 1", 255, "aInjected: 1"},                       // no extra line
        {"\x1B]0;title\x07x\x1B[2J", 255, "]0;titlex[2J"},               // no escape
        {"a\x7F\xC2\x85"
         "b",
         255, "ab"},                                     // DEL, NEL
        {"evil\xE2\x80\xAEgpj.exe", 255, "evilgpj.exe"}, // RLO
        {"a\xE2\x80\x8B"
         "b\xE2\x81\xA6"
         "c\xEF\xBB\xBF",
         255, "abc"}, // ZWSP, LRI, BOM
        {"a\xE2\x80\xA8"
         "b",
         255, "ab"}, // line separator
        {"\xFF"
         "a\xC3",
         255, kBad + "a" + kBad},                                        // invalid, cut
        {"\xC0\xAF\xED\xA0\x80", 255, kBad + kBad + kBad + kBad + kBad}, // overlong, surrogate
        {std::string(300, 'a'), 255, std::string(255, 'a')},
        {"ab\xC3\xA9", 3, "ab"}, // not half a character
    };
    for (const auto& [in, bytes, out] : cases) {
        EXPECT_EQ(text::CleanText(in, bytes), out) << in;
    }
}

TEST(Text, PlainHostNamesAreLettersDigitsHyphensAndDots) {
    const std::pair<std::string, bool> cases[] = {
        {"dsl-7.isp.example", true},
        {"A1", true},
        {std::string(63, 'a') + ".example", true},
        {std::string(64, 'a') + ".example", false},
        {std::string(63, 'a') + "." + std::string(63, 'b') + "." + std::string(63, 'c') + "." +
             std::string(63, 'd'),
         false}, // 255 bytes
        {"", false},
        {"a..b", false},
        {".a", false},
        {"a.", false},
        {"203.0.113.7", false},
        {"0x7f.1", false},
        {"host_name.example", false},
        {"<b>x</b>", false},
        {"a b", false},
        {"evil\xE2\x80\xAEmoc.example", false},
        {"x\xE2\x80\x8B.example", false},
    };
    for (const auto& [name, plain] : cases) {
        EXPECT_EQ(text::IsPlainHostName(name), plain) << name;
    }
}
