#include "app/single_instance.h"

#include "app/messages.h"
#include "settings/settings_dialog.h"

// Local\ is the session's own namespace, so another session (another user logged on beside
// this one) has a name of its own.
constexpr WCHAR kInstanceName[] = L"Local\\Quillmere.Running";

// The first Quillmere may still be creating its window when the second looks for it.
constexpr int kFindAttempts = 20;
constexpr DWORD kFindPauseMs = 100;

bool ClaimSessionInstance()
{
    // Never closed: the name lasts exactly as long as this process.
    HANDLE instance = CreateMutexW(nullptr, FALSE, kInstanceName);
    // A name another user made in this session cannot be opened (access denied), and is not a
    // Quillmere of this user's.
    return instance == nullptr || GetLastError() != ERROR_ALREADY_EXISTS;
}

void ShowRunningInstance()
{
    HWND running = nullptr;
    for (int attempt = 0; attempt < kFindAttempts && running == nullptr; ++attempt) {
        running = FindWindowW(L"#32770", kSettingsDialogCaption);
        if (running == nullptr)
            Sleep(kFindPauseMs);
    }
    if (running == nullptr)
        return;
    // This process was started by the user and may bring a window to the front; it lends the
    // running one that right, which a process in the background does not have of its own.
    DWORD processId = 0;
    GetWindowThreadProcessId(running, &processId);
    AllowSetForegroundWindow(processId);
    PostMessageW(running, WM_SHOWSETTINGSWINDOW, 0, 0);
}
