#include "neighbourhood/NetworkNames.h"

#include <gtest/gtest.h>

TEST(NetworkNames, CleanNameDropsControlCharactersAndReplacesTheSeparator) {
    const std::pair<std::string, std::string> cases[] = {
        {"ALPHA", "ALPHA"},
        {"EVIL|NAME\n", "EVIL_NAME"},
        {"a|b\x7f\x1b[31mc", "a_b[31mc"},
        {std::string("a\0b\x1F\x7F|c", 7), "ab_c"},
        // U+0085 and U+009F go, U+00A0 and the rest of UTF-8 stay.
        {"HO\xC2\x85ST\xC2\x9F\xC2\xA0"
         "d\xC3\xA9\xE6\x97\xA5",
         "HOST\xC2\xA0"
         "d\xC3\xA9\xE6\x97\xA5"},
        {"\xC2", "\xC2"}, // a lead byte at the end is not read past
        // Capped after cleaning, at a character boundary.
        {std::string(50000, '|'), std::string(neighbourhood::kMaxNameBytes, '_')},
        {"\x01" + std::string(254, 'x') + "\xC3\xA9", std::string(254, 'x')},
        {"\x01\x02", ""},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(neighbourhood::CleanName(in), out) << in;
    }
}
