// The dialog procedure of the settings window: the single entry for every event.
#pragma once

#include "base/platform.h"

INT_PTR CALLBACK SettingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
