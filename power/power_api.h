// The platform's power management, reduced to the calls the program makes. The shipped exe
// links power_api_win32.cpp; in-process tests link a scripted stand-in, because Wine's power
// management is only stubs.
#pragma once

#include "base/platform.h"

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
// Reads BatteryLifePercent (GetSystemPowerStatus), 0 to 100. False when it cannot be read or
// the machine has no battery whose charge is known (255).
bool GetBatteryPercent(BYTE* percent);
// Asks for WM_POWERBROADCAST notifications of one power setting; the handle is not kept.
void RegisterPowerSetting(HWND window, const GUID& setting);

// Power modes (Windows 10 and 11), where the system's powrprof has them: the Windows 11
// per-source functions, or on Windows 10 the overlay functions (64-bit build only). Vista, 7, 8
// and Wine have none, and then every call below fails and nothing is registered.
bool HasPowerModes();
// Whether the platform keeps a mode for each source that can be read and set whichever source
// the machine is on (Windows 11); Windows 10's overlay is the source in use's only.
bool HasModePerSource();
// The mode for one power source; Windows 10 keeps one per source itself and answers for the
// source the machine is on. False, with *mode untouched, when it cannot be read.
bool GetPowerMode(bool onAc, GUID* mode);
// Makes mode the one for that power source. False when the platform refused or has no modes.
bool SetPowerMode(bool onAc, const GUID& mode);
// Asks for the effective-power-mode notification: WM_POWERMODECHANGED is posted to the window
// once right after the registration and at every change of the mode in force. The registration
// lasts as long as the process.
void RegisterPowerModeChange(HWND window);
// The notification's callback. The platform calls it on a thread of its own, so it does nothing
// but post WM_POWERMODECHANGED to the window given as its context.
void CALLBACK PostPowerModeChange(int effectiveMode, void* window);
