// The platform's power management, reduced to the calls the program makes. The shipped exe
// links power_api_win32.cpp; in-process tests link a scripted stand-in, because Wine's power
// management is only stubs.
#pragma once

#include "app/platform.h"

// A plan's display name: 255 UTF-16 units and the terminator, as PowerReadFriendlyName fills it.
constexpr DWORD kPlanNameUnits = 256;

// Reads the active plan (PowerGetActiveScheme). False, with *plan untouched, when it cannot.
bool GetActivePlan(GUID* plan);
// Makes plan active (PowerSetActiveScheme). False when the platform refused: the plan is not
// installed (a Modern Standby machine has no High Performance), or the call failed.
bool SetActivePlan(const GUID& plan);
// Reads a plan's display name (PowerReadFriendlyName). False when the platform gives none.
bool ReadPlanName(const GUID& plan, WCHAR (&name)[kPlanNameUnits]);
// Reads ACLineStatus (GetSystemPowerStatus). False when the status cannot be read.
bool GetAcLineStatus(BYTE* status);
// Asks for WM_POWERBROADCAST notifications of one power setting; the handle is not kept.
void RegisterPowerSetting(HWND window, const GUID& setting);
