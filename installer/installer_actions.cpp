// The custom actions of the Windows Installer package (installer/quillmere.wxs), in a DLL the
// package carries in its Binary table. All run as the user, in the installer's own session.
//
//   EndRunningQuillmere  before InstallValidate, on removal and on upgrade: asks a running
//                        Quillmere to exit, as its tray menu's Exit does, and waits for it, so
//                        its exe is no file in use; once it has ended, sets QuillmereEnded
//   StartQuillmere       on an upgrade that set QuillmereEnded, after the old version's
//                        removal: starts the installed exe in the install folder, as the
//                        Start menu shortcut does, so the upgrade leaves Quillmere running
//   RemoveUserFiles      after InstallFinalize, on a removal that is no upgrade: deletes what
//                        the program made itself (config.txt, programs.txt, hotkeys.txt, their
//                        .new files, the Run value naming the installed exe) and the install
//                        folder once it is empty
#include "base/platform.h"

#include <msi.h>
#include <msiquery.h>

#include "base/data_file.h"  // the files the program makes
#include "res/resource.h"
#include "settings/settings_dialog.h"  // kSettingsDialogCaption

namespace {

// Quillmere saves its settings and removes its tray icon on the way out; this is ample.
constexpr DWORD kExitWaitMs = 10000;

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Quillmere";
constexpr wchar_t kExeName[] = L"quillmere.exe";
// Set by EndRunningQuillmere and named in StartQuillmere's condition in quillmere.wxs.
constexpr wchar_t kEndedProperty[] = L"QuillmereEnded";

// FOLDER plus NAME into PATH; false when it does not fit.
bool JoinPath(const wchar_t* folder, const wchar_t* name, wchar_t (&path)[MAX_PATH])
{
    int length = lstrlenW(folder);
    if (length + lstrlenW(name) + 1 >= MAX_PATH)
        return false;
    lstrcpyW(path, folder);
    lstrcatW(path, name);
    return true;
}

// The install folder, with its trailing backslash; false when it is not set or too long.
bool ReadInstallFolder(MSIHANDLE install, wchar_t (&folder)[MAX_PATH])
{
    DWORD length = MAX_PATH;
    return MsiGetPropertyW(install, L"INSTALLDIR", folder, &length) == ERROR_SUCCESS &&
           length > 0 && length < MAX_PATH;
}

// The Run value goes only when it starts the exe in this install folder: a bare exe elsewhere
// may have registered itself under the same name.
void RemoveRunValue(const wchar_t* folder)
{
    wchar_t exe[MAX_PATH];
    if (!JoinPath(folder, kExeName, exe))
        return;
    wchar_t expected[MAX_PATH + 2];
    wsprintfW(expected, L"\"%s\"", exe);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS)
        return;
    wchar_t data[MAX_PATH + 2] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    if (RegGetValueW(key, nullptr, kRunValue, RRF_RT_REG_SZ, nullptr, data, &size) ==
            ERROR_SUCCESS &&
        CompareStringOrdinal(data, -1, expected, -1, TRUE) == CSTR_EQUAL)
        RegDeleteValueW(key, kRunValue);
    RegCloseKey(key);
}

}  // namespace

extern "C" UINT WINAPI EndRunningQuillmere(MSIHANDLE install)
{
    HWND window = FindWindowW(WC_DIALOG, kSettingsDialogCaption);
    if (window == nullptr)
        return ERROR_SUCCESS;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    PostMessageW(window, WM_COMMAND, IDM_EXIT, 0);
    if (process != nullptr) {
        // Remembered for StartQuillmere, later in the same session.
        if (WaitForSingleObject(process, kExitWaitMs) == WAIT_OBJECT_0)
            MsiSetPropertyW(install, kEndedProperty, L"1");
        CloseHandle(process);
    }
    // Should it still run, InstallValidate names it in the installer's files-in-use prompt.
    return ERROR_SUCCESS;
}

extern "C" UINT WINAPI RemoveUserFiles(MSIHANDLE install)
{
    wchar_t folder[MAX_PATH];
    if (!ReadInstallFolder(install, folder))
        return ERROR_SUCCESS;
    // After InstallFinalize the exe of a product being removed is gone. When it is still there,
    // another version of the package owns it: this removal is an upgrade's, which Windows marks
    // with UPGRADINGPRODUCTCODE and Wine's msiexec does not, and the settings stay.
    wchar_t exe[MAX_PATH];
    if (!JoinPath(folder, kExeName, exe) || GetFileAttributesW(exe) != INVALID_FILE_ATTRIBUTES)
        return ERROR_SUCCESS;
    for (const DataFile* file : kDataFiles) {
        const wchar_t* const names[] = {file->name, file->newName};
        for (const wchar_t* name : names) {
            wchar_t path[MAX_PATH];
            if (JoinPath(folder, name, path))
                DeleteFileW(path);
        }
    }
    RemoveDirectoryW(folder);  // fails, and leaves it, when the user put anything else there
    RemoveRunValue(folder);
    return ERROR_SUCCESS;
}

// Runs after the old version's removal (RemoveExistingProducts), whose own EndRunningQuillmere
// would otherwise end the Quillmere started here. The process is the installer's user's, not
// elevated: the package is per-user and this action immediate.
extern "C" UINT WINAPI StartQuillmere(MSIHANDLE install)
{
    wchar_t folder[MAX_PATH];
    wchar_t exe[MAX_PATH];
    if (!ReadInstallFolder(install, folder) || !JoinPath(folder, kExeName, exe))
        return ERROR_SUCCESS;
    wchar_t commandLine[MAX_PATH + 2];
    wsprintfW(commandLine, L"\"%s\"", exe);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (CreateProcessW(exe, commandLine, nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                       &started)) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
    return ERROR_SUCCESS;
}
