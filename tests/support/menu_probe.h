// Watches the tray menu: while the program's TrackPopupMenu runs, the real menu is read back
// item by item, then the real modal loop is entered and dismissed from inside it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/import_hook.h"

// Where the probe's GetCursorPos says the mouse is.
constexpr POINT kProbeCursor = {321, 654};

// One TrackPopupMenu call as the program made it.
struct TrackedMenu {
    HMENU menu;
    HMENU submenu;  // the first popup item's menu, or null
    // One line per item: "label id", "*" when ticked, "~" when grayed, "-" for a separator,
    // "label >" for a popup followed by its own items indented by two spaces.
    std::wstring text;
    UINT flags;
    int x, y, reserved;
    HWND owner;
    const RECT* exclude;
    bool loopRan;  // the platform's menu loop was entered, and was ended from inside it
};

class MenuProbe {
public:
    MenuProbe();
    ~MenuProbe();
    MenuProbe(const MenuProbe&) = delete;
    MenuProbe& operator=(const MenuProbe&) = delete;

    bool installed() const;
    std::vector<TrackedMenu> menus;
    // The order of the watched calls: "GetCursorPos", "CreatePopupMenu",
    // "SetForegroundWindow", "TrackPopupMenu".
    std::vector<std::string> calls;

private:
    std::vector<std::unique_ptr<ImportHook>> hooks_;
};

// The menu's items in the probe's text form.
std::wstring DescribeMenu(HMENU menu);
