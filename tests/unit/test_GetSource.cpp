#include "logic/internet/GetSource.h"
#include "tests/support/FakeInternet.h"

#include <gtest/gtest.h>

using GetSource::ExtractBetween;

namespace {

const std::string kIp = "<b>Your IP: ";
const std::string kHost = "<b>Host: ";
const std::string kEnd = "</b>";

std::string Bytes(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += static_cast<char>('a' + i % 26);
    }
    return text;
}

} // namespace

TEST(ExtractBetween, FindsEachFieldOnItsOwnInAnyOrder) {
    const std::string page =
        "<html><b>Host: dsl-7.isp.example</b><br><b>Your IP: 203.0.113.7</b></html>";
    EXPECT_EQ(ExtractBetween(page, kIp, kEnd, 1), "203.0.113.7");
    EXPECT_EQ(ExtractBetween(page, kHost, kEnd, 1), "dsl-7.isp.example");
}

TEST(ExtractBetween, TrimsSpacesOnlyAndKeepsOtherWhitespace) {
    EXPECT_EQ(ExtractBetween("<b>Your IP:    10.0.0.1   </b>", kIp, kEnd, 1), "10.0.0.1");
    EXPECT_EQ(ExtractBetween("<b>Your IP: \t10.0.0.1\r\n</b>", kIp, kEnd, 1), "\t10.0.0.1\r\n");
    EXPECT_EQ(ExtractBetween("<b>Your IP:      </b>", kIp, kEnd, 1), "");
    EXPECT_EQ(ExtractBetween("<b>Your IP: <i>x</i> </b>", kIp, kEnd, 1), "<i>x</i>");
}

TEST(ExtractBetween, MarkersMustMatchExactly) {
    EXPECT_EQ(ExtractBetween("<B>Your IP: 1.2.3.4</b>", kIp, kEnd, 1), "");
    EXPECT_EQ(ExtractBetween("<b>Your IP:1.2.3.4</b>", kIp, kEnd, 1), "");
    EXPECT_EQ(ExtractBetween("<b>Other: 1.2.3.4</b>", kIp, kEnd, 1), "");
}

TEST(ExtractBetween, FirstStartMarkerAndTheEndMarkerAfterIt) {
    EXPECT_EQ(ExtractBetween("<b>Your IP: 1.1.1.1</b><b>Your IP: 2.2.2.2</b>", kIp, kEnd, 1),
              "1.1.1.1");
    // An end marker before the start marker does not close the value.
    EXPECT_EQ(ExtractBetween("</b><b>Your IP: 1.1.1.1", kIp, kEnd, 1), "");
    EXPECT_EQ(ExtractBetween("<b>Your IP: </b>", kIp, kEnd, 1), "");
    // The end marker is looked for only after the whole start marker.
    EXPECT_EQ(ExtractBetween("abcXbc", "abc", "bc", 1), "X");
}

TEST(ExtractBetween, StartPositionBoundsTheSearch) {
    const std::string page = "<b>Your IP: 1.1.1.1</b><b>Your IP: 2.2.2.2</b>";
    EXPECT_EQ(ExtractBetween(page, kIp, kEnd, 0), "");
    EXPECT_EQ(ExtractBetween(page, kIp, kEnd, -5), "");
    EXPECT_EQ(ExtractBetween(page, kIp, kEnd, 2), "2.2.2.2");
    EXPECT_EQ(ExtractBetween(page, kIp, kEnd, static_cast<int>(page.size()) + 10), "");
    EXPECT_EQ(ExtractBetween("", kIp, kEnd, 1), "");
}

TEST(GetPageText, JoinsTheChunksInOrderWithNothingBetween) {
    fakes::FakeInternet internet;
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, std::size_t{255}, std::size_t{256}, std::size_t{257},
          std::size_t{300}, std::size_t{5000}}) {
        internet.body = Bytes(size);
        EXPECT_EQ(GetSource::GetPageText(internet, "http://x.example/Velnor/"), internet.body)
            << size << " bytes";
    }
    internet.body = Bytes(1000);
    internet.chunks = {1, 7, 256, 3};
    EXPECT_EQ(GetSource::GetPageText(internet, "http://x.example/Velnor/"), internet.body);
    EXPECT_EQ(internet.agent, "vb wininet");
}

TEST(GetPageText, ReadsInSteps256UntilTheFirstEmptyRead) {
    fakes::FakeInternet internet;
    internet.body = Bytes(300);
    EXPECT_EQ(GetSource::GetPageText(internet, "u").size(), 300u);
    EXPECT_EQ(internet.readCounts, (std::vector<std::size_t>{256, 44, 0}));

    internet.readCounts.clear();
    internet.body = Bytes(256);
    EXPECT_EQ(GetSource::GetPageText(internet, "u").size(), 256u);
    EXPECT_EQ(internet.readCounts, (std::vector<std::size_t>{256, 0}));
}

TEST(GetPageText, FailuresGiveWhatWasReadOrNothing) {
    fakes::FakeInternet internet;
    internet.body = "<b>Your IP: 1.2.3.4</b>";
    internet.sessionFails = true;
    EXPECT_EQ(GetSource::GetPageText(internet, "u"), "");
    EXPECT_EQ(internet.fetches, 0);

    internet.sessionFails = false;
    internet.urlFails = true;
    EXPECT_EQ(GetSource::GetPageText(internet, "u"), "");

    internet.urlFails = false;
    internet.body = Bytes(600);
    internet.failAfter = 512;
    EXPECT_EQ(GetSource::GetPageText(internet, "u"), Bytes(512));
}

TEST(GetPageText, AnErrorPageIsReturnedLikeAnyOther) {
    fakes::FakeInternet internet;
    internet.body = "<html><h1>404 Not Found</h1></html>";
    EXPECT_EQ(GetSource::GetPageText(internet, "http://x.example/Velnor/"), internet.body);
    EXPECT_EQ(internet.urls.back(), "http://x.example/Velnor/");
}

TEST(GetPageText, KeepsNulAndHighBytes) {
    fakes::FakeInternet internet;
    internet.body = std::string("a\0b\xff\x80z", 6);
    EXPECT_EQ(GetSource::GetPageText(internet, "u"), internet.body);
}
