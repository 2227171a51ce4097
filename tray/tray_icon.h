// The notification-area icon: its tooltip and picture follow the active plan, and a balloon
// announces each switch.
#pragma once

#include "base/platform.h"

// Gives the icon to the shell; when the shell refuses it, the add is tried again once a second
// (RetryTrayIcon at each tick of kTrayRetryTimer) for up to two minutes.
void AddTrayIcon(HWND window);
// One more try of a refused add: the icon is shown, with its tooltip and picture, once the
// shell takes it or is found to hold it already; the timer ends then or after the last try.
void RetryTrayIcon(HWND window);
void UpdateTrayStatus();
void ShowPlanBalloon(const WCHAR* text);
// Takes the icon out of the tray when the window goes away.
void RemoveTrayIcon();
// Loads the active plan's picture afresh at the current scale and gives it to the shell.
void RefreshTrayPicture();
// Gives the window its small and big icons at the sizes of its DPI, releasing the ones before.
void SetWindowIcons(HWND window);
// Takes the window's icons back and releases them, as the window goes away.
void ReleaseWindowIcons(HWND window);
// Puts the icon back after the shell has restarted and lost it.
void RestoreTrayIcon(HWND window);
