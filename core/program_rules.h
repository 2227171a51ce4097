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

// What was in force just before the first program rule acted, kept while rules act.
struct ProgramRuleState {
    bool acting;
    bool beforeOnAc;
    bool beforePlanKnown;
    GUID beforePlan;
    bool beforeModeKnown;
    GUID beforeMode;
};

enum ProgramActionKind {
    kKeepInForce,    // nothing to switch
    kSwitchTarget,   // switch to target (a plan or a mode)
    kRestoreBefore,  // bring back the state's plan, then its mode
};

struct ProgramAction {
    ProgramActionKind kind;
    const GUID* target;  // for kSwitchTarget
};

// What a new foreground program (image, its full path) calls for, given what is in force, and
// the state brought up to date. A program with a rule brings its target; a program without one,
// after rules have acted, brings back what was in force before them, or the power-source rule's
// target when the source changed meanwhile. A target already in force is not switched to.
ProgramAction DecideForeground(const std::vector<ProgramRule>& rules, const char16_t* image,
                               const SwitchSettings& settings, const PowerState& power,
                               const InForce& inForce, ProgramRuleState* state);
