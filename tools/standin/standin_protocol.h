// What the stand-in power manager (powrprof.dll, loaded into quillmere.exe under Wine) and
// its outside driver agree on. The installed plans are real subkeys of the machine's
// power-scheme key, each with its display name in a FriendlyName value; the active plan is
// the ActivePowerScheme value of that key, as Windows itself keeps it.
#pragma once

#include "base/platform.h"
#include "core/power_modes.h"
#include "power/plan_catalogue.h"  // kPowerSchemesPath
constexpr const wchar_t* kStandinActiveValue = L"ActivePowerScheme";
constexpr const wchar_t* kStandinNameValue = L"FriendlyName";

// The kind of machine the stand-in plays, a REG_SZ under HKEY_LOCAL_MACHINE: "laptop" (the
// default: Windows 7, four plans, a battery), "modern-standby" (a Windows 11 laptop with only
// Balanced and the user's plans installed, and power modes), "windows11-laptop" (four plans, a
// battery, the power modes of Windows 11), "windows10-laptop" (four plans, a battery, the power
// modes of Windows 10) or "desktop" (Windows 7, no battery: no percentage
// notifications, AC always).
constexpr const wchar_t* kStandinMachineKey = L"Software\\QuillmereStandin";
constexpr const wchar_t* kStandinMachineValue = L"Machine";

// A REG_DWORD beside the machine: how many NIM_ADD calls the shell refuses in each program
// started while it is set, as a shell still starting at log-on does. Missing means none.
constexpr const wchar_t* kStandinTrayRefusalsValue = L"TrayAddRefusals";

enum class StandinMachine { kLaptop, kModernStandby, kWindows11Laptop, kWindows10Laptop, kDesktop };
StandinMachine ReadStandinMachine();

// Windows 10 and 11 lay a power mode over the Balanced plan (the battery slider, Settings >
// Power mode), one for each power source. Only the Windows 10 and 11 machines have them.
inline bool HasPowerModes(StandinMachine machine)
{
    return machine == StandinMachine::kModernStandby || machine == StandinMachine::kWindows11Laptop ||
        machine == StandinMachine::kWindows10Laptop;
}

// The Windows 10 and 11 machines. From Windows 8 on desktop composition is always on: the
// state query answers on and the switch changes nothing.
inline bool IsWindows8OrLater(StandinMachine machine)
{
    return machine == StandinMachine::kModernStandby || machine == StandinMachine::kWindows11Laptop ||
        machine == StandinMachine::kWindows10Laptop;
}

// The mode of each power source, AC first, as braced identifier text under the machine key;
// a missing value is Balanced.
constexpr const wchar_t* kStandinModeValues[] = {L"ACPowerMode", L"DCPowerMode"};

struct StandinPowerMode {
    const GUID& id;
    const wchar_t* name;  // as Settings shows it
    const wchar_t* word;  // the driver's short name
    int effectiveMode;    // what the effective-power-mode notification reports for it
};
inline constexpr StandinPowerMode kStandinPowerModes[] = {
    {MODE_BEST_EFFICIENCY, kPowerModes[0].name, L"efficiency", 1},
    {MODE_BALANCED, kPowerModes[1].name, L"balanced", 2},
    {MODE_BEST_PERFORMANCE, kPowerModes[2].name, L"performance", 4},
};

// Null for an identifier that is none of the three modes.
const StandinPowerMode* FindStandinPowerMode(const GUID& id);
// The mode of a power source (0 AC, 1 battery) as the machine key holds it.
const StandinPowerMode& ReadStandinPowerMode(DWORD source);

// Every process that loaded the stand-in has one message-only window of this class, on a
// thread of the stand-in's own. A driver finds it with FindWindowExW(HWND_MESSAGE, ...).
constexpr const wchar_t* kStandinWindowClass = L"QuillmereStandin";

// The top-level window of front_window.exe, the program the driver puts in front of the others
// (power_driver front NAME), captioned with the file name it was started under.
constexpr const wchar_t* kFrontWindowClass = L"QuillmereFrontWindow";

// WM_COPYDATA from the driver: dwData names what to deliver, lpData holds one DWORD value
// (none for the personality, which the stand-in reads from the active plan). The stand-in
// answers 1 once the settings window's procedure has handled the notification, 0 when the
// process has no settings window to deliver to.
enum StandinCommand : ULONG_PTR {
    kStandinPowerSource = 1,     // GUID_ACDC_POWER_SOURCE: 0 AC, 1 battery, 2 short-term
    kStandinBatteryPercent = 2,  // GUID_BATTERY_PERCENTAGE_REMAINING: the charge in percent
    kStandinPersonality = 3,     // GUID_POWERSCHEME_PERSONALITY of the active plan
    kStandinMenuItems = 4,       // logs the items of the program's open popup menus
    kStandinPowerMode = 5,       // the system's own mode slider moves, for the source in use:
                                 // the value is an index of kStandinPowerModes
    kStandinSleep = 6,           // a sleep and resume, in which Windows makes Balanced active
    // The benchmark's measurements (bench/bench_probe.cpp), each with one DWORD value.
    kStandinBenchIdle = 16,      // 1 starts counting the program thread's messages, 0 reports
    kStandinBenchSwitch = 17,    // that many power-source notifications, plug and unplug in turn
    kStandinBenchPlans = 18,     // installs exactly that many plans, the built-in three first
    kStandinBenchMenu = 19,      // that many tray menu builds, the menu itself not shown
    kStandinBenchSettings = 20,  // that many openings of the settings window, each closed again
    kStandinBenchFootprint = 21, // handles, USER and GDI objects and memory of the process
};

// The settings window, found by caption within the stand-in's process.
