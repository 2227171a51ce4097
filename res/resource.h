// Numbers shared by the C++ code and the resource script. Plain #defines, because the
// resource compiler reads this file too.
#pragma once

// Dialog and icons
#define IDD_SETTINGS            106
#define IDI_APP                 107
#define IDI_HIGH_PERFORMANCE    109
#define IDI_POWER_SAVER         110
#define IDI_BALANCED            111
#define IDD_PROGRAM_RULES       120
#define IDD_HOTKEYS             121

// Settings window controls (IDOK 1 and IDCANCEL 2 come from the platform)
#define IDC_PERCENT                 1004
#define IDC_SWITCH_ON_AC            1005
#define IDC_PLUGGED_IN_PLAN         1007
#define IDC_UNPLUGGED_PLAN          1008
#define IDC_LOW_BATTERY_PLAN        1009
#define IDC_SWITCH_ON_LOW_BATTERY   1010
#define IDC_NOTIFICATIONS           1012
#define IDC_RUN_AT_STARTUP          1014

// Program rules window controls
#define IDC_RULE_LIST               1101
#define IDC_ADD_PROGRAM             1102
#define IDC_ADD_RUNNING             1103
#define IDC_REMOVE_RULE             1104
#define IDC_RULE_TARGET             1105

// Hotkeys window controls
#define IDC_HOTKEY_LIST             1111
#define IDC_HOTKEY_KEY              1112
#define IDC_CLEAR_HOTKEY            1113

// Tray menu commands (the private messages are in base/messages.h)
#define IDM_SETTINGS            1026
#define IDM_CLOSE_SETTINGS      1027
#define IDM_EXIT                1028
#define IDM_DISPLAY_OFF         1029
#define IDM_TOGGLE_AERO         1030

#define IDM_PROGRAM_RULES       1034
#define IDM_HOTKEYS             1035

// Power mode items of the tray menu, in the order of the modes: best power efficiency,
// balanced, best performance
#define IDM_POWER_MODE_FIRST    1031
#define IDM_POWER_MODE_LAST     1033

// Plan k of the catalogue (counting from 0) gets menu command IDM_PLAN_FIRST + k
#define IDM_PLAN_FIRST          501
