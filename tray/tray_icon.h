// The notification-area icon: its tooltip and picture follow the active plan, and a balloon
// announces each switch.
#pragma once

#include "app/platform.h"

void AddTrayIcon(HWND window);
void UpdateTrayStatus();
void SetTrayIcon(WORD iconId);
void ShowPlanBalloon(const WCHAR* text);
// Takes the icon out of the notification area when the window goes away.
void RemoveTrayIcon();
// Puts the icon back after the shell has restarted and lost it.
void RestoreTrayIcon(HWND window);
