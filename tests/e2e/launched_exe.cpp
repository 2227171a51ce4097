#include "e2e/launched_exe.h"

#include <vector>

#include "support/settings_dialog_search.h"

std::wstring ExeDirectory()
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path, length);
    return directory.substr(0, directory.find_last_of(L"\\/"));
}

bool LaunchQuillmere(const std::wstring& workingDirectory, LaunchedExe* launched,
                     DWORD timeoutMs)
{
    std::wstring exe = ExeDirectory() + L"\\quillmere.exe";
    std::vector<wchar_t> commandLine(exe.begin(), exe.end());
    commandLine.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    // Ask for a shown window: the program must stay hidden whatever it is told.
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingDirectory.c_str(), &startup, &launched->process))
        return false;
    WaitForInputIdle(launched->process.hProcess, timeoutMs);
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        launched->window = FindSettingsDialogOf(launched->process.dwProcessId);
        if (launched->window != nullptr)
            return true;
        Sleep(50);
    }
    return false;
}

DWORD WaitForExit(LaunchedExe* launched, DWORD timeoutMs)
{
    if (WaitForSingleObject(launched->process.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(launched->process.hProcess, &code);
    return code;
}

void CloseLaunched(LaunchedExe* launched)
{
    if (launched->process.hProcess) {
        if (WaitForSingleObject(launched->process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(launched->process.hProcess, 99);
        CloseHandle(launched->process.hProcess);
        CloseHandle(launched->process.hThread);
    }
    launched->process = {};
    launched->window = nullptr;
}
