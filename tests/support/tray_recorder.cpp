#include "support/tray_recorder.h"

#include <utility>

#include "core/plan_ids.h"

std::vector<TrayEvent> trayEvents;
int refusedTrayAdds = 0;
bool refusedAddsTaken = false;

static std::vector<std::pair<HICON, WORD>> loadedIcons;
static decltype(&LoadImageW) realLoadImage;
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

static HANDLE WINAPI RecordLoadImage(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy,
                                     UINT flags)
{
    HANDLE image = realLoadImage(instance, name, type, cx, cy, flags);
    if (type == IMAGE_ICON && IS_INTRESOURCE(name))
        loadedIcons.emplace_back(static_cast<HICON>(image), LOWORD(reinterpret_cast<ULONG_PTR>(name)));
    return image;
}

static int PictureSize(HICON icon)
{
    ICONINFO info = {};
    if (icon == nullptr || !GetIconInfo(icon, &info))
        return 0;
    BITMAP bitmap = {};
    GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    if (info.hbmColor != nullptr)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

static BOOL WINAPI RecordNotifyIcon(DWORD operation, PNOTIFYICONDATAW record)
{
    trayEvents.push_back({false, operation, *record, LoadedFrom(record->hIcon),
                          (record->uFlags & NIF_ICON) != 0 ? PictureSize(record->hIcon) : 0});
    if (operation == NIM_ADD && refusedTrayAdds > 0) {
        --refusedTrayAdds;
        if (refusedAddsTaken)
            realNotifyIcon(operation, record);
        return FALSE;
    }
    return realNotifyIcon(operation, record);
}

static BOOL WINAPI RecordDestroyIcon(HICON icon)
{
    TrayEvent event = {true, 0, {}, LoadedFrom(icon), 0};
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
    : loadHook("user32.dll", "LoadImageW", reinterpret_cast<void*>(RecordLoadImage)),
      notifyHook("shell32.dll", "Shell_NotifyIconW", reinterpret_cast<void*>(RecordNotifyIcon)),
      destroyHook("user32.dll", "DestroyIcon", reinterpret_cast<void*>(RecordDestroyIcon))
{
    realLoadImage = loadHook.original<decltype(&LoadImageW)>();
    realNotifyIcon = notifyHook.original<decltype(&Shell_NotifyIconW)>();
    realDestroyIcon = destroyHook.original<decltype(&DestroyIcon)>();
    trayEvents.clear();
    loadedIcons.clear();
    refusedTrayAdds = 0;
    refusedAddsTaken = false;
}

void TrayFixture::SetUp()
{
    ASSERT_TRUE(loadHook.installed() && notifyHook.installed() && destroyHook.installed());
    ResetAppState();
    ResetScriptedPower();
    scriptedPower.activePlan = PLAN_HIGH_PERFORMANCE;
    window = CreateSettingsDialog(GetModuleHandleW(nullptr));
    ASSERT_NE(window, nullptr);
}

static int countedTrayCalls = 0;

static BOOL WINAPI CountTrayCall(DWORD, PNOTIFYICONDATAW)
{
    ++countedTrayCalls;
    return TRUE;
}

TrayCallCounter::TrayCallCounter()
    : hook_("shell32.dll", "Shell_NotifyIconW", reinterpret_cast<void*>(CountTrayCall))
{
    countedTrayCalls = 0;
}

int TrayCallCounter::calls() const
{
    return countedTrayCalls;
}
