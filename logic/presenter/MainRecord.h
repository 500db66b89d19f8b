#pragma once

#include <cstddef>
#include <string>
#include <vector>

// What the main window shows, as plain data: every caption, the scratch text and the computer
// list, as text of the system's code page (names keep the bytes they came with). The load
// sequence, the list fill and the handlers write only here; the report is built only from here.
// A caption of the record, by its control.
enum class Caption { Status, LocalHost, LocalIP, ExternalIP, ExternalHost, Network };

struct MainRecord {
    // The captions, each its prefix and value in one text; the initial ones are the window's
    // design-time captions.
    std::string status;                       // lblStatus
    std::string localHost = "Local Host : ";  // lblLHost
    std::string localIP = "Local IP: ";       // lblLIP
    std::string externalIP = "Internet IP: "; // lblExtIP
    std::string externalHost = "Host: ";      // lblISP
    std::string network = "Network";          // lblAnswer
    // txtInfo: the fetched page, or the rows text of the last report.
    std::string info;

    struct Row {
        std::string key;       // "KEY_" and the name's bytes; empty for the "None Found" row
        std::string text;      // column "Network PC"
        std::string address;   // column "Network IP"
        bool computer = false; // shows the list's picture of a computer
    };
    std::vector<Row> rows;
    // The list fills: the busy pointer shows.
    bool busy = false;

    std::string& caption(Caption which) { return this->*kCaptions[static_cast<int>(which)]; }
    const std::string& caption(Caption which) const {
        return this->*kCaptions[static_cast<int>(which)];
    }

private:
    // In the order of Caption.
    static constexpr std::string MainRecord::*kCaptions[] = {
        &MainRecord::status,     &MainRecord::localHost,    &MainRecord::localIP,
        &MainRecord::externalIP, &MainRecord::externalHost, &MainRecord::network};
};
