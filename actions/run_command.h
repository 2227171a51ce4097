// Carrying out a command of the command line: a switch by the running Quillmere, which shows it
// as a menu choice is shown, or by a process started only for it, which shows nothing; and the
// lines the starting process prints.
#pragma once

#include "base/platform.h"
#include "core/command_line.h"

// Room for what a command prints: a plan's name and a few short lines.
constexpr int kCommandTextUnits = 512;

// Carries out /plan, /mode or /next and returns its exit code: kExitDone, kExitNotThere (no
// plan of that name, no power modes here, no plan at all) or kExitRefused (the system refused
// the switch). show: the switch is shown in the tray (the running Quillmere only). Nothing of
// config.txt or programs.txt changes, and the rules act later as they would have.
int RunCommand(const CommandLine& command, bool show);
// What a switching command prints once carried out with that exit code, here or by the running
// Quillmere: the plan active now, or what was not there.
void DescribeCommand(const CommandLine& command, int exitCode, WCHAR (&text)[kCommandTextUnits]);
// /status: "Power plan: ...", "Power mode: ..." where a mode acts on the active plan, and
// "Power source: ...". kExitRefused when the active plan cannot be read, else kExitDone.
int DescribeStatus(WCHAR (&text)[kCommandTextUnits]);
