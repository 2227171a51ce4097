#include "app/single_instance.h"

#include "base/messages.h"
#include "base/system_library.h"
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
    DWORD error = GetLastError();
    if (instance != nullptr)
        return error != ERROR_ALREADY_EXISTS;
    // A first Quillmere running elevated ("as administrator") made the name with a security
    // that a process of the user's ordinary rights may not open: it runs all the same.
    return error != ERROR_ACCESS_DENIED;
}

void AcceptLowerRightsMessage(HWND window, UINT message)
{
    using WindowFilter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    using ProcessFilter = BOOL(WINAPI*)(UINT, DWORD);
    constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW, and MSGFLT_ADD for the process-wide filter
    if (message == 0)
        return;
    // Windows 7 filters per window, Vista per process.
    auto windowFilter = GetLoadedFunction<WindowFilter>(L"user32.dll", "ChangeWindowMessageFilterEx");
    if (windowFilter != nullptr) {
        windowFilter(window, message, kAllow, nullptr);
        return;
    }
    auto processFilter = GetLoadedFunction<ProcessFilter>(L"user32.dll", "ChangeWindowMessageFilter");
    if (processFilter != nullptr)
        processFilter(message, kAllow);
}

// The settings window's message from a second start, a command it carries, and the shell's
// TaskbarCreated come from processes of the user's ordinary rights.
void AcceptLowerRightsMessages(HWND window, UINT taskbarCreated)
{
    AcceptLowerRightsMessage(window, WM_SHOWSETTINGSWINDOW);
    AcceptLowerRightsMessage(window, WM_COPYDATA);
    AcceptLowerRightsMessage(window, taskbarCreated);
}

bool IsInstanceRunning()
{
    HANDLE instance = OpenMutexW(SYNCHRONIZE, FALSE, kInstanceName);
    if (instance != nullptr) {
        CloseHandle(instance);
        return true;
    }
    // An elevated one's name exists but may not be opened.
    return GetLastError() == ERROR_ACCESS_DENIED;
}

HWND FindRunningWindow()
{
    HWND running = nullptr;
    for (int attempt = 0; attempt < kFindAttempts && running == nullptr; ++attempt) {
        running = FindWindowW(L"#32770", kSettingsDialogCaption);
        if (running == nullptr)
            Sleep(kFindPauseMs);
    }
    return running;
}

void ShowRunningInstance()
{
    HWND running = FindRunningWindow();
    if (running == nullptr)
        return;
    // This process was started by the user and may bring a window to the front; it lends the
    // running one that right, which a process in the background does not have of its own.
    DWORD processId = 0;
    GetWindowThreadProcessId(running, &processId);
    AllowSetForegroundWindow(processId);
    PostMessageW(running, WM_SHOWSETTINGSWINDOW, 0, 0);
}
