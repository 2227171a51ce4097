#include "support/tray_recorder.h"

#include <utility>

#include "core/plan_ids.h"

std::vector<TrayEvent> trayEvents;

static std::vector<std::pair<HICON, WORD>> loadedIcons;
static decltype(&LoadIconW) realLoadIcon;
static decltype(&Shell_NotifyIconW) realNotifyIcon;
static decltype(&DestroyIcon) realDestroyIcon;

static WORD LoadedFrom(HICON icon)
{
    for (auto it = loadedIcons.rbegin(); it != loadedIcons.rend(); ++it) {
        if (icon != nullptr && it->first == icon)
            return it->second;
    }
    return 0;
}

static HICON WINAPI RecordLoadIcon(HINSTANCE instance, LPCWSTR name)
{
    HICON icon = realLoadIcon(instance, name);
    if (IS_INTRESOURCE(name))
        loadedIcons.emplace_back(icon, LOWORD(reinterpret_cast<ULONG_PTR>(name)));
    return icon;
}

static BOOL WINAPI RecordNotifyIcon(DWORD operation, PNOTIFYICONDATAW record)
{
    trayEvents.push_back({false, operation, *record, LoadedFrom(record->hIcon)});
    return realNotifyIcon(operation, record);
}

static BOOL WINAPI RecordDestroyIcon(HICON icon)
{
    TrayEvent event = {true, 0, {}, LoadedFrom(icon)};
    event.record.hIcon = icon;
    trayEvents.push_back(event);
    return realDestroyIcon(icon);
}

std::vector<TrayEvent> TrayCalls()
{
    std::vector<TrayEvent> calls;
    for (const auto& event : trayEvents) {
        if (!event.released)
            calls.push_back(event);
    }
    return calls;
}

TrayFixture::TrayFixture()
    : loadHook("user32.dll", "LoadIconW", reinterpret_cast<void*>(RecordLoadIcon)),
      notifyHook("shell32.dll", "Shell_NotifyIconW", reinterpret_cast<void*>(RecordNotifyIcon)),
      destroyHook("user32.dll", "DestroyIcon", reinterpret_cast<void*>(RecordDestroyIcon))
{
    realLoadIcon = loadHook.original<decltype(&LoadIconW)>();
    realNotifyIcon = notifyHook.original<decltype(&Shell_NotifyIconW)>();
    realDestroyIcon = destroyHook.original<decltype(&DestroyIcon)>();
    trayEvents.clear();
    loadedIcons.clear();
}

void TrayFixture::SetUp()
{
    ASSERT_TRUE(loadHook.installed() && notifyHook.installed() && destroyHook.installed());
    ResetAppState();
    ResetScriptedPower();
    scriptedPower.activePlan = PLAN_HIGH_PERFORMANCE;
    window = CreateSettingsWindow(GetModuleHandleW(nullptr));
    ASSERT_NE(window, nullptr);
}
