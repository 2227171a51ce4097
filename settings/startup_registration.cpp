#include "settings/startup_registration.h"

#include "base/platform.h"

static const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
static const wchar_t kRunValue[] = L"Quillmere";

static const wchar_t kAddFailed[] =
    L"An error occured while trying to set the program to run at startup. Sorry!";
static const wchar_t kAddKeyFailed[] =
    L"An error occured while trying to set the program to run at startup. Sorry!\n"
    L"Unable to open registry key!";
static const wchar_t kAddValueFailed[] =
    L"An error occured while trying to set the program to run at startup. Sorry!\n"
    L"Unable to set registry value!";
static const wchar_t kRemoveFailed[] =
    L"An error occured while trying to remove the program from startup. Sorry!";

// Every box is shown with no key open: either none was opened or it is already closed.
static void ShowStartupMessage(const wchar_t* text)
{
    MessageBoxW(nullptr, text, L"Epic Fail", MB_OK);
}

int IsInStartup()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    LONG found = RegGetValueW(key, nullptr, kRunValue, RRF_RT_ANY, nullptr, nullptr, nullptr);
    LONG closed = RegCloseKey(key);
    return found == ERROR_SUCCESS && closed == ERROR_SUCCESS ? 1 : 0;
}

// Writes this program's path inside double quotation marks, so that the shell starting it at
// log-on cannot split a path with spaces at the first one. Returns the length in units
// without the terminator, or 0 when the path cannot be had whole: a path the platform had
// to cut to fit MAX_PATH is never registered.
static DWORD GetQuotedProgramPath(WCHAR (&quoted)[MAX_PATH + 2])
{
    WCHAR path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 0;
    quoted[0] = L'"';
    for (DWORD i = 0; i < length; ++i)
        quoted[i + 1] = path[i];
    quoted[length + 1] = L'"';
    quoted[length + 2] = L'\0';
    return length + 2;
}

void AddToStartup()
{
    WCHAR data[MAX_PATH + 2];
    DWORD length = GetQuotedProgramPath(data);
    if (length == 0) {
        ShowStartupMessage(kAddFailed);
        return;
    }
    // RegOpenKeyW opens an existing key only; a missing Run key is not created here.
    HKEY key = nullptr;
    if (RegOpenKeyW(HKEY_CURRENT_USER, kRunKey, &key) != ERROR_SUCCESS) {
        ShowStartupMessage(kAddKeyFailed);
        return;
    }
    DWORD bytes = (length + 1) * sizeof(WCHAR);  // the terminator is part of the data
    LONG set = RegSetValueExW(key, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                              bytes);
    RegCloseKey(key);
    if (set != ERROR_SUCCESS)
        ShowStartupMessage(kAddValueFailed);
}

void RemoveFromStartup()
{
    HKEY key = nullptr;
    if (RegOpenKeyW(HKEY_CURRENT_USER, kRunKey, &key) != ERROR_SUCCESS) {
        ShowStartupMessage(kRemoveFailed);
        return;
    }
    LONG deleted = RegDeleteValueW(key, kRunValue);
    RegCloseKey(key);
    if (deleted != ERROR_SUCCESS)
        ShowStartupMessage(kRemoveFailed);
}
