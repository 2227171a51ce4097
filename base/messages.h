// The program's private window messages and its window's timers, numbered in one place.
// Private messages start at WM_APP: the numbers from WM_USER up belong to the window's class,
// and the window is a dialog, to which WM_USER + 1 is DM_SETDEFID (it would move the default
// button). The numbers of the two messages another process or thread posts are kept as they
// always were.
#pragma once

#include "base/platform.h"

// The power mode in force changed: posted by PostPowerModeChange from the platform's thread.
constexpr UINT WM_POWERMODECHANGED = WM_APP + 1;
// Show the settings window: posted by a second start of the program (ShowRunningInstance).
constexpr UINT WM_SHOWSETTINGSWINDOW = WM_APP + 2;
// The tray icon's callback: the shell posts it with a mouse or keyboard event on the icon.
constexpr UINT WM_TRAYNOTIFY = WM_APP + 3;

// Timers of the window (SetTimer identifiers), routed by WM_TIMER in the window procedure.
// The icon is given to the shell again, once a second, while the shell has refused it.
constexpr UINT_PTR kTrayRetryTimer = 1;
// One shot: a program without a rule has held the front long enough for what the program rules
// replaced to come back. Set only while such a return is pending.
constexpr UINT_PTR kSettleTimer = 2;
constexpr UINT kSettleMs = 2000;
