#include "tray/tray_icon.h"

#include "app/app_state.h"

void AddTrayIcon(HWND)
{
}

void UpdateTrayStatus()
{
}

void SetTrayIcon(WORD)
{
}

void ShowPlanBalloon(const WCHAR*)
{
}

void RemoveTrayIcon()
{
    app.trayIcon.uFlags = 0;
    Shell_NotifyIconW(NIM_DELETE, &app.trayIcon);
}

void RestoreTrayIcon(HWND)
{
}
