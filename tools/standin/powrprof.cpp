// A stand-in for the platform's power manager, so the shipped quillmere.exe can be run and
// tried under Wine, whose own powrprof is only stubs and which never sends power-setting
// notifications. Loaded instead of Wine's DLL with WINEDLLOVERRIDES=powrprof=n from the
// directory of a copy of the exe.
//
// The plans are real subkeys of the machine's power-scheme key (names in FriendlyName), the
// active plan is that key's ActivePowerScheme value, and every PowerSetActiveScheme goes to
// powrprof.log beside this DLL (in the prefix's system folder, where the program loads it
// from). A driver (power_driver.exe) asks, through a message-only
// window on a thread of the stand-in's own, for a power-setting notification; that thread
// sends the settings window a real WM_POWERBROADCAST with a POWERBROADCAST_SETTING in this
// process, so the pointer in lParam is valid where it is read.
//
// Where Windows behaves otherwise than Wine, the stand-in behaves as Windows does. It watches
// the program's own imports in this process: right after each RegisterPowerSettingNotification
// it delivers the setting's current value, as Windows does, from its thread, so the value
// arrives once the program pumps messages; a SendMessageW to HWND_BROADCAST waits for every
// top-level window, a hung one too; the shell can refuse the first tray icon adds, as at
// log-on. It also logs the program's tray tooltips and balloons, its WinEvent hooks, by which
// it follows the foreground window, and its global hotkeys.
//
// The power modes of Windows 10 and 11 (an overlay on Balanced, one for each power source)
// are kept under the machine key. The program looks every power function up with
// GetProcAddress, so the stand-in answers that import too: a machine without a function (the
// Windows 7 laptop and desktop have none of the mode functions, the Windows 10 laptop lacks
// the per-source pair of Windows 11) does not export it as far as the program can tell.
#include "standin/standin_protocol.h"

#include <powrprof.h>

#include <cstddef>
#include <cstring>

#include "bench/bench_probe.h"
#include "core/guid_text.h"
#include "core/hotkey.h"
#include "core/plan_ids.h"
#include "standin/standin.h"
#include "support/import_hook.h"
#include "support/settings_dialog_search.h"

namespace {

// Posted by PowerSetActiveScheme to the stand-in's window when the personality changed, as
// Windows announces a new personality after a switch; wParam says which (PersonalityIndex).
constexpr UINT kPersonalityChanged = WM_APP + 1;
// Posted when the program registered for a power setting, whose current value is then due.
constexpr UINT kRegistered = WM_APP + 2;
// Posted by a mode setter: the mode in force may have changed.
constexpr UINT kModeChanged = WM_APP + 3;

constexpr size_t kKeyNameUnits = kPlanKeyNameLength + 1;

HMODULE standinModule = nullptr;
HWND standinWindow = nullptr;
CRITICAL_SECTION logLock;

// Registrations whose current value is still to be delivered; guarded by registrationLock,
// like standinWindow while the stand-in's thread is starting.
struct Registration {
    HWND window;
    GUID setting;
};
constexpr int kMaxPending = 8;
Registration pending[kMaxPending];
int pendingCount = 0;
CRITICAL_SECTION registrationLock;

// Registrations for the effective power mode, also guarded by registrationLock, each with the
// mode it was last called with (none before its first call).
using EffectivePowerModeCallback = void(WINAPI*)(int effectiveMode, void* context);
constexpr int kNotCalled = -1;
struct ModeCallback {
    EffectivePowerModeCallback callback;
    void* context;
    UINT_PTR handle;
    int reported;
};
constexpr int kMaxModeCallbacks = 4;
ModeCallback modeCallbacks[kMaxModeCallbacks];
int modeCallbackCount = 0;
UINT_PTR lastModeHandle = 0;
// Held by the stand-in's thread while it calls the callbacks, so an unregistration waits.
CRITICAL_SECTION callbackLock;

ImportHook* registerHook = nullptr;
ImportHook* sendHook = nullptr;
ImportHook* notifyHook = nullptr;
ImportHook* procAddressHook = nullptr;
ImportHook* winEventHook = nullptr;
ImportHook* unhookWinEventHook = nullptr;
ImportHook* registerHotKeyHook = nullptr;
ImportHook* unregisterHotKeyHook = nullptr;

bool ParsePlanKeyName(const wchar_t* name, GUID* plan)
{
    wchar_t braced[kGuidTextLength + 1] = L"{";
    size_t length = wcsnlen(name, kKeyNameUnits);
    if (length != kKeyNameUnits - 1)
        return false;
    std::memcpy(braced + 1, name, length * sizeof(wchar_t));
    braced[kGuidTextLength - 1] = L'}';
    braced[kGuidTextLength] = L'\0';
    return ParseGuidText(braced, kGuidTextLength, plan);
}

bool IsPlanInstalled(const GUID& plan)
{
    wchar_t name[kKeyNameUnits];
    FormatPlanKeyName(plan, name);
    HKEY schemes = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPowerSchemesPath, 0, KEY_READ, &schemes) != ERROR_SUCCESS)
        return false;
    HKEY planKey = nullptr;
    LONG opened = RegOpenKeyExW(schemes, name, 0, KEY_READ, &planKey);
    if (opened == ERROR_SUCCESS)
        RegCloseKey(planKey);
    RegCloseKey(schemes);
    return opened == ERROR_SUCCESS;
}

bool ReadActivePlan(GUID* plan)
{
    wchar_t name[64] = {};
    DWORD size = sizeof(name) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kPowerSchemesPath, kStandinActiveValue, RRF_RT_REG_SZ,
                     nullptr, name, &size) != ERROR_SUCCESS)
        return false;
    return ParsePlanKeyName(name, plan);
}

// A REG_SZ value under HKEY_LOCAL_MACHINE, the key made when missing.
void WriteRegistryText(const wchar_t* path, const wchar_t* value, const wchar_t* text)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void WriteActivePlan(const GUID& plan)
{
    wchar_t name[kKeyNameUnits];
    FormatPlanKeyName(plan, name);
    WriteRegistryText(kPowerSchemesPath, kStandinActiveValue, name);
}

const GUID& PersonalityOf(const GUID& plan)
{
    if (IsEqualGUID(plan, PLAN_HIGH_PERFORMANCE) || IsEqualGUID(plan, PLAN_POWER_SAVER))
        return plan;
    return PLAN_BALANCED;
}

// One ASCII line appended to powrprof.log beside this DLL.
void AppendLog(const char* event, const char* detail)
{
    wchar_t path[MAX_PATH + 16];
    DWORD length = GetModuleFileNameW(standinModule, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    wchar_t* slash = wcsrchr(path, L'\\');
    if (slash == nullptr)
        return;
    wcscpy(slash + 1, L"powrprof.log");
    char line[600];
    size_t used = 0;
    const char* parts[] = {event, " ", detail, "\n"};
    for (const char* part : parts) {
        size_t partLength = std::strlen(part);
        if (used + partLength >= sizeof(line))
            return;
        std::memcpy(line + used, part, partLength);
        used += partLength;
    }
    EnterCriticalSection(&logLock);
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, line, static_cast<DWORD>(used), &written, nullptr);
        CloseHandle(file);
    }
    LeaveCriticalSection(&logLock);
}

// Sends the notification as Windows would: a POWERBROADCAST_SETTING whose DataLength is the
// size of the value that follows it (16 for the personality, 4 for the other two).
bool DeliverPowerSettingTo(HWND program, const GUID& setting, const void* data,
                           DWORD dataLength)
{
    alignas(8) BYTE message[offsetof(POWERBROADCAST_SETTING, Data) + sizeof(GUID)] = {};
    auto* broadcast = reinterpret_cast<POWERBROADCAST_SETTING*>(message);
    broadcast->PowerSetting = setting;
    broadcast->DataLength = dataLength;
    std::memcpy(broadcast->Data, data, dataLength);
    SendMessageW(program, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
                 reinterpret_cast<LPARAM>(broadcast));
    return true;
}

bool DeliverPowerSetting(const GUID& setting, const void* data, DWORD dataLength)
{
    HWND program = FindSettingsDialog();
    return program != nullptr && DeliverPowerSettingTo(program, setting, data, dataLength);
}

bool DeliverPersonalityOf(const GUID& personality)
{
    char text[kGuidTextLength + 1];
    FormatGuidText(personality, text);
    AppendLog("WM_POWERBROADCAST personality", text);
    return DeliverPowerSetting(GUID_POWERSCHEME_PERSONALITY, &personality, sizeof(GUID));
}

bool DeliverPersonality()
{
    GUID active = {};
    return ReadActivePlan(&active) && DeliverPersonalityOf(PersonalityOf(active));
}

// The three personalities, as the posted notice of a switch carries one in its wParam.
const GUID* const kPersonalities[] = {&PLAN_BALANCED, &PLAN_HIGH_PERFORMANCE, &PLAN_POWER_SAVER};

WPARAM PersonalityIndex(const GUID& personality)
{
    for (WPARAM i = 0; i < 3; ++i) {
        if (IsEqualGUID(personality, *kPersonalities[i]))
            return i;
    }
    return 0;
}

// The power source as Windows reports it: 0 AC, 1 battery. A desktop is always on AC; a
// laptop's cord is what Wine reads from /sys/class/power_supply (faked by the sessions), and
// a status Wine cannot tell counts as AC.
DWORD CurrentPowerSource()
{
    SYSTEM_POWER_STATUS status = {};
    if (ReadStandinMachine() == StandinMachine::kDesktop || !GetSystemPowerStatus(&status))
        return 0;
    return status.ACLineStatus == 0 ? 1 : 0;
}

// The mode in force is the mode of the source the machine is on now.
int EffectiveModeInForce()
{
    return ReadStandinPowerMode(CurrentPowerSource()).effectiveMode;
}

void WritePowerMode(DWORD source, const GUID& mode)
{
    wchar_t text[kGuidTextLength + 1];
    FormatGuidText(mode, text);
    WriteRegistryText(kStandinMachineKey, kStandinModeValues[source != 0], text);
}

// Calls each effective-power-mode callback whose last call told another mode than the one in
// force now, on the stand-in's thread only: the first call of one just registered, and a
// call at each change of the mode in force, whatever changed it (a setter, the system's
// slider in any process, another power source).
void CallModeCallbacks()
{
    EnterCriticalSection(&callbackLock);
    int mode = EffectiveModeInForce();
    ModeCallback due[kMaxModeCallbacks];
    int dueCount = 0;
    EnterCriticalSection(&registrationLock);
    for (int i = 0; i < modeCallbackCount; ++i) {
        if (modeCallbacks[i].reported == mode)
            continue;
        due[dueCount++] = modeCallbacks[i];
        modeCallbacks[i].reported = mode;
    }
    LeaveCriticalSection(&registrationLock);
    char number[16];
    wsprintfA(number, "%d", mode);
    for (int i = 0; i < dueCount; ++i) {
        AppendLog("effective power mode", number);
        due[i].callback(mode, due[i].context);
    }
    LeaveCriticalSection(&callbackLock);
}

// The system's own slider moved: the mode of the source the machine is on now.
bool MoveSystemPowerMode(DWORD index)
{
    if (index >= ARRAYSIZE(kStandinPowerModes))
        return false;
    DWORD source = CurrentPowerSource();
    const GUID& mode = kStandinPowerModes[index].id;
    char text[kGuidTextLength + 1];
    FormatGuidText(mode, text);
    AppendLog(source == 0 ? "system power mode AC" : "system power mode DC", text);
    WritePowerMode(source, mode);
    CallModeCallbacks();
    return true;
}

DWORD GetPowerMode(DWORD source, GUID* mode)
{
    if (mode == nullptr)
        return ERROR_INVALID_PARAMETER;
    *mode = ReadStandinPowerMode(source).id;
    return ERROR_SUCCESS;
}

// A setter of the program's (FUNCTION, for the log): only the three modes are taken, and a
// change of the mode in force reaches the callbacks from the stand-in's thread.
DWORD SetPowerMode(DWORD source, const GUID* mode, const char* function)
{
    if (mode == nullptr)
        return ERROR_INVALID_PARAMETER;
    char text[kGuidTextLength + 1];
    FormatGuidText(*mode, text);
    if (FindStandinPowerMode(*mode) == nullptr) {
        char refused[96];
        wsprintfA(refused, "%s refused, not a power mode:", function);
        AppendLog(refused, text);
        return ERROR_INVALID_PARAMETER;
    }
    AppendLog(function, text);
    WritePowerMode(source, *mode);
    if (standinWindow != nullptr)
        PostMessageW(standinWindow, kModeChanged, 0, 0);
    return ERROR_SUCCESS;
}

// Windows sends a registered setting's current value right after the registration; a
// machine without a battery has no percentage to send.
void DeliverCurrentValue(const Registration& registration)
{
    char number[16];
    if (IsEqualGUID(registration.setting, GUID_POWERSCHEME_PERSONALITY)) {
        GUID active = {};
        if (!ReadActivePlan(&active))
            return;
        const GUID& personality = PersonalityOf(active);
        char text[kGuidTextLength + 1];
        FormatGuidText(personality, text);
        AppendLog("registration personality", text);
        DeliverPowerSettingTo(registration.window, registration.setting, &personality,
                              sizeof(GUID));
        return;
    }
    if (IsEqualGUID(registration.setting, GUID_ACDC_POWER_SOURCE)) {
        DWORD source = CurrentPowerSource();
        wsprintfA(number, "%lu", source);
        AppendLog("registration power-source", number);
        DeliverPowerSettingTo(registration.window, registration.setting, &source, sizeof(source));
        return;
    }
    if (IsEqualGUID(registration.setting, GUID_BATTERY_PERCENTAGE_REMAINING)) {
        SYSTEM_POWER_STATUS status = {};
        if (ReadStandinMachine() == StandinMachine::kDesktop || !GetSystemPowerStatus(&status) ||
            status.BatteryLifePercent > 100) {
            AppendLog("registration battery-percent", "none, no battery");
            return;
        }
        DWORD percent = status.BatteryLifePercent;
        wsprintfA(number, "%lu", percent);
        AppendLog("registration battery-percent", number);
        DeliverPowerSettingTo(registration.window, registration.setting, &percent,
                              sizeof(percent));
    }
}

void DeliverRegisteredValues()
{
    for (;;) {
        EnterCriticalSection(&registrationLock);
        bool any = pendingCount > 0;
        Registration next = pending[0];
        if (any) {
            --pendingCount;
            std::memmove(pending, pending + 1, pendingCount * sizeof(Registration));
        }
        LeaveCriticalSection(&registrationLock);
        if (!any)
            return;
        DeliverCurrentValue(next);
    }
}

// Runs on the program's thread in place of its import. The value follows from the stand-in's
// thread, so it reaches the window once the program pumps messages, as from Windows.
HPOWERNOTIFY WINAPI RegisterAndDeliver(HANDLE recipient, LPCGUID setting, DWORD flags)
{
    using Function = HPOWERNOTIFY(WINAPI*)(HANDLE, LPCGUID, DWORD);
    HPOWERNOTIFY handle = registerHook->original<Function>()(recipient, setting, flags);
    if (setting == nullptr || flags != DEVICE_NOTIFY_WINDOW_HANDLE)
        return handle;
    EnterCriticalSection(&registrationLock);
    if (pendingCount < kMaxPending)
        pending[pendingCount++] = {static_cast<HWND>(recipient), *setting};
    HWND standin = standinWindow;
    LeaveCriticalSection(&registrationLock);
    if (standin != nullptr)
        PostMessageW(standin, kRegistered, 0, 0);
    return handle;
}

BOOL CALLBACK SendToTopLevelWindow(HWND window, LPARAM lParam)
{
    const MSG& message = *reinterpret_cast<const MSG*>(lParam);
    SendMessageW(window, message.message, message.wParam, message.lParam);
    return TRUE;
}

// Wine returns from a broadcast SendMessageW without waiting; Windows sends to each top-level
// window in turn and waits for each answer, so one window that stopped responding holds the
// sender for good.
LRESULT WINAPI SendAndWaitForAll(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window != HWND_BROADCAST) {
        using Function = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
        return sendHook->original<Function>()(window, message, wParam, lParam);
    }
    char number[16];
    wsprintfA(number, "0x%04X", message);
    AppendLog("SendMessageW HWND_BROADCAST", number);
    MSG broadcast = {};
    broadcast.message = message;
    broadcast.wParam = wParam;
    broadcast.lParam = lParam;
    EnumWindows(SendToTopLevelWindow, reinterpret_cast<LPARAM>(&broadcast));
    return 0;
}

void LogTrayText(const char* what, const wchar_t* text)
{
    char utf8[512];
    int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof(utf8), nullptr, nullptr);
    if (length == 0)
        utf8[0] = '\0';
    AppendLog(what, utf8);
}

// NIM_ADD calls still to refuse in this process: read at the first, -1 before it.
int trayRefusalsLeft = -1;

// At log-on the shell may still be starting, or be busy past the call's time-out: the add
// fails and the icon is not there. The program's thread alone calls this.
bool RefuseTrayAdd()
{
    if (trayRefusalsLeft < 0) {
        DWORD count = 0, size = sizeof(count);
        if (RegGetValueW(HKEY_LOCAL_MACHINE, kStandinMachineKey, kStandinTrayRefusalsValue,
                         RRF_RT_REG_DWORD, nullptr, &count, &size) != ERROR_SUCCESS)
            count = 0;
        trayRefusalsLeft = count > 1000 ? 1000 : static_cast<int>(count);
    }
    if (trayRefusalsLeft == 0)
        return false;
    --trayRefusalsLeft;
    char left[16];
    wsprintfA(left, "(%d left)", trayRefusalsLeft);
    AppendLog("tray NIM_ADD refused, the shell is still starting", left);
    return true;
}

// The tooltip and balloon texts the program gives the shell, in the log after the switches,
// so a test can tell what the user was shown. The first adds are refused where the machine
// key says so.
BOOL WINAPI NotifyAndLog(DWORD message, PNOTIFYICONDATAW data)
{
    using Function = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);
    if (message == NIM_ADD && RefuseTrayAdd()) {
        SetLastError(ERROR_TIMEOUT);
        return FALSE;
    }
    // What the program passed, taken before the call: a notification sent to the program while
    // the call waits for the shell may change the record (another tooltip) before it returns.
    NOTIFYICONDATAW passed = {};
    if (data != nullptr)
        passed = *data;
    BOOL result = notifyHook->original<Function>()(message, data);
    if (data != nullptr && (message == NIM_ADD || message == NIM_MODIFY)) {
        if ((passed.uFlags & NIF_INFO) != 0)
            LogTrayText("tray balloon", passed.szInfo);
        if ((passed.uFlags & NIF_TIP) != 0)
            LogTrayText("tray tip", passed.szTip);
    }
    return result;
}

// The program's WinEvent hooks, so a test can tell that it follows the foreground only while
// it has a program rule: "SetWinEventHook EVENT_SYSTEM_FOREGROUND flags 0x0" (another range
// of events in hex), " failed" added when no hook was made, and "UnhookWinEvent succeeded" or
// "failed". Which window is in front, and so the event itself, comes from the programs
// power_driver front puts there.
HWINEVENTHOOK WINAPI SetWinEventHookAndLog(DWORD eventMin, DWORD eventMax, HMODULE module,
                                           WINEVENTPROC callback, DWORD processId,
                                           DWORD threadId, DWORD flags)
{
    using Function = HWINEVENTHOOK(WINAPI*)(DWORD, DWORD, HMODULE, WINEVENTPROC, DWORD, DWORD,
                                            DWORD);
    HWINEVENTHOOK hook = winEventHook->original<Function>()(eventMin, eventMax, module, callback,
                                                            processId, threadId, flags);
    char events[32] = "EVENT_SYSTEM_FOREGROUND";
    if (eventMin != EVENT_SYSTEM_FOREGROUND || eventMax != EVENT_SYSTEM_FOREGROUND)
        wsprintfA(events, "0x%lX-0x%lX", eventMin, eventMax);
    char detail[96];
    wsprintfA(detail, "%s flags 0x%lX%s", events, flags, hook == nullptr ? " failed" : "");
    AppendLog("SetWinEventHook", detail);
    return hook;
}

BOOL WINAPI UnhookWinEventAndLog(HWINEVENTHOOK hook)
{
    using Function = BOOL(WINAPI*)(HWINEVENTHOOK);
    BOOL unhooked = unhookWinEventHook->original<Function>()(hook);
    AppendLog("UnhookWinEvent", unhooked ? "succeeded" : "failed");
    return unhooked;
}

// The program's global hotkeys, so a test can tell that it registers none without hotkeys.txt,
// and which keys it got: "RegisterHotKey 1 Ctrl+Alt+P 0x4003 registered" (id, key, the
// modifiers as passed), "taken" where another program holds the key, or "failed" and the error;
// "UnregisterHotKey 1". The key itself comes from power_driver key, and another program holds
// one with power_driver take.
BOOL WINAPI RegisterHotKeyAndLog(HWND window, int id, UINT modifiers, UINT key)
{
    using Function = BOOL(WINAPI*)(HWND, int, UINT, UINT);
    BOOL registered = registerHotKeyHook->original<Function>()(window, id, modifiers, key);
    DWORD error = registered ? ERROR_SUCCESS : GetLastError();
    char keyText[kHotkeyTextCapacity];
    FormatHotkeyText({modifiers & kModAll, key}, keyText);
    char outcome[24] = "registered";
    if (error == ERROR_HOTKEY_ALREADY_REGISTERED)
        lstrcpyA(outcome, "taken");
    else if (!registered)
        wsprintfA(outcome, "failed %lu", error);
    char detail[96];
    wsprintfA(detail, "%d %s 0x%X %s", id, keyText, modifiers, outcome);
    AppendLog("RegisterHotKey", detail);
    SetLastError(error);
    return registered;
}

BOOL WINAPI UnregisterHotKeyAndLog(HWND window, int id)
{
    using Function = BOOL(WINAPI*)(HWND, int);
    BOOL unregistered = unregisterHotKeyHook->original<Function>()(window, id);
    DWORD error = GetLastError();
    char detail[16];
    wsprintfA(detail, "%d", id);
    AppendLog("UnregisterHotKey", detail);
    SetLastError(error);
    return unregistered;
}

// The mode functions, and whether only Windows 11 has them (Windows 10 has the others).
constexpr struct {
    const char* name;
    bool windows11;
} kModeFunctions[] = {
    {"PowerGetUserConfiguredACPowerMode", true},
    {"PowerSetUserConfiguredACPowerMode", true},
    {"PowerGetUserConfiguredDCPowerMode", true},
    {"PowerSetUserConfiguredDCPowerMode", true},
    {"PowerGetEffectiveOverlayScheme", false},
    {"PowerGetActualOverlayScheme", false},
    {"PowerSetActiveOverlayScheme", false},
    {"PowerRegisterForEffectivePowerModeNotifications", false},
    {"PowerUnregisterFromEffectivePowerModeNotifications", false},
};

// Whether the machine played now has this export of the stand-in's.
bool MachineHasFunction(const char* name)
{
    for (const auto& function : kModeFunctions) {
        if (std::strcmp(function.name, name) != 0)
            continue;
        StandinMachine machine = ReadStandinMachine();
        return machine == StandinMachine::kModernStandby || machine == StandinMachine::kWindows11Laptop ||
            (machine == StandinMachine::kWindows10Laptop && !function.windows11);
    }
    return true;
}

// Composition on a Windows 8 or later machine, whatever Windows version the program is told
// (a compatibility mode may tell it Windows 7): always on, and the switch changes nothing.
HRESULT WINAPI IsCompositionAlwaysOn(BOOL* enabled)
{
    if (enabled == nullptr)
        return E_INVALIDARG;
    *enabled = TRUE;
    return S_OK;
}

HRESULT WINAPI EnableCompositionInVain(UINT action)
{
    AppendLog("DwmEnableComposition", action == 0 ? "0: composition stays on" : "1");
    return S_OK;
}

// dwmapi's functions as the machine's Windows answers them, or null to take Wine's own.
FARPROC MachineCompositionFunction(HMODULE module, LPCSTR name)
{
    if (module == nullptr || module != GetModuleHandleW(L"dwmapi.dll") ||
        !IsWindows8OrLater(ReadStandinMachine()))
        return nullptr;
    void* function = nullptr;
    if (IS_INTRESOURCE(name) && LOWORD(reinterpret_cast<ULONG_PTR>(name)) == 102)
        function = reinterpret_cast<void*>(EnableCompositionInVain);
    else if (!IS_INTRESOURCE(name) && std::strcmp(name, "DwmIsCompositionEnabled") == 0)
        function = reinterpret_cast<void*>(IsCompositionAlwaysOn);
    return reinterpret_cast<FARPROC>(function);
}

// The program's lookups: a function the machine's Windows does not have is not found there, and
// composition is answered as the machine's Windows answers it.
FARPROC WINAPI GetProcAddressOnMachine(HMODULE module, LPCSTR name)
{
    if (module == standinModule && !IS_INTRESOURCE(name) && !MachineHasFunction(name)) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    if (FARPROC composition = MachineCompositionFunction(module, name))
        return composition;
    using Function = FARPROC(WINAPI*)(HMODULE, LPCSTR);
    return procAddressHook->original<Function>()(module, name);
}

void WatchProgramImports()
{
    registerHook = new ImportHook("user32.dll", "RegisterPowerSettingNotification",
                                  reinterpret_cast<void*>(RegisterAndDeliver));
    sendHook = new ImportHook("user32.dll", "SendMessageW",
                              reinterpret_cast<void*>(SendAndWaitForAll));
    notifyHook = new ImportHook("shell32.dll", "Shell_NotifyIconW",
                                reinterpret_cast<void*>(NotifyAndLog));
    procAddressHook = new ImportHook("kernel32.dll", "GetProcAddress",
                                     reinterpret_cast<void*>(GetProcAddressOnMachine));
    winEventHook = new ImportHook("user32.dll", "SetWinEventHook",
                                  reinterpret_cast<void*>(SetWinEventHookAndLog));
    unhookWinEventHook = new ImportHook("user32.dll", "UnhookWinEvent",
                                        reinterpret_cast<void*>(UnhookWinEventAndLog));
    registerHotKeyHook = new ImportHook("user32.dll", "RegisterHotKey",
                                        reinterpret_cast<void*>(RegisterHotKeyAndLog));
    unregisterHotKeyHook = new ImportHook("user32.dll", "UnregisterHotKey",
                                          reinterpret_cast<void*>(UnregisterHotKeyAndLog));
}

BOOL CALLBACK LogMenuWindow(HWND window, LPARAM lParam)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (processId != GetCurrentProcessId() || wcscmp(className, L"#32768") != 0 ||
        !IsWindowVisible(window))
        return TRUE;
    auto menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t label[256] = {};
        MENUITEMINFOW item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_FTYPE;
        item.dwTypeData = label;
        item.cch = 255;
        if (!GetMenuItemInfoW(menu, i, TRUE, &item))
            continue;
        char line[300];
        const char* state = (item.fState & MFS_GRAYED) != 0 ? "grayed" : "enabled";
        wsprintfA(line, "%u %s %ls", item.wID, state,
                  (item.fType & MFT_SEPARATOR) != 0 ? L"-" : label);
        AppendLog("menu item", line);
    }
    ++*reinterpret_cast<int*>(lParam);
    return TRUE;
}

// The items of each popup menu the program has open, one log line each: "menu item ID
// enabled|grayed LABEL". Another process cannot read a Wine menu, so the driver asks here.
bool LogOpenMenus()
{
    int menus = 0;
    EnumWindows(LogMenuWindow, reinterpret_cast<LPARAM>(&menus));
    return menus > 0;
}

void SendPowerBroadcast(HWND program, WPARAM event, const char* name)
{
    AppendLog("WM_POWERBROADCAST", name);
    SendMessageW(program, WM_POWERBROADCAST, event, 0);
}

// A sleep and the automatic resume after it, as Windows plays them: the suspend notice, the
// Balanced plan made active while the machine sleeps (seen on Windows 11 24H2), then the resume
// notices, the automatic one first, and no power-source notification since the source is the
// same. The new plan's personality is announced as after any change of the active plan.
bool SleepAndResume()
{
    HWND program = FindSettingsDialog();
    if (program == nullptr)
        return false;
    SendPowerBroadcast(program, PBT_APMSUSPEND, "suspend");
    GUID before = {};
    bool known = ReadActivePlan(&before);
    WriteActivePlan(PLAN_BALANCED);
    AppendLog("asleep:", "Windows made Balanced active");
    SendPowerBroadcast(program, PBT_APMRESUMEAUTOMATIC, "resume-automatic");
    SendPowerBroadcast(program, PBT_APMRESUMESUSPEND, "resume-suspend");
    if (!known || !IsEqualGUID(PersonalityOf(before), PLAN_BALANCED))
        DeliverPersonality();
    return true;
}

bool DeliverCommand(const COPYDATASTRUCT& command)
{
    if (command.dwData == kStandinMenuItems)
        return LogOpenMenus();
    if (command.dwData == kStandinSleep)
        return SleepAndResume();
    DWORD value = 0;
    if (command.dwData != kStandinPersonality) {
        if (command.cbData != sizeof(value) || command.lpData == nullptr)
            return false;
        std::memcpy(&value, command.lpData, sizeof(value));
    }
    char number[16];
    wsprintfA(number, "%lu", value);
    switch (command.dwData) {
    case kStandinPowerSource: {
        if (ReadStandinMachine() == StandinMachine::kDesktop) {
            AppendLog("desktop: always on AC, nothing sent for power-source", number);
            return true;
        }
        AppendLog("WM_POWERBROADCAST power-source", number);
        bool delivered = DeliverPowerSetting(GUID_ACDC_POWER_SOURCE, &value, sizeof(value));
        // The other source's mode comes into force, when it is another one.
        CallModeCallbacks();
        return delivered;
    }
    case kStandinBatteryPercent:
        if (ReadStandinMachine() == StandinMachine::kDesktop) {
            AppendLog("desktop: no battery, nothing sent for battery-percent", number);
            return true;
        }
        AppendLog("WM_POWERBROADCAST battery-percent", number);
        return DeliverPowerSetting(GUID_BATTERY_PERCENTAGE_REMAINING, &value, sizeof(value));
    case kStandinPersonality:
        return DeliverPersonality();
    case kStandinPowerMode:
        return MoveSystemPowerMode(value);
    }
    return false;
}

LRESULT CALLBACK StandinWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const auto& command = *reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (command.dwData >= kStandinBenchIdle)
            return RunBenchCommand(command) ? 1 : 0;
        return DeliverCommand(command) ? 1 : 0;
    }
    if (message == kPersonalityChanged) {
        DeliverPersonalityOf(*kPersonalities[wParam < 3 ? wParam : 0]);
        return 0;
    }
    if (message == kRegistered) {
        DeliverRegisteredValues();
        CallModeCallbacks();
        return 0;
    }
    if (message == kModeChanged) {
        CallModeCallbacks();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The stand-in's own thread: it owns the message-only window for the whole process life, so
// commands are taken even while the program's thread sits in a menu or a message box.
DWORD WINAPI RunStandinThread(void*)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = StandinWindowProc;
    windowClass.hInstance = standinModule;
    windowClass.lpszClassName = kStandinWindowClass;
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, kStandinWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, standinModule, nullptr);
    // Registrations made before the window existed are delivered now.
    EnterCriticalSection(&registrationLock);
    standinWindow = window;
    bool registered = pendingCount > 0 || modeCallbackCount > 0;
    LeaveCriticalSection(&registrationLock);
    if (registered)
        PostMessageW(window, kRegistered, 0, 0);
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}

}  // namespace

HWND FindSettingsDialog()
{
    return FindSettingsDialogOf(GetCurrentProcessId());
}

extern "C" DWORD WINAPI PowerGetActiveScheme(HKEY, GUID** activePlan)
{
    if (activePlan == nullptr)
        return ERROR_INVALID_PARAMETER;
    GUID plan = {};
    if (!ReadActivePlan(&plan))
        return ERROR_FILE_NOT_FOUND;
    // The caller owns the identifier and releases it with LocalFree, as with Windows.
    auto* copy = static_cast<GUID*>(LocalAlloc(LMEM_FIXED, sizeof(GUID)));
    if (copy == nullptr)
        return ERROR_NOT_ENOUGH_MEMORY;
    *copy = plan;
    *activePlan = copy;
    return ERROR_SUCCESS;
}

extern "C" DWORD WINAPI PowerSetActiveScheme(HKEY, const GUID* plan)
{
    if (plan == nullptr)
        return ERROR_INVALID_PARAMETER;
    char text[kGuidTextLength + 1];
    FormatGuidText(*plan, text);
    if (!IsPlanInstalled(*plan)) {
        AppendLog("PowerSetActiveScheme refused, not installed:", text);
        return ERROR_FILE_NOT_FOUND;
    }
    AppendLog("PowerSetActiveScheme", text);
    GUID previous = {};
    bool hadPrevious = ReadActivePlan(&previous);
    WriteActivePlan(*plan);
    bool personalityChanged =
        !hadPrevious || !IsEqualGUID(PersonalityOf(previous), PersonalityOf(*plan));
    // Windows announces the new personality after the call has returned, from elsewhere, and
    // announces that switch's personality, whatever was made active since.
    if (personalityChanged && standinWindow != nullptr)
        PostMessageW(standinWindow, kPersonalityChanged, PersonalityIndex(PersonalityOf(*plan)), 0);
    return ERROR_SUCCESS;
}

// Only plan names are held: a subgroup or setting name is not found. With no buffer, or one
// too small, the size needed comes back in *size, as Windows does it.
extern "C" DWORD WINAPI PowerReadFriendlyName(HKEY, const GUID* plan, const GUID* subgroup,
                                              const GUID* setting, UCHAR* buffer, DWORD* size)
{
    if (plan == nullptr || size == nullptr)
        return ERROR_INVALID_PARAMETER;
    if (subgroup != nullptr || setting != nullptr)
        return ERROR_FILE_NOT_FOUND;
    wchar_t name[kKeyNameUnits];
    FormatPlanKeyName(*plan, name);
    wchar_t path[160];
    wsprintfW(path, L"%s\\%s", kPowerSchemesPath, name);
    DWORD needed = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, path, kStandinNameValue, RRF_RT_REG_SZ, nullptr,
                     nullptr, &needed) != ERROR_SUCCESS)
        return ERROR_FILE_NOT_FOUND;
    if (buffer == nullptr) {
        *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    DWORD filled = *size;
    LONG result = RegGetValueW(HKEY_LOCAL_MACHINE, path, kStandinNameValue, RRF_RT_REG_SZ,
                               nullptr, buffer, &filled);
    *size = filled;
    return static_cast<DWORD>(result);
}

extern "C" DWORD WINAPI PowerGetUserConfiguredACPowerMode(GUID* mode)
{
    return GetPowerMode(0, mode);
}

extern "C" DWORD WINAPI PowerGetUserConfiguredDCPowerMode(GUID* mode)
{
    return GetPowerMode(1, mode);
}

extern "C" DWORD WINAPI PowerSetUserConfiguredACPowerMode(const GUID* mode)
{
    return SetPowerMode(0, mode, "PowerSetUserConfiguredACPowerMode");
}

extern "C" DWORD WINAPI PowerSetUserConfiguredDCPowerMode(const GUID* mode)
{
    return SetPowerMode(1, mode, "PowerSetUserConfiguredDCPowerMode");
}

// The overlay functions of Windows 10 act on the mode of the source the machine is on now.
// The effective and the actual mode differ on Windows only under a game or battery saver,
// which the stand-in does not play.
extern "C" DWORD WINAPI PowerGetEffectiveOverlayScheme(GUID* mode)
{
    return GetPowerMode(CurrentPowerSource(), mode);
}

extern "C" DWORD WINAPI PowerGetActualOverlayScheme(GUID* mode)
{
    return GetPowerMode(CurrentPowerSource(), mode);
}

// Windows takes the GUID by value; on x64, where the program calls it, that is a pointer.
extern "C" DWORD WINAPI PowerSetActiveOverlayScheme(const GUID* mode)
{
    return SetPowerMode(CurrentPowerSource(), mode, "PowerSetActiveOverlayScheme");
}

// The first call comes from the stand-in's thread right after this returns, with the mode in
// force; later calls at each change of it. Version 2 adds modes the stand-in never reports.
extern "C" HRESULT WINAPI PowerRegisterForEffectivePowerModeNotifications(
    ULONG version, EffectivePowerModeCallback callback, void* context, void** handle)
{
    if ((version != 1 && version != 2) || callback == nullptr || handle == nullptr)
        return E_INVALIDARG;
    EnterCriticalSection(&registrationLock);
    bool room = modeCallbackCount < kMaxModeCallbacks;
    if (room) {
        modeCallbacks[modeCallbackCount++] = {callback, context, ++lastModeHandle, kNotCalled};
        *handle = reinterpret_cast<void*>(lastModeHandle);
    }
    HWND standin = standinWindow;
    LeaveCriticalSection(&registrationLock);
    if (!room)
        return E_OUTOFMEMORY;
    if (standin != nullptr)
        PostMessageW(standin, kRegistered, 0, 0);
    return S_OK;
}

// Waits for a call in progress, as Windows does. Called from inside a callback, on the
// stand-in's thread, which already holds the lock, it goes straight on.
extern "C" HRESULT WINAPI PowerUnregisterFromEffectivePowerModeNotifications(void* handle)
{
    EnterCriticalSection(&registrationLock);
    int found = 0;
    while (found < modeCallbackCount &&
           modeCallbacks[found].handle != reinterpret_cast<UINT_PTR>(handle))
        ++found;
    bool registered = found < modeCallbackCount;
    if (registered) {
        --modeCallbackCount;
        std::memmove(modeCallbacks + found, modeCallbacks + found + 1,
                     (modeCallbackCount - found) * sizeof(ModeCallback));
    }
    LeaveCriticalSection(&registrationLock);
    if (!registered)
        return E_INVALIDARG;
    EnterCriticalSection(&callbackLock);
    LeaveCriticalSection(&callbackLock);
    return S_OK;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    standinModule = instance;
    DisableThreadLibraryCalls(instance);
    InitializeCriticalSection(&logLock);
    InitializeCriticalSection(&registrationLock);
    InitializeCriticalSection(&callbackLock);
    // The exe's imports are bound before any DLL's entry point runs, and the program's thread
    // calls nothing until this returns, so no registration is missed.
    WatchProgramImports();
    // The thread starts running only once the loader has finished with this DLL.
    HANDLE thread = CreateThread(nullptr, 0, RunStandinThread, nullptr, 0, nullptr);
    if (thread != nullptr)
        CloseHandle(thread);
    return TRUE;
}
