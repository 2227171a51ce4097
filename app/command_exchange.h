// A switching command carried from a start with arguments to the running Quillmere with
// WM_COPYDATA; the message's result carries the exit code back.
#pragma once

#include "base/platform.h"
#include "core/command_line.h"

// In the starting process: hands the command to running (the running Quillmere's window) and
// waits for it. True, with *exitCode set, once the running one carried it out; false when it did
// not take it (it stopped responding, or is a Quillmere that knows no commands), which leaves the
// command to this process.
bool SendCommandToRunning(HWND running, const CommandLine& command, int* exitCode);

// In the running Quillmere, for a WM_COPYDATA to its window: carries out a command another
// process sent and returns the message's result, 1 + the exit code. Anything but a well-formed
// command is ignored, with result 0.
LRESULT TakeCopiedCommand(const COPYDATASTRUCT* data);
