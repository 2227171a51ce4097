// Finding quillmere.exe's one window by its caption and the process that owns it, for the
// end-to-end driver (another process) and the stand-in power manager (its own process).
#pragma once

#include <cwchar>

#include "app/platform.h"

constexpr const wchar_t* kProgramCaption = L"Quillmere Configuration";

struct ProgramWindowSearch {
    DWORD processId;
    HWND found;
};

inline BOOL CALLBACK MatchProgramWindow(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<ProgramWindowSearch*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t caption[64] = {};
    GetWindowTextW(window, caption, 64);
    if (processId != search->processId || std::wcscmp(caption, kProgramCaption) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

// The program's top-level window in that process, or null while it has none.
inline HWND FindProgramWindowOf(DWORD processId)
{
    ProgramWindowSearch search = {processId, nullptr};
    EnumWindows(MatchProgramWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
