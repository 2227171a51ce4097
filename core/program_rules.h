// Program rules: the plan or power mode a program wants while one of its windows is in front,
// and the text of "programs.txt" that keeps them. No platform call.
#pragma once

#include <cstddef>
#include <vector>

#include "power_rules.h"
#include "switch_settings.h"

// A program is a file name ("game.exe") or a full path, in UTF-16 units, terminator included.
constexpr size_t kProgramUnits = 260;

struct ProgramRule {
    GUID target;                      // a plan, or a power mode
    char16_t program[kProgramUnits];  // zero-terminated, never empty
};

// Reads "programs.txt": one rule a line, the target's identifier in braced form, a tab, then the
// program, in UTF-8 (a byte-order mark at the start of the file skipped), the line ending in LF
// or CR LF. A line that cannot be read (no identifier, no tab, no program, a program too long or
// not UTF-8) is skipped; the others are appended.
void ReadProgramRules(const char* bytes, size_t length, std::vector<ProgramRule>* rules);
// The file's text for the rules, each line ending in CR LF.
void FormatProgramRules(const std::vector<ProgramRule>& rules, std::vector<char>* text);

// A file name matches the image's file name, a path (one with a backslash or slash) the whole
// image; letters of either case alike (the Latin letters of the first 256 code points).
bool ProgramMatches(const char16_t* program, const char16_t* image);
// The first rule whose program is the image, or null.
const ProgramRule* FindProgramRule(const std::vector<ProgramRule>& rules, const char16_t* image);

// The machine's power at a change of the foreground: on AC or not (an unknown line counts as
// AC), and the battery's charge in percent, or -1 when there is none.
struct PowerState {
    bool onAc;
    int batteryPercent;
};

// While the machine is off AC at or below the low-battery percent with that rule on, the
// battery comes first and program rules do not act.
bool IsBatteryFirst(const SwitchSettings& settings, const PowerState& power);

// What a window in front is to the program rules. The shell's passing surfaces (the taskbar and
// the notification area with its overflow, Start, search, the task switcher and Task View, the
// system's flyouts and notification centre) are no program: they come to the front for a moment
// and change nothing. The desktop is a program without a rule.
enum FrontKind { kFrontProgram, kFrontShellSurface, kFrontDesktop };
// className is the window's class, image the full path of its process's exe (empty when it
// could not be asked).
FrontKind ClassifyFrontWindow(const char16_t* className, const char16_t* image);

// The two power sources, as indexes of the per-source fields below.
inline int SourceIndex(bool onAc)
{
    return onAc ? 1 : 0;
}

// What was in force just before the first program rule acted, kept while rules act, and what the
// rules left in force, so that a choice made meanwhile by someone else can be told apart.
struct ProgramRuleState {
    bool acting;             // rules acted; what was before them is still to come back
    bool leaving;            // a program without a rule is in front; the return waits to settle
    bool beforeOnAc;         // the source when the first rule acted
    bool sourceNoticed;      // a power-source notification came while rules acted
    bool beforePlanKnown;
    GUID beforePlan;         // the active plan before the first rule acted
    bool modeChanged[2];     // a rule changed this source's mode (index: SourceIndex)
    GUID beforeMode[2];      // ... and its mode before the first such change
    bool leftPlanKnown;
    GUID leftPlan;           // the active plan as the rules left it
    bool leftModeKnown[2];
    GUID leftMode[2];        // a changed source's mode as the rules left it
};

enum ProgramActionKind {
    kKeepInForce,    // nothing to switch
    kSwitchTarget,   // switch to target (a plan or a mode)
    kSettleLater,    // rules acted and a program without one is in front: wait, then settle
};

struct ProgramAction {
    ProgramActionKind kind;
    const GUID* target;  // for kSwitchTarget
};

// What is in force at a change of the foreground: the active plan and the mode in force on the
// source the machine is on (null where unread, or where no mode acts on the plan), and the mode
// set for that source whatever the plan (null where there are no modes or it is unread).
struct ForegroundScene {
    PowerState power;
    InForce inForce;
    const GUID* sourceMode;
};

// What a program now in front (image, its full path; empty for the desktop or a process that
// could not be asked) calls for, and the state brought up to date. A program with a rule brings
// its target at once (a target in force is not switched to); a program without one, after rules
// have acted, makes the return wait (kSettleLater) until it has held the front for a while, so a
// glance elsewhere switches nothing; state->leaving says whether such a wait is on. A low
// battery ends the rules' turn.
ProgramAction DecideForeground(const std::vector<ProgramRule>& rules, const char16_t* image,
                               const SwitchSettings& settings, const ForegroundScene& scene,
                               ProgramRuleState* state);

// After a rule's switch: what it left in force (the active plan, and the mode of the source the
// machine is on), or null where unread.
void NoteRulesLeft(ProgramRuleState* state, bool onAc, const GUID* activePlan, const GUID* sourceMode);

// What brings back what would be in force had the rules' programs never come to the front: the
// modes the rules changed, each set back, then the plan of before, or, when the source changed
// or was announced meanwhile and its rule is on, that rule's target (a plan or a mode), as the
// notification would have brought. Nothing at all when the
// plan or a changed mode is no longer as the rules left it: someone chose meanwhile, and that
// choice stands.
struct SettledAction {
    bool setMode[2];     // index: SourceIndex
    GUID mode[2];
    bool hasTarget;
    GUID target;         // a plan, or a mode of the source the machine is on
};

// Settles the rules' turn (a program without a rule held the front; Quillmere ends; the rule in
// force went): the state is cleared and the answer says what to bring back. modes are the modes
// set for each source whatever the plan (null where unread or absent).
SettledAction SettleProgramRules(const SwitchSettings& settings, const ForegroundScene& scene,
                                 const GUID* const (&modes)[2], ProgramRuleState* state);
