#include "power/power_api.h"

#include "app/system_library.h"

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

void RegisterPowerSetting(HWND window, const GUID& setting)
{
    RegisterPowerSettingNotification(window, &setting, DEVICE_NOTIFY_WINDOW_HANDLE);
}
