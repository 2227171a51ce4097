// The one process-wide state record. Only the GUI thread touches it.
#pragma once

#include <vector>

#include "base/platform.h"
#include "core/guid.h"
#include "core/hotkey_bindings.h"
#include "core/program_rules.h"
#include "core/switch_settings.h"
#include "res/resource.h"

// The installed plans, as identifiers in registry order (power/plan_catalogue.h reads them). A
// position in it is what the tray menu's plan items stand for.
struct PlanCatalogue {
    std::vector<GUID> plans;
};

// A plan and the personality Windows announced while it was active: a plan made from Balanced
// has Balanced's, and a power mode acts on it.
struct PlanPersonality {
    GUID plan;
    GUID personality;
};

struct AppState {
    SwitchSettings settings;    // live settings, read by the rules at every notification
    PlanCatalogue catalogue;    // installed plans, in registry order
    NOTIFYICONDATAW trayIcon;   // the one tray record, re-sent with each change
    WORD lastPlanCommand;       // highest command id given to a plan item by the last menu
    UINT taskbarCreatedMessage; // the shell's broadcast after it restarts, 0 until registered
    std::vector<PlanPersonality> personalities;  // each plan's personality, once announced
    std::vector<ProgramRule> programRules;  // live program rules, from "programs.txt"
    ProgramRuleState programState;          // what was in force before program rules acted
    HWINEVENTHOOK foregroundHook;           // set only while there is a program rule
    WCHAR frontImage[MAX_PATH];             // the exe of the program last in front, or empty
    LONG settleTimerSet;                    // 1 while a return waits for the settle timer
    LONG trayRetriesLeft;       // tries left of an add the shell refused; 0: no retry timer
    std::vector<HotkeyBinding> hotkeys;  // live hotkeys, from "hotkeys.txt"; hotkey id = index + 1
    std::vector<char> hotkeysTaken;      // per hotkey: 1 when another program holds its key
    unsigned registeredHotkeys;          // ids 1 to this were given to RegisterHotKey
};

extern AppState app;

// Gives every field its start value (settings defaults, empty catalogue, zeroed tray record).
void ResetAppState();
