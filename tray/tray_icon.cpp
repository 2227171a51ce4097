#include "tray/tray_icon.h"

#include "app/app_state.h"
#include "core/bounded_text.h"
#include "core/plan_ids.h"
#include "power/plan_name.h"

constexpr UINT kTrayIconId = 1;
constexpr UINT kBalloonTimeout = 10000;  // milliseconds

// What the tooltip names when the platform cannot say which plan is active.
constexpr const WCHAR* kUnknownPlanName = L"unknown";

static HICON LoadTrayPicture(WORD iconId)
{
    return LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId));
}

// The shell copies the picture when it takes the record, so the handle is released straight
// after the call. A handle DestroyIcon refuses stays in the record until the next load.
static void ReleaseTrayPicture()
{
    if (app.trayIcon.hIcon != nullptr && DestroyIcon(app.trayIcon.hIcon))
        app.trayIcon.hIcon = nullptr;
}

// The picture follows the plan's identifier, never its name.
static WORD PlanIconId(const GUID& plan)
{
    if (IsSameGuid(plan, PLAN_HIGH_PERFORMANCE))
        return IDI_HIGH_PERFORMANCE;
    if (IsSameGuid(plan, PLAN_POWER_SAVER))
        return IDI_POWER_SAVER;
    if (IsSameGuid(plan, PLAN_BALANCED))
        return IDI_BALANCED;
    return IDI_APP;
}

// The shell broadcasts "TaskbarCreated" to every top-level window after it restarts, and the
// icons it held are gone by then; the window procedure answers it with RestoreTrayIcon.
void AddTrayIcon(HWND window)
{
    app.taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
    NOTIFYICONDATAW& tray = app.trayIcon;
    tray.cbSize = sizeof(NOTIFYICONDATAW);  // the Vista layout, with guidItem and hBalloonIcon
    tray.hWnd = window;
    tray.uID = kTrayIconId;
    tray.uCallbackMessage = WM_TRAYNOTIFY;
    tray.uFlags = NIF_MESSAGE | NIF_ICON;
    tray.hIcon = LoadTrayPicture(IDI_BALANCED);
    Shell_NotifyIconW(NIM_ADD, &tray);
    ReleaseTrayPicture();
}

// Tooltip and picture go to the shell in two calls, the tooltip first.
void UpdateTrayStatus()
{
    GUID active = {};
    bool known = GetActivePlan(&active);
    WCHAR name[kPlanNameUnits] = {};
    if (known)
        GetPlanDisplayName(active, name);
    ComposeBoundedText(app.trayIcon.szTip, L"Current power plan: ", known ? name : kUnknownPlanName,
                       L".");
    app.trayIcon.uFlags = NIF_TIP;
    Shell_NotifyIconW(NIM_MODIFY, &app.trayIcon);
    SetTrayIcon(known ? PlanIconId(active) : IDI_APP);
}

void SetTrayIcon(WORD iconId)
{
    app.trayIcon.hIcon = LoadTrayPicture(iconId);
    app.trayIcon.uFlags = NIF_ICON;
    Shell_NotifyIconW(NIM_MODIFY, &app.trayIcon);
    ReleaseTrayPicture();
}

// NIF_INFO alone, so the balloon changes neither tooltip nor picture, and the later tooltip
// and picture changes, which do not carry NIF_INFO, do not show it again.
void ShowPlanBalloon(const WCHAR* text)
{
    ComposeBoundedText(app.trayIcon.szInfo, nullptr, text, nullptr);
    ComposeBoundedText(app.trayIcon.szInfoTitle, L"Power Plan Changed", nullptr, nullptr);
    app.trayIcon.uTimeout = kBalloonTimeout;
    app.trayIcon.dwInfoFlags = NIIF_INFO;
    app.trayIcon.uFlags = NIF_INFO;
    Shell_NotifyIconW(NIM_MODIFY, &app.trayIcon);
}

void RemoveTrayIcon()
{
    app.trayIcon.uFlags = 0;
    Shell_NotifyIconW(NIM_DELETE, &app.trayIcon);
}

// The icon comes back exactly as at start: the add, then the active plan's tooltip and picture.
void RestoreTrayIcon(HWND window)
{
    AddTrayIcon(window);
    UpdateTrayStatus();
}
