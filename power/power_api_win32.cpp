#include "power/power_api.h"

#include "base/system_library.h"

#include <powrprof.h>

// powrprof is not one of the system's known DLLs, so it is not imported: each call takes its
// function from the system folder's copy. Where a function is missing the call fails as a
// failed platform call does.
using GetActiveSchemeFunction = DWORD(WINAPI*)(HKEY, GUID**);
using SetActiveSchemeFunction = DWORD(WINAPI*)(HKEY, const GUID*);
using ReadFriendlyNameFunction = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*,
                                                UCHAR*, DWORD*);
constexpr WCHAR kPowrprof[] = L"powrprof.dll";

bool GetActivePlan(GUID* plan)
{
    auto getActive = GetSystemFunction<GetActiveSchemeFunction>(kPowrprof, "PowerGetActiveScheme");
    if (getActive == nullptr)
        return false;
    GUID* active = nullptr;
    bool read = getActive(nullptr, &active) == ERROR_SUCCESS && active != nullptr;
    if (read)
        *plan = *active;
    // The platform allocates the identifier for the caller; whatever it handed back is freed.
    if (active != nullptr)
        LocalFree(active);
    return read;
}

bool SetActivePlan(const GUID& plan)
{
    auto setActive = GetSystemFunction<SetActiveSchemeFunction>(kPowrprof, "PowerSetActiveScheme");
    return setActive != nullptr && setActive(nullptr, &plan) == ERROR_SUCCESS;
}

bool ReadPlanName(const GUID& plan, WCHAR (&name)[kPlanNameUnits])
{
    name[0] = L'\0';
    auto readName = GetSystemFunction<ReadFriendlyNameFunction>(kPowrprof, "PowerReadFriendlyName");
    if (readName == nullptr)
        return false;
    DWORD size = sizeof(name);
    DWORD result = readName(nullptr, &plan, nullptr, nullptr, reinterpret_cast<UCHAR*>(name), &size);
    name[kPlanNameUnits - 1] = L'\0';  // never trust the platform to terminate a full buffer
    return result == ERROR_SUCCESS && name[0] != L'\0';
}

bool GetAcLineStatus(BYTE* status)
{
    SYSTEM_POWER_STATUS power = {};
    if (!GetSystemPowerStatus(&power))
        return false;
    *status = power.ACLineStatus;
    return true;
}

bool GetBatteryPercent(BYTE* percent)
{
    SYSTEM_POWER_STATUS power = {};
    if (!GetSystemPowerStatus(&power) || power.BatteryLifePercent > 100)
        return false;
    *percent = power.BatteryLifePercent;
    return true;
}

void RegisterPowerSetting(HWND window, const GUID& setting)
{
    RegisterPowerSettingNotification(window, &setting, DEVICE_NOTIFY_WINDOW_HANDLE);
}

// Power modes. Windows 11 documents a mode per power source; Windows 10 (1709 and later) has
// only the overlay functions, undocumented. Their setter is declared by some with the identifier
// by value and by others by pointer, which agree only on x64 (a 16-byte value goes there by
// hidden pointer), so the 32-bit build leaves Windows 10's overlay alone.
using GetModeFunction = DWORD(WINAPI*)(GUID*);
using SetModeFunction = DWORD(WINAPI*)(const GUID*);
using ModeCallback = void(CALLBACK*)(int, void*);
using RegisterModeFunction = HRESULT(WINAPI*)(ULONG, ModeCallback, void*, void**);
constexpr ULONG kEffectivePowerModeV1 = 1;

static GetModeFunction FindSourceModeGetter(bool onAc)
{
    return GetSystemFunction<GetModeFunction>(
        kPowrprof, onAc ? "PowerGetUserConfiguredACPowerMode" : "PowerGetUserConfiguredDCPowerMode");
}

static SetModeFunction FindSourceModeSetter(bool onAc)
{
    return GetSystemFunction<SetModeFunction>(
        kPowrprof, onAc ? "PowerSetUserConfiguredACPowerMode" : "PowerSetUserConfiguredDCPowerMode");
}

static bool HasSourceModes()
{
    return FindSourceModeGetter(true) != nullptr && FindSourceModeGetter(false) != nullptr &&
           FindSourceModeSetter(true) != nullptr && FindSourceModeSetter(false) != nullptr;
}

// The getter and setter the machine offers for one source: both, or neither.
struct ModeFunctions {
    GetModeFunction get;
    SetModeFunction set;
};

static ModeFunctions FindOverlayFunctions()
{
#if defined(_WIN64)
    ModeFunctions overlay = {
        GetSystemFunction<GetModeFunction>(kPowrprof, "PowerGetEffectiveOverlayScheme"),
        GetSystemFunction<SetModeFunction>(kPowrprof, "PowerSetActiveOverlayScheme")};
    if (overlay.get != nullptr && overlay.set != nullptr)
        return overlay;
#endif
    return {nullptr, nullptr};
}

static ModeFunctions FindModeFunctions(bool onAc)
{
    if (HasSourceModes())
        return {FindSourceModeGetter(onAc), FindSourceModeSetter(onAc)};
    return FindOverlayFunctions();
}

bool HasPowerModes()
{
    return FindModeFunctions(true).get != nullptr;
}

bool HasModePerSource()
{
    return HasSourceModes();
}

bool GetPowerMode(bool onAc, GUID* mode)
{
    GetModeFunction get = FindModeFunctions(onAc).get;
    GUID read = {};
    if (get == nullptr || get(&read) != ERROR_SUCCESS)
        return false;
    *mode = read;
    return true;
}

bool SetPowerMode(bool onAc, const GUID& mode)
{
    SetModeFunction set = FindModeFunctions(onAc).set;
    return set != nullptr && set(&mode) == ERROR_SUCCESS;
}

void RegisterPowerModeChange(HWND window)
{
    if (!HasPowerModes())
        return;
    auto registerMode = GetSystemFunction<RegisterModeFunction>(
        kPowrprof, "PowerRegisterForEffectivePowerModeNotifications");
    void* handle = nullptr;
    if (registerMode != nullptr)
        registerMode(kEffectivePowerModeV1, PostPowerModeChange, window, &handle);
}
