#include "logic/report/Report.h"

namespace Report {

namespace {

std::string Header(const Stamp& stamp) {
    return "File created by Brantel's Velnor on " + stamp.date + " at " + stamp.time + kLineEnd;
}

std::string Line(const std::string& text) {
    return text + kLineEnd;
}

} // namespace

std::string RowsText(const std::vector<Row>& rows, std::size_t columnCount) {
    std::string text;
    for (const Row& row : rows) {
        text += row.empty() ? std::string() : row.front();
        for (std::size_t column = 1; column < columnCount; ++column) {
            text += " - ";
            if (column < row.size()) {
                text += row[column];
            }
        }
        text += kLineEnd;
    }
    return text;
}

std::string CopyReport(const Stamp& stamp, const std::string& address1, const Captions& captions,
                       const std::string& rowsText) {
    return Header(stamp) + Line(address1) + kLineEnd + Line(captions.localHost) +
           Line(captions.localIP) + Line(captions.externalIP) + kLineEnd + Line("Network IPs") +
           rowsText;
}

std::string SaveReport(const Stamp& stamp, const std::array<std::string, 4>& addresses,
                       const Captions& captions, const std::string& rowsText) {
    std::string report = Header(stamp) + kLineEnd;
    for (const std::string& address : addresses) {
        report += Line(address);
    }
    return report + kLineEnd + Line(captions.localHost) + Line(captions.localIP) +
           Line(captions.externalIP) + Line(captions.externalHost) + kLineEnd +
           Line("Network IPs") + rowsText;
}

} // namespace Report
