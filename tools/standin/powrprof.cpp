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
// sends the program's window a real WM_POWERBROADCAST with a POWERBROADCAST_SETTING in this
// process, so the pointer in lParam is valid where it is read.
#include "standin/standin_protocol.h"

#include <powrprof.h>

#include <cstddef>
#include <cstring>

#include "bench/bench_probe.h"
#include "core/guid_text.h"
#include "core/plan_ids.h"
#include "standin/standin.h"
#include "support/program_window.h"

namespace {

// Posted by PowerSetActiveScheme to the stand-in's window when the personality changed, as
// Windows announces a new personality after a switch.
constexpr UINT kPersonalityChanged = WM_APP + 1;

constexpr size_t kKeyNameUnits = 37;  // 36 characters of identifier text and the terminator

HMODULE standinModule = nullptr;
HWND standinWindow = nullptr;
CRITICAL_SECTION logLock;

// The subkey name Windows gives a plan: identifier text in small letters, no braces.
void FormatPlanKeyName(const GUID& plan, wchar_t (&name)[kKeyNameUnits])
{
    wchar_t braced[kGuidTextLength + 1];
    FormatGuidText(plan, braced);
    for (size_t i = 0; i + 1 < kKeyNameUnits; ++i) {
        wchar_t c = braced[i + 1];
        name[i] = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    }
    name[kKeyNameUnits - 1] = L'\0';
}

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
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kStandinSchemesKey, 0, KEY_READ, &schemes) != ERROR_SUCCESS)
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
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kStandinSchemesKey, kStandinActiveValue, RRF_RT_REG_SZ,
                     nullptr, name, &size) != ERROR_SUCCESS)
        return false;
    return ParsePlanKeyName(name, plan);
}

void WriteActivePlan(const GUID& plan)
{
    wchar_t name[kKeyNameUnits];
    FormatPlanKeyName(plan, name);
    HKEY schemes = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kStandinSchemesKey, 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &schemes, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(schemes, kStandinActiveValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                   sizeof(name));
    RegCloseKey(schemes);
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
    char line[160];
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
bool DeliverPowerSetting(const GUID& setting, const void* data, DWORD dataLength)
{
    HWND program = FindProgramWindow();
    if (program == nullptr)
        return false;
    alignas(8) BYTE message[offsetof(POWERBROADCAST_SETTING, Data) + sizeof(GUID)] = {};
    auto* broadcast = reinterpret_cast<POWERBROADCAST_SETTING*>(message);
    broadcast->PowerSetting = setting;
    broadcast->DataLength = dataLength;
    std::memcpy(broadcast->Data, data, dataLength);
    SendMessageW(program, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
                 reinterpret_cast<LPARAM>(broadcast));
    return true;
}

bool DeliverPersonality()
{
    GUID active = {};
    if (!ReadActivePlan(&active))
        return false;
    const GUID& personality = PersonalityOf(active);
    char text[kGuidTextLength + 1];
    FormatGuidText(personality, text);
    AppendLog("WM_POWERBROADCAST personality", text);
    return DeliverPowerSetting(GUID_POWERSCHEME_PERSONALITY, &personality, sizeof(GUID));
}

bool DeliverCommand(const COPYDATASTRUCT& command)
{
    DWORD value = 0;
    if (command.dwData != kStandinPersonality) {
        if (command.cbData != sizeof(value) || command.lpData == nullptr)
            return false;
        std::memcpy(&value, command.lpData, sizeof(value));
    }
    char number[16];
    wsprintfA(number, "%lu", value);
    switch (command.dwData) {
    case kStandinPowerSource:
        AppendLog("WM_POWERBROADCAST power-source", number);
        return DeliverPowerSetting(GUID_ACDC_POWER_SOURCE, &value, sizeof(value));
    case kStandinBatteryPercent:
        AppendLog("WM_POWERBROADCAST battery-percent", number);
        return DeliverPowerSetting(GUID_BATTERY_PERCENTAGE_REMAINING, &value, sizeof(value));
    case kStandinPersonality:
        return DeliverPersonality();
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
        DeliverPersonality();
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
    standinWindow = CreateWindowExW(0, kStandinWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                    nullptr, standinModule, nullptr);
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}

}  // namespace

HWND FindProgramWindow()
{
    return FindProgramWindowOf(GetCurrentProcessId());
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
    if (personalityChanged && standinWindow != nullptr)
        PostMessageW(standinWindow, kPersonalityChanged, 0, 0);
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
    wsprintfW(path, L"%s\\%s", kStandinSchemesKey, name);
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

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    standinModule = instance;
    DisableThreadLibraryCalls(instance);
    InitializeCriticalSection(&logLock);
    // The thread starts running only once the loader has finished with this DLL.
    HANDLE thread = CreateThread(nullptr, 0, RunStandinThread, nullptr, 0, nullptr);
    if (thread != nullptr)
        CloseHandle(thread);
    return TRUE;
}
