#pragma once

#include <array>
#include <string>
#include <vector>

// The plain-text report of what the main window shows, in its clipboard and file variants.
namespace Report {

inline constexpr char kLineEnd[] = "\r\n";

struct Captions {
    std::string localHost;
    std::string localIP;
    std::string externalIP;
    std::string externalHost;
};

struct Stamp {
    std::string date;
    std::string time;
};

// One list row: the item text, then the text of each further column.
using Row = std::vector<std::string>;

// One line per row: its texts joined by " - ", then CR LF. Every row gets one " - " per
// column after the first, also where its text is missing.
std::string RowsText(const std::vector<Row>& rows, std::size_t columnCount);

std::string CopyReport(const Stamp& stamp, const std::string& address1, const Captions& captions,
                       const std::string& rowsText);

std::string SaveReport(const Stamp& stamp, const std::array<std::string, 4>& addresses,
                       const Captions& captions, const std::string& rowsText);

} // namespace Report
