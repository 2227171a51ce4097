// Starts the shipped quillmere.exe (found beside the test exe) as its own process and finds
// its hidden window by caption.
#pragma once

#include <string>

#include "base/platform.h"

struct LaunchedExe {
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;
};

std::wstring ExeDirectory();
// Starts the exe in workingDirectory and waits up to timeoutMs for its window.
bool LaunchQuillmere(const std::wstring& workingDirectory, LaunchedExe* launched,
                     DWORD timeoutMs = 20000);
// Waits for the process to end; returns its exit code, or STILL_ACTIVE after the timeout.
DWORD WaitForExit(LaunchedExe* launched, DWORD timeoutMs = 20000);
// Ends the process if it still runs and closes its handles.
void CloseLaunched(LaunchedExe* launched);
