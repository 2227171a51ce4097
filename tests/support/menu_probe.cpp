#include "support/menu_probe.h"

static MenuProbe* activeProbe = nullptr;
static ImportHook* trackHook = nullptr;
static ImportHook* foregroundHook = nullptr;
static ImportHook* createHook = nullptr;
static HHOOK idleHook = nullptr;
static bool sawMenuIdle = false;

static void DescribeItems(HMENU menu, const std::wstring& indent, std::wstring& text)
{
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        WCHAR label[256] = {};
        MENUITEMINFOW item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        item.dwTypeData = label;
        item.cch = 256;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
        text += indent;
        if (item.fType & MFT_SEPARATOR) {
            text += L"-\n";
            continue;
        }
        text += label;
        text += item.hSubMenu ? std::wstring(L" >") : L" " + std::to_wstring(item.wID);
        if (item.fState & MFS_CHECKED)
            text += L" *";
        if (item.fState & MFS_GRAYED)
            text += L" ~";
        text += L"\n";
        if (item.hSubMenu)
            DescribeItems(item.hSubMenu, indent + L"  ", text);
    }
}

std::wstring DescribeMenu(HMENU menu)
{
    std::wstring text;
    DescribeItems(menu, L"", text);
    return text;
}

// The menu loop tells its owner when it waits for input: the menu is on screen then, so it is
// ended from there, as a click elsewhere would end it.
static LRESULT CALLBACK WatchMenuLoop(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_ENTERIDLE && sent->wParam == MSGF_MENU) {
        sawMenuIdle = true;
        EndMenu();
    }
    return CallNextHookEx(idleHook, code, wParam, lParam);
}

static BOOL WINAPI ProbeTrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved,
                                       HWND owner, const RECT* exclude)
{
    activeProbe->calls.push_back("TrackPopupMenu");
    TrackedMenu tracked = {menu, GetSubMenu(menu, 3), DescribeMenu(menu), flags, x, y,
                           reserved, owner, exclude, false};
    sawMenuIdle = false;
    idleHook = SetWindowsHookExW(WH_CALLWNDPROC, WatchMenuLoop, nullptr, GetCurrentThreadId());
    using Track = BOOL(WINAPI*)(HMENU, UINT, int, int, int, HWND, const RECT*);
    BOOL result = trackHook->original<Track>()(menu, flags, x, y, reserved, owner, exclude);
    UnhookWindowsHookEx(idleHook);
    tracked.loopRan = sawMenuIdle;
    activeProbe->menus.push_back(tracked);
    return result;
}

static BOOL WINAPI ProbeGetCursorPos(POINT* point)
{
    activeProbe->calls.push_back("GetCursorPos");
    *point = kProbeCursor;
    return TRUE;
}

static BOOL WINAPI ProbeSetForegroundWindow(HWND window)
{
    activeProbe->calls.push_back("SetForegroundWindow");
    return foregroundHook->original<BOOL(WINAPI*)(HWND)>()(window);
}

static HMENU WINAPI ProbeCreatePopupMenu()
{
    activeProbe->calls.push_back("CreatePopupMenu");
    return createHook->original<HMENU(WINAPI*)()>()();
}

MenuProbe::MenuProbe()
{
    activeProbe = this;
    auto add = [this](const char* function, void* replacement) {
        hooks_.push_back(std::make_unique<ImportHook>("user32.dll", function, replacement));
        return hooks_.back().get();
    };
    trackHook = add("TrackPopupMenu", reinterpret_cast<void*>(ProbeTrackPopupMenu));
    foregroundHook = add("SetForegroundWindow", reinterpret_cast<void*>(ProbeSetForegroundWindow));
    createHook = add("CreatePopupMenu", reinterpret_cast<void*>(ProbeCreatePopupMenu));
    add("GetCursorPos", reinterpret_cast<void*>(ProbeGetCursorPos));
}

MenuProbe::~MenuProbe()
{
    hooks_.clear();
    activeProbe = nullptr;
}

bool MenuProbe::installed() const
{
    for (const auto& hook : hooks_) {
        if (!hook->installed())
            return false;
    }
    return true;
}
