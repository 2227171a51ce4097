#include "tray/tray_icon.h"

#include "base/app_state.h"
#include "base/messages.h"
#include "base/system_library.h"
#include "core/bounded_text.h"
#include "core/plan_ids.h"
#include "power/plan_name.h"
#include "power/power_mode.h"

constexpr UINT kTrayIconId = 1;
constexpr UINT kBalloonTimeout = 10000;  // milliseconds
// A refused add is tried again once a second for two minutes.
constexpr UINT kTrayRetryPeriod = 1000;  // milliseconds
constexpr LONG kTrayRetryLimit = 120;

// What the tooltip names when the platform cannot say which plan is active.
constexpr const WCHAR* kUnknownPlanName = L"unknown";

using DpiForWindowFunction = UINT(WINAPI*)(HWND);
using MetricForDpiFunction = int(WINAPI*)(int, UINT);

// The size a metric (SM_CXSMICON, SM_CXICON) has at a window's DPI. Windows 10 (1607) and later
// give each monitor its own scale and tell a window's DPI; before them one system DPI holds
// everywhere and GetSystemMetrics answers for it. The functions are looked up, not imported,
// so the exe still starts on Vista.
static int IconSizeAt(HWND window, int metric)
{
    auto dpiForWindow = GetLoadedFunction<DpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
    auto metricForDpi =
        GetLoadedFunction<MetricForDpiFunction>(L"user32.dll", "GetSystemMetricsForDpi");
    UINT dpi = dpiForWindow != nullptr && window != nullptr ? dpiForWindow(window) : 0;
    if (metricForDpi != nullptr && dpi != 0)
        return metricForDpi(metric, dpi);
    return GetSystemMetrics(metric);
}

// Each icon holds a picture drawn for every size the shell asks for, so the one of the
// exact size is taken and nothing is stretched. The handle is the caller's to destroy.
static HICON LoadProgramIcon(WORD iconId, int size)
{
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId),
                                         IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

// The tray shows small icons at the scale of the taskbar's screen: 16 px at
// 100 %, 20 at 125 %, 24 at 150 %, 32 at 200 %. The taskbar's own window tells that scale;
// without one, the settings window (centred on the primary screen) stands in for it.
static HICON LoadTrayPicture(WORD iconId)
{
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    int size = IconSizeAt(taskbar != nullptr ? taskbar : app.trayIcon.hWnd, SM_CXSMICON);
    return LoadProgramIcon(iconId, size);
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

// The add carries the callback and a picture; the tooltip and the plan's picture follow.
static bool SendTrayAdd()
{
    NOTIFYICONDATAW& tray = app.trayIcon;
    tray.uFlags = NIF_MESSAGE | NIF_ICON;
    tray.hIcon = LoadTrayPicture(IDI_BALANCED);
    bool added = Shell_NotifyIconW(NIM_ADD, &tray) != FALSE;
    ReleaseTrayPicture();
    return added;
}

// A shell too busy to answer in time may have taken an add it reported as failed; it then
// holds the icon, and a change of it succeeds.
static bool IsTrayIconHeld()
{
    app.trayIcon.uFlags = NIF_MESSAGE;
    return Shell_NotifyIconW(NIM_MODIFY, &app.trayIcon) != FALSE;
}

static void StopTrayRetry(HWND window)
{
    app.trayRetriesLeft = 0;
    KillTimer(window, kTrayRetryTimer);
}

// The shell broadcasts "TaskbarCreated" to every top-level window after it restarts, and the
// icons it held are gone by then; the window procedure answers it with RestoreTrayIcon. At
// log-on the shell may refuse the add (it is still starting, or busy past the call's
// time-out): the add is then tried again by a timer that runs only while it is due.
void AddTrayIcon(HWND window)
{
    app.taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
    NOTIFYICONDATAW& tray = app.trayIcon;
    tray.cbSize = sizeof(NOTIFYICONDATAW);  // the Vista layout, with guidItem and hBalloonIcon
    tray.hWnd = window;
    tray.uID = kTrayIconId;
    tray.uCallbackMessage = WM_TRAYNOTIFY;
    if (SendTrayAdd()) {
        if (app.trayRetriesLeft != 0)  // the shell's restart came while the add was retried
            StopTrayRetry(window);
        return;
    }
    app.trayRetriesLeft = kTrayRetryLimit;
    SetTimer(window, kTrayRetryTimer, kTrayRetryPeriod, nullptr);
}

void RetryTrayIcon(HWND window)
{
    // A tick already queued when the retries ended finds nothing to do.
    if (app.trayRetriesLeft == 0)
        return;
    bool shown = SendTrayAdd() || IsTrayIconHeld();
    if (shown || --app.trayRetriesLeft == 0)
        StopTrayRetry(window);
    if (shown)
        UpdateTrayStatus();
}

static void SetTrayIcon(WORD iconId)
{
    app.trayIcon.hIcon = LoadTrayPicture(iconId);
    app.trayIcon.uFlags = NIF_ICON;
    Shell_NotifyIconW(NIM_MODIFY, &app.trayIcon);
    ReleaseTrayPicture();
}

// Tooltip and picture go to the shell in two calls, the tooltip first. The tooltip names the
// power mode in force beside the plan; the picture follows the plan alone.
void UpdateTrayStatus()
{
    GUID active = {};
    bool known = GetActivePlan(&active);
    WCHAR name[kPlanNameUnits] = {};
    if (known)
        GetPlanDisplayName(active, name);
    ComposeBoundedText(app.trayIcon.szTip, L"Current power plan: ", known ? name : kUnknownPlanName,
                       known ? PlanNameSuffix(active) : L".");
    app.trayIcon.uFlags = NIF_TIP;
    Shell_NotifyIconW(NIM_MODIFY, &app.trayIcon);
    SetTrayIcon(known ? PlanIconId(active) : IDI_APP);
}

// The same picture as UpdateTrayStatus would choose, loaded at the size of the current scale;
// the tooltip is left alone.
void RefreshTrayPicture()
{
    GUID active = {};
    SetTrayIcon(GetActivePlan(&active) ? PlanIconId(active) : IDI_APP);
}

// WM_SETICON hands back the icon it replaces; the program loaded it, so it releases it.
static void ReplaceWindowIcon(HWND window, WPARAM which, HICON icon)
{
    LPARAM old = SendMessageW(window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    if (old != 0)
        DestroyIcon(reinterpret_cast<HICON>(old));
}

void SetWindowIcons(HWND window)
{
    ReplaceWindowIcon(window, ICON_SMALL, LoadProgramIcon(IDI_APP, IconSizeAt(window, SM_CXSMICON)));
    ReplaceWindowIcon(window, ICON_BIG, LoadProgramIcon(IDI_APP, IconSizeAt(window, SM_CXICON)));
}

void ReleaseWindowIcons(HWND window)
{
    ReplaceWindowIcon(window, ICON_SMALL, nullptr);
    ReplaceWindowIcon(window, ICON_BIG, nullptr);
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
