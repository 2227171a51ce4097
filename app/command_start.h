// A start with arguments: a command for the power plan, carried out and ended, never a second
// tray program.
#pragma once

#include "core/command_line.h"

// Reads the process's own command line as the platform splits it.
void ReadProcessCommand(CommandLine* command);
// Prints the usage for /? and for a usage error; hands a plan, mode, next or status command to
// the Quillmere running in this session, or carries it out here, with no icon and no window,
// where none runs or it does not take it. Prints the command's lines and returns its exit code.
int RunStartCommand(const CommandLine& command);
