// Finding quillmere.exe's one window by its caption and the process that owns it, for the
// end-to-end driver (another process) and the stand-in power manager (its own process).
#pragma once

#include <cwchar>

#include "base/platform.h"
#include "settings/settings_dialog.h"  // kSettingsDialogCaption

struct SettingsDialogSearch {
    DWORD processId;
    HWND found;
};

inline BOOL CALLBACK MatchSettingsDialog(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<SettingsDialogSearch*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t caption[64] = {};
    GetWindowTextW(window, caption, 64);
    if (processId != search->processId || std::wcscmp(caption, kSettingsDialogCaption) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

// The program's top-level window in that process, or null while it has none.
inline HWND FindSettingsDialogOf(DWORD processId)
{
    SettingsDialogSearch search = {processId, nullptr};
    EnumWindows(MatchSettingsDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
