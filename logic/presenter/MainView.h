#pragma once

#include "logic/presenter/MainRecord.h"

#include <cstddef>
#include <optional>
#include <string>

// A window that shows a MainRecord: told what changed, on the window's thread, and asked for
// what only a window has. The presenter never knows which toolkit draws it.
class MainView {
public:
    virtual ~MainView() = default;

    // What changed in the record.
    virtual void captionChanged(Caption caption) = 0;
    virtual void infoChanged() = 0;
    virtual void rowsCleared() = 0;
    // The record's last row is new.
    virtual void rowAdded() = 0;
    virtual void rowAddressChanged(std::size_t row) = 0;
    virtual void busyChanged() = 0;

    // Makes the window visible (the load's second step); it then tells the presenter when it
    // has first been painted.
    virtual void show() = 0;
    // The save dialog: the chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> askSaveFile(const std::string& title,
                                                   const std::string& filter,
                                                   const std::string& fileName) = 0;
    virtual void setClipboardText(const std::string& text) = 0;
    // Opens the About window, or brings it to the front when it is open.
    virtual void openAbout() = 0;
    // Unloads every window of the program, this one last.
    virtual void unloadAll() = 0;
};
