#include "settings/settings_window.h"

#include "app/app_state.h"

void FillSettingsDialog(HWND)
{
}

void ShowSettings(HWND)
{
}

void HideSettings(HWND window)
{
    app.settingsOpen = 0;
    ShowWindow(window, SW_HIDE);
}

void ApplySettingsDialog(HWND)
{
}

void EnableRuleControls(HWND, int)
{
}
