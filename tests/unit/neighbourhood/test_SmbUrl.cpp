#include "neighbourhood/smb/SmbProvider.h"

#include <gtest/gtest.h>

TEST(SmbProvider, NamesInTheLibrarysUrlsAreEscaped) {
    const std::pair<std::string, std::string> cases[] = {
        {"WORKGROUP", "smb://WORKGROUP"},
        {"my-group_1.x~", "smb://my-group_1.x~"},
        // What would name a user, a path, an escape or a query.
        {"EVIL@10.0.0.1/c$?x%41", "smb://EVIL%4010.0.0.1%2Fc%24%3Fx%2541"},
        {"Gr\xC3\xBCn Team", "smb://Gr%C3%BCn%20Team"},
        {"", "smb://"},
    };
    for (const auto& [name, url] : cases) {
        EXPECT_EQ(neighbourhood::SmbProvider::Url(name), url) << name;
    }
}
