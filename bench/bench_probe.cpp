// Measurements inside the running quillmere.exe, taken on the stand-in's thread. The program
// is reached as the platform reaches it: messages sent to its window from another thread, and
// its imports of Shell_NotifyIconW and TrackPopupMenu patched in this process to note the
// moment they are called (QueryPerformanceCounter, comparable within the process). The program
// takes powrprof's functions by name at each call, so its GetProcAddress is patched too and
// hands it noting versions of the stand-in's own. The patches are in place only while a
// measurement runs.
#include "bench/bench_probe.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/messages.h"
#include "bench/bench_start.h"
#include "res/resource.h"
#include "standin/standin.h"
#include "standin/standin_protocol.h"
#include "support/import_hook.h"

// The stand-in's own power-management functions (tools/standin/powrprof.cpp), which the
// noting versions below call through to.
extern "C" DWORD WINAPI PowerGetActiveScheme(HKEY, GUID**);
extern "C" DWORD WINAPI PowerSetActiveScheme(HKEY, const GUID*);

namespace {

constexpr DWORD kMaxRuns = 5000;
const wchar_t kBalancedKey[] = L"381b4222-f694-41f0-9685-ff5bb260df2e";

// Written on the program's thread inside the patched calls, read on this thread once the
// SendMessageW that caused them has returned.
volatile LONGLONG switchAt = 0;
volatile LONGLONG tipAt = 0;
volatile LONGLONG menuAt = 0;
ImportHook* lookupHook = nullptr;
volatile bool noteSwitches = false;
ImportHook* notifyHook = nullptr;
ImportHook* localFreeHook = nullptr;
ImportHook* createMenuHook = nullptr;

// What the program was given during a run, to tell afterwards whether it let go of it: every
// popup menu it created, each icon handle it passed to the shell, each active-plan identifier
// the power manager allocated for it.
HMENU menusCreated[2 * kMaxRuns];
DWORD menuCount = 0;
constexpr DWORD kMaxIcons = 64;
HICON iconsSeen[kMaxIcons];
DWORD iconCount = 0;
constexpr DWORD kMaxOutstanding = 16;
void* schemesOutstanding[kMaxOutstanding];
DWORD schemesGiven = 0;
DWORD schemesFreed = 0;

LONGLONG samples[3][kMaxRuns];

// Idle counting: hooks on the program's thread, and the times when counting began.
volatile LONG retrieved = 0;
volatile LONG delivered = 0;
HHOOK getMessageHook = nullptr;
HHOOK callWindowHook = nullptr;

LONGLONG Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

LONGLONG Microseconds(LONGLONG ticks)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return ticks * 1000000 / frequency.QuadPart;
}

HMODULE ThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

void AppendResult(const char* line)
{
    wchar_t path[MAX_PATH + 16];
    DWORD length = GetModuleFileNameW(ThisModule(), path, MAX_PATH);
    wchar_t* slash = length == 0 || length >= MAX_PATH ? nullptr : wcsrchr(path, L'\\');
    if (slash == nullptr)
        return;
    wcscpy(slash + 1, L"bench.txt");
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
    WriteFile(file, "\n", 1, &written, nullptr);
    CloseHandle(file);
}


// What the program's own calls posted to this thread (the personality announced after each
// switch) is handled between runs, outside the measured time, as the stand-in always does.
void HandlePostedMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
}

DWORD WINAPI NoteSetActiveScheme(HKEY root, const GUID* plan)
{
    if (switchAt == 0)
        switchAt = Now();
    return PowerSetActiveScheme(root, plan);
}

void NoteIcon(HICON icon)
{
    for (DWORD i = 0; i < iconCount; ++i) {
        if (iconsSeen[i] == icon)
            return;
    }
    if (iconCount < kMaxIcons)
        iconsSeen[iconCount++] = icon;
}

BOOL WINAPI NoteNotifyIcon(DWORD message, PNOTIFYICONDATAW data)
{
    if (switchAt != 0 && tipAt == 0 && message == NIM_MODIFY && (data->uFlags & NIF_TIP) != 0)
        tipAt = Now();
    if ((data->uFlags & NIF_ICON) != 0)
        NoteIcon(data->hIcon);
    using Function = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);
    return notifyHook->original<Function>()(message, data);
}

DWORD WINAPI NoteGetActiveScheme(HKEY root, GUID** plan)
{
    DWORD result = PowerGetActiveScheme(root, plan);
    if (result != ERROR_SUCCESS || plan == nullptr || *plan == nullptr)
        return result;
    ++schemesGiven;
    for (void*& slot : schemesOutstanding) {
        if (slot == nullptr) {
            slot = *plan;
            break;
        }
    }
    return result;
}

HLOCAL WINAPI NoteLocalFree(HLOCAL memory)
{
    for (void*& slot : schemesOutstanding) {
        if (memory != nullptr && slot == memory) {
            slot = nullptr;
            ++schemesFreed;
        }
    }
    using Function = HLOCAL(WINAPI*)(HLOCAL);
    return localFreeHook->original<Function>()(memory);
}

HMENU WINAPI NoteCreatePopupMenu()
{
    using Function = HMENU(WINAPI*)();
    HMENU menu = createMenuHook->original<Function>()();
    if (menu != nullptr && menuCount < 2 * kMaxRuns)
        menusCreated[menuCount++] = menu;
    return menu;
}

// Stands in for the menu loop: notes the moment and returns at once, as if dismissed.
BOOL WINAPI NoteTrackPopupMenu(HMENU, UINT, int, int, int, HWND, const RECT*)
{
    menuAt = Now();
    return FALSE;
}

LRESULT CALLBACK CountRetrieved(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION)
        InterlockedIncrement(&retrieved);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

constexpr LONG kNotedMessages = 8;
UINT deliveredIds[kNotedMessages];

LRESULT CALLBACK CountDelivered(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        LONG at = InterlockedIncrement(&delivered) - 1;
        if (at < kNotedMessages)
            deliveredIds[at] = reinterpret_cast<const CWPSTRUCT*>(lParam)->message;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LONGLONG FileTimeMicroseconds(const FILETIME& kernel, const FILETIME& user)
{
    ULARGE_INTEGER k = {{kernel.dwLowDateTime, kernel.dwHighDateTime}};
    ULARGE_INTEGER u = {{user.dwLowDateTime, user.dwHighDateTime}};
    return static_cast<LONGLONG>((k.QuadPart + u.QuadPart) / 10);
}

// CPU time (kernel and user) of the process and of the program's thread, in microseconds.
void ReadCpuTimes(DWORD threadId, LONGLONG* process, LONGLONG* thread)
{
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    *process = FileTimeMicroseconds(kernel, user);
    *thread = 0;
    HANDLE handle = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
    if (handle == nullptr)
        return;
    GetThreadTimes(handle, &created, &ended, &kernel, &user);
    *thread = FileTimeMicroseconds(kernel, user);
    CloseHandle(handle);
}

LONGLONG idleCpu[2];

// The end of the idle time looks up nothing through the settings window (GetWindowTextW on it
// would send it WM_GETTEXT and count as a message of its own): the thread is kept from the start.
DWORD idleThreadId = 0;

bool RunIdle(HWND program, DWORD start)
{
    if (start != 0)
        idleThreadId = GetWindowThreadProcessId(program, nullptr);
    DWORD threadId = idleThreadId;
    if (start != 0) {
        retrieved = 0;
        delivered = 0;
        getMessageHook = SetWindowsHookExW(WH_GETMESSAGE, CountRetrieved, ThisModule(), threadId);
        callWindowHook = SetWindowsHookExW(WH_CALLWNDPROC, CountDelivered, ThisModule(), threadId);
        ReadCpuTimes(threadId, &idleCpu[0], &idleCpu[1]);
        return getMessageHook != nullptr && callWindowHook != nullptr;
    }
    LONGLONG process = 0, thread = 0;
    ReadCpuTimes(threadId, &process, &thread);
    LONG gotten = retrieved, sent = delivered;
    UnhookWindowsHookEx(getMessageHook);
    UnhookWindowsHookEx(callWindowHook);
    char ids[kNotedMessages * 8 + 1] = "";
    for (LONG i = 0; i < sent && i < kNotedMessages; ++i)
        std::snprintf(ids + std::strlen(ids), sizeof(ids) - std::strlen(ids), "%s0x%04x",
                      i == 0 ? "" : ",", deliveredIds[i]);
    char line[300];
    std::snprintf(line, sizeof(line),
                  "idle retrieved=%ld sent=%ld sent_ids=%s cpu_us=%lld gui_cpu_us=%lld", gotten,
                  sent, sent == 0 ? "none" : ids, process - idleCpu[0], thread - idleCpu[1]);
    AppendResult(line);
    return true;
}

// Watches what the program takes and gives back for as long as it lives.
// Active-plan identifiers are followed for as long as a watch lives; switches only while
// noteSwitches is set.
FARPROC WINAPI NoteGetProcAddress(HMODULE module, LPCSTR name)
{
    if (!IS_INTRESOURCE(name) && std::strcmp(name, "PowerGetActiveScheme") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&NoteGetActiveScheme));
    if (noteSwitches && !IS_INTRESOURCE(name) && std::strcmp(name, "PowerSetActiveScheme") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&NoteSetActiveScheme));
    using Function = FARPROC(WINAPI*)(HMODULE, LPCSTR);
    return lookupHook->original<Function>()(module, name);
}

struct LeakWatch {
    ImportHook lookup{"kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&NoteGetProcAddress)};
    ImportHook localFree{"kernel32.dll", "LocalFree", reinterpret_cast<void*>(&NoteLocalFree)};
    ImportHook createMenu{"user32.dll", "CreatePopupMenu",
                          reinterpret_cast<void*>(&NoteCreatePopupMenu)};
    LeakWatch()
    {
        lookupHook = &lookup;
        localFreeHook = &localFree;
        createMenuHook = &createMenu;
        menuCount = 0;
        iconCount = 0;
        schemesGiven = 0;
        schemesFreed = 0;
    }
};

// "menus=CREATED alive=STILL-MENUS icons=DISTINCT schemes=GIVEN freed=FREED"
void DescribeLeaks(const LeakWatch& watch, char* text, size_t size)
{
    DWORD alive = 0;
    for (DWORD i = 0; i < menuCount; ++i)
        alive += IsMenu(menusCreated[i]) ? 1 : 0;
    std::snprintf(text, size, "menus=%lu alive=%lu icons=%lu schemes=%lu freed=%lu hooked=%d",
                  menuCount, alive, iconCount, schemesGiven, schemesFreed,
                  watch.lookup.installed() && watch.localFree.installed() &&
                      watch.createMenu.installed());
}

void WriteActiveBalanced()
{
    HKEY schemes = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPowerSchemesPath, 0, KEY_SET_VALUE, &schemes) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExW(schemes, kStandinActiveValue, 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(kBalancedKey), sizeof(kBalancedKey));
    RegCloseKey(schemes);
}

// Sorts the first count samples of a row; gives the median and the worst in microseconds.
void Summarise(LONGLONG* row, DWORD count, LONGLONG* median, LONGLONG* worst)
{
    std::sort(row, row + count);
    *median = count == 0 ? -1 : Microseconds(row[count / 2]);
    *worst = count == 0 ? -1 : Microseconds(row[count - 1]);
}

// With the rules at their defaults and Balanced active, plugging in switches to High
// Performance and unplugging back to Balanced, so every notification makes one switch.
bool RunSwitches(HWND program, DWORD count)
{
    ImportHook notify("shell32.dll", "Shell_NotifyIconW", reinterpret_cast<void*>(&NoteNotifyIcon));
    notifyHook = &notify;
    LeakWatch watch;
    noteSwitches = true;
    WriteActiveBalanced();
    DWORD switched = 0, tipped = 0;
    for (DWORD run = 0; run < count; ++run) {
        alignas(8) BYTE message[sizeof(POWERBROADCAST_SETTING) + sizeof(DWORD)] = {};
        auto* broadcast = reinterpret_cast<POWERBROADCAST_SETTING*>(message);
        broadcast->PowerSetting = GUID_ACDC_POWER_SOURCE;
        broadcast->DataLength = sizeof(DWORD);
        broadcast->Data[0] = static_cast<UCHAR>(run % 2);  // 0 plugged in, 1 on battery
        switchAt = 0;
        tipAt = 0;
        LONGLONG sent = Now();
        SendMessageW(program, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
                     reinterpret_cast<LPARAM>(broadcast));
        if (switchAt != 0)
            samples[0][switched++] = switchAt - sent;
        if (tipAt != 0)
            samples[1][tipped++] = tipAt - sent;
        HandlePostedMessages();
    }
    noteSwitches = false;
    notifyHook = nullptr;
    LONGLONG switchMedian, switchWorst, tipMedian, tipWorst;
    Summarise(samples[0], switched, &switchMedian, &switchWorst);
    Summarise(samples[1], tipped, &tipMedian, &tipWorst);
    char leaks[160];
    DescribeLeaks(watch, leaks, sizeof(leaks));
    char line[400];
    std::snprintf(line, sizeof(line),
                  "switch n=%lu switched=%lu switch_median_us=%lld switch_worst_us=%lld "
                  "tipped=%lu tip_median_us=%lld tip_worst_us=%lld %s",
                  count, switched, switchMedian, switchWorst, tipped, tipMedian, tipWorst, leaks);
    AppendResult(line);
    return watch.lookup.installed() && notify.installed();
}

// The built-in three, then made-up plans "Bench Plan N" up to count; Balanced active.
bool InstallPlans(DWORD count)
{
    HKEY schemes = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPowerSchemesPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &schemes, nullptr) != ERROR_SUCCESS)
        return false;
    RegDeleteTreeW(schemes, nullptr);
    static const wchar_t* const kBuiltIn[3][2] = {
        {L"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c", L"High Performance"},
        {kBalancedKey, L"Balanced"},
        {L"a1841308-3541-4fab-bc81-f71556f20b4a", L"Power Saver"},
    };
    for (DWORD plan = 0; plan < count; ++plan) {
        wchar_t keyName[40], name[40];
        if (plan < 3) {
            wcscpy(keyName, kBuiltIn[plan][0]);
            wcscpy(name, kBuiltIn[plan][1]);
        } else {
            wsprintfW(keyName, L"b3dc0000-0000-4000-8000-%012lu", plan);
            wsprintfW(name, L"Bench Plan %lu", plan);
        }
        RegSetKeyValueW(schemes, keyName, kStandinNameValue, REG_SZ, name,
                        static_cast<DWORD>((wcslen(name) + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(schemes);
    WriteActiveBalanced();
    char line[64];
    std::snprintf(line, sizeof(line), "plans n=%lu", count);
    AppendResult(line);
    return true;
}

// From the tray callback being sent to TrackPopupMenu being entered: catalogue refresh, names,
// the active plan, both menus built.
bool RunMenus(HWND program, DWORD count)
{
    ImportHook track("user32.dll", "TrackPopupMenu", reinterpret_cast<void*>(&NoteTrackPopupMenu));
    ImportHook notify("shell32.dll", "Shell_NotifyIconW", reinterpret_cast<void*>(&NoteNotifyIcon));
    notifyHook = &notify;
    switchAt = 0;
    LeakWatch watch;
    DWORD built = 0;
    for (DWORD run = 0; run < count; ++run) {
        menuAt = 0;
        LONGLONG sent = Now();
        SendMessageW(program, WM_TRAYNOTIFY, 1, WM_RBUTTONDOWN);
        if (menuAt != 0)
            samples[2][built++] = menuAt - sent;
        HandlePostedMessages();
    }
    notifyHook = nullptr;
    LONGLONG median, worst;
    Summarise(samples[2], built, &median, &worst);
    char leaks[160];
    DescribeLeaks(watch, leaks, sizeof(leaks));
    char line[400];
    std::snprintf(line, sizeof(line), "menu n=%lu built=%lu median_us=%lld worst_us=%lld %s",
                  count, built, median, worst, leaks);
    AppendResult(line);
    return track.installed();
}

// The whole of the Settings command: catalogue, configuration file, the three lists filled,
// the window shown and painted. Cancel hides it again between runs.
bool RunSettings(HWND program, DWORD count)
{
    for (DWORD run = 0; run < count; ++run) {
        LONGLONG sent = Now();
        SendMessageW(program, WM_COMMAND, IDM_SETTINGS, 0);
        samples[2][run] = Now() - sent;
        SendMessageW(program, WM_COMMAND, IDCANCEL, 0);
        HandlePostedMessages();
    }
    LONGLONG median, worst;
    Summarise(samples[2], count, &median, &worst);
    char line[160];
    std::snprintf(line, sizeof(line), "settings n=%lu median_us=%lld worst_us=%lld", count,
                  median, worst);
    AppendResult(line);
    return true;
}

// The process's own view of itself. Under Wine the private bytes are the swap in use, not the
// process's own memory, and GetGuiResources may answer 0 for everything.
// Wine answers GetProcessHandleCount with 0; its kernel handles are small multiples of four, so
// they are also counted by asking each possible value whether it is an open handle.
DWORD CountOpenHandles()
{
    DWORD open = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++open;
    }
    return open;
}

bool WriteFootprint()
{
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    DWORD probed = CountOpenHandles();
    DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof(memory));
    char line[200];
    std::snprintf(line, sizeof(line),
                  "footprint handles=%lu probed=%lu user=%lu gdi=%lu ws_kib=%llu private_kib=%llu",
                  handles, probed, user, gdi, static_cast<unsigned long long>(memory.WorkingSetSize / 1024),
                  static_cast<unsigned long long>(memory.PrivateUsage / 1024));
    AppendResult(line);
    return true;
}

// Start-up: in a process started by bench_start.exe, the exe's import of Shell_NotifyIconW is
// patched as soon as the stand-in is loaded, and the first call it sees is noted for the
// launcher. The bare program loads the stand-in first thing in WinMain, so that is its NIM_ADD.
// quillmere.exe loads it at its first power call, which comes right after its NIM_ADD, to show
// the active plan: that is the NIM_MODIFY with the plan's tooltip, the icon as the user sees it.
//
// In the steps pass the launcher loads the stand-in into quillmere.exe before it runs, so the
// watch also sees WinMain begin, the NIM_ADD, and the steps after the tooltip, through the
// imports each step calls first; and, from the loader's notifications, every DLL mapped from
// then on with the exe's import whose call mapped it.
BenchStartupRecord* startupRecord = nullptr;
HANDLE startupAdded = nullptr;
ImportHook* trayAddHook = nullptr;
ImportHook* dllDirectoryHook = nullptr;
ImportHook* openKeyHook = nullptr;
ImportHook* createFileHook = nullptr;
ImportHook* registerSettingHook = nullptr;
ImportHook* metricsHook = nullptr;

void NoteMoment(BenchStartupMoment moment)
{
    if (startupRecord->momentAt[moment] == 0)
        startupRecord->momentAt[moment] = Now();
}

BOOL WINAPI NoteTrayAdded(DWORD message, PNOTIFYICONDATAW data)
{
    using Function = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);
    Function original = trayAddHook->original<Function>();
    if (message != NIM_ADD && message != NIM_MODIFY)
        return original(message, data);
    LONGLONG at = Now();
    if (message == NIM_ADD)
        NoteMoment(kMomentTrayAdding);
    if (startupRecord->trayAddedAt == 0) {
        startupRecord->window = reinterpret_cast<ULONG_PTR>(data->hWnd);
        startupRecord->trayAddedAt = at;
        SetEvent(startupAdded);
    }
    BOOL result = original(message, data);
    if (message == NIM_ADD)
        NoteMoment(kMomentTrayAdded);
    else if ((data->uFlags & NIF_TIP) != 0)
        NoteMoment(kMomentTooltip);
    return result;
}

BOOL WINAPI NoteDllDirectory(LPCWSTR path)
{
    NoteMoment(kMomentWinMain);
    using Function = BOOL(WINAPI*)(LPCWSTR);
    return dllDirectoryHook->original<Function>()(path);
}

LSTATUS WINAPI NoteOpenKey(HKEY root, LPCWSTR path, DWORD options, REGSAM access, PHKEY key)
{
    if (path != nullptr && lstrcmpiW(path, kPowerSchemesPath) == 0)
        NoteMoment(kMomentCatalogue);
    using Function = LSTATUS(WINAPI*)(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY);
    return openKeyHook->original<Function>()(root, path, options, access, key);
}

HANDLE WINAPI NoteCreateFile(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flags, HANDLE templateFile)
{
    // The program opens its data files by full path, in the folder it held at start-up.
    const wchar_t* fileName = name != nullptr ? wcsrchr(name, L'\\') : nullptr;
    fileName = fileName != nullptr ? fileName + 1 : name;
    if (fileName != nullptr && lstrcmpiW(fileName, L"config.txt") == 0)
        NoteMoment(kMomentConfig);
    using Function = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
    return createFileHook->original<Function>()(name, access, share, security, disposition, flags,
                                                templateFile);
}

HPOWERNOTIFY WINAPI NoteRegisterSetting(HANDLE recipient, LPCGUID setting, DWORD flags)
{
    NoteMoment(kMomentRegistrations);
    using Function = HPOWERNOTIFY(WINAPI*)(HANDLE, LPCGUID, DWORD);
    return registerSettingHook->original<Function>()(recipient, setting, flags);
}

int WINAPI NoteMetrics(int index)
{
    if (index == SM_CXSCREEN && startupRecord->momentAt[kMomentRegistrations] != 0)
        NoteMoment(kMomentRegistered);
    using Function = int(WINAPI*)(int);
    return metricsHook->original<Function>()(index);
}

// The exe's import whose call is on the stack: the innermost return address into the exe that
// follows an indirect call through its import address table ("call [slot]", FF 15).
const char* CallingImport()
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    BYTE* end = base + nt->OptionalHeader.SizeOfImage;
    void* frames[62];
    USHORT count = RtlCaptureStackBackTrace(0, 62, frames, nullptr);
    for (USHORT i = 0; i < count; ++i) {
        auto* at = static_cast<BYTE*>(frames[i]);
        if (at < base + 6 || at >= end || at[-6] != 0xFF || at[-5] != 0x15)
            continue;
        LONG operand;
        std::memcpy(&operand, at - 4, sizeof(operand));
#ifdef _WIN64
        BYTE* slot = at + operand;  // relative to the next instruction
#else
        auto* slot = reinterpret_cast<BYTE*>(static_cast<ULONG_PTR>(static_cast<ULONG>(operand)));
#endif
        const IMAGE_DATA_DIRECTORY& directory =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
        for (; directory.VirtualAddress != 0 && descriptor->Name != 0; ++descriptor) {
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++slots) {
                if (reinterpret_cast<BYTE*>(&slots->u1.Function) == slot &&
                    !IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                    return reinterpret_cast<const char*>(
                        reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name);
            }
        }
    }
    return "";
}

// ntdll's loader notification (Windows Vista and later, and Wine): only the DLL's base name is
// used here. The names are counted strings (ntdll's UNICODE_STRING, lengths in bytes).
struct CountedName {
    USHORT length;
    USHORT room;
    const WCHAR* text;
};
struct DllNotification {
    ULONG flags;
    const CountedName* fullName;
    const CountedName* baseName;
};
using DllNotificationFunction = VOID(CALLBACK*)(ULONG, const DllNotification*, PVOID);
using RegisterDllNotificationFunction = LONG(NTAPI*)(ULONG, DllNotificationFunction, PVOID, PVOID*);
constexpr ULONG kDllLoaded = 1;

VOID CALLBACK NoteDllLoaded(ULONG reason, const DllNotification* data, PVOID)
{
    LONG at = startupRecord->loadCount;
    if (reason != kDllLoaded || at >= kBenchMaxLoads)
        return;
    BenchDllLoad& load = startupRecord->loads[at];
    int units = std::min<int>(data->baseName->length / sizeof(WCHAR), sizeof(load.dll) - 1);
    for (int i = 0; i < units; ++i)
        load.dll[i] = static_cast<char>(data->baseName->text[i]);
    lstrcpynA(load.call, CallingImport(), sizeof(load.call));
    startupRecord->loadCount = at + 1;
}

struct StartupWatch {
    StartupWatch()
    {
        if (GetEnvironmentVariableW(kBenchStartupVariable, nullptr, 0) == 0)
            return;
        // Kept open for the life of the process.
        HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kBenchStartupMapping);
        startupRecord = mapping == nullptr ? nullptr
                                           : static_cast<BenchStartupRecord*>(MapViewOfFile(
                                                 mapping, FILE_MAP_WRITE, 0, 0, 0));
        startupAdded = OpenEventW(EVENT_MODIFY_STATE, FALSE, kBenchStartupEvent);
        if (startupRecord == nullptr || startupAdded == nullptr)
            return;
        startupRecord->watchStartedAt = Now();
        trayAddHook = new ImportHook("shell32.dll", "Shell_NotifyIconW",
                                     reinterpret_cast<void*>(&NoteTrayAdded));
        dllDirectoryHook = new ImportHook("kernel32.dll", "SetDllDirectoryW",
                                          reinterpret_cast<void*>(&NoteDllDirectory));
        openKeyHook = new ImportHook("advapi32.dll", "RegOpenKeyExW",
                                     reinterpret_cast<void*>(&NoteOpenKey));
        createFileHook = new ImportHook("kernel32.dll", "CreateFileW",
                                        reinterpret_cast<void*>(&NoteCreateFile));
        registerSettingHook = new ImportHook("user32.dll", "RegisterPowerSettingNotification",
                                             reinterpret_cast<void*>(&NoteRegisterSetting));
        metricsHook = new ImportHook("user32.dll", "GetSystemMetrics",
                                     reinterpret_cast<void*>(&NoteMetrics));
        auto registerNotification = reinterpret_cast<RegisterDllNotificationFunction>(
            reinterpret_cast<void*>(
                GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "LdrRegisterDllNotification")));
        void* cookie = nullptr;
        if (registerNotification != nullptr)
            registerNotification(0, NoteDllLoaded, nullptr, &cookie);
    }
} startupWatch;

}  // namespace

bool RunBenchCommand(const COPYDATASTRUCT& command)
{
    DWORD value = 0;
    if (command.cbData != sizeof(value) || command.lpData == nullptr)
        return false;
    std::memcpy(&value, command.lpData, sizeof(value));
    if (command.dwData == kStandinBenchIdle && value == 0)
        return idleThreadId != 0 && RunIdle(nullptr, 0);
    HWND program = FindSettingsDialog();
    if (program == nullptr)
        return false;
    if (command.dwData == kStandinBenchPlans)
        return InstallPlans(value);
    if (command.dwData == kStandinBenchFootprint)
        return WriteFootprint();
    if (command.dwData == kStandinBenchIdle)
        return RunIdle(program, value);
    if (value > kMaxRuns)
        return false;
    switch (command.dwData) {
    case kStandinBenchSwitch:
        return RunSwitches(program, value);
    case kStandinBenchMenu:
        return RunMenus(program, value);
    case kStandinBenchSettings:
        return RunSettings(program, value);
    }
    return false;
}
