#pragma once

#include "views/win32/WinApi.h"
#include <string>
#include <vector>

// Controls placed in twips at the window's resolution, and the fonts they use.
namespace win32view {

// Left, top, width, height, in twips.
struct Twips {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A font of the program's: its faces in order of preference, its size in points, its weight.
struct FontChoice {
    std::vector<const char*> faces;
    double points = 8.25;
    bool bold = false;
};
FontChoice DialogFont(double points, bool bold = false);
FontChoice VerdanaFont(double points);

// The resolution of the window (of the screen, before the window exists), in dots per inch.
int DpiOf(HWND window);

// One control of a window: where it lies in twips (relative to the client area, or to a frame's
// origin), whether its width follows its text, and its font.
struct Control {
    HWND handle = nullptr;
    Twips at;
    bool autoSize = false;
    FontChoice font;
};

// The controls of one window, and the fonts they use at its resolution.
class ControlSet {
public:
    ControlSet() = default;
    ControlSet(const ControlSet&) = delete;
    ControlSet& operator=(const ControlSet&) = delete;
    ~ControlSet();

    // A child control of the class with the caption, its id and style.
    HWND Add(HWND parent, const wchar_t* className, const std::string& caption, int id, DWORD style,
             const Twips& at, const FontChoice& font, bool autoSize = false, DWORD exStyle = 0);
    // Places every control and gives it its font, at the window's resolution (again after the
    // resolution changed).
    void Layout(HWND window);
    // The caption; a self-sizing control grows or shrinks to it, its left edge fixed.
    void SetCaption(HWND control, const std::string& text);
    // The tool tip shown while the pointer rests on the control.
    void SetToolTip(HWND control, const std::string& text);

private:
    HFONT FontFor(const FontChoice& choice, int dpi);
    void Size(const Control& control, int dpi);

    std::vector<Control> controls_;
    HWND tips_ = nullptr; // goes with the window that owns it
    struct Made {
        std::string face;
        double points;
        bool bold;
        int dpi;
        HFONT font;
    };
    std::vector<Made> fonts_;
};

// The window's text.
std::string TextOf(HWND window);
// The window moved so that it lies in the middle of the screen's work area.
void CentreOnScreen(HWND window);
// Registers a top-level window class of the program's: the arrow pointer, the dialog face as
// background, the procedure and icons given (a second registration fails harmlessly).
void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HICON icon, HICON smallIcon);
// A window's outer size for this client area at the resolution.
SIZE WindowSizeFor(int clientWidthTwips, int clientHeightTwips, DWORD style, DWORD exStyle,
                   int dpi);

} // namespace win32view
