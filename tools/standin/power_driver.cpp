// The outside half of the stand-in power manager, and the end-to-end tests' eyes for what a
// mouse cannot check. Runs under Wine in the desktop of the running quillmere.exe (named by
// QUILLMERE_DESKTOP, "quillmere" when unset).
//
//   power_driver plug | unplug | short-term     power-source notification 0, 1 or 2
//   power_driver battery N                      battery-percentage notification
//   power_driver plan ID-OR-NAME                make a plan active elsewhere, then announce it
//   power_driver mode NAME                      the system's power mode slider moves, for the
//                                               source in use: efficiency, balanced, performance
//   power_driver status                         the installed plans, the active one marked, and
//                                               the power mode of each source where there are modes
//   power_driver window                         "visible X Y W H", "hidden" or "absent"
//   power_driver dialog CAPTION                 "X Y W H" of a shown dialog so captioned, or "absent"
//   power_driver control ID                     "X Y ENABLED CHECKED TEXT" of a settings control
//   power_driver menu                           "X Y W H" of each open popup menu
//   power_driver tray                           "X Y" of the tray's last icon cell, or hidden/absent
//   power_driver ac                             ACLineStatus as GetSystemPowerStatus gives it
//   power_driver tips                           "X Y W H" of each tooltip or balloon shown
//   power_driver hold                           stays in the desktop, so it outlives the program
//   power_driver droplist                       "X Y W H" of the open combo box list
//   power_driver menu-items                     the stand-in logs the program's open menu items
//   power_driver sleep                          a sleep and resume; Windows makes Balanced active
//   power_driver hang                           shows a top-level window, then stops answering
//   power_driver answers [MS]                   posts the Settings command: "answers" when it shows
//   power_driver wait visible|hidden|absent|menu|nomenu [MS]
//   power_driver bench idle|switch|plans|menu|settings|footprint N   a benchmark step
//   power_driver footprint EXE-NAME             "HANDLES USER GDI WORKING-SET PRIVATE" of a process
//   power_driver front NAME [DIR]               puts the program NAME (a copy of front_window.exe
//                                               in DIR, by default programs\ beside the driver,
//                                               or a full path) in front, starting it when it is
//                                               not running; prints the full path now in front
//   power_driver front taskbar                  the shell's taskbar comes to the front, with the
//                                               event Windows raises for it
//   power_driver front start                    a Start menu comes to the front: a front program
//                                               run as StartMenuExperienceHost.exe from the
//                                               system's apps folder, as Windows 10 and 11 run it
//   power_driver front app NAME                 a Store app NAME in front: its window a child of
//                                               a frame of ApplicationFrameHost.exe, in front
//   power_driver close NAME [DIR]               closes that program's window, waits for its end
//   power_driver launch EXE                     starts EXE in the current directory with the
//                                               stand-in loaded before it runs, waits for its
//                                               end and exits with its exit code
//   power_driver key TEXT                       presses the hotkey TEXT ("Ctrl+Alt+P") as the
//                                               keyboard does: modifiers down, key down and up,
//                                               modifiers up; Wine's server turns a registered
//                                               hotkey into WM_HOTKEY for its thread
//   power_driver take TEXT                      another program holds the hotkey TEXT: prints
//                                               "taken" (or "already taken") and stays until it
//                                               is ended, as the program that holds it would
//   power_driver lines CAPTION ID               each line of list box ID in the dialog CAPTION
//
// Exit code 0 on success, 1 when the thing asked for is not there, 2 for a bad command line.
#include "standin/standin_protocol.h"
#include "support/settings_dialog_search.h"

#include <commctrl.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "core/guid_text.h"
#include "core/hotkey.h"
#include "res/resource.h"
#include "standin/standin_loader.h"

namespace {

wchar_t desktopName[64] = L"quillmere";

void UseProgramDesktop()
{
    GetEnvironmentVariableW(L"QUILLMERE_DESKTOP", desktopName, 64);
    HDESK desktop = OpenDesktopW(desktopName, 0, FALSE, GENERIC_ALL);
    if (desktop != nullptr)
        SetThreadDesktop(desktop);
}

// Each process that loaded the stand-in has one window; all of them are told.
int SendToStandins(StandinCommand command, DWORD value)
{
    int delivered = 0;
    HWND window = nullptr;
    while ((window = FindWindowExW(HWND_MESSAGE, window, kStandinWindowClass, nullptr))) {
        COPYDATASTRUCT data = {command, sizeof(value), &value};
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                SMTO_NORMAL, 15000, &answer) && answer == 1)
            ++delivered;
    }
    if (delivered == 0)
        std::fprintf(stderr, "no quillmere.exe with the stand-in power manager is running\n");
    return delivered > 0 ? 0 : 1;
}

// A benchmark step runs inside the program's process for as long as it takes; its figures go
// to bench.txt beside the stand-in.
int SendBenchCommand(const wchar_t* step, DWORD value)
{
    static const struct {
        const wchar_t* name;
        StandinCommand command;
    } kSteps[] = {{L"idle", kStandinBenchIdle},   {L"switch", kStandinBenchSwitch},
                  {L"plans", kStandinBenchPlans}, {L"menu", kStandinBenchMenu},
                  {L"settings", kStandinBenchSettings}, {L"footprint", kStandinBenchFootprint}};
    for (const auto& known : kSteps) {
        if (wcscmp(step, known.name) != 0)
            continue;
        // Only the stand-in in quillmere.exe answers 1; one in another program answers 0.
        HWND window = nullptr;
        while ((window = FindWindowExW(HWND_MESSAGE, window, kStandinWindowClass, nullptr))) {
            COPYDATASTRUCT data = {known.command, sizeof(value), &value};
            DWORD_PTR answer = 0;
            if (SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                    SMTO_NORMAL, 600000, &answer) && answer == 1)
                return 0;
        }
        std::fprintf(stderr, "bench %ls %lu failed\n", step, value);
        return 1;
    }
    return 2;
}

// Handle count, USER and GDI objects, working set and private bytes (in KiB) of the first
// process running exeName.
int PrintFootprint(const wchar_t* exeName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    DWORD processId = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, exeName) == 0) {
            processId = entry.th32ProcessID;
            break;
        }
    }
    CloseHandle(snapshot);
    HANDLE process = processId == 0 ? nullptr
        : OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (process == nullptr) {
        std::printf("absent\n");
        return 1;
    }
    DWORD handles = 0;
    GetProcessHandleCount(process, &handles);
    DWORD user = GetGuiResources(process, GR_USEROBJECTS);
    DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof(memory));
    CloseHandle(process);
    std::printf("%lu %lu %lu %llu %llu\n", handles, user, gdi,
                static_cast<unsigned long long>(memory.WorkingSetSize / 1024),
                static_cast<unsigned long long>(memory.PrivateUsage / 1024));
    return 0;
}

// The full image path of the process that owns a window.
bool ReadWindowImage(HWND window, wchar_t (&image)[MAX_PATH])
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr)
        return false;
    DWORD size = MAX_PATH;
    BOOL read = QueryFullProcessImageNameW(process, 0, image, &size);
    CloseHandle(process);
    return read != FALSE;
}

// The program whose window is the foreground window, as a per-program rule identifies it.
void PrintFrontProgram(const char* label)
{
    wchar_t image[MAX_PATH];
    HWND window = GetForegroundWindow();
    std::printf("%s%ls\n", label,
                window != nullptr && ReadWindowImage(window, image) ? image : L"none");
}

bool ReadPlanName(HKEY schemes, const wchar_t* keyName, wchar_t (&name)[256])
{
    DWORD size = sizeof(name) - sizeof(wchar_t);
    name[0] = L'\0';
    return RegGetValueW(schemes, keyName, kStandinNameValue, RRF_RT_REG_SZ, nullptr, name,
                        &size) == ERROR_SUCCESS;
}

bool ReadActiveKeyName(HKEY schemes, wchar_t (&keyName)[64])
{
    DWORD size = sizeof(keyName) - sizeof(wchar_t);
    keyName[0] = L'\0';
    return RegGetValueW(schemes, nullptr, kStandinActiveValue, RRF_RT_REG_SZ, nullptr, keyName,
                        &size) == ERROR_SUCCESS;
}

// A plan is named by its identifier (with or without braces, either case) or its name.
bool FindPlanKey(HKEY schemes, const wchar_t* wanted, wchar_t (&keyName)[64])
{
    const wchar_t* bare = wanted[0] == L'{' ? wanted + 1 : wanted;
    size_t bareLength = wcslen(bare);
    if (bareLength > 0 && bare[bareLength - 1] == L'}')
        --bareLength;
    for (DWORD index = 0;; ++index) {
        if (RegEnumKeyW(schemes, index, keyName, 64) != ERROR_SUCCESS)
            return false;
        wchar_t name[256];
        bool sameId = wcslen(keyName) == bareLength && _wcsnicmp(keyName, bare, bareLength) == 0;
        if (sameId || (ReadPlanName(schemes, keyName, name) && _wcsicmp(name, wanted) == 0))
            return true;
    }
}

int MakePlanActive(const wchar_t* wanted)
{
    HKEY schemes = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPowerSchemesPath, 0, KEY_READ | KEY_SET_VALUE,
                      &schemes) != ERROR_SUCCESS) {
        std::fprintf(stderr, "no plans are installed\n");
        return 1;
    }
    wchar_t keyName[64];
    bool found = FindPlanKey(schemes, wanted, keyName);
    if (found)
        RegSetValueExW(schemes, kStandinActiveValue, 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(keyName),
                       static_cast<DWORD>((wcslen(keyName) + 1) * sizeof(wchar_t)));
    RegCloseKey(schemes);
    if (!found) {
        std::fprintf(stderr, "no installed plan is called %ls\n", wanted);
        return 1;
    }
    return SendToStandins(kStandinPersonality, 0);
}

// A mode is named by its word (efficiency, balanced, performance) or its name in Settings.
int MoveSystemPowerMode(const wchar_t* wanted)
{
    if (!HasPowerModes(ReadStandinMachine())) {
        std::fprintf(stderr, "this machine has no power modes\n");
        return 1;
    }
    for (DWORD index = 0; index < ARRAYSIZE(kStandinPowerModes); ++index) {
        const StandinPowerMode& mode = kStandinPowerModes[index];
        if (_wcsicmp(wanted, mode.word) == 0 || _wcsicmp(wanted, mode.name) == 0)
            return SendToStandins(kStandinPowerMode, index);
    }
    std::fprintf(stderr, "no power mode is called %ls\n", wanted);
    return 2;
}

int PrintStatus()
{
    HKEY schemes = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPowerSchemesPath, 0, KEY_READ, &schemes) !=
        ERROR_SUCCESS) {
        std::printf("no plans are installed\n");
        return 1;
    }
    wchar_t active[64];
    ReadActiveKeyName(schemes, active);
    wchar_t keyName[64];
    for (DWORD index = 0; RegEnumKeyW(schemes, index, keyName, 64) == ERROR_SUCCESS; ++index) {
        wchar_t name[256];
        ReadPlanName(schemes, keyName, name);
        std::printf("%s %ls  %ls\n", _wcsicmp(keyName, active) == 0 ? "*" : " ", keyName, name);
    }
    RegCloseKey(schemes);
    if (HasPowerModes(ReadStandinMachine())) {
        std::printf("power mode on AC: %ls\n", ReadStandinPowerMode(0).name);
        std::printf("power mode on battery: %ls\n", ReadStandinPowerMode(1).name);
    }
    PrintFrontProgram("in front: ");
    bool running = FindWindowExW(HWND_MESSAGE, nullptr, kStandinWindowClass, nullptr) != nullptr;
    std::printf("quillmere.exe with the stand-in: %s\n", running ? "running" : "not running");
    return 0;
}

HWND FindSettingsDialog()
{
    return FindWindowW(L"#32770", kSettingsDialogCaption);
}

// "PREFIX X Y W H" of a shown window, "hidden", or "absent" (exit code 1).
int PrintWindowRect(HWND window, const char* prefix)
{
    if (window == nullptr) {
        std::printf("absent\n");
        return 1;
    }
    if (!IsWindowVisible(window)) {
        std::printf("hidden\n");
        return 0;
    }
    RECT rect = {};
    GetWindowRect(window, &rect);
    std::printf("%s%ld %ld %ld %ld\n", prefix, rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top);
    return 0;
}

// "X Y W H" of a shown dialog with that caption (the program rules window, a message box).
int PrintDialog(const wchar_t* caption)
{
    HWND dialog = FindWindowW(L"#32770", caption);
    return PrintWindowRect(dialog != nullptr && IsWindowVisible(dialog) ? dialog : nullptr, "");
}

int PrintWindow()
{
    return PrintWindowRect(FindSettingsDialog(), "visible ");
}

// The middle of a control in screen coordinates, where a click lands on it, and its state.
int PrintControl(int id)
{
    HWND control = GetDlgItem(FindSettingsDialog(), id);
    if (control == nullptr) {
        std::printf("absent\n");
        return 1;
    }
    RECT rect = {};
    GetWindowRect(control, &rect);
    wchar_t text[256] = {};
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    if (_wcsicmp(className, L"ComboBox") == 0) {
        LRESULT selected = SendMessageW(control, CB_GETCURSEL, 0, 0);
        if (selected != CB_ERR && SendMessageW(control, CB_GETLBTEXTLEN, selected, 0) < 256)
            SendMessageW(control, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text));
    } else {
        GetWindowTextW(control, text, 256);
    }
    LRESULT checked = SendMessageW(control, BM_GETCHECK, 0, 0);
    std::printf("%ld %ld %d %d %ls\n", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2,
                IsWindowEnabled(control) ? 1 : 0, checked == BST_CHECKED ? 1 : 0, text);
    return 0;
}

struct WindowListing {
    const wchar_t* className;
    int count;
};

BOOL CALLBACK PrintClassWindow(HWND window, LPARAM lParam)
{
    auto* listing = reinterpret_cast<WindowListing*>(lParam);
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (_wcsicmp(className, listing->className) != 0 || !IsWindowVisible(window))
        return TRUE;
    RECT rect = {};
    GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top);
    ++listing->count;
    return TRUE;
}

BOOL CALLBACK CountClassWindow(HWND window, LPARAM lParam)
{
    auto* listing = reinterpret_cast<WindowListing*>(lParam);
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (_wcsicmp(className, listing->className) == 0 && IsWindowVisible(window))
        ++listing->count;
    return TRUE;
}

// Popup menus are top-level windows of class #32768, tooltips and balloons of the common
// controls' tooltip class.
int PrintWindowsOfClass(const wchar_t* className)
{
    WindowListing listing = {className, 0};
    EnumWindows(PrintClassWindow, reinterpret_cast<LPARAM>(&listing));
    return listing.count > 0 ? 0 : 1;
}

// A desktop closes when the last program in it ends; this one keeps it open meanwhile.
int HoldDesktop()
{
    GetDesktopWindow();
    FindSettingsDialog();
    Sleep(INFINITE);
    return 0;
}

int WaitFor(const wchar_t* state, DWORD limitMs);

// A program that stopped responding: its top-level window stays on the desktop while its
// thread never looks at its messages again, so whatever is sent to it waits.
int HangWithWindow()
{
    CreateWindowExW(0, L"Static", L"Not Responding", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                    240, 120, nullptr, nullptr, nullptr, nullptr);
    std::printf("hung\n");
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}

// Whether the program's message loop still runs. A thread stuck in SendMessageW still handles
// messages sent to it, so a sent probe would be answered; a posted command waits for the loop.
// The Settings command is posted, and the settings window must show within the limit.
int PrintAnswers(DWORD limitMs)
{
    HWND window = FindSettingsDialog();
    bool answered = window != nullptr && PostMessageW(window, WM_COMMAND, IDM_SETTINGS, 0) &&
        WaitFor(L"visible", limitMs) == 0;
    std::printf("%s\n", answered ? "answers" : "does not answer");
    return answered ? 0 : 1;
}

// Wine's desktop taskbar draws the notification icons at its right end, one small-icon cell
// each, the newest leftmost; with one program in the tray that is the last cell. The taskbar
// hides itself while the tray holds no icon at all.
int PrintTray()
{
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (taskbar == nullptr || !IsWindowVisible(taskbar)) {
        std::printf("%s\n", taskbar == nullptr ? "absent" : "hidden");
        return 1;
    }
    RECT rect = {};
    GetWindowRect(taskbar, &rect);
    int cell = GetSystemMetrics(SM_CXSMICON) + 2 * GetSystemMetrics(SM_CXEDGE);
    std::printf("%ld %ld\n", rect.right - cell / 2, (rect.top + rect.bottom) / 2);
    return 0;
}

// Wine answers from the host's /sys/class/power_supply, not from the stand-in.
int PrintAcLineStatus()
{
    SYSTEM_POWER_STATUS status = {};
    if (!GetSystemPowerStatus(&status))
        return 1;
    std::printf("%u\n", status.ACLineStatus);
    return 0;
}

// The folder of the driver's exe, with its final backslash.
bool ReadDriverFolder(wchar_t (&folder)[MAX_PATH])
{
    DWORD length = GetModuleFileNameW(nullptr, folder, MAX_PATH);
    wchar_t* slash = length > 0 && length < MAX_PATH ? wcsrchr(folder, L'\\') : nullptr;
    if (slash == nullptr)
        return false;
    slash[1] = L'\0';
    return true;
}

// Where the program NAME is: NAME itself when it is a path, else NAME in FOLDER, by default
// the programs\ folder beside the driver.
bool ResolveFrontProgram(const wchar_t* name, const wchar_t* folder, wchar_t (&path)[MAX_PATH])
{
    wchar_t joined[MAX_PATH];
    if (wcspbrk(name, L"\\/:") != nullptr) {
        wcsncpy(joined, name, MAX_PATH - 1);
        joined[MAX_PATH - 1] = L'\0';
    } else if (folder != nullptr) {
        if (_snwprintf(joined, MAX_PATH, L"%ls\\%ls", folder, name) < 0)
            return false;
    } else {
        wchar_t driverFolder[MAX_PATH];
        if (!ReadDriverFolder(driverFolder) ||
            _snwprintf(joined, MAX_PATH, L"%lsprograms\\%ls", driverFolder, name) < 0)
            return false;
    }
    DWORD length = GetFullPathNameW(joined, MAX_PATH, path, nullptr);
    return length > 0 && length < MAX_PATH;
}

// The window of the front program started from PATH, found by its process's image.
HWND FindFrontWindow(const wchar_t* path)
{
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, kFrontWindowClass, nullptr))) {
        wchar_t image[MAX_PATH];
        if (ReadWindowImage(window, image) && _wcsicmp(image, path) == 0)
            return window;
    }
    return nullptr;
}

// Makes the folders of PATH that are missing, each level in turn.
void CreateFoldersOf(const wchar_t* path)
{
    wchar_t folder[MAX_PATH];
    wcscpy(folder, path);
    for (wchar_t* slash = wcschr(folder + 3, L'\\'); slash != nullptr;
         slash = wcschr(slash + 1, L'\\')) {
        *slash = L'\0';
        CreateDirectoryW(folder, nullptr);
        *slash = L'\\';
    }
}

// A copy of front_window.exe at PATH, started in its own folder as a double click starts it.
// Returns its process, or null.
HANDLE StartFrontProgram(const wchar_t* path, const wchar_t* arguments)
{
    wchar_t source[MAX_PATH];
    if (!ReadDriverFolder(source) || wcslen(source) + 17 > MAX_PATH)
        return nullptr;
    wcscat(source, L"front_window.exe");
    CreateFoldersOf(path);
    if (!CopyFileW(source, path, FALSE)) {
        std::fprintf(stderr, "cannot copy front_window.exe to %ls\n", path);
        return nullptr;
    }
    wchar_t folder[MAX_PATH];
    wcscpy(folder, path);
    *wcsrchr(folder, L'\\') = L'\0';
    wchar_t commandLine[2 * MAX_PATH + 3];
    _snwprintf(commandLine, 2 * MAX_PATH + 3, L"\"%ls\"%ls%ls", path, arguments != nullptr ? L" " : L"",
               arguments != nullptr ? arguments : L"");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.lpDesktop = desktopName;
    // No standard handles: Wine would hand the program the driver's output, a pipe to the
    // calling script, which would then wait for the program's end instead of the driver's.
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(path, commandLine, nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                        &started)) {
        std::fprintf(stderr, "cannot start %ls (error %lu)\n", path, GetLastError());
        return nullptr;
    }
    CloseHandle(started.hThread);
    return started.hProcess;
}

// Synchronisation only: polls until a window of the process is the foreground window.
bool WaitForFront(DWORD processId, DWORD limitMs)
{
    for (DWORD waited = 0; waited <= limitMs; waited += 50) {
        DWORD frontId = 0;
        HWND front = GetForegroundWindow();
        if (front != nullptr && GetWindowThreadProcessId(front, &frontId) && frontId == processId)
            return true;
        Sleep(50);
    }
    return false;
}

// The program's window comes to the front; it raises the foreground event itself when it is
// activated, as Wine does not. A program not running yet is started.
int PutInFront(const wchar_t* name, const wchar_t* folder, const wchar_t* arguments = nullptr)
{
    wchar_t path[MAX_PATH];
    if (!ResolveFrontProgram(name, folder, path)) {
        std::fprintf(stderr, "no program path for %ls\n", name);
        return 2;
    }
    DWORD processId = 0;
    HWND window = FindFrontWindow(path);
    if (window != nullptr) {
        GetWindowThreadProcessId(window, &processId);
        if (IsIconic(window))
            ShowWindow(window, SW_RESTORE);
        SetForegroundWindow(window);
    } else {
        HANDLE process = StartFrontProgram(path, arguments);
        if (process == nullptr)
            return 1;
        processId = GetProcessId(process);
        CloseHandle(process);
    }
    if (!WaitForFront(processId, 10000)) {
        std::fprintf(stderr, "%ls did not come to the front\n", path);
        return 1;
    }
    PrintFrontProgram("");
    return 0;
}

// The taskbar comes to the front, as a click on it, its clock or its notification area brings
// it on Windows, which raises the foreground event for it; Wine does neither, so the driver
// activates it and raises the event itself.
int PutTaskbarInFront()
{
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (taskbar == nullptr) {
        std::fprintf(stderr, "the desktop has no taskbar\n");
        return 1;
    }
    SetForegroundWindow(taskbar);
    NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, taskbar, OBJID_WINDOW, CHILDID_SELF);
    std::printf("taskbar\n");
    return 0;
}

constexpr wchar_t kStartMenuFolder[] =
    L"C:\\windows\\SystemApps\\Microsoft.Windows.StartMenuExperienceHost_cw5n1h2txyewy";

// Closes the program's window and waits for its process to end. Nothing is raised for the
// window Wine activates next: a front program raises the event itself when it is the one.
int CloseFrontProgram(const wchar_t* name, const wchar_t* folder)
{
    wchar_t path[MAX_PATH];
    if (!ResolveFrontProgram(name, folder, path))
        return 2;
    HWND window = FindFrontWindow(path);
    DWORD processId = 0;
    if (window != nullptr)
        GetWindowThreadProcessId(window, &processId);
    HANDLE process = processId == 0 ? nullptr : OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (process == nullptr) {
        std::fprintf(stderr, "%ls is not running\n", path);
        return 1;
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    bool ended = WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    CloseHandle(process);
    if (!ended)
        std::fprintf(stderr, "%ls did not end\n", path);
    return ended ? 0 : 1;
}

bool StateReached(const wchar_t* state)
{
    HWND window = FindSettingsDialog();
    if (wcscmp(state, L"absent") == 0)
        return window == nullptr;
    if (wcscmp(state, L"visible") == 0)
        return window != nullptr && IsWindowVisible(window);
    if (wcscmp(state, L"hidden") == 0)
        return window != nullptr && !IsWindowVisible(window);
    WindowListing menus = {L"#32768", 0};
    EnumWindows(CountClassWindow, reinterpret_cast<LPARAM>(&menus));
    if (wcscmp(state, L"menu") == 0)
        return menus.count > 0;
    return menus.count == 0;  // "nomenu"
}

// Synchronisation only: polls until the state is reached, up to a generous limit.
int WaitFor(const wchar_t* state, DWORD limitMs)
{
    for (DWORD waited = 0; waited <= limitMs; waited += 100) {
        if (StateReached(state))
            return 0;
        Sleep(100);
    }
    std::fprintf(stderr, "still not %ls after %lu ms\n", state, limitMs);
    return 1;
}

// A program sees the stand-in from its first instruction, as it sees the shell: the stand-in
// then also watches the calls made before the program's first power call loads it.
int LaunchWithStandin(const wchar_t* program)
{
    wchar_t commandLine[MAX_PATH + 2];
    if (std::swprintf(commandLine, MAX_PATH + 2, L"\"%ls\"", program) < 0)
        return 2;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &process))
        return 1;
    if (!LoadStandinInto(process.hProcess, 30000)) {
        TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return 1;
    }
    ResumeThread(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// Key text as ParseHotkeyText reads it; the command line gives it as UTF-16, of which only
// ASCII can name a key.
bool ParseKeyArgument(const wchar_t* text, Hotkey* hotkey)
{
    char ascii[64];
    size_t length = 0;
    for (; text[length] != L'\0'; ++length) {
        if (length == sizeof(ascii) || text[length] > 0x7F)
            return false;
        ascii[length] = static_cast<char>(text[length]);
    }
    return ParseHotkeyText(ascii, length, hotkey);
}

// The modifiers' own keys, in the order they go down.
constexpr struct {
    unsigned modifier;
    WORD key;
} kModifierKeys[] = {{kModWin, VK_LWIN}, {kModControl, VK_CONTROL}, {kModAlt, VK_MENU},
                     {kModShift, VK_SHIFT}};

void AddKeyInput(INPUT* inputs, UINT* count, WORD key, bool up)
{
    INPUT& input = inputs[(*count)++];
    input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
}

// Injected input goes the way of the keyboard's: Wine's server, like Windows, checks each key
// down against the registered hotkeys and posts WM_HOTKEY to the thread that registered it.
int PressHotkey(const wchar_t* text)
{
    Hotkey hotkey = {};
    if (!ParseKeyArgument(text, &hotkey))
        return 2;
    INPUT inputs[10];
    UINT count = 0;
    for (const auto& modifier : kModifierKeys) {
        if ((hotkey.modifiers & modifier.modifier) != 0)
            AddKeyInput(inputs, &count, modifier.key, false);
    }
    AddKeyInput(inputs, &count, static_cast<WORD>(hotkey.key), false);
    AddKeyInput(inputs, &count, static_cast<WORD>(hotkey.key), true);
    for (size_t i = sizeof(kModifierKeys) / sizeof(kModifierKeys[0]); i-- > 0;) {
        if ((hotkey.modifiers & kModifierKeys[i].modifier) != 0)
            AddKeyInput(inputs, &count, kModifierKeys[i].key, true);
    }
    return SendInput(count, inputs, sizeof(INPUT)) == count ? 0 : 1;
}

// Another program that holds a hotkey: it registers the key for its thread, as programs do, and
// keeps it until it ends.
int TakeHotkey(const wchar_t* text)
{
    Hotkey hotkey = {};
    if (!ParseKeyArgument(text, &hotkey))
        return 2;
    bool taken = RegisterHotKey(nullptr, 1, hotkey.modifiers, hotkey.key) != FALSE;
    std::printf("%s\n", taken ? "taken" : "already taken");
    std::fflush(stdout);
    if (!taken)
        return 1;
    Sleep(INFINITE);
    return 0;
}

int PrintListLines(const wchar_t* caption, int id)
{
    HWND list = GetDlgItem(FindWindowW(L"#32770", caption), id);
    if (list == nullptr) {
        std::printf("absent\n");
        return 1;
    }
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t line[600] = {};
        if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 600)
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
        std::printf("%ls\n", line);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
        return 2;
    UseProgramDesktop();
    const wchar_t* command = argv[1];
    const wchar_t* argument = argc > 2 ? argv[2] : nullptr;
    if (wcscmp(command, L"plug") == 0)
        return SendToStandins(kStandinPowerSource, 0);
    if (wcscmp(command, L"unplug") == 0)
        return SendToStandins(kStandinPowerSource, 1);
    if (wcscmp(command, L"short-term") == 0)
        return SendToStandins(kStandinPowerSource, 2);
    if (wcscmp(command, L"battery") == 0 && argument != nullptr)
        return SendToStandins(kStandinBatteryPercent, wcstoul(argument, nullptr, 10));
    if (wcscmp(command, L"plan") == 0 && argument != nullptr)
        return MakePlanActive(argument);
    if (wcscmp(command, L"sleep") == 0)
        return SendToStandins(kStandinSleep, 0);
    if (wcscmp(command, L"mode") == 0 && argument != nullptr)
        return MoveSystemPowerMode(argument);
    if (wcscmp(command, L"status") == 0)
        return PrintStatus();
    if (wcscmp(command, L"window") == 0)
        return PrintWindow();
    if (wcscmp(command, L"dialog") == 0 && argument != nullptr)
        return PrintDialog(argument);
    if (wcscmp(command, L"control") == 0 && argument != nullptr)
        return PrintControl(_wtoi(argument));
    if (wcscmp(command, L"menu") == 0)
        return PrintWindowsOfClass(L"#32768");
    if (wcscmp(command, L"tips") == 0)
        return PrintWindowsOfClass(TOOLTIPS_CLASSW);
    if (wcscmp(command, L"hold") == 0)
        return HoldDesktop();
    if (wcscmp(command, L"droplist") == 0)
        return PrintWindowsOfClass(L"ComboLBox");
    if (wcscmp(command, L"menu-items") == 0)
        return SendToStandins(kStandinMenuItems, 0);
    if (wcscmp(command, L"hang") == 0)
        return HangWithWindow();
    if (wcscmp(command, L"answers") == 0)
        return PrintAnswers(argument != nullptr ? wcstoul(argument, nullptr, 10) : 5000);
    if (wcscmp(command, L"tray") == 0)
        return PrintTray();
    if (wcscmp(command, L"ac") == 0)
        return PrintAcLineStatus();
    if (wcscmp(command, L"bench") == 0 && argument != nullptr && argc > 3)
        return SendBenchCommand(argument, wcstoul(argv[3], nullptr, 10));
    if (wcscmp(command, L"footprint") == 0 && argument != nullptr)
        return PrintFootprint(argument);
    if (wcscmp(command, L"front") == 0 && argument != nullptr && wcscmp(argument, L"taskbar") == 0)
        return PutTaskbarInFront();
    if (wcscmp(command, L"front") == 0 && argument != nullptr && wcscmp(argument, L"start") == 0)
        return PutInFront(L"StartMenuExperienceHost.exe", kStartMenuFolder);
    if (wcscmp(command, L"front") == 0 && argument != nullptr && wcscmp(argument, L"app") == 0 && argc > 3) {
        wchar_t frameArguments[MAX_PATH + 8];
        _snwprintf(frameArguments, MAX_PATH + 8, L"--frame %ls", argv[3]);
        frameArguments[MAX_PATH + 7] = L'\0';
        return PutInFront(L"ApplicationFrameHost.exe", nullptr, frameArguments);
    }
    if (wcscmp(command, L"front") == 0 && argument != nullptr)
        return PutInFront(argument, argc > 3 ? argv[3] : nullptr);
    if (wcscmp(command, L"close") == 0 && argument != nullptr)
        return CloseFrontProgram(argument, argc > 3 ? argv[3] : nullptr);
    if (wcscmp(command, L"launch") == 0 && argument != nullptr)
        return LaunchWithStandin(argument);
    if (wcscmp(command, L"key") == 0 && argument != nullptr)
        return PressHotkey(argument);
    if (wcscmp(command, L"take") == 0 && argument != nullptr)
        return TakeHotkey(argument);
    if (wcscmp(command, L"lines") == 0 && argument != nullptr && argc > 3)
        return PrintListLines(argument, _wtoi(argv[3]));
    if (wcscmp(command, L"wait") == 0 && argument != nullptr)
        return WaitFor(argument, argc > 3 ? wcstoul(argv[3], nullptr, 10) : 20000);
    std::fprintf(stderr, "unknown command\n");
    return 2;
}
