#include "logic/report/Report.h"

#include <gtest/gtest.h>

namespace {

const Report::Stamp kStamp{"12/7/2026", "7:05:09 AM"};
const Report::Captions kCaptions{"Local Host: WORKSTATION-7", "Local IP: 192.168.0.7",
                                 "Internet IP: 203.0.113.7", "Host: dsl-7.isp.example"};
const std::array<std::string, 4> kAddresses{"http://one.example", "http://two.example",
                                            "http://three.example", "http://four.example"};

} // namespace

TEST(RowsText, OneLinePerRowWithADashPerFurtherColumn) {
    EXPECT_EQ(Report::RowsText({}, 2), "");
    EXPECT_EQ(Report::RowsText({{"ALPHA", "10.0.0.1"}, {"BRAVO", "10.0.0.2"}}, 2),
              "ALPHA - 10.0.0.1\r\nBRAVO - 10.0.0.2\r\n");
    // A row without an address, such as "None Found", still gets its " - ".
    EXPECT_EQ(Report::RowsText({{"None Found", ""}}, 2), "None Found - \r\n");
    EXPECT_EQ(Report::RowsText({{"None Found"}}, 2), "None Found - \r\n");
    EXPECT_EQ(Report::RowsText({{"A", "1", "x", ""}}, 4), "A - 1 - x - \r\n");
    EXPECT_EQ(Report::RowsText({{"A", "1"}}, 1), "A\r\n");
}

TEST(CopyReport, ByteForByte) {
    EXPECT_EQ(
        Report::CopyReport(kStamp, kAddresses[0], kCaptions, "ALPHA - 10.0.0.1\r\nBRAVO - \r\n"),
        "File created by Brantel's Velnor on 12/7/2026 at 7:05:09 AM\r\n"
        "http://one.example\r\n"
        "\r\n"
        "Local Host: WORKSTATION-7\r\n"
        "Local IP: 192.168.0.7\r\n"
        "Internet IP: 203.0.113.7\r\n"
        "\r\n"
        "Network IPs\r\n"
        "ALPHA - 10.0.0.1\r\n"
        "BRAVO - \r\n");
}

TEST(SaveReport, ByteForByte) {
    EXPECT_EQ(Report::SaveReport(kStamp, kAddresses, kCaptions, "None Found - \r\n"),
              "File created by Brantel's Velnor on 12/7/2026 at 7:05:09 AM\r\n"
              "\r\n"
              "http://one.example\r\n"
              "http://two.example\r\n"
              "http://three.example\r\n"
              "http://four.example\r\n"
              "\r\n"
              "Local Host: WORKSTATION-7\r\n"
              "Local IP: 192.168.0.7\r\n"
              "Internet IP: 203.0.113.7\r\n"
              "Host: dsl-7.isp.example\r\n"
              "\r\n"
              "Network IPs\r\n"
              "None Found - \r\n");
}

TEST(Reports, CaptionsAreTakenWholeAndAnEmptyListEndsAfterTheHeading) {
    const Report::Captions reset{"Local Host: PC", "Local IP: ", "External IP: ", "Host: "};
    const std::string copy = Report::CopyReport(kStamp, kAddresses[0], reset, "");
    const std::string save = Report::SaveReport(kStamp, kAddresses, reset, "");
    for (const std::string& report : {copy, save}) {
        EXPECT_NE(report.find("\r\nLocal IP: \r\nExternal IP: \r\n"), std::string::npos);
        const std::string tail = "\r\nNetwork IPs\r\n";
        EXPECT_EQ(report.substr(report.size() - tail.size()), tail);
    }
    EXPECT_EQ(copy.find("Host: \r\n"), std::string::npos);
    EXPECT_NE(save.find("External IP: \r\nHost: \r\n"), std::string::npos);
}
