// Carrying out a command of the command line: by the running Quillmere, which shows its switch
// as a menu choice is shown, or by a process started only for it, which shows nothing.
#pragma once

#include "base/platform.h"
#include "core/command_line.h"
#include "core/copied_command.h"

// Carries out a /plan, /mode, /next or /status command and returns its exit code: kExitDone,
// kExitNotThere (no such plan, no power modes here, no plan at all) or kExitRefused (the system
// refused the switch, or the active plan could not be read). *text gets the lines it prints,
// each ending in CR LF. show: the switch is shown in the tray (the running Quillmere only).
// Nothing of config.txt or programs.txt changes, and the rules act later as they would have.
int RunCommand(const CommandLine& command, bool show, WCHAR (&text)[kReplyTextUnits]);
